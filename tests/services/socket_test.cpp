// Sockets over the loopback interface: TCP echo with the server on a worker
// thread, UDP with the sender's address, opening rules, address text, and the
// failures that must be reported rather than papered over.
#include "services/socket.h"

#include <gtest/gtest.h>
#include <sys/time.h>

#include <atomic>
#include <climits>
#include <csignal>
#include <string>

#include "services/data_buffer.h"
#include "host/platform_sockets.h"
#include "services/thread.h"

namespace {

const String kLoopback("127.0.0.1");
const String kBadHost("no-such-host.invalid");

// An open socket whose blocking calls give up after 5 s rather than hang when something is wrong.
KpSocket* OpenSocket(int protocol) {
    KpSocket* socket = new KpSocket();
    EXPECT_TRUE(socket->Open(protocol)) << "protocol " << protocol;
#ifdef _WIN32
    const DWORD timeout = 5000;  // Winsock counts milliseconds
#else
    const timeval timeout{5, 0};
#endif
    const char* option = reinterpret_cast<const char*>(&timeout);
    setsockopt(socket->Handle(), SOL_SOCKET, SO_RCVTIMEO, option, sizeof timeout);
    setsockopt(socket->Handle(), SOL_SOCKET, SO_SNDTIMEO, option, sizeof timeout);
    return socket;
}

KpDataBuffer* BufferOf(const std::string& text) {
    KpDataBuffer* buffer = new KpDataBuffer();
    buffer->_New(static_cast<int>(text.size()));
    for (size_t i = 0; i < text.size(); ++i) buffer->PokeByte(static_cast<int>(i), text[i]);
    return buffer;
}

std::string TextOf(KpDataBuffer* buffer, int count) {
    std::string text;
    for (int i = 0; i < count; ++i) text.push_back(static_cast<char>(buffer->PeekByte(i)));
    return text;
}

KpSocketAddress* LocalAddress(KpSocket* socket) {
    KpSocketAddress* address = new KpSocketAddress();
    EXPECT_EQ(0, socket->GetLocalAddress(address));
    address->Validate();
    return address;
}

// Echoes what it receives on its connection until it has echoed `expected` bytes.
class EchoServer : public KpThread {
public:
    KpSocket* connection = nullptr;
    KpDataBuffer* buffer = BufferOf("7 bytes");  // smaller than the message: the echo takes several rounds
    int expected = 0;
    std::atomic<int> echoed{0};

    void Run__UNSAFE__() override {
        for (int n = 0; echoed < expected && (n = connection->Receive(buffer, 0, buffer->Length())) > 0 &&
                        connection->Send(buffer, 0, n) == n;) {
            echoed += n;
        }
    }
    void mark() override {
        KpThread::mark();
        gc_mark_q(connection);
        gc_mark_q(buffer);
    }
};

int brokenPipeSignals = 0;

TEST(KpSocket, TcpEchoThenSendingToAClosedPeerFailsWithoutASignal) {
    KpSocket* listener = OpenSocket(KpSocket::kTcp);
    ASSERT_TRUE(listener->Bind(kLoopback, 0) && listener->Listen(4));
    KpSocket* client = OpenSocket(KpSocket::kTcp);
    ASSERT_TRUE(client->Connect(kLoopback, LocalAddress(listener)->Port()) && listener->Accept());
    EchoServer* server = new EchoServer();
    server->connection = listener->Accepted();
    EXPECT_EQ(nullptr, listener->Accepted()) << "an accepted connection is handed out once";
    KpSocketAddress* peer = new KpSocketAddress();
    ASSERT_EQ(0, server->connection->GetRemoteAddress(peer));
    peer->Validate();
    EXPECT_TRUE(peer->Host() == kLoopback && peer->Port() == LocalAddress(client)->Port()) << "the ends disagree about the client";
    const std::string message = "Glimmer sockets: hello over loopback";
    const int length = server->expected = static_cast<int>(message.size());
    server->Start();
    EXPECT_EQ(length, client->Send(BufferOf(message), 0, length));
    KpDataBuffer* incoming = BufferOf(std::string(message.size(), '-'));
    int received = 0;
    for (int n = 0; received < length && (n = client->Receive(incoming, received, length - received)) > 0;) received += n;
    EXPECT_EQ(message, TextOf(incoming, received));
    server->Wait();
    EXPECT_EQ(length, server->echoed.load());

#ifndef _WIN32  // Windows has no broken-pipe signal
    struct sigaction counting {}, previous {};
    counting.sa_handler = [](int) { ++brokenPipeSignals; };
    sigaction(SIGPIPE, &counting, &previous);
#endif
    server->connection->Close();
    int result = 0;  // the first sends may still be taken before the peer's reset arrives
    for (int i = 0; i < 1000 && result >= 0; ++i) result = client->Send(incoming, 0, 4);
    EXPECT_EQ(-1, result);
    EXPECT_EQ(0, brokenPipeSignals);
#ifndef _WIN32
    sigaction(SIGPIPE, &previous, nullptr);
#endif
    EXPECT_EQ(0, client->Close());
    EXPECT_EQ(-1, client->Close()) << "closing twice returns the closed handle";
}

TEST(KpSocket, UdpReportsTheSenderAndTransfersStayInsideTheBuffer) {
    KpSocket* receiver = OpenSocket(KpSocket::kUdp);
    KpSocket* sender = OpenSocket(KpSocket::kUdp);
    ASSERT_TRUE(receiver->Bind(kLoopback, 0) && sender->Bind(kLoopback, 0));
    KpSocketAddress* to = LocalAddress(receiver);
    EXPECT_EQ(4, sender->SendTo(BufferOf("ping"), 0, 4, to));
    KpDataBuffer* incoming = BufferOf("--------");
    KpSocketAddress* from = new KpSocketAddress();
    ASSERT_EQ(4, receiver->ReceiveFrom(incoming, 2, 6, from));
    EXPECT_EQ("--ping--", TextOf(incoming, 8));
    from->Validate();
    EXPECT_TRUE(from->Host() == kLoopback && from->Port() == LocalAddress(sender)->Port()) << from->Host().ToUtf8();
    for (const auto& [offset, count] : {std::pair{-1, 1}, {0, 9}, {8, 1}, {1, INT_MAX}, {INT_MAX, 1}, {0, -1}}) {
        EXPECT_EQ((std::vector<int>{-1, -1, -1, -1}),
                  (std::vector<int>{sender->Send(incoming, offset, count), receiver->Receive(incoming, offset, count),
                                    sender->SendTo(incoming, offset, count, to), receiver->ReceiveFrom(incoming, offset, count, from)}))
            << offset << "+" << count << " of 8 bytes";
    }
    EXPECT_EQ("--ping--", TextOf(incoming, 8));
}

TEST(KpSocket, OpenAcceptsOnlyKnownProtocolsOnAClosedSocket) {
    for (int protocol : {KpSocket::kTcp, KpSocket::kTcpAlso}) {
        KpSocket* socket = OpenSocket(protocol);
        int type = 0, noDelay = 0;
        socklen_t size = sizeof type;
        getsockopt(socket->Handle(), SOL_SOCKET, SO_TYPE, reinterpret_cast<char*>(&type), &size);
        getsockopt(socket->Handle(), IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<char*>(&noDelay), &size);
        EXPECT_TRUE(type == SOCK_STREAM && noDelay) << "protocol " << protocol << ": TCP with Nagle off";
        const int handle = socket->Handle();
        EXPECT_FALSE(socket->Open(KpSocket::kUdp)) << "Open on an open socket";
        EXPECT_TRUE(handle == socket->Handle() && protocol == socket->Protocol()) << "Open on an open socket changed it";
        EXPECT_FALSE(socket->Accept()) << "accept on a socket that is not listening";
        EXPECT_EQ(nullptr, socket->Accepted());
        socket->Close();
    }
    for (int protocol : {4, 0}) EXPECT_FALSE((new KpSocket())->Open(protocol)) << "protocol " << protocol;
}

TEST(KpSocketAddress, HostsResolveOrFailButNeverBecomeAnyAddress) {
    const struct { const char* host; int port; const char* text; } cases[] = {
        {"", 80, "0.0.0.0"}, {"localhost", 65535, "127.0.0.1"}, {"no-such-host.invalid", 80, nullptr}, {"127.0.0.1", 65536, nullptr}};
    for (const auto& c : cases) {
        KpSocketAddress* address = new KpSocketAddress();
        address->Set(String(c.host), c.port);
        EXPECT_EQ(c.text != nullptr, address->IsResolved()) << c.host << ":" << c.port;
        address->Validate();
        EXPECT_TRUE(!c.text || (address->Host() == String(c.text) && address->Port() == c.port)) << c.host << ": " << address->Host().ToUtf8();
    }
    const Char wide[] = {u'1', u'2', u'7', u'.', u'0', u'.', u'0', u'.', u'\u0131'};  // cut to bytes: "127.0.0.1"
    KpSocketAddress* address = new KpSocketAddress();
    address->Set(String(wide, 9), 80);
    EXPECT_FALSE(address->IsResolved()) << "a non-ASCII host must not be cut to another name";
    // Sockets refuse a host that does not resolve, even with a listener on the port 0.0.0.0 would reach.
    KpSocket* listener = OpenSocket(KpSocket::kTcp);
    ASSERT_TRUE(listener->Bind(kLoopback, 0) && listener->Listen(4));
    const int port = LocalAddress(listener)->Port();
    EXPECT_FALSE(OpenSocket(KpSocket::kTcp)->Connect(kBadHost, port));
    KpSocket* udp = OpenSocket(KpSocket::kUdp);
    EXPECT_FALSE(udp->Bind(kBadHost, 0));
    address->Set(kBadHost, port);
    EXPECT_EQ(-1, udp->SendTo(BufferOf("x"), 0, 1, address));
    listener->Close();
}

}  // namespace

// Sockets over the loopback interface: TCP echo with the server on a worker
// thread, UDP with the sender's address, opening rules, address text, and the
// failures that must be reported rather than papered over.
#include "services/socket.h"

#include <gtest/gtest.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <sys/time.h>

#include <atomic>
#include <climits>
#include <csignal>
#include <string>

#include "services/data_buffer.h"
#include "services/thread.h"
#include "tests/services/services_test_support.h"

namespace {

const String kLoopback("127.0.0.1");
constexpr int kReceiveTimeoutSeconds = 5;

// Blocking calls in these tests give up rather than hang when something is wrong.
void LimitWaits(const KpSocket* socket) {
    timeval timeout{kReceiveTimeoutSeconds, 0};
    setsockopt(socket->Handle(), SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    setsockopt(socket->Handle(), SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
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

int LocalPort(KpSocket* socket) {
    KpSocketAddress* address = new KpSocketAddress();
    if (socket->GetLocalAddress(address) < 0) return -1;
    address->Validate();
    return address->Port();
}

// A TCP listener on 127.0.0.1 at a port the system picks.
KpSocket* OpenListener(int* port) {
    KpSocket* listener = new KpSocket();
    EXPECT_TRUE(listener->Open(KpSocket::kTcp));
    EXPECT_TRUE(listener->Bind(kLoopback, 0));
    EXPECT_TRUE(listener->Listen(4));
    *port = LocalPort(listener);
    return listener;
}

// Echoes what it receives on its connection until the peer closes it.
class EchoServer : public KpThread {
public:
    KpSocket* connection = nullptr;
    KpDataBuffer* buffer = nullptr;
    std::atomic<int> echoed{0};

    void Run__UNSAFE__() override {
        for (;;) {
            int received = connection->Receive(buffer, 0, buffer->Length());
            if (received <= 0) return;
            if (connection->Send(buffer, 0, received) != received) return;
            echoed += received;
        }
    }
    void mark() override {
        KpThread::mark();
        gc_mark_q(connection);
        gc_mark_q(buffer);
    }
};

TEST(KpSocket, TcpEchoWithTheServerOnAThread) {
    int port = 0;
    KpSocket* listener = OpenListener(&port);
    ASSERT_GT(port, 0);
    KpSocket* client = new KpSocket();
    ASSERT_TRUE(client->Open(KpSocket::kTcp));
    LimitWaits(client);
    ASSERT_TRUE(client->Connect(kLoopback, port));
    ASSERT_TRUE(listener->Accept());
    KpSocket* connection = listener->Accepted();
    ASSERT_NE(nullptr, connection);
    EXPECT_EQ(nullptr, listener->Accepted()) << "an accepted connection is handed out once";
    LimitWaits(connection);

    KpSocketAddress* serverSide = new KpSocketAddress();
    KpSocketAddress* clientSide = new KpSocketAddress();
    ASSERT_EQ(0, connection->GetRemoteAddress(serverSide));
    ASSERT_EQ(0, client->GetLocalAddress(clientSide));
    serverSide->Validate();
    clientSide->Validate();
    EXPECT_EQ(clientSide->Port(), serverSide->Port()) << "the two ends disagree about the client's port";
    EXPECT_TRUE(serverSide->Host() == kLoopback) << serverSide->Host().ToUtf8();

    EchoServer* server = new EchoServer();
    server->connection = connection;
    server->buffer = new KpDataBuffer();
    server->buffer->_New(7);  // smaller than the message: the echo takes several rounds
    server->Start();

    const std::string message = "Glimmer sockets: hello over loopback";
    const int length = static_cast<int>(message.size());
    KpDataBuffer* outgoing = BufferOf(message);
    KpDataBuffer* incoming = new KpDataBuffer();
    incoming->_New(length);
    EXPECT_EQ(length, client->Send(outgoing, 0, length));
    int received = 0;
    while (received < length) {
        int n = client->Receive(incoming, received, length - received);
        if (n <= 0) break;
        received += n;
    }
    EXPECT_EQ(message, TextOf(incoming, received));

    EXPECT_EQ(0, client->Close());
    server->Wait();  // the server's Receive sees the end of the stream
    EXPECT_EQ(length, server->echoed.load());
    EXPECT_EQ(-1, client->Close()) << "closing twice returns the closed handle";
}

TEST(KpSocket, UdpReportsTheSendersAddress) {
    KpSocket* receiver = new KpSocket();
    KpSocket* sender = new KpSocket();
    ASSERT_TRUE(receiver->Open(KpSocket::kUdp));
    ASSERT_TRUE(sender->Open(KpSocket::kUdp));
    LimitWaits(receiver);
    ASSERT_TRUE(receiver->Bind(kLoopback, 0));
    ASSERT_TRUE(sender->Bind(kLoopback, 0));

    KpSocketAddress* to = new KpSocketAddress();
    to->Set(kLoopback, LocalPort(receiver));
    KpDataBuffer* datagram = BufferOf("ping");
    EXPECT_EQ(4, sender->SendTo(datagram, 0, 4, to));

    KpDataBuffer* incoming = new KpDataBuffer();
    incoming->_New(16);
    KpSocketAddress* from = new KpSocketAddress();
    ASSERT_EQ(4, receiver->ReceiveFrom(incoming, 2, 8, from));
    EXPECT_EQ("ping", TextOf(incoming, 6).substr(2));
    EXPECT_FALSE(from->IsValid()) << "a freshly reported address is not yet validated";
    from->Validate();
    EXPECT_TRUE(from->Host() == kLoopback) << from->Host().ToUtf8();
    EXPECT_EQ(LocalPort(sender), from->Port());
}

TEST(KpSocket, OpenAcceptsOnlyKnownProtocolsOnAClosedSocket) {
    for (int protocol : {KpSocket::kTcp, KpSocket::kTcpAlso}) {
        KpSocket* socket = new KpSocket();
        ASSERT_TRUE(socket->Open(protocol)) << "protocol " << protocol;
        int type = 0;
        int noDelay = 0;
        socklen_t size = sizeof type;
        getsockopt(socket->Handle(), SOL_SOCKET, SO_TYPE, &type, &size);
        size = sizeof noDelay;
        getsockopt(socket->Handle(), IPPROTO_TCP, TCP_NODELAY, &noDelay, &size);
        EXPECT_EQ(SOCK_STREAM, type) << "protocol " << protocol;
        EXPECT_NE(0, noDelay) << "protocol " << protocol << " should turn Nagle off";
        EXPECT_EQ(protocol, socket->Protocol());

        int handle = socket->Handle();
        EXPECT_FALSE(socket->Open(KpSocket::kUdp)) << "Open on an open socket";
        EXPECT_EQ(handle, socket->Handle());
        EXPECT_EQ(protocol, socket->Protocol());
        socket->Close();
    }
    for (int protocol : {4, 0, -1}) {
        KpSocket* socket = new KpSocket();
        EXPECT_FALSE(socket->Open(protocol)) << "protocol " << protocol;
        EXPECT_EQ(-1, socket->Handle());
    }
}

TEST(KpSocketAddress, ValidatesToDottedTextAndPort) {
    struct Case {
        const char* host;
        int port;
        const char* text;
    };
    const Case cases[] = {{"", 80, "0.0.0.0"}, {"127.0.0.1", 8080, "127.0.0.1"}, {"localhost", 1, "127.0.0.1"},
                          {"10.1.2.3", 65535, "10.1.2.3"}};
    for (const Case& c : cases) {
        KpSocketAddress* address = new KpSocketAddress();
        address->Set(String(c.host), c.port);
        EXPECT_TRUE(address->IsResolved()) << c.host;
        address->Validate();
        EXPECT_TRUE(address->Host() == String(c.text)) << c.host << " gave " << address->Host().ToUtf8();
        EXPECT_EQ(c.port, address->Port()) << c.host;

        KpSocketAddress* copy = new KpSocketAddress();
        copy->Set(address);
        EXPECT_FALSE(copy->IsValid());
        copy->Validate();
        EXPECT_TRUE(copy->Host() == String(c.text)) << "copy of " << c.host;
    }
    const Case unresolvable[] = {{"no-such-host.invalid", 80, ""}, {"127.0.0.1", 65536, ""}, {"127.0.0.1", -1, ""}};
    for (const Case& c : unresolvable) {
        KpSocketAddress* address = new KpSocketAddress();
        address->Set(String(c.host), c.port);
        EXPECT_FALSE(address->IsResolved()) << c.host << ":" << c.port;
    }
    Char wide[] = {u'1', u'2', u'7', u'.', u'0', u'.', u'0', u'.', u'\u0131'};  // cut to bytes it would read "127.0.0.1"
    KpSocketAddress* address = new KpSocketAddress();
    address->Set(String(wide, 9), 80);
    EXPECT_FALSE(address->IsResolved()) << "a non-ASCII host must not be cut to another name";
}

TEST(KpSocket, AcceptedAfterAFailedAcceptIsNull) {
    KpSocket* socket = new KpSocket();
    ASSERT_TRUE(socket->Open(KpSocket::kTcp));
    EXPECT_FALSE(socket->Accept()) << "accept on a socket that is not listening";
    EXPECT_EQ(nullptr, socket->Accepted());
    KpSocket* closed = new KpSocket();
    EXPECT_FALSE(closed->Accept());
    EXPECT_EQ(nullptr, closed->Accepted());
}

TEST(KpSocket, UnresolvableHostFailsInsteadOfUsingAnyAddress) {
    // A listener on the port the lookup failure would otherwise reach via 0.0.0.0.
    int port = 0;
    KpSocket* listener = OpenListener(&port);
    ASSERT_GT(port, 0);
    const String badHost("no-such-host.invalid");

    KpSocket* client = new KpSocket();
    ASSERT_TRUE(client->Open(KpSocket::kTcp));
    EXPECT_FALSE(client->Connect(badHost, port));

    KpSocket* udp = new KpSocket();
    ASSERT_TRUE(udp->Open(KpSocket::kUdp));
    EXPECT_FALSE(udp->Bind(badHost, 0));
    KpSocketAddress* to = new KpSocketAddress();
    to->Set(badHost, port);
    KpDataBuffer* datagram = BufferOf("x");
    EXPECT_EQ(-1, udp->SendTo(datagram, 0, 1, to));
    listener->Close();
}

int brokenPipeSignals = 0;

TEST(KpSocket, SendToAClosedPeerFailsWithoutASignal) {
    brokenPipeSignals = 0;
    struct sigaction counting {};
    struct sigaction previous {};
    counting.sa_handler = [](int) { ++brokenPipeSignals; };
    sigaction(SIGPIPE, &counting, &previous);

    int port = 0;
    KpSocket* listener = OpenListener(&port);
    KpSocket* client = new KpSocket();
    ASSERT_TRUE(client->Open(KpSocket::kTcp));
    LimitWaits(client);
    ASSERT_TRUE(client->Connect(kLoopback, port));
    ASSERT_TRUE(listener->Accept());
    KpSocket* connection = listener->Accepted();
    ASSERT_NE(nullptr, connection);
    connection->Close();

    // The first send may still be taken before the peer's reset arrives.
    KpDataBuffer* data = BufferOf("data");
    constexpr int kMaxSends = 1000;
    int result = 0;
    for (int i = 0; i < kMaxSends && result >= 0; ++i) result = client->Send(data, 0, 4);
    EXPECT_EQ(-1, result);
    EXPECT_EQ(0, brokenPipeSignals);
    sigaction(SIGPIPE, &previous, nullptr);
}

TEST(KpSocket, TransfersOutsideTheBufferFail) {
    KpSocket* socket = new KpSocket();
    ASSERT_TRUE(socket->Open(KpSocket::kUdp));
    ASSERT_TRUE(socket->Bind(kLoopback, 0));
    KpSocketAddress* self = new KpSocketAddress();
    self->Set(kLoopback, LocalPort(socket));
    KpDataBuffer* buffer = BufferOf("12345678");
    struct Case {
        int offset;
        int count;
    };
    const Case cases[] = {{-1, 1}, {0, 9}, {8, 1}, {1, INT_MAX}, {INT_MAX, 1}, {0, -1}};
    for (const Case& c : cases) {
        EXPECT_EQ(-1, socket->Send(buffer, c.offset, c.count)) << c.offset << "+" << c.count;
        EXPECT_EQ(-1, socket->Receive(buffer, c.offset, c.count)) << c.offset << "+" << c.count;
        EXPECT_EQ(-1, socket->SendTo(buffer, c.offset, c.count, self)) << c.offset << "+" << c.count;
        EXPECT_EQ(-1, socket->ReceiveFrom(buffer, c.offset, c.count, self)) << c.offset << "+" << c.count;
    }
    EXPECT_EQ(-1, socket->Send(nullptr, 0, 0));
    EXPECT_EQ("12345678", TextOf(buffer, 8));
}

}  // namespace

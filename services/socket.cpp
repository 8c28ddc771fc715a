#include "services/socket.h"

#include <cstring>
#include <string>

#include "services/data_buffer.h"
#include "host/platform_sockets.h"

namespace {

constexpr int kMaxHostLength = 1023;
constexpr int kMaxPort = 65535;

sockaddr_in AnyAddress(int port) {
    sockaddr_in address;
    std::memset(&address, 0, sizeof address);
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    return address;
}

// Builds an IPv4 address from host text and port. An empty host is any
// address; otherwise the host must be plain ASCII without NULs (cutting
// wider units to bytes could name another host) and must resolve.
bool ResolveAddress(const String& host, int port, sockaddr_in* out) {
    *out = AnyAddress(port < 0 || port > kMaxPort ? 0 : port);
    if (port < 0 || port > kMaxPort) return false;
    if (host.Length() == 0) return true;
    if (host.Length() > kMaxHostLength) return false;
    std::string name;
    for (int i = 0; i < host.Length(); ++i) {
        Char unit = host[i];
        if (unit == 0 || unit > 0x7f) return false;
        name.push_back(static_cast<char>(unit));
    }
    addrinfo hints;
    std::memset(&hints, 0, sizeof hints);
    hints.ai_family = AF_INET;
    addrinfo* found = nullptr;
    if (getaddrinfo(name.c_str(), nullptr, &hints, &found) != 0 || !found) return false;
    out->sin_addr = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr;
    freeaddrinfo(found);
    return true;
}

// The part of a buffer a transfer touches, or null when it falls outside.
unsigned char* TransferRange(KpDataBuffer* buffer, int offset, int count) {
    if (!buffer || !buffer->InRange(offset, count)) return nullptr;
    return buffer->WritePointer(offset);
}

}  // namespace

// ---- KpSocketAddress ----

static_assert(sizeof(sockaddr_in) == KpSocketAddress::kAddressBytes, "the address bytes hold a sockaddr_in");

KpSocketAddress::KpSocketAddress() {
    In() = AnyAddress(0);
    KpSocket::InitSockets();
}

sockaddr_in& KpSocketAddress::In() { return *reinterpret_cast<sockaddr_in*>(address_); }

const sockaddr_in& KpSocketAddress::Address() const { return *reinterpret_cast<const sockaddr_in*>(address_); }

void KpSocketAddress::Set(const String& host, int port) {
    resolved_ = ResolveAddress(host, port, &In());
    valid_ = false;
}

void KpSocketAddress::Set(const KpSocketAddress* other) {
    if (!other) return;
    In() = other->Address();
    resolved_ = other->resolved_;
    valid_ = false;
}

void KpSocketAddress::Set(const sockaddr_in& address) {
    In() = address;
    resolved_ = true;
    valid_ = false;
}

void KpSocketAddress::Validate() {
    if (valid_) return;
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(&Address().sin_addr.s_addr);
    host_ = String(static_cast<int>(bytes[0])) + String(".") + String(static_cast<int>(bytes[1])) + String(".") +
            String(static_cast<int>(bytes[2])) + String(".") + String(static_cast<int>(bytes[3]));
    port_ = ntohs(Address().sin_port);
    valid_ = true;
}

// ---- KpSocket ----

void KpSocket::InitSockets() { kp_socket_Startup(); }

KpSocket::~KpSocket() {
    DropAccepted();
    if (socket_ >= 0) kp_socket_Close(socket_);
}

bool KpSocket::Open(int protocol) {
    if (socket_ >= 0) return false;
    int handle = -1;
    if (protocol == kTcp || protocol == kTcpAlso) {
        handle = kp_socket_Create(SOCK_STREAM, IPPROTO_TCP);
        if (handle >= 0) {
            int on = 1;
            setsockopt(handle, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on);
        }
    } else if (protocol == kUdp) {
        handle = kp_socket_Create(SOCK_DGRAM, IPPROTO_UDP);
    }
    if (handle < 0) return false;
    socket_ = handle;
    protocol_ = protocol;
    return true;
}

int KpSocket::Close() {
    if (socket_ < 0) return socket_;
    DropAccepted();
    int result = kp_socket_Close(socket_);
    socket_ = -1;
    return result;
}

bool KpSocket::Bind(const String& host, int port) {
    sockaddr_in address;
    if (!ResolveAddress(host, port, &address)) return false;
    return ::bind(socket_, reinterpret_cast<const sockaddr*>(&address), sizeof address) >= 0;
}

bool KpSocket::Connect(const String& host, int port) {
    sockaddr_in address;
    if (!ResolveAddress(host, port, &address)) return false;
    return ::connect(socket_, reinterpret_cast<const sockaddr*>(&address), sizeof address) >= 0;
}

bool KpSocket::Listen(int backlog) { return ::listen(socket_, backlog) >= 0; }

bool KpSocket::Accept() {
    // A connection taken earlier but never handed out would leak its handle.
    DropAccepted();
    accepted_ = kp_socket_Accept(socket_);
    return accepted_ >= 0;
}

KpSocket* KpSocket::Accepted() {
    if (accepted_ < 0) return nullptr;
    // Handed over once, so two socket objects never own (and close) one handle.
    KpSocket* connection = new KpSocket(accepted_);
    connection->protocol_ = protocol_;
    accepted_ = -1;
    return connection;
}

void KpSocket::DropAccepted() {
    if (accepted_ >= 0) kp_socket_Close(accepted_);
    accepted_ = -1;
}

int KpSocket::Send(KpDataBuffer* buffer, int offset, int count) {
    unsigned char* bytes = TransferRange(buffer, offset, count);
    if (!bytes) return -1;
    return static_cast<int>(::send(socket_, reinterpret_cast<const char*>(bytes), count, kSocketSendFlags));
}

int KpSocket::Receive(KpDataBuffer* buffer, int offset, int count) {
    unsigned char* bytes = TransferRange(buffer, offset, count);
    if (!bytes) return -1;
    return static_cast<int>(::recv(socket_, reinterpret_cast<char*>(bytes), count, 0));
}

int KpSocket::SendTo(KpDataBuffer* buffer, int offset, int count, KpSocketAddress* address) {
    unsigned char* bytes = TransferRange(buffer, offset, count);
    if (!bytes || !address || !address->IsResolved()) return -1;
    const sockaddr_in& to = address->Address();
    return static_cast<int>(
        ::sendto(socket_, reinterpret_cast<const char*>(bytes), count, kSocketSendFlags,
                 reinterpret_cast<const sockaddr*>(&to), sizeof to));
}

int KpSocket::ReceiveFrom(KpDataBuffer* buffer, int offset, int count, KpSocketAddress* address) {
    unsigned char* bytes = TransferRange(buffer, offset, count);
    if (!bytes) return -1;
    sockaddr_in from = AnyAddress(0);
    socklen_t fromLength = sizeof from;
    int result = static_cast<int>(::recvfrom(socket_, reinterpret_cast<char*>(bytes), count, 0,
                                             reinterpret_cast<sockaddr*>(&from), &fromLength));
    if (result >= 0 && address) address->Set(from);
    return result;
}

int KpSocket::GetLocalAddress(KpSocketAddress* address) {
    if (socket_ < 0) return socket_;
    if (!address) return -1;
    sockaddr_in local = AnyAddress(0);
    socklen_t length = sizeof local;
    int result = ::getsockname(socket_, reinterpret_cast<sockaddr*>(&local), &length);
    if (result >= 0) address->Set(local);
    return result;
}

int KpSocket::GetRemoteAddress(KpSocketAddress* address) {
    if (socket_ < 0) return socket_;
    if (!address) return -1;
    sockaddr_in remote = AnyAddress(0);
    socklen_t length = sizeof remote;
    int result = ::getpeername(socket_, reinterpret_cast<sockaddr*>(&remote), &length);
    if (result >= 0) address->Set(remote);
    return result;
}

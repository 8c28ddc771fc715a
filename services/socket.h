// Blocking IPv4 sockets: TCP clients and servers and UDP datagrams, sending
// from and receiving into data buffers. Every failure is the call's result
// (false, -1 or a negative handle); nothing is printed or thrown.
//
// Host names are resolved with getaddrinfo. An empty host means any address;
// a host that does not resolve makes Bind, Connect and SendTo fail rather
// than quietly using any address. Sends never raise SIGPIPE: a peer that has
// gone gives -1. Offsets and counts outside the buffer fail with -1.
#pragma once

#include "runtime/object.h"
#include "runtime/string.h"

class KpDataBuffer;
struct sockaddr_in;  // the system's, from host/platform_sockets.h

// An IPv4 address and port; Validate fills in its dotted text and port number.
class KpSocketAddress : public Object {
public:
    KpSocketAddress();

    void Set(const String& host, int port);      // resolves host; see IsResolved
    void Set(const KpSocketAddress* other);
    void Set(const sockaddr_in& address);
    void Validate();                             // fills Host() and Port() from the address

    // Queries; Host() and Port() reflect the address after Validate.
    bool IsValid() const { return valid_; }
    const String& Host() const { return host_; }
    int Port() const { return port_; }
    // False after Set from a host that did not resolve or a port outside 0..65535.
    bool IsResolved() const { return resolved_; }
    const sockaddr_in& Address() const;

    static constexpr int kAddressBytes = 16;  // sizeof(sockaddr_in) on every system

private:
    sockaddr_in& In();
    // A sockaddr_in, kept as bytes so that this header needs no system header:
    // family AF_INET; port and address in network order.
    alignas(8) unsigned char address_[kAddressBytes];
    bool valid_ = false;
    bool resolved_ = true;
    String host_;
    int port_ = 0;
};

// A socket handle: TCP for protocols 1 and 2 (Nagle off), UDP for 3.
class KpSocket : public Object {
public:
    static constexpr int kTcp = 1;
    static constexpr int kTcpAlso = 2;  // same as kTcp
    static constexpr int kUdp = 3;

    KpSocket() { InitSockets(); }
    explicit KpSocket(int handle) : socket_(handle) { InitSockets(); }  // adopts an open handle
    ~KpSocket() override;

    // Starts the system's socket library on the first call (Windows needs
    // that before any socket call); nothing to do on POSIX systems.
    static void InitSockets();

    bool Open(int protocol);          // false when already open or protocol not 1..3
    int Close();                      // close's result, or the (negative) handle when closed
    bool Bind(const String& host, int port);
    bool Connect(const String& host, int port);
    bool Listen(int backlog);
    bool Accept();                    // blocks; true when a connection was taken
    KpSocket* Accepted();             // that connection, handed over once; null after a failed Accept

    // Transfers of count bytes at buffer offset; bytes moved, 0 at end of stream, or -1.
    int Send(KpDataBuffer* buffer, int offset, int count);
    int Receive(KpDataBuffer* buffer, int offset, int count);
    int SendTo(KpDataBuffer* buffer, int offset, int count, KpSocketAddress* address);
    int ReceiveFrom(KpDataBuffer* buffer, int offset, int count, KpSocketAddress* address);  // reports the sender

    // Addresses of the two ends: 0 or -1, or the handle when closed.
    int GetLocalAddress(KpSocketAddress* address);
    int GetRemoteAddress(KpSocketAddress* address);

    int Handle() const { return socket_; }
    int Protocol() const { return protocol_; }

private:
    void DropAccepted();

    int socket_ = -1;    // -1 when closed
    int protocol_ = 0;   // the value given to Open
    int accepted_ = -1;  // connection from the last Accept not yet handed out
};

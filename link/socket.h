// TCP sockets of the network links, on POSIX sockets. The classes report every failure by
// throwing a SocketError that carries its text; the link catches it and keeps the text as its
// error. No failure ends the program: writes never raise SIGPIPE.
#pragma once

#include <functional>
#include <stdexcept>
#include <string>

#include "link/transport.h"

class Clock;

class SocketError : public std::runtime_error {
public:
    explicit SocketError(const std::string& text, bool cancelled = false)
        : std::runtime_error(text), cancelled_(cancelled) {}
    // The connect was given up because the user cancelled.
    bool Cancelled() const { return cancelled_; }

private:
    bool cancelled_;
};

// One TCP socket; it owns its descriptor and closes it exactly once (Close or destruction).
// Move-only: nothing shares a descriptor.
class Socket : public ByteTransport {
public:
    // A new IPv4 stream socket; "INVALID_SOCKET" when none can be made.
    Socket();
    // Takes an existing descriptor.
    explicit Socket(int fd);
    ~Socket() override;
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    Socket(Socket&& other) noexcept;
    Socket& operator=(Socket&& other) noexcept;

    // Closes the descriptor (once); always true.
    bool Close() override;
    bool IsOpen() const { return fd_ >= 0; }
    int Handle() const { return fd_; }

    // Sends the whole text. Returns its length, 0 for an empty text, -1 when the connection
    // failed (reset or closed by the peer, or this socket closed).
    int SendBytes(const std::string& bytes);
    // Reads what is waiting, in chunks of at most 1024 bytes, up to maximum bytes in all; never
    // blocks. Throws SocketError when the peer closed the connection or the socket failed.
    std::string ReceiveBytes(std::size_t maximum = kNoLimit);

    // ByteTransport: the same operations on raw bytes.
    int Write(const unsigned char* data, int count) override;
    int Read(unsigned char* buffer, int maximum) override;
    int BytesWaiting() const override;

    static constexpr std::size_t kNoLimit = static_cast<std::size_t>(-1);

protected:
    int fd_ = -1;
};

// Whether the socket has something to read (data, or the peer's close) without blocking.
// Throws "Error in select" when the check itself fails.
bool SocketSelect(const Socket& socket);

// Reads without blocking what the socket has waiting (at most maximum bytes) into out.
// Returns the number of bytes read, 0 when nothing waits, -1 when the peer closed the
// connection or the socket failed.
int ReceiveAvailable(Socket& socket, std::string& out, std::size_t maximum = Socket::kNoLimit);

// A socket connected to host and port when it is made. The connect gives up after timeoutMs of
// the clock, or when cancelled() turns true (it is asked about every 20 ms), instead of blocking
// the window until the system's own time-out.
class SocketClient : public Socket {
public:
    static constexpr int kConnectTimeoutMs = 20000;

    SocketClient(const std::string& host, int port);
    SocketClient(const std::string& host, int port, Clock& clock, std::function<bool()> cancelled,
                 int timeoutMs = kConnectTimeoutMs);
    ~SocketClient() override = default;

private:
    void Connect(const std::string& host, int port, Clock& clock, const std::function<bool()>& cancelled,
                 int timeoutMs);
};

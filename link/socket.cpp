#include "link/socket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "datamodel/seams.h"

namespace {

constexpr std::size_t kChunk = 1024;
constexpr int kConnectStepMs = 20;

bool EndsWithNoCase(const std::string& text, const std::string& tail) {
    if (text.size() < tail.size()) return false;
    return std::equal(tail.rbegin(), tail.rend(), text.rbegin(), [](char a, char b) {
        return a == (b >= 'A' && b <= 'Z' ? static_cast<char>(b - 'A' + 'a') : b);
    });
}

// Names under the reserved "invalid" top-level domain never resolve; they are refused here
// without asking any name server.
bool IsReservedInvalidName(std::string host) {
    while (!host.empty() && host.back() == '.') host.pop_back();
    if (host.empty() || EndsWithNoCase(host, ".invalid")) return true;
    return host.size() == 7 && EndsWithNoCase(host, "invalid");
}

}  // namespace

Socket::Socket() {
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd_ < 0) throw SocketError("INVALID_SOCKET");
}

Socket::Socket(int fd) : fd_(fd) {}

Socket::~Socket() { Close(); }

Socket::Socket(Socket&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }

Socket& Socket::operator=(Socket&& other) noexcept {
    if (this != &other) {
        Close();
        fd_ = other.fd_;
        other.fd_ = -1;
    }
    return *this;
}

bool Socket::Close() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    return true;
}

int Socket::SendBytes(const std::string& bytes) {
    if (bytes.empty()) return 0;
    return Write(reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<int>(bytes.size()));
}

int Socket::Write(const unsigned char* data, int count) {
    if (fd_ < 0 || count < 0) return -1;
    int done = 0;
    while (done < count) {
        ssize_t n = ::send(fd_, data + done, static_cast<size_t>(count - done), MSG_NOSIGNAL);
        if (n > 0) {
            done += static_cast<int>(n);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else {
            return -1;
        }
    }
    return done;
}

std::string Socket::ReceiveBytes(std::size_t maximum) {
    std::string out;
    if (ReceiveAvailable(*this, out, maximum) < 0) throw SocketError(std::strerror(ENOTCONN));
    return out;
}

int Socket::Read(unsigned char* buffer, int maximum) {
    if (fd_ < 0) return -1;
    if (maximum <= 0 || buffer == nullptr) return 0;
    int done = 0;
    while (done < maximum) {
        std::size_t want = std::min<std::size_t>(kChunk, static_cast<std::size_t>(maximum - done));
        ssize_t n = ::recv(fd_, buffer + done, want, MSG_DONTWAIT);
        if (n > 0) {
            done += static_cast<int>(n);
            if (static_cast<std::size_t>(n) < want) break;  // nothing more waiting
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) break;
        // n == 0: the peer closed; n < 0: reset or another failure. Bytes read before it are
        // handed up first; the next read reports the break.
        return done > 0 ? done : -1;
    }
    return done;
}

int Socket::BytesWaiting() const {
    if (fd_ < 0) return 0;
    int waiting = 0;
    if (::ioctl(fd_, FIONREAD, &waiting) != 0) return 0;
    return waiting;
}

bool SocketSelect(const Socket& socket) {
    pollfd p{socket.Handle(), POLLIN, 0};
    int r;
    do {
        r = ::poll(&p, 1, 0);
    } while (r < 0 && errno == EINTR);
    if (r < 0 || (p.revents & POLLNVAL)) throw SocketError("Error in select");
    return r > 0;
}

int ReceiveAvailable(Socket& socket, std::string& out, std::size_t maximum) {
    out.clear();
    try {
        if (!socket.IsOpen() || !SocketSelect(socket)) return socket.IsOpen() ? 0 : -1;
    } catch (const SocketError&) {
        return -1;
    }
    if (maximum == 0) return 0;
    // Size the buffer by what waits; a readable socket with nothing waiting is a closed peer,
    // which the read reports.
    std::size_t waiting = static_cast<std::size_t>(std::max(socket.BytesWaiting(), 1));
    std::size_t limit = std::min(maximum, waiting);
    out.resize(limit);
    int n = socket.Read(reinterpret_cast<unsigned char*>(out.data()), static_cast<int>(limit));
    if (n < 0) {
        out.clear();
        return -1;
    }
    out.resize(static_cast<std::size_t>(n));
    return n;
}

SocketClient::SocketClient(const std::string& host, int port) {
    Connect(host, port, SystemClock(), {}, kConnectTimeoutMs);
}

SocketClient::SocketClient(const std::string& host, int port, Clock& clock, std::function<bool()> cancelled,
                           int timeoutMs) {
    Connect(host, port, clock, cancelled, timeoutMs);
}

void SocketClient::Connect(const std::string& host, int port, Clock& clock,
                           const std::function<bool()>& cancelled, int timeoutMs) {
    // A port number that does not fit 16 bits would silently become another port.
    if (port < 1 || port > 65535) {
        Close();
        throw SocketError(std::strerror(EINVAL));
    }
    if (IsReservedInvalidName(host)) {
        Close();
        throw SocketError(::gai_strerror(EAI_NONAME));
    }
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    int g = ::getaddrinfo(host.c_str(), nullptr, &hints, &found);
    if (g != 0 || found == nullptr) {
        std::string text = g == EAI_SYSTEM ? std::strerror(errno) : ::gai_strerror(g);
        if (found) ::freeaddrinfo(found);
        Close();
        throw SocketError(text);
    }
    sockaddr_in address{};
    std::memcpy(&address, found->ai_addr, std::min<std::size_t>(sizeof address, found->ai_addrlen));
    ::freeaddrinfo(found);
    address.sin_port = htons(static_cast<uint16_t>(port));

    auto fail = [this](int error) {
        Close();
        throw SocketError(std::strerror(error));
    };
    int flags = ::fcntl(fd_, F_GETFL, 0);
    if (flags < 0 || ::fcntl(fd_, F_SETFL, flags | O_NONBLOCK) != 0) fail(errno);
    if (::connect(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        if (errno != EINPROGRESS && errno != EINTR) fail(errno);
        std::int64_t deadline = clock.MonotonicMs() + timeoutMs;
        for (;;) {
            pollfd p{fd_, POLLOUT, 0};
            int r = ::poll(&p, 1, 1);
            if (r < 0 && errno != EINTR) fail(errno);
            if (r > 0) break;
            if (cancelled && cancelled()) {
                Close();
                throw SocketError("Cancelled", true);
            }
            if (clock.MonotonicMs() >= deadline) fail(ETIMEDOUT);
            clock.PollMs(kConnectStepMs);
        }
        int error = 0;
        socklen_t size = sizeof error;
        if (::getsockopt(fd_, SOL_SOCKET, SO_ERROR, &error, &size) != 0) fail(errno);
        if (error != 0) fail(error);
    }
    // Back to blocking writes, bounded so that a peer that stopped reading cannot hold the
    // window; reads use MSG_DONTWAIT and never block.
    if (::fcntl(fd_, F_SETFL, flags) != 0) fail(errno);
    timeval sendLimit{5, 0};
    ::setsockopt(fd_, SOL_SOCKET, SO_SNDTIMEO, &sendLimit, sizeof sendLimit);
}

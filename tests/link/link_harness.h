// Test peers of the link, all on the virtual clock so no test waits in real time: a pty standing
// in for a serial port, the fake modem behind a pty or an in-memory pipe, loopback TCP helpers and
// scripted UI seams, beside the frame layer on a pipe of wire_fixture.h.
#pragma once

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "link/serial.h"
#include "support/fake_ui.h"
#include "support/fake_modem.h"
#include "wire_fixture.h"

inline Bytes B(std::initializer_list<int> values) {
    Bytes out;
    for (int v : values) out.push_back(static_cast<std::uint8_t>(v));
    return out;
}

// A pty pair; the slave path is what the link opens as its port.
class Pty {
public:
    Pty() {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (master_ >= 0 && (::grantpt(master_) != 0 || ::unlockpt(master_) != 0)) CloseMaster();
        if (master_ >= 0) path_ = ::ptsname(master_);
    }
    ~Pty() { CloseMaster(); }
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;
    bool Ok() const { return master_ >= 0; }
    const std::string& SlavePath() const { return path_; }
    void CloseMaster() {
        if (master_ >= 0) ::close(master_);
        master_ = -1;
    }
    std::string ReadMaster() {
        std::string out;
        char buffer[512];
        ssize_t n;
        while (master_ >= 0 && (n = ::read(master_, buffer, sizeof buffer)) > 0) out.append(buffer, static_cast<std::size_t>(n));
        return out;
    }
    bool WriteMaster(const std::string& bytes) {
        return ::write(master_, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    }
    bool SlaveOpen() const {
        pollfd p{master_, POLLIN, 0};
        ::poll(&p, 1, 0);
        return !(p.revents & POLLHUP);
    }

private:
    int master_ = -1;
    std::string path_;
};

// Points a port number at a test path for the life of the object.
struct PortOverride {
    PortOverride(int port, const std::string& path) : port_(port) { SetSerialDeviceOverride(port, path); }
    ~PortOverride() { SetSerialDeviceOverride(port_, ""); }
    int port_;
};

// The fake modem behind a pty (reached through the real serial port) or an in-memory pipe,
// pumped after every sleep. Closing the port drops the modem's call, as DTR falling does.
class ModemPeer {
public:
    ModemPeer(VirtualClock& clock, FakeModem& modem, bool overPty) : modem_(modem) {
        if (overPty) pty_ = std::make_unique<Pty>();
        clock.OnSleep([this](std::int64_t now) { Pump(now); });
        pipe_.LinkEnd().OnClose([this] { modem_.PortClosed(); });
    }
    PipeTransport& Pipe() { return pipe_; }
    PipeTransport::End& Port() { return pipe_.LinkEnd(); }
    Pty* PtyEnd() { return pty_.get(); }
    void Pump(std::int64_t now) {
        bool open = !pty_ || pty_->SlaveOpen();
        std::string in;
        if (pty_ && open) {
            in = pty_->ReadMaster();
        } else if (pty_ && slaveWasOpen_) {
            modem_.PortClosed();
        } else if (!pty_) {
            unsigned char buffer[512];
            int n;
            while ((n = pipe_.PeerEnd().Read(buffer, sizeof buffer)) > 0) in.append(reinterpret_cast<char*>(buffer), n);
        }
        slaveWasOpen_ = open;
        if (!in.empty()) modem_.Receive(in, now);
        modem_.Tick(now);
        std::string out = modem_.TakeOutput();
        if (out.empty() || !open) return;
        if (pty_)
            pty_->WriteMaster(out);
        else
            pipe_.PeerEnd().Write(reinterpret_cast<const unsigned char*>(out.data()), static_cast<int>(out.size()));
    }

private:
    FakeModem& modem_;
    PipeTransport pipe_;
    std::unique_ptr<Pty> pty_;
    bool slaveWasOpen_ = false;
};

// ---- loopback TCP ----

inline int BoundSocket(int& port) {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t size = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
    port = ntohs(address.sin_port);
    return fd;  // bound, nobody listening: a connect is refused
}

class Listener {
public:
    explicit Listener(int backlog = 8) {
        fd_ = BoundSocket(port_);
        ::listen(fd_, backlog);
    }
    ~Listener() { ::close(fd_); }
    int Port() const { return port_; }
    // The next connection that completed, or -1.
    int Accept() {
        pollfd p{fd_, POLLIN, 0};
        return ::poll(&p, 1, 2000) > 0 ? ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC) : -1;
    }

private:
    int fd_ = -1;
    int port_ = 0;
};

inline void SendAll(int fd, const std::string& bytes) {
    for (std::size_t done = 0; done < bytes.size();) {
        ssize_t n = ::send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
        if (n <= 0) return;
        done += static_cast<std::size_t>(n);
    }
}

// What has arrived at fd (waiting briefly for the first byte).
inline std::string ReadAll(int fd) {
    std::string out;
    char buffer[4096];
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, 1000) <= 0) return out;
    ssize_t n;
    while ((n = ::recv(fd, buffer, sizeof buffer, MSG_DONTWAIT)) > 0) out.append(buffer, static_cast<std::size_t>(n));
    return out;
}

// Closes with a reset instead of an orderly close.
inline void ResetAndClose(int fd) {
    linger l{1, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &l, sizeof l);
    ::close(fd);
}

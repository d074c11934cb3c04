// Test peers of the link: a pseudo-terminal standing in for a serial port, the fake Hayes modem
// behind a pty or behind an in-memory pipe, both pumped from the virtual clock's sleep hook so
// everything runs in order and costs no real time, and a scripted progress dialog.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "datamodel/seams.h"
#include "link/transport.h"
#include "support/fake_modem.h"
#include "support/virtual_clock.h"

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
    int Master() const { return master_; }
    void CloseMaster() {
        if (master_ >= 0) ::close(master_);
        master_ = -1;
    }
    // Everything the slave side has written so far.
    std::string ReadMaster() {
        std::string out;
        char buffer[512];
        for (;;) {
            ssize_t n = master_ >= 0 ? ::read(master_, buffer, sizeof buffer) : -1;
            if (n <= 0) break;
            out.append(buffer, static_cast<std::size_t>(n));
        }
        return out;
    }
    bool WriteMaster(const std::string& bytes) {
        return ::write(master_, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    }
    // Whether a slave is open now.
    bool SlaveOpen() const {
        pollfd p{master_, POLLIN, 0};
        ::poll(&p, 1, 0);
        return !(p.revents & POLLHUP);
    }

private:
    int master_ = -1;
    std::string path_;
};

// The fake modem at the master side of a pty. Closing the slave (the link closing its port)
// drops the modem's call, as DTR falling does.
class PtyModem {
public:
    PtyModem(VirtualClock& clock, FakeModem& modem) : modem_(modem) {
        clock.OnSleep([this](std::int64_t now) { Pump(now); });
    }
    const std::string& SlavePath() const { return pty_.SlavePath(); }
    bool Ok() const { return pty_.Ok(); }
    void Pump(std::int64_t now) {
        bool open = pty_.SlaveOpen();
        if (open) {
            std::string in = pty_.ReadMaster();
            if (!in.empty()) modem_.Receive(in, now);
        } else if (slaveWasOpen_) {
            modem_.PortClosed();
        }
        slaveWasOpen_ = open;
        modem_.Tick(now);
        std::string out = modem_.TakeOutput();
        if (open && !out.empty()) pty_.WriteMaster(out);
    }

private:
    FakeModem& modem_;
    Pty pty_;
    bool slaveWasOpen_ = false;
};

// The fake modem at the far end of an in-memory pipe.
class PipeModem {
public:
    PipeModem(VirtualClock& clock, FakeModem& modem) : modem_(modem) {
        clock.OnSleep([this](std::int64_t now) { Pump(now); });
        pipe_.LinkEnd().OnClose([this] { modem_.PortClosed(); });
    }
    PipeTransport& Pipe() { return pipe_; }
    ByteTransport& LinkEnd() { return pipe_.LinkEnd(); }
    void Pump(std::int64_t now) {
        unsigned char buffer[512];
        std::string in;
        int n;
        while ((n = pipe_.PeerEnd().Read(buffer, sizeof buffer)) > 0) in.append(reinterpret_cast<char*>(buffer), n);
        if (!in.empty()) modem_.Receive(in, now);
        modem_.Tick(now);
        std::string out = modem_.TakeOutput();
        if (!out.empty())
            pipe_.PeerEnd().Write(reinterpret_cast<const unsigned char*>(out.data()), static_cast<int>(out.size()));
    }

private:
    FakeModem& modem_;
    PipeTransport pipe_;
};

// A progress dialog that records its messages and reports Cancel once cancelIf says so.
class ScriptedProgress final : public ProgressDialog {
public:
    bool Update(int value, const std::string& message) override {
        ++updates;
        lastValue = value;
        if (!message.empty()) messages.push_back(message);
        if (!cancelled && cancelIf && cancelIf()) cancelled = true;
        return !cancelled;
    }
    bool WasCancelled() const override { return cancelled; }

    std::function<bool()> cancelIf;
    bool cancelled = false;
    int updates = 0;
    int lastValue = 0;
    std::vector<std::string> messages;
};

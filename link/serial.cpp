#include "link/serial.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>

namespace {

// The number ranges of the port mapping: first number, device prefix, how many.
struct PortRange {
    int first;
    const char* prefix;
    int count;
    bool usb;
};
constexpr PortRange kRanges[] = {
    {1, "/dev/ttyS", 99, false},
    {100, "/dev/ttyUSB", 100, true},
    {200, "/dev/ttyACM", 100, true},
};

std::map<int, std::string>& Overrides() {
    static std::map<int, std::string> overrides;
    return overrides;
}

speed_t SpeedOf(int baud) {
    switch (baud) {
        case 300: return B300;
        case 600: return B600;
        case 1200: return B1200;
        case 2400: return B2400;
        case 4800: return B4800;
        case 9600: return B9600;
        case 19200: return B19200;
        case 38400: return B38400;
        case 57600: return B57600;
        case 115200: return B115200;
        case 230400: return B230400;
        default: return 0;
    }
}

bool IsMissingErrno(int e) { return e == ENOENT || e == ENODEV || e == ENXIO || e == ENOTDIR || e == EIO; }

// Modem-line ioctls fail with these on devices without modem lines (a pty).
bool NoModemLines(int e) { return e == ENOTTY || e == EINVAL; }

std::string ReadFirstLine(const std::filesystem::path& file) {
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    return line;
}

}  // namespace

std::string SerialDevicePath(int port) {
    auto found = Overrides().find(port);
    if (found != Overrides().end()) return found->second;
    for (const PortRange& range : kRanges) {
        if (port >= range.first && port < range.first + range.count)
            return range.prefix + std::to_string(port - range.first);
    }
    return std::string();
}

std::string SerialPortName(int port) { return "COM" + std::to_string(port); }

void SetSerialDeviceOverride(int port, const std::string& path) {
    if (path.empty())
        Overrides().erase(port);
    else
        Overrides()[port] = path;
}

void ClearSerialDeviceOverrides() { Overrides().clear(); }

std::string SerialPortInfo::Label() const {
    return name + (usb ? " (USB)" : "") + " " + device;
}

std::vector<SerialPortInfo> ListSerialPorts(const std::string& sysClassTty) {
    namespace fs = std::filesystem;
    std::vector<SerialPortInfo> ports;
    std::error_code ec;
    for (const fs::directory_entry& entry : fs::directory_iterator(sysClassTty, ec)) {
        std::string tty = entry.path().filename().string();
        for (const PortRange& range : kRanges) {
            std::string prefix = fs::path(range.prefix).filename().string();  // "ttyS"
            if (tty.size() <= prefix.size() || tty.compare(0, prefix.size(), prefix) != 0) continue;
            std::string digits = tty.substr(prefix.size());
            if (digits.size() > 2 || !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) continue;
            int index = std::stoi(digits);
            if (index >= range.count) continue;
            // Only ports with a device behind them; a legacy 8250 port without a UART reports
            // type 0.
            if (!fs::exists(entry.path() / "device", ec)) continue;
            if (!range.usb && fs::exists(entry.path() / "type", ec) &&
                ReadFirstLine(entry.path() / "type") == "0")
                continue;
            SerialPortInfo info;
            info.number = range.first + index;
            info.name = SerialPortName(info.number);
            info.device = range.prefix + digits;
            info.usb = range.usb;
            if (!info.usb) {
                // A ttyS-named port may still sit on USB (rare); the device link tells.
                fs::path real = fs::weakly_canonical(entry.path() / "device", ec);
                info.usb = real.string().find("/usb") != std::string::npos;
            }
            ports.push_back(info);
        }
    }
    std::sort(ports.begin(), ports.end(),
              [](const SerialPortInfo& a, const SerialPortInfo& b) { return a.number < b.number; });
    return ports;
}

CSerial::~CSerial() { Close(); }

bool CSerial::Fail(SerialStatus status, const std::string& reason) {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    status_ = status;
    reason_ = reason;
    return false;
}

bool CSerial::Open(int port, int baud, int dataBits, int stopBits, int parity) {
    if (IsOpen()) return true;
    path_ = SerialDevicePath(port);
    std::string what = SerialPortName(port) + " (" + path_ + "): ";
    if (path_.empty()) return Fail(SerialStatus::Missing, SerialPortName(port) + ": no existe");

    fd_ = ::open(path_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0) {
        int e = errno;
        if (IsMissingErrno(e)) return Fail(SerialStatus::Missing, what + "no existe");
        if (e == EACCES || e == EPERM) return Fail(SerialStatus::NoPermission, what + "sin permiso");
        if (e == EBUSY) return Fail(SerialStatus::Busy, what + "ocupado");
        return Fail(SerialStatus::Failed, what + std::strerror(e));
    }
    if (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
        int e = errno;
        if (e == EWOULDBLOCK) return Fail(SerialStatus::Busy, what + "ocupado");
        return Fail(SerialStatus::Failed, what + std::strerror(e));
    }
    // Other (non-root) openers get EBUSY while we hold the port.
    ::ioctl(fd_, TIOCEXCL);

    termios tio{};
    if (::tcgetattr(fd_, &tio) != 0) return Fail(SerialStatus::NotSerial, what + std::strerror(errno));
    ::cfmakeraw(&tio);
    speed_t speed = SpeedOf(baud);
    if (speed == 0) return Fail(SerialStatus::BadSettings, what + "velocidad no admitida");
    ::cfsetispeed(&tio, speed);
    ::cfsetospeed(&tio, speed);
    tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | CSTOPB | PARENB | PARODD | CMSPAR | CRTSCTS);
    switch (dataBits) {
        case 5: tio.c_cflag |= CS5; break;
        case 6: tio.c_cflag |= CS6; break;
        case 7: tio.c_cflag |= CS7; break;
        case 8: tio.c_cflag |= CS8; break;
        default: return Fail(SerialStatus::BadSettings, what + "bits de datos no admitidos");
    }
    switch (stopBits) {
        case 0: break;
        case 1:  // one and a half exist only with 5 data bits, where the driver sends them for CSTOPB
            if (dataBits != 5) return Fail(SerialStatus::BadSettings, what + "bits de stop no admitidos");
            tio.c_cflag |= CSTOPB;
            break;
        case 2: tio.c_cflag |= CSTOPB; break;
        default: return Fail(SerialStatus::BadSettings, what + "bits de stop no admitidos");
    }
    switch (parity) {
        case 0: break;
        case 1: tio.c_cflag |= PARENB | PARODD; break;
        case 2: tio.c_cflag |= PARENB; break;
        case 3: tio.c_cflag |= PARENB | PARODD | CMSPAR; break;
        case 4: tio.c_cflag |= PARENB | CMSPAR; break;
        default: return Fail(SerialStatus::BadSettings, what + "paridad no admitida");
    }
    // Local line, receiver on, DTR dropped on close (so closing the port hangs up a modem call
    // still up); no software or hardware flow control.
    tio.c_cflag |= CLOCAL | CREAD | HUPCL;
    tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    if (::tcsetattr(fd_, TCSANOW, &tio) != 0) {
        int e = errno;
        return Fail(e == EINVAL ? SerialStatus::BadSettings : SerialStatus::Failed, what + std::strerror(e));
    }
    // Bytes that arrived before the open are stale.
    ::tcflush(fd_, TCIOFLUSH);
    int lines = TIOCM_DTR | TIOCM_RTS;
    if (::ioctl(fd_, TIOCMBIS, &lines) != 0 && !NoModemLines(errno))
        return Fail(SerialStatus::Failed, what + std::strerror(errno));
    status_ = SerialStatus::Ok;
    reason_.clear();
    return true;
}

bool CSerial::Close() {
    if (fd_ >= 0) {
        ::close(fd_);  // also drops the lock
        fd_ = -1;
    }
    return true;
}

int CSerial::Send(const unsigned char* bytes, int count) {
    if (!IsOpen()) return 0;
    if (count <= 0 || bytes == nullptr) return 0;
    // A bound on how long the driver's queue may stay full, not a pause of the program: poll
    // returns as soon as there is room.
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(5000);
    int done = 0;
    while (done < count) {
        ssize_t n = ::write(fd_, bytes + done, static_cast<size_t>(count - done));
        if (n > 0) {
            done += static_cast<int>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN) return done > 0 ? done : -1;
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) break;
        pollfd p{fd_, POLLOUT, 0};
        int r = ::poll(&p, 1, static_cast<int>(left.count()));
        if (r < 0 && errno != EINTR) return done > 0 ? done : -1;
        if (r > 0 && (p.revents & (POLLERR | POLLHUP | POLLNVAL))) return done > 0 ? done : -1;
    }
    return done;
}

int CSerial::Read(unsigned char* buffer, int maximum) {
    if (!IsOpen()) return 0;
    pollfd p{fd_, POLLIN, 0};
    int r = ::poll(&p, 1, 0);
    if (r < 0) return errno == EINTR ? 0 : -1;
    if (r == 0) return 0;
    if (p.revents & POLLNVAL) return -1;
    if (p.revents & POLLIN) {
        if (maximum <= 0 || buffer == nullptr) return 0;
        ssize_t n = ::read(fd_, buffer, static_cast<size_t>(maximum));
        if (n > 0) return static_cast<int>(n);
        if (n < 0 && (errno == EAGAIN || errno == EINTR)) return 0;
        if (n < 0) return -1;  // EIO, ENXIO, ENODEV: the device went away
    }
    // Nothing to read, yet the device reports a hang-up or an error.
    if (p.revents & (POLLHUP | POLLERR)) return -1;
    return 0;
}

bool CSerial::SetRts(int state, int mode) {
    if (!IsOpen()) return false;
    int bit = TIOCM_RTS;
    // Without hardware flow control "handshake" leaves RTS asserted.
    bool on = state == 1 || mode != 2;
    if (::ioctl(fd_, on ? TIOCMBIS : TIOCMBIC, &bit) == 0) return true;
    return NoModemLines(errno);
}

bool CSerial::SetRtsToggle() {
    if (!IsOpen()) return false;
    serial_rs485 rs485{};
    rs485.flags = SER_RS485_ENABLED | SER_RS485_RTS_ON_SEND;
    return ::ioctl(fd_, TIOCSRS485, &rs485) == 0;
}

int CSerial::BytesWaiting() const {
    if (!IsOpen()) return 0;
    // Polling first lets the driver move what has arrived into the input queue.
    pollfd p{fd_, POLLIN, 0};
    ::poll(&p, 1, 0);
    int queued = 0;
    if (::ioctl(fd_, FIONREAD, &queued) != 0) return 0;
    return queued;
}

bool CSerial::PortExists(int port) {
    std::string path = SerialDevicePath(port);
    if (path.empty()) return false;
    int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0) {
        ::close(fd);
        return true;
    }
    // Held by another program or forbidden to this user: it is there all the same.
    return !IsMissingErrno(errno);
}

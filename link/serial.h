// The serial port of the local and modem links, on POSIX termios.
//
// Ports are known by number, as the settings keep them ("portcom"). The one mapping from a
// number to a device is here:
//     COM1   .. COM99   ->  /dev/ttyS0   .. /dev/ttyS98
//     COM100 .. COM199  ->  /dev/ttyUSB0 .. /dev/ttyUSB99   (USB serial adapters)
//     COM200 .. COM299  ->  /dev/ttyACM0 .. /dev/ttyACM99   (USB modems, CDC ACM)
// Any other number has no device. Tests point a number at a pseudo-terminal through
// SetSerialDeviceOverride; the override takes precedence over the table.
//
// A port is opened without becoming the controlling terminal, non-blocking, in raw mode, with
// an advisory exclusive lock (flock), so a port that another program holds reads as busy.
// Line settings use the codes the settings file keeps: stop bits 0 = 1, 1 = 1.5, 2 = 2;
// parity 0 none, 1 odd, 2 even, 3 mark, 4 space.
#pragma once

#include <string>
#include <vector>

#include "link/transport.h"

// The device path of a port number, "" when the number has none.
std::string SerialDevicePath(int port);
// "COM" followed by the number.
std::string SerialPortName(int port);
// Points a port number at another device path (a pty in tests); an empty path removes it.
void SetSerialDeviceOverride(int port, const std::string& path);
void ClearSerialDeviceOverrides();

// One port present on the machine, for the link dialogue.
struct SerialPortInfo {
    int number = 0;       // the "COM" number of the mapping above
    std::string name;     // "COM3"
    std::string device;   // "/dev/ttyS2"
    bool usb = false;     // a USB adapter or modem
    // "COM100 (USB) /dev/ttyUSB0": the name first, so the number reads from its fourth character.
    std::string Label() const;
};
// The ports present, from the tty class folder of sysfs (the parameter exists for tests),
// sorted by number. Legacy ttyS ports without a UART behind them are left out.
std::vector<SerialPortInfo> ListSerialPorts(const std::string& sysClassTty = "/sys/class/tty");

// Why the last open failed.
enum class SerialStatus {
    Ok,
    Missing,       // no such device
    Busy,          // held by another program (or another open of this one)
    NoPermission,  // the user may not open it (dialout group)
    BadSettings,   // line settings the driver does not take
    NotSerial,     // the path is no terminal device
    Failed,        // any other error
};

class CSerial final : public ByteTransport {
public:
    CSerial() = default;
    ~CSerial() override;
    CSerial(const CSerial&) = delete;
    CSerial& operator=(const CSerial&) = delete;

    // Opens the port with the given line settings; an open port gives true at once.
    bool Open(int port, int baud, int dataBits, int stopBits, int parity);
    // Always true; closing a closed port does nothing.
    bool Close() override;
    bool IsOpen() const { return fd_ >= 0; }
    // Writes, waiting at most 5000 ms for room in the driver's queue. Returns the count written,
    // 0 on a closed port, -1 when the device failed.
    int Send(const unsigned char* bytes, int count);
    // Never blocks: the bytes queued, at most maximum. 0 when none (or closed), -1 when the
    // device went away or hung up (an unplugged USB adapter, a closed pty master).
    int Read(unsigned char* buffer, int maximum) override;
    // RTS: state 1 on; otherwise mode 2 off, any other mode handshake (asserted: the port runs
    // without hardware flow control). A port without modem lines (a pty) accepts it.
    bool SetRts(int state, int mode) override;
    // RTS raised by the driver while sending (RS-485 mode); false when the driver lacks it.
    bool SetRtsToggle();
    // Bytes queued by the driver; 0 on a closed port.
    int BytesWaiting() const override;

    // Whether the port is there: true when it can be opened or exists but is held or forbidden,
    // false when it is missing.
    static bool PortExists(int port);

    SerialStatus LastStatus() const { return status_; }
    // The precise reason of the last failed open, for the log ("" after a good open).
    const std::string& LastReason() const { return reason_; }
    const std::string& DevicePath() const { return path_; }

    // ByteTransport.
    int Write(const unsigned char* data, int count) override { return Send(data, count); }

private:
    bool Fail(SerialStatus status, const std::string& reason);

    int fd_ = -1;
    std::string path_;
    SerialStatus status_ = SerialStatus::Ok;
    std::string reason_;
};

#include <gtest/gtest.h>
#include <sys/file.h>

#include "link/serial.h"
#include "link_harness.h"
#include "support/temp_dir.h"

namespace {

// Maps a port number of the USB-modem range at a test path for the life of the test.
struct PortOverride {
    PortOverride(int port, const std::string& path) : port_(port) { SetSerialDeviceOverride(port, path); }
    ~PortOverride() { SetSerialDeviceOverride(port_, ""); }
    int port_;
};

constexpr int kTestPort = 250;

std::string AsText(const unsigned char* bytes, int n) { return std::string(reinterpret_cast<const char*>(bytes), n); }

}  // namespace

TEST(SerialMapping, NumbersMapToDevicesInOneTable) {
    EXPECT_EQ(SerialDevicePath(1), "/dev/ttyS0");
    EXPECT_EQ(SerialDevicePath(99), "/dev/ttyS98");
    EXPECT_EQ(SerialDevicePath(100), "/dev/ttyUSB0");
    EXPECT_EQ(SerialDevicePath(199), "/dev/ttyUSB99");
    EXPECT_EQ(SerialDevicePath(200), "/dev/ttyACM0");
    EXPECT_EQ(SerialDevicePath(299), "/dev/ttyACM99");
    EXPECT_EQ(SerialDevicePath(0), "");
    EXPECT_EQ(SerialDevicePath(300), "");
    EXPECT_EQ(SerialDevicePath(-1), "");
    EXPECT_EQ(SerialPortName(12), "COM12");
    {
        PortOverride o(5, "/tmp/somewhere");
        EXPECT_EQ(SerialDevicePath(5), "/tmp/somewhere");
    }
    EXPECT_EQ(SerialDevicePath(5), "/dev/ttyS4");
}

TEST(SerialMapping, ListsThePortsPresentWithTheirNamesAndUsbMarks) {
    TempDir sys;
    sys.Write("ttyS0/type", "4\n");
    sys.Write("ttyS0/device/driver", "");
    sys.Write("ttyS1/type", "0\n");  // a legacy port without a UART
    sys.Write("ttyS1/device/driver", "");
    sys.Write("ttyS2/type", "4\n");  // no device behind it
    sys.Write("ttyUSB0/device/driver", "");
    sys.Write("ttyACM3/device/driver", "");
    sys.Write("tty0/dev", "4:0");
    sys.Write("ttyUSB100/device/driver", "");  // outside the mapping
    std::vector<SerialPortInfo> ports = ListSerialPorts(sys.Path().string());
    ASSERT_EQ(ports.size(), 3u);
    EXPECT_EQ(ports[0].Label(), "COM1 /dev/ttyS0");
    EXPECT_FALSE(ports[0].usb);
    EXPECT_EQ(ports[1].Label(), "COM100 (USB) /dev/ttyUSB0");
    EXPECT_EQ(ports[2].number, 203);
    EXPECT_EQ(ports[2].device, "/dev/ttyACM3");
    EXPECT_TRUE(ports[2].usb);
    EXPECT_TRUE(ListSerialPorts((sys.Path() / "missing").string()).empty());
}

TEST(SerialPort, PtyCarriesBytesBothWaysAndReadsNeverBlock) {
    Pty pty;
    ASSERT_TRUE(pty.Ok());
    PortOverride o(kTestPort, pty.SlavePath());
    CSerial port;
    unsigned char buffer[64];
    EXPECT_EQ(port.Read(buffer, 64), 0);  // closed
    EXPECT_EQ(port.Send(reinterpret_cast<const unsigned char*>("x"), 1), 0);
    EXPECT_FALSE(port.SetRts(1, 1));
    ASSERT_TRUE(port.Open(kTestPort, 19200, 8, 0, 0)) << port.LastReason();
    EXPECT_EQ(port.LastStatus(), SerialStatus::Ok);
    EXPECT_TRUE(port.Open(kTestPort, 9600, 7, 2, 2));  // already open: true, not reopened
    EXPECT_EQ(port.Read(buffer, 64), 0);
    EXPECT_EQ(port.BytesWaiting(), 0);

    ASSERT_TRUE(pty.WriteMaster("hello panel"));
    EXPECT_EQ(port.BytesWaiting(), 11);
    int n = port.Read(buffer, 5);
    EXPECT_EQ(AsText(buffer, n), "hello");
    n = port.Read(buffer, 64);
    EXPECT_EQ(AsText(buffer, n), " panel");

    EXPECT_EQ(port.Send(reinterpret_cast<const unsigned char*>("\x16\x01\x90"), 3), 3);
    EXPECT_EQ(pty.ReadMaster(), "\x16\x01\x90");
    // A pty has no modem lines: RTS is accepted all the same.
    EXPECT_TRUE(port.SetRts(1, 2));
    EXPECT_TRUE(port.SetRts(0, 2));
    EXPECT_TRUE(port.SetRts(0, 3));
    EXPECT_FALSE(port.SetRtsToggle());  // no RS-485 mode on a pty
    EXPECT_TRUE(port.Close());
    EXPECT_TRUE(port.Close());
    EXPECT_FALSE(port.IsOpen());
}

TEST(SerialPort, HangUpOfTheFarSideReadsAsABrokenLink) {
    Pty pty;
    ASSERT_TRUE(pty.Ok());
    PortOverride o(kTestPort, pty.SlavePath());
    CSerial port;
    ASSERT_TRUE(port.Open(kTestPort, 9600, 8, 0, 0));
    pty.CloseMaster();  // like a USB adapter pulled out
    unsigned char buffer[8];
    EXPECT_LT(port.Read(buffer, 8), 0);
    EXPECT_LT(port.Send(buffer, 1), 0);
}

TEST(SerialPort, MissingBusyAndUnusablePortsAreToldApart) {
    TempDir dir;
    {
        PortOverride o(kTestPort, (dir / "no-such-tty").string());
        CSerial port;
        EXPECT_FALSE(port.Open(kTestPort, 9600, 8, 0, 0));
        EXPECT_EQ(port.LastStatus(), SerialStatus::Missing);
        EXPECT_NE(port.LastReason().find("COM250"), std::string::npos);
        EXPECT_FALSE(CSerial::PortExists(kTestPort));
    }
    EXPECT_FALSE(CSerial::PortExists(0));
    {
        CSerial port;
        EXPECT_FALSE(port.Open(0, 9600, 8, 0, 0));  // no device for 0
        EXPECT_EQ(port.LastStatus(), SerialStatus::Missing);
    }
    {
        dir.Write("plain-file", "");
        PortOverride o(kTestPort, (dir / "plain-file").string());
        CSerial port;
        EXPECT_FALSE(port.Open(kTestPort, 9600, 8, 0, 0));
        EXPECT_EQ(port.LastStatus(), SerialStatus::NotSerial);
        EXPECT_FALSE(port.IsOpen());
    }
    Pty pty;
    ASSERT_TRUE(pty.Ok());
    PortOverride o(kTestPort, pty.SlavePath());
    {
        // Another program holds the port.
        int other = ::open(pty.SlavePath().c_str(), O_RDWR | O_NOCTTY);
        ASSERT_GE(other, 0);
        ASSERT_EQ(::flock(other, LOCK_EX | LOCK_NB), 0);
        CSerial port;
        EXPECT_FALSE(port.Open(kTestPort, 9600, 8, 0, 0));
        EXPECT_EQ(port.LastStatus(), SerialStatus::Busy);
        EXPECT_TRUE(CSerial::PortExists(kTestPort));
        ::close(other);
        EXPECT_TRUE(port.Open(kTestPort, 9600, 8, 0, 0));
        // A second object on the same port is refused while the first holds it.
        CSerial second;
        EXPECT_FALSE(second.Open(kTestPort, 9600, 8, 0, 0));
        EXPECT_EQ(second.LastStatus(), SerialStatus::Busy);
    }
    CSerial port;
    EXPECT_FALSE(port.Open(kTestPort, 9600, 4, 0, 0));  // no driver takes 4 data bits
    EXPECT_EQ(port.LastStatus(), SerialStatus::BadSettings);
    EXPECT_FALSE(port.Open(kTestPort, 1234, 8, 0, 0));
    EXPECT_EQ(port.LastStatus(), SerialStatus::BadSettings);
    EXPECT_FALSE(port.Open(kTestPort, 9600, 8, 1, 0));  // 1.5 stop bits only with 5 data bits
    EXPECT_FALSE(port.Open(kTestPort, 9600, 8, 0, 5));
    EXPECT_FALSE(port.IsOpen());
    EXPECT_TRUE(port.Open(kTestPort, 1200, 5, 1, 3));  // mark parity, 1.5 stop bits
    EXPECT_TRUE(port.IsOpen());
}

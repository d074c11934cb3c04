// The serial port on pseudo-terminals, the port-number mapping and the port list.
#include <gtest/gtest.h>
#include <sys/file.h>

#include "link_harness.h"
#include "support/temp_dir.h"

namespace {

constexpr int kTestPort = 250;

std::string AsText(const unsigned char* bytes, int n) { return std::string(reinterpret_cast<const char*>(bytes), n); }

}  // namespace

TEST(SerialMapping, NumbersMapToDevicesInOneTableAndPresentPortsAreListed) {
    const std::pair<int, const char*> paths[] = {{1, "/dev/ttyS0"},     {99, "/dev/ttyS98"},   {100, "/dev/ttyUSB0"},
                                                 {199, "/dev/ttyUSB99"}, {200, "/dev/ttyACM0"}, {299, "/dev/ttyACM99"},
                                                 {0, ""},               {300, ""},             {-1, ""}};
    for (auto [port, path] : paths) EXPECT_EQ(SerialDevicePath(port), path) << port;
    {
        PortOverride o(5, "/tmp/somewhere");
        EXPECT_EQ(SerialDevicePath(5), "/tmp/somewhere");
    }
    EXPECT_EQ(SerialDevicePath(5), "/dev/ttyS4");

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
    EXPECT_EQ(ports[1].Label(), "COM100 (USB) /dev/ttyUSB0");
    EXPECT_EQ(ports[2].Label(), "COM203 (USB) /dev/ttyACM3");
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
    EXPECT_TRUE(port.SetRts(1, 2) && port.SetRts(0, 2) && port.SetRts(0, 3));
    EXPECT_FALSE(port.SetRtsToggle());  // no RS-485 mode on a pty
    EXPECT_TRUE(port.Close());
    EXPECT_TRUE(port.Close());

    // The far side hangs up, like a USB adapter pulled out: a broken link.
    ASSERT_TRUE(port.Open(kTestPort, 9600, 8, 0, 0));
    pty.CloseMaster();
    EXPECT_LT(port.Read(buffer, 8), 0);
    EXPECT_LT(port.Send(buffer, 1), 0);
}

TEST(SerialPort, MissingBusyAndUnusablePortsAreToldApart) {
    TempDir dir;
    dir.Write("plain-file", "");
    struct Case {
        std::string path;
        SerialStatus status;
    } cases[] = {{(dir / "no-such-tty").string(), SerialStatus::Missing},
                 {(dir / "plain-file").string(), SerialStatus::NotSerial}};
    for (const Case& c : cases) {
        PortOverride o(kTestPort, c.path);
        CSerial port;
        EXPECT_FALSE(port.Open(kTestPort, 9600, 8, 0, 0));
        EXPECT_EQ(port.LastStatus(), c.status);
        EXPECT_NE(port.LastReason().find("COM250"), std::string::npos);
        EXPECT_FALSE(port.IsOpen());
        EXPECT_EQ(CSerial::PortExists(kTestPort), c.status != SerialStatus::Missing);
    }
    CSerial none;
    EXPECT_FALSE(none.Open(0, 9600, 8, 0, 0));  // no device for 0
    EXPECT_EQ(none.LastStatus(), SerialStatus::Missing);
    EXPECT_FALSE(CSerial::PortExists(0));

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
    // Settings no driver takes: 4 data bits, an unknown rate, 1.5 stop bits with 8 data bits,
    // parity code 5.
    const int bad[][4] = {{9600, 4, 0, 0}, {1234, 8, 0, 0}, {9600, 8, 1, 0}, {9600, 8, 0, 5}};
    CSerial port;
    for (auto [baud, bits, stop, parity] : bad) {
        EXPECT_FALSE(port.Open(kTestPort, baud, bits, stop, parity));
        EXPECT_EQ(port.LastStatus(), SerialStatus::BadSettings) << baud << " " << bits << " " << stop << " " << parity;
    }
    EXPECT_FALSE(port.IsOpen());
    EXPECT_TRUE(port.Open(kTestPort, 1200, 5, 1, 3));  // mark parity, 1.5 stop bits
}

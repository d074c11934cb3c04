// A few exchanges over real transports on the real clock: the simulated panel serves a TCP port
// of the loopback interface and a pseudo-terminal in a thread of its own. These check that the
// seams agree with real sockets and terminals; the behaviour itself is tested on the virtual
// clock.
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <thread>

#include "datamodel/log.h"
#include "link/conexio.h"
#include "link/protocol.h"
#include "link/serial.h"
#include "panelsim.h"
#include "serve.h"

namespace {

class PanelThread {
public:
    explicit PanelThread(std::function<void(panelsim::PanelSim&, const panelsim::ServeOptions&)> run) {
        sim.Central().SetEeprom(0x0123, std::vector<std::uint8_t>{7, 8, 9});
        options.stop = &stop;
        thread = std::thread([this, run] { run(sim, options); });
    }
    ~PanelThread() { Stop(); }
    void Stop() {
        stop = true;
        if (thread.joinable()) thread.join();
    }
    panelsim::PanelSim sim;
    panelsim::ServeOptions options;
    std::atomic<bool> stop{false};
    std::thread thread;
};

// Login, a write and a read back of three EEPROM bytes.
void Converse(CProtocol& proto) {
    ASSERT_TRUE(proto.BuildLogin("00", "8371", false));
    ASSERT_TRUE(proto.Send()) << proto.GetError();
    ASSERT_TRUE(proto.WaitAnswer(kCmdLoginReply, 0xFF, 0xFF)) << proto.GetError();
    const unsigned char data[3] = {0x11, 0x22, 0x33};
    ASSERT_TRUE(proto.BuildWrite("01", "0123", false, data, 3, 0));
    ASSERT_TRUE(proto.Send()) << proto.GetError();
    ASSERT_TRUE(proto.BuildRead("01", "0123", false, 3, 0));
    ASSERT_TRUE(proto.Send()) << proto.GetError();
    ASSERT_TRUE(proto.WaitAnswer(0xB0, 0xB1, 0xF0)) << proto.GetError();
    int n = 0;
    const unsigned char* p = proto.GetAnswer(n);
    ASSERT_EQ(n, 11);
    EXPECT_EQ(p[3], 0x11);
    EXPECT_EQ(p[4], 0x22);
    EXPECT_EQ(p[5], 0x33);
}

TEST(EndToEnd, TcpLoopbackAndAPeerThatGoes) {
    int port = 0;
    int listener = panelsim::ListenLoopback(0, port);
    ASSERT_GE(listener, 0);
    PanelThread panel([listener](panelsim::PanelSim& sim, const panelsim::ServeOptions& o) {
        panelsim::ServeTcp(listener, sim, o);
    });
    CConexio link;
    ASSERT_TRUE(link.SetKind(ConexioTcpIp));
    link.SetIp("127.0.0.1");
    link.SetIpPort(port);
    ASSERT_TRUE(link.Open()) << link.GetError();
    CProtocol proto;
    proto.SetLink(&link);
    ASSERT_TRUE(proto.Connect());
    Converse(proto);

    panel.Stop();  // the panel hangs up
    ::close(listener);
    for (int i = 0; i < 50 && proto.IsConnected(); ++i) {
        ::usleep(20000);
        proto.Receive(20);
    }
    EXPECT_TRUE(proto.LinkLost());
    EXPECT_EQ(proto.GetError(), "Se perdió la conexión");
    link.Close();
}

TEST(EndToEnd, LocalCableOnAPseudoTerminal) {
    std::string slave;
    int master = panelsim::OpenPtyMaster(slave);
    ASSERT_GE(master, 0);
    PanelThread panel([master](panelsim::PanelSim& sim, panelsim::ServeOptions o) {
        o.pty = true;
        while (!o.stop->load()) panelsim::Serve(master, sim, o);
    });
    const int port = 250;
    SetSerialDeviceOverride(port, slave);
    CConexio link;
    ASSERT_TRUE(link.SetKind(ConexioLocal));
    link.SetBaud(19200);
    link.SetDataBits(8);
    link.SetStopBits(0);
    link.SetParity(0);
    link.SetPort(port);
    ASSERT_TRUE(link.Open()) << link.GetError();
    CProtocol proto;
    proto.SetLink(&link);
    ASSERT_TRUE(proto.Connect());
    EXPECT_EQ(proto.GetOwnAddress(), 0x31);
    Converse(proto);
    proto.Disconnect();
    link.Close();
    panel.Stop();
    ::close(master);
    SetSerialDeviceOverride(port, "");
}

}  // namespace

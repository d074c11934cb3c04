#include <gtest/gtest.h>

#include <cstring>
#include <netdb.h>

#include "datamodel/log.h"
#include "link/conexio.h"
#include "link/socket.h"
#include "link_harness.h"
#include "socket_peer.h"
#include "support/capture_log_sink.h"
#include "support/temp_dir.h"
#include "support/virtual_clock.h"

namespace {

constexpr int kTestPort = 251;

struct PortOverride {
    PortOverride(int port, const std::string& path) : port_(port) { SetSerialDeviceOverride(port, path); }
    ~PortOverride() { SetSerialDeviceOverride(port_, ""); }
    int port_;
};

class CountingUi final : public UiServices {
public:
    void Yield() override { ++yields; }
    std::unique_ptr<ProgressDialog> OpenProgress(const std::string&, const std::string&, int, bool) override {
        return nullptr;
    }
    void ShowMessage(const std::string&, const std::string&) override {}
    int yields = 0;
};

// A link on the virtual clock with its log captured.
struct LinkFixture {
    VirtualClock clock;
    CaptureLogSink sink;
    CLog log{&sink, &clock};
    CConexio link;
    LinkFixture() {
        link.SetClock(&clock);
        link.SetLog(&log);
    }
    void Serial(int kind, int baud = 19200, int dataBits = 8, int stopBits = 0, int parity = 0) {
        ASSERT_TRUE(link.SetKind(kind));
        ASSERT_TRUE(link.SetBaud(baud));
        ASSERT_TRUE(link.SetDataBits(dataBits));
        ASSERT_TRUE(link.SetStopBits(stopBits));
        ASSERT_TRUE(link.SetParity(parity));
        ASSERT_TRUE(link.SetPort(kTestPort));
    }
    void Tcp(int kind, const std::string& ip, int port) {
        ASSERT_TRUE(link.SetKind(kind));
        link.SetIp(ip);
        link.SetIpPort(port);
    }
    // Virtual milliseconds that one send takes.
    std::int64_t TimedSend(const std::vector<unsigned char>& frame, bool* ok = nullptr) {
        std::int64_t before = clock.Elapsed();
        bool result = link.Send(frame.data(), static_cast<int>(frame.size()));
        if (ok) *ok = result;
        return clock.Elapsed() - before;
    }
};

std::vector<unsigned char> Frame(int length, unsigned char command = 0x90) {
    std::vector<unsigned char> frame(static_cast<std::size_t>(length), 0x00);
    frame[0] = 0x16;
    if (length > 3) frame[3] = command;
    return frame;
}

}  // namespace

TEST(ConexioKindTable, KindsWithoutALinkGetNoWaitsAndKeepTheAddress) {
    for (int other : {0, -1, 7}) {
        const ConexioKindEntry& e = ConexioKindTable::Get(other);
        EXPECT_EQ(e.ownAddress, -1);
        EXPECT_EQ(e.loginDestination, nullptr);
        EXPECT_EQ(e.readDelay, 350);
        EXPECT_EQ(e.replyWait, 0);
        EXPECT_EQ(e.rxTimeout, 0);
        EXPECT_EQ(e.pollInterval, 20);
    }
    CConexio link;
    link.SetKind(ConexioGsm);
    EXPECT_EQ(link.GetReplyWait(), 3500);
    EXPECT_EQ(link.GetRxTimeout(), 5000);
    EXPECT_EQ(link.GetPollInterval(), 20);
    EXPECT_TRUE(ConexioKindTable::Get(ConexioGprs).ackOnlyWithSourceBit7);
}

TEST(Conexio, SettersRefuseValuesOutOfRange) {
    CConexio link;
    EXPECT_EQ(link.GetKind(), 0);
    EXPECT_EQ(link.GetBaud(), -1);
    EXPECT_EQ(link.GetIpPort(), 0);
    EXPECT_FALSE(link.IsOpen());
    EXPECT_FALSE(link.SetKind(7));
    EXPECT_EQ(link.GetKind(), -1);
    EXPECT_FALSE(link.Open());  // the parameter check fails
    EXPECT_FALSE(link.SetKind(0));
    EXPECT_FALSE(link.SetBaud(1234));
    EXPECT_TRUE(link.SetBaud(115200));
    EXPECT_FALSE(link.SetDataBits(0));
    EXPECT_FALSE(link.SetDataBits(9));
    EXPECT_TRUE(link.SetDataBits(1));
    EXPECT_FALSE(link.SetStopBits(9));
    EXPECT_FALSE(link.SetStopBits(-1));
    EXPECT_TRUE(link.SetStopBits(8));
    EXPECT_TRUE(link.SetParity(77));
    EXPECT_FALSE(link.SetPort(-1));
    EXPECT_TRUE(link.SetPort(0));
    EXPECT_EQ(link.GetBaud(), 115200);
    EXPECT_EQ(link.GetDataBits(), 1);
    EXPECT_EQ(link.GetStopBits(), 8);
    EXPECT_EQ(link.GetPort(), 0);
    EXPECT_TRUE(link.Close());  // closing a closed link
    EXPECT_EQ(link.GetAtCommands().iniciar, "ATE0V1K0C0Y0B6S10=255S99=44S120=2S13=16S0=0");
    EXPECT_EQ(link.GetAtCommands().escape, "+++");
}

TEST(Conexio, ParameterCheckPerKindLogsTheParameters) {
    LinkFixture f;
    f.Tcp(ConexioTcpIp, "", 10001);
    EXPECT_FALSE(f.link.CheckParams());
    EXPECT_NE(f.sink.Text().find("Baud: -1, Port com: -1, bits data: -1, bits stop: -1 paritat: -1 IP:  port: 10001\n"),
              std::string::npos);
    f.link.SetIp("127.0.0.1");
    f.link.SetIpPort(0);
    EXPECT_FALSE(f.link.Open());  // fails before touching the network
    EXPECT_EQ(f.link.GetError(), "");
    f.link.SetIpPort(10001);
    EXPECT_TRUE(f.link.CheckParams());

    f.Serial(ConexioLocal);
    EXPECT_TRUE(f.link.CheckParams());
    CConexio partial;
    partial.SetKind(ConexioLocal);
    partial.SetBaud(9600);
    EXPECT_FALSE(partial.CheckParams());

    f.Serial(ConexioModem);
    EXPECT_FALSE(f.link.CheckParams());  // no telephone number
    for (const char* good : {"931234567", "0,93 123-45-67", "*31#600123456", "+34(93)1234567", "T0W931234567"}) {
        f.link.SetPhone(good);
        EXPECT_TRUE(f.link.CheckParams()) << good;
    }
    // Nothing that could end the dial command or add another one reaches the modem.
    for (const char* bad : {"931234567\rATZ", "93123;", "ATDT93", "93\n12", "--", "93123S=7"}) {
        f.link.SetPhone(bad);
        EXPECT_FALSE(f.link.CheckParams()) << bad;
    }
}

TEST(Conexio, LocalLinkOverAPtyWithLineTimedWrites) {
    Pty pty;
    ASSERT_TRUE(pty.Ok());
    PortOverride o(kTestPort, pty.SlavePath());
    LinkFixture f;
    f.Serial(ConexioLocal);
    ASSERT_TRUE(f.link.Open()) << f.link.GetError();
    EXPECT_TRUE(f.link.IsOpen());
    EXPECT_TRUE(f.link.Open());
    EXPECT_FALSE(f.link.SetKind(ConexioTcpIp));  // not while open
    EXPECT_EQ(f.link.GetKind(), ConexioLocal);

    // 17 bytes at 19200 baud, 8 data bits, stop code 0: (8000 + 1000) * 18 / 19200 + 1 = 9 ms.
    EXPECT_EQ(f.TimedSend(Frame(17)), 9);
    EXPECT_EQ(pty.ReadMaster().size(), 17u);
    // A memory read is preceded by 100 ms.
    EXPECT_EQ(f.TimedSend(Frame(6, 0x51)), 100 + 4);
    pty.ReadMaster();

    unsigned char buffer[128];
    EXPECT_EQ(f.link.Receive(buffer, 128), 0);
    pty.WriteMaster(std::string("\x06\x31\x10\x00\x00", 5));
    EXPECT_EQ(f.link.Receive(buffer, 128), 5);

    EXPECT_TRUE(f.link.Close());
    EXPECT_FALSE(f.link.IsOpen());
    EXPECT_FALSE(pty.SlaveOpen());
    EXPECT_TRUE(f.link.Close());
    EXPECT_TRUE(f.link.SetKind(ConexioTcpIp));
}

TEST(Conexio, AnUnpluggedSerialDeviceIsABrokenLink) {
    Pty pty;
    ASSERT_TRUE(pty.Ok());
    PortOverride o(kTestPort, pty.SlavePath());
    LinkFixture f;
    f.Serial(ConexioLocal);
    ASSERT_TRUE(f.link.Open());
    pty.CloseMaster();
    unsigned char buffer[16];
    EXPECT_LT(f.link.Receive(buffer, 16), 0);
    EXPECT_EQ(f.link.GetError(), "Se perdió la conexión");
    bool ok = true;
    f.TimedSend(Frame(6), &ok);
    EXPECT_FALSE(ok);
    EXPECT_EQ(f.link.GetError(), "Error enviando datos a puerto serie");
    EXPECT_TRUE(f.link.Close());
}

TEST(Conexio, SerialOpenWriteAndCloseFailuresHaveTheirTexts) {
    TempDir dir;
    PortOverride o(kTestPort, (dir / "ttyGone").string());
    LinkFixture f;
    f.Serial(ConexioLocal);
    EXPECT_FALSE(f.link.Open());
    EXPECT_FALSE(f.link.IsOpen());
    EXPECT_EQ(f.link.GetError(),
              "No se puede abrir el puerto local.\nPuede que el puerto no exista o esté ocupado por otro programa.");
    EXPECT_NE(f.sink.Text().find("COM251 (" + (dir / "ttyGone").string() + "): no existe"), std::string::npos);

    PipeTransport pipe;
    ASSERT_TRUE(f.link.AttachTransport(&pipe.LinkEnd()));
    ASSERT_TRUE(f.link.Open());
    EXPECT_FALSE(f.link.AttachTransport(nullptr));  // not while open
    bool ok = false;
    EXPECT_EQ(f.TimedSend(Frame(17), &ok), 9);
    EXPECT_TRUE(ok);
    EXPECT_EQ(pipe.PeerEnd().BytesWaiting(), 17);
    pipe.Break();
    EXPECT_EQ(f.TimedSend(Frame(17), &ok), 9);  // the line time is slept all the same
    EXPECT_FALSE(ok);
    EXPECT_EQ(f.link.GetError(), "Error enviando datos a puerto serie");
    pipe.LinkEnd().FailClose(true);
    EXPECT_FALSE(f.link.Close());
    EXPECT_EQ(f.link.GetError(), "No se puede cerrar el puerto local");
    EXPECT_FALSE(f.link.IsOpen());
}

TEST(Conexio, LineTimeCoversTheWholeFrameAtLowRatesWithParity) {
    PipeTransport pipe;  // outlives the link, which closes it when destroyed
    LinkFixture f;
    f.link.AttachTransport(&pipe.LinkEnd());
    // 1200 baud, 8 data bits, even parity, one stop bit: 24 bytes need 24 * 11 bits = 220 ms on
    // the wire, more than the (8000 + 1000) * 25 / 1200 + 1 = 188 ms of the plain formula.
    f.Serial(ConexioLocal, 1200, 8, 0, 2);
    ASSERT_TRUE(f.link.Open());
    EXPECT_EQ(f.TimedSend(Frame(24)), 220);
    EXPECT_TRUE(f.link.Close());
    f.Serial(ConexioLocal, 9600, 8, 2, 0);  // two stop bits: the formula's slack covers it
    ASSERT_TRUE(f.link.Open());
    EXPECT_EQ(f.TimedSend(Frame(10)), (10000 + 1000) * 11 / 9600 + 1);
}

TEST(Conexio, TcpLinkMovesBytesAndReadsAtMostTheMaximum) {
    Listener server;
    LinkFixture f;
    f.Tcp(ConexioTcpIp, "127.0.0.1", server.Port());
    ASSERT_TRUE(f.link.Open()) << f.link.GetError();
    EXPECT_EQ(f.clock.Elapsed(), 500);
    int peer = server.Accept();
    ASSERT_GE(peer, 0);
    bool ok = false;
    EXPECT_EQ(f.TimedSend(Frame(6, 0x51), &ok), 100);
    EXPECT_TRUE(ok);
    EXPECT_EQ(ReadAll(peer).size(), 6u);

    unsigned char buffer[128];
    EXPECT_EQ(f.link.Receive(buffer, 128), 0);
    SendAll(peer, std::string(200, '\x55'));
    EXPECT_EQ(f.link.Receive(buffer, 128), 128);
    EXPECT_EQ(f.link.Receive(buffer, 128), 72);
    EXPECT_EQ(f.link.Receive(buffer, 128), 0);

    ::close(peer);
    EXPECT_EQ(f.link.Receive(buffer, 128), -1);
    EXPECT_EQ(f.link.GetError(), "Error en el socket de conexión");
    EXPECT_TRUE(f.link.Close());
    EXPECT_FALSE(f.link.IsOpen());
    // After the close nothing is left to read from or write to.
    EXPECT_EQ(f.link.Receive(buffer, 128), -1);
    EXPECT_FALSE(f.link.Send(buffer, 6));
}

TEST(Conexio, SocketWriteFailuresAreReported) {
    Listener server;
    LinkFixture f;
    f.Tcp(ConexioGprs, "127.0.0.1", server.Port());
    ASSERT_TRUE(f.link.Open());
    ResetAndClose(server.Accept());
    bool failed = false;
    for (int i = 0; i < 5 && !failed; ++i) failed = !f.link.Send(Frame(6).data(), 6);
    EXPECT_TRUE(failed);
    EXPECT_EQ(f.link.GetError(), "Error en el socket de conexión");
    EXPECT_TRUE(f.link.Close());
}

TEST(Conexio, TcpOpenFailuresKeepTheClientText) {
    LinkFixture f;
    int port = 0;
    int holder = BoundButNotListening(port);
    f.Tcp(ConexioCraLink, "127.0.0.1", port);
    EXPECT_FALSE(f.link.Open());
    EXPECT_EQ(f.link.GetError(), std::strerror(ECONNREFUSED));
    EXPECT_FALSE(f.link.IsOpen());
    ::close(holder);

    f.Tcp(ConexioTcpIp, "central.invalid", 10001);
    EXPECT_FALSE(f.link.Open());
    EXPECT_EQ(f.link.GetError(), ::gai_strerror(EAI_NONAME));

    // A connect that hangs is given up when the installer cancels.
    Listener full(0);
    SocketClient first("127.0.0.1", full.Port());
    ScriptedProgress dialog;
    int counter = 0;
    dialog.cancelIf = [&] { return dialog.updates >= 5; };
    f.link.SetProgress(&dialog, &counter);
    f.Tcp(ConexioTcpIp, "127.0.0.1", full.Port());
    EXPECT_FALSE(f.link.Open());
    EXPECT_EQ(f.link.GetError(), "Cancelado por el usuario");
    EXPECT_FALSE(f.link.IsOpen());
    EXPECT_LT(f.clock.Elapsed(), 1000);
}

TEST(Conexio, InjectedTransportCarriesTheNetworkKinds) {
    PipeTransport pipe;
    LinkFixture f;
    ASSERT_TRUE(f.link.AttachTransport(&pipe.LinkEnd()));
    f.Tcp(ConexioGprs, "panel", 10001);
    ASSERT_TRUE(f.link.Open());
    EXPECT_EQ(f.clock.Elapsed(), 500);
    EXPECT_TRUE(f.link.Send(Frame(6).data(), 6));
    EXPECT_EQ(pipe.PeerEnd().BytesWaiting(), 6);
    pipe.PeerEnd().Write(Frame(24, 0xF0).data(), 24);
    unsigned char buffer[16];
    EXPECT_EQ(f.link.Receive(buffer, 16), 16);
    EXPECT_EQ(f.link.Receive(buffer, 16), 8);
    pipe.Break();
    EXPECT_EQ(f.link.Receive(buffer, 16), -1);
    EXPECT_EQ(f.link.GetError(), "Error en el socket de conexión");
    EXPECT_TRUE(f.link.Close());
    EXPECT_EQ(pipe.LinkEnd().Closes(), 1);
}

TEST(Conexio, ProgressStepsYieldsAndCancel) {
    CConexio link;
    CountingUi ui;
    link.SetUiServices(&ui);
    EXPECT_TRUE(link.UpdateProgress("Llamando..."));
    EXPECT_FALSE(link.IsCancelled());
    EXPECT_EQ(ui.yields, 2);

    ScriptedProgress dialog;
    int counter = 3;
    link.SetProgress(&dialog, &counter);
    EXPECT_TRUE(link.UpdateProgress("Llamando..."));
    EXPECT_EQ(counter, 4);
    EXPECT_EQ(dialog.lastValue, 4);
    EXPECT_FALSE(link.IsCancelled());
    EXPECT_EQ(counter, 4);  // no step
    EXPECT_EQ(dialog.messages, std::vector<std::string>{"Llamando..."});
    dialog.cancelled = true;
    EXPECT_TRUE(link.IsCancelled());
    EXPECT_EQ(link.GetError(), "Cancelado por el usuario");
    EXPECT_FALSE(link.UpdateProgress("Conectando..."));
    EXPECT_EQ(ui.yields, 2);  // the dialog lets the window run instead
}

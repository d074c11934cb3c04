// The link: kinds and their timing, parameters, the serial and TCP transports, line times and
// the progress checks.
#include <gtest/gtest.h>
#include <netdb.h>

#include <cstring>

#include "link/socket.h"
#include "link/progress.h"
#include "link_harness.h"
#include "support/temp_dir.h"

namespace {

constexpr int kTestPort = 251;

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
        ASSERT_TRUE(link.SetKind(kind) && link.SetBaud(baud) && link.SetDataBits(dataBits) &&
                    link.SetStopBits(stopBits) && link.SetParity(parity) && link.SetPort(kTestPort));
    }
    void Tcp(int kind, const std::string& ip, int port) {
        ASSERT_TRUE(link.SetKind(kind));
        link.SetIp(ip);
        link.SetIpPort(port);
    }
    // Virtual milliseconds that one send of a frame of `length` bytes takes.
    std::int64_t TimedSend(int length, unsigned char command = 0x90, bool* ok = nullptr) {
        std::vector<unsigned char> frame(static_cast<std::size_t>(length), 0x16);
        frame[3] = command;
        std::int64_t before = clock.Elapsed();
        bool result = link.Send(frame.data(), length);
        if (ok) *ok = result;
        return clock.Elapsed() - before;
    }
};

}  // namespace

TEST(ConexioKindTable, EveryKindsTiming) {
    struct Row {
        int kind, own;
        const char* login;
        int readDelay, replyWait, rxTimeout, poll;
        bool ackBit7;
    } rows[] = {
        {ConexioLocal, 0x31, nullptr, 25, 500, 2000, 10, false}, {ConexioModem, 0x10, "00", 350, 500, 2000, 2, false},
        {ConexioGsm, 0x13, "12", 500, 3500, 5000, 20, true},     {ConexioTcpIp, 0x13, "15", 350, 2000, 4000, 20, false},
        {ConexioGprs, 0x13, "12", 350, 2000, 4000, 20, true},    {ConexioCraLink, 0x31, "00", 350, 2000, 4000, 20, false},
        {0, -1, nullptr, 350, 0, 0, 20, false},                  {7, -1, nullptr, 350, 0, 0, 20, false},
    };
    for (const Row& r : rows) {
        const ConexioKindEntry& e = ConexioKindTable::Get(r.kind);
        EXPECT_EQ(e.ownAddress, r.own) << r.kind;
        EXPECT_STREQ(e.loginDestination, r.login) << r.kind;
        EXPECT_EQ(e.readDelay, r.readDelay) << r.kind;
        EXPECT_EQ(e.replyWait, r.replyWait) << r.kind;
        EXPECT_EQ(e.rxTimeout, r.rxTimeout) << r.kind;
        EXPECT_EQ(e.pollInterval, r.poll) << r.kind;
        EXPECT_EQ(e.ackOnlyWithSourceBit7, r.ackBit7) << r.kind;
    }
    CConexio link;
    link.SetKind(ConexioGsm);
    EXPECT_EQ(link.GetReplyWait() + link.GetRxTimeout() + link.GetPollInterval(), 3500 + 5000 + 20);
}

TEST(Conexio, SettersRefuseValuesOutOfRange) {
    CConexio link;
    EXPECT_EQ(link.GetKind(), 0);
    EXPECT_EQ(link.GetBaud(), -1);
    EXPECT_EQ(link.GetIpPort(), 0);
    EXPECT_EQ(link.GetAtCommands().iniciar, "ATE0V1K0C0Y0B6S10=255S99=44S120=2S13=16S0=0");
    EXPECT_EQ(link.GetAtCommands().escape, "+++");
    EXPECT_TRUE(link.Close());  // closing a closed link
    EXPECT_FALSE(link.SetKind(7));
    EXPECT_EQ(link.GetKind(), -1);
    EXPECT_FALSE(link.Open());  // the parameter check fails
    EXPECT_FALSE(link.SetKind(0) || link.SetBaud(1234) || link.SetDataBits(0) || link.SetDataBits(9) ||
                 link.SetStopBits(9) || link.SetStopBits(-1) || link.SetPort(-1));
    EXPECT_TRUE(link.SetBaud(115200) && link.SetDataBits(1) && link.SetStopBits(8) && link.SetParity(77) &&
                link.SetPort(0));
    EXPECT_EQ(link.GetBaud(), 115200);
}

TEST(Conexio, ParameterCheckPerKindLogsTheParameters) {
    LinkFixture f;
    f.Tcp(ConexioTcpIp, "", 10001);
    EXPECT_FALSE(f.link.CheckParams());
    EXPECT_NE(f.sink.Text().find("Baud: -1, Port com: -1, bits data: -1, bits stop: -1 paritat: -1 IP:  port: 10001\n"),
              std::string::npos);
    f.Tcp(ConexioTcpIp, "127.0.0.1", 0);
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
    EXPECT_TRUE(f.link.Open());
    EXPECT_FALSE(f.link.SetKind(ConexioTcpIp));  // not while open
    EXPECT_EQ(f.link.GetKind(), ConexioLocal);

    // 17 bytes at 19200 baud, 8 data bits, stop code 0: (8000 + 1000) * 18 / 19200 + 1 = 9 ms.
    EXPECT_EQ(f.TimedSend(17), 9);
    EXPECT_EQ(pty.ReadMaster().size(), 17u);
    EXPECT_EQ(f.TimedSend(6, 0x51), 100 + 4);  // a memory read is preceded by 100 ms
    pty.ReadMaster();

    unsigned char buffer[128];
    EXPECT_EQ(f.link.Receive(buffer, 128), 0);
    pty.WriteMaster(std::string("\x06\x31\x10\x00\x00", 5));
    EXPECT_EQ(f.link.Receive(buffer, 128), 5);

    EXPECT_TRUE(f.link.Close());
    EXPECT_FALSE(f.link.IsOpen() || pty.SlaveOpen());
    EXPECT_TRUE(f.link.SetKind(ConexioTcpIp));

    // The far side hangs up, as an unplugged USB adapter does: a broken link.
    f.Serial(ConexioLocal);
    ASSERT_TRUE(f.link.Open());
    pty.CloseMaster();
    EXPECT_LT(f.link.Receive(buffer, 16), 0);
    EXPECT_EQ(f.link.GetError(), "Se perdió la conexión");
    bool ok = true;
    f.TimedSend(6, 0x90, &ok);
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
    pipe.Break();
    bool ok = true;
    EXPECT_EQ(f.TimedSend(17, 0x90, &ok), 9);  // the line time is slept all the same
    EXPECT_FALSE(ok);
    EXPECT_EQ(f.link.GetError(), "Error enviando datos a puerto serie");
    pipe.LinkEnd().FailClose(true);
    EXPECT_FALSE(f.link.Close());
    EXPECT_EQ(f.link.GetError(), "No se puede cerrar el puerto local");
    EXPECT_FALSE(f.link.IsOpen());
    EXPECT_EQ(pipe.LinkEnd().Closes(), 1);
}

TEST(Conexio, LineTimeCoversTheWholeFrameAtLowRatesWithParity) {
    PipeTransport pipe;  // outlives the link, which closes it when destroyed
    LinkFixture f;
    f.link.AttachTransport(&pipe.LinkEnd());
    // 1200 baud, 8 data bits, even parity, one stop bit: 24 bytes need 24 * 11 bits = 220 ms on
    // the wire, more than the (8000 + 1000) * 25 / 1200 + 1 = 188 ms of the plain formula.
    f.Serial(ConexioLocal, 1200, 8, 0, 2);
    ASSERT_TRUE(f.link.Open());
    EXPECT_EQ(f.TimedSend(24), 220);
    EXPECT_TRUE(f.link.Close());
    f.Serial(ConexioLocal, 9600, 8, 2, 0);  // two stop bits: the formula's slack covers it
    ASSERT_TRUE(f.link.Open());
    EXPECT_EQ(f.TimedSend(10), (10000 + 1000) * 11 / 9600 + 1);
}

TEST(Conexio, TcpLinkMovesBytesReadsAtMostTheMaximumAndReportsBreaks) {
    Listener server;
    LinkFixture f;
    f.Tcp(ConexioTcpIp, "127.0.0.1", server.Port());
    ASSERT_TRUE(f.link.Open()) << f.link.GetError();
    EXPECT_EQ(f.clock.Elapsed(), 500);
    int peer = server.Accept();
    ASSERT_GE(peer, 0);
    bool ok = false;
    EXPECT_EQ(f.TimedSend(6, 0x51, &ok), 100);
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
    EXPECT_EQ(f.link.Receive(buffer, 128), -1);  // nothing left to read from or write to
    EXPECT_FALSE(f.link.Send(buffer, 6));

    // A write to a connection the peer reset fails with the socket text.
    f.Tcp(ConexioGprs, "127.0.0.1", server.Port());
    ASSERT_TRUE(f.link.Open());
    ResetAndClose(server.Accept());
    bool failed = false;
    for (int i = 0; i < 5 && !failed; ++i) failed = !f.link.Send(buffer, 6);
    EXPECT_TRUE(failed);
    EXPECT_EQ(f.link.GetError(), "Error en el socket de conexión");
    EXPECT_TRUE(f.link.Close());
}

TEST(Conexio, TcpOpenFailuresKeepTheClientText) {
    LinkFixture f;
    int port = 0;
    int holder = BoundSocket(port);
    struct Case {
        const char* host;
        int port;
        std::string error;
    } cases[] = {
        {"127.0.0.1", port, std::strerror(ECONNREFUSED)},
        {"central.invalid", 10001, ::gai_strerror(EAI_NONAME)},  // refused without a name server
        {"127.0.0.1", 65536 + port, std::strerror(EINVAL)},      // never wrapped onto another port
        {"127.0.0.1", -1, std::strerror(EINVAL)},
    };
    for (const Case& c : cases) {
        f.Tcp(ConexioCraLink, c.host, c.port);
        EXPECT_FALSE(f.link.Open());
        EXPECT_EQ(f.link.GetError(), c.error) << c.host << ":" << c.port;
        EXPECT_FALSE(f.link.IsOpen());
    }
    ::close(holder);

    // A connect that hangs is given up when the installer cancels.
    Listener full(0);
    SocketClient first("127.0.0.1", full.Port());
    FakeUi ui;
    Progress progress;
    progress.SetUiServices(&ui);
    progress.Open("Conectando...", "Conectando...", 5);
    ui.cancelIf = [&] { return ui.Last().updates.size() >= 5; };
    f.link.SetProgress(&progress);
    f.Tcp(ConexioTcpIp, "127.0.0.1", full.Port());
    EXPECT_FALSE(f.link.Open());
    EXPECT_EQ(f.link.GetError(), "Cancelado por el usuario");
    EXPECT_LT(f.clock.Elapsed(), 1000);
}

TEST(Conexio, ProgressStepsYieldsAndCancel) {
    CConexio link;
    FakeUi ui;
    link.SetUiServices(&ui);
    EXPECT_TRUE(link.UpdateProgress("Llamando..."));
    EXPECT_FALSE(link.IsCancelled());
    EXPECT_EQ(ui.yields, 2);

    // The steps go to the operation's progress, which never fills the bar before it ends.
    Progress progress;
    progress.SetUiServices(&ui);
    progress.Open("Conectando...", "Conectando...", 2);
    link.SetProgress(&progress);
    for (const char* step : {"Inicializando módem...", "Llamando...", "Conectando..."})
        EXPECT_TRUE(link.UpdateProgress(step));
    EXPECT_FALSE(link.IsCancelled());
    EXPECT_EQ(progress.Value(), 3);
    EXPECT_EQ(ui.Last().updates, (std::vector<std::pair<int, std::string>>{
                                     {1, "Inicializando módem..."}, {1, "Llamando..."}, {1, "Conectando..."}, {1, ""}}));
    ui.Last().cancelled = true;
    EXPECT_TRUE(link.IsCancelled());
    EXPECT_EQ(link.GetError(), "Cancelado por el usuario");
    EXPECT_FALSE(link.UpdateProgress("Conectando..."));
    EXPECT_EQ(ui.yields, 2);  // the dialog lets the window run instead
    progress.Close();
    EXPECT_EQ(ui.Last().updates.back().first, 2);  // full once the operation ended
}

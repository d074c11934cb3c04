// The modem dialogue against the fake Hayes modem, on virtual time.
#include <gtest/gtest.h>

#include <algorithm>

#include "datamodel/config.h"
#include "link/progress.h"
#include "link_harness.h"

namespace {

constexpr int kTestPort = 252;
const char kPhone[] = "931234567";
const char kModemFailed[] = "La comunicación con el modem falló\n(";

// A modem link whose modem sits at the far end of an in-memory pipe, or of a pty reached through
// the real serial port.
struct ModemFixture {
    VirtualClock clock;
    CaptureLogSink sink;
    CLog log{&sink, &clock};
    FakeModem modem;
    ModemPeer peer;
    FakeUi ui;
    Progress progress;
    CConexio link;

    explicit ModemFixture(int kind = ConexioModem, bool overPty = false) : peer(clock, modem, overPty) {
        if (overPty)
            SetSerialDeviceOverride(kTestPort, peer.PtyEnd()->SlavePath());
        else
            link.AttachTransport(&peer.Port());
        link.SetClock(&clock);
        link.SetLog(&log);
        link.SetKind(kind);
        link.SetBaud(9600);
        link.SetDataBits(8);
        link.SetStopBits(0);
        link.SetParity(0);
        link.SetPort(kTestPort);
        link.SetPhone(kPhone);
        progress.SetUiServices(&ui);
        progress.Open("Conectando...", "Conectando...", 10);
        link.SetProgress(&progress);
    }
    ProgressRecord& Dialog() { return ui.Last(); }
    ~ModemFixture() { SetSerialDeviceOverride(kTestPort, ""); }
    PipeTransport::End& Port() { return peer.Port(); }
    bool Saw(const std::string& command) const {
        return std::count(modem.Commands().begin(), modem.Commands().end(), command) > 0;
    }
};

}  // namespace

TEST(ModemDialogue, PstnDialOverAPtyCarriesFramesAndHangsUpWithTheEscape) {
    ModemFixture f(ConexioModem, true);
    ASSERT_TRUE(f.link.Open()) << f.link.GetError();
    EXPECT_EQ(f.modem.Commands(), (std::vector<std::string>{"ATH", "ATZ", "ATV1", "ATE0",
                                                            "ATE0V1K0C0Y0B6S10=255S99=44S120=2S13=16S0=0",
                                                            "ATDT931234567"}));
    EXPECT_EQ(f.Dialog().messages, (std::vector<std::string>{"Inicializando módem...", "Llamando...", "Conectando..."}));
    EXPECT_EQ(f.progress.Value(), 3);
    EXPECT_TRUE(f.modem.DataMode());
    EXPECT_NE(f.sink.Text().find(">ATDT931234567\r\n"), std::string::npos);
    EXPECT_NE(f.sink.Text().find("<\r\nCONNECT 9600\r\n"), std::string::npos);

    std::string frame("\x16\x01\x90\x01\x03\xC4", 6);
    ASSERT_TRUE(f.link.Send(reinterpret_cast<const unsigned char*>(frame.data()), 6));
    f.clock.SleepMs(1);
    EXPECT_EQ(f.modem.DataFromLink(), frame);
    f.modem.SendData("\x06\x31\x10");
    f.clock.SleepMs(1);
    unsigned char buffer[16];
    EXPECT_EQ(f.link.Receive(buffer, 16), 3);

    EXPECT_TRUE(f.link.Close()) << f.link.GetError();
    EXPECT_FALSE(f.link.IsOpen());
    // "+++" framed by silence reached the modem as the escape (not as data), and ATH as a command.
    EXPECT_EQ(f.modem.Escapes(), 1);
    EXPECT_EQ(f.modem.HangUps(), 2);
    EXPECT_FALSE(f.modem.InCall());
    EXPECT_EQ(f.modem.DataFromLink(), frame);
    f.clock.SleepMs(1);
    EXPECT_EQ(f.modem.PortCloses(), 1);
}

TEST(ModemDialogue, FailedDialsCloseThePortWithTheReasonInBrackets) {
    const std::pair<FakeModem::Outcome, const char*> cases[] = {
        {FakeModem::Outcome::Busy, "Ocupado"},
        {FakeModem::Outcome::NoCarrier, "No hay portadora"},
        {FakeModem::Outcome::NoDialTone, "No hay tono de línea"},
        {FakeModem::Outcome::Silence, "No hay respuesta del módem"},
    };
    for (auto [outcome, reason] : cases) {
        ModemFixture f;
        f.modem.dataDialOutcome = outcome;
        EXPECT_FALSE(f.link.Open());
        EXPECT_EQ(f.link.GetError(), std::string(kModemFailed) + reason + ")");
        EXPECT_FALSE(f.link.IsOpen());
        EXPECT_EQ(f.modem.PortCloses(), 1);
        EXPECT_TRUE(f.link.Close());
        EXPECT_EQ(f.Port().Closes(), 1);
        // The result ends the first try; silence runs 25 tries of 1 s and 2 s without a reply.
        EXPECT_EQ(f.clock.Elapsed(), outcome == FakeModem::Outcome::Silence ? 85387 : 13937);
    }
}

TEST(ModemDialogue, UnansweredAndRefusedCommandsFailTheDial) {
    {
        ModemFixture f;
        f.modem.silent = true;
        EXPECT_FALSE(f.link.Open());
        EXPECT_EQ(f.link.GetError(), std::string(kModemFailed) + "No hay respuesta del módem)");
        EXPECT_TRUE(f.modem.Dialled().empty());
    }
    {
        ModemFixture f;
        f.modem.errorCommands.insert("E0V1K0C0Y0B6S10=255S99=44S120=2S13=16S0=0");
        EXPECT_FALSE(f.link.Open());
        EXPECT_EQ(f.link.GetError(), std::string(kModemFailed) + "\r\nERROR\r\n!=OK)");
        EXPECT_EQ(f.Port().Closes(), 1);
    }
    {
        ModemFixture f;  // the port itself fails
        f.peer.Pipe().Break();
        EXPECT_FALSE(f.link.Open());
        EXPECT_EQ(f.link.GetError(), std::string(kModemFailed) + "Error enviando datos a puerto serie)");
    }
    {
        // A number that could inject commands never reaches the modem.
        ModemFixture f;
        f.link.SetPhone("931234567\rATS0=1");
        EXPECT_FALSE(f.link.Open());
        EXPECT_FALSE(f.link.Dial());
        EXPECT_EQ(f.link.GetError(), "Parámetros de configuración insuficientes");
        f.link.SetKind(ConexioGsm);
        f.link.SetPhone("93;ATH");
        EXPECT_FALSE(f.link.Dial());
        EXPECT_EQ(f.Port().BytesWritten(), 0u);
    }
}

TEST(ModemDialogue, ModemKindsPaceWritesWithRts) {
    std::int64_t dialTime[2] = {0, 0};
    for (int kind : {ConexioModem, ConexioGsm}) {
        ModemFixture f(kind);
        ASSERT_TRUE(f.link.Open()) << f.link.GetError();
        dialTime[kind - ConexioModem] = f.clock.Elapsed();
        EXPECT_EQ(f.Port().RtsState(), 0);  // released after the connect pulse
        int calls = f.Port().RtsCalls();
        std::int64_t before = f.clock.Elapsed();
        unsigned char frame[6] = {0x16, 0x01, 0x90, 0x01, 0x03, 0xC4};
        EXPECT_TRUE(f.link.Send(frame, 6));
        // RTS on, 35 ms lead, the line time of (8000 + 1000) * 7 / 9600 + 1 = 7 ms, RTS released:
        // off on the PSTN kind, back to handshake on the GSM kind.
        EXPECT_EQ(f.clock.Elapsed() - before, 35 + 7);
        EXPECT_EQ(f.Port().RtsCalls(), calls + 2);
        EXPECT_EQ(f.Port().RtsState(), 0);
        EXPECT_EQ(f.Port().RtsMode(), kind);
    }
    // 17 s of the dialogue's own sleeps, plus the line times, the modem's replies (CONNECT 3 s
    // after the dial) and the 50 ms reads. The GSM kind lacks the 4.5 s wait once connected.
    EXPECT_EQ(dialTime[0], 17937);
    EXPECT_EQ(dialTime[0] - dialTime[1], 4500);
}

TEST(ModemDialogue, CancelDuringTheTriesOrAfterConnectHangsUpAndClosesThePort) {
    {
        ModemFixture f;
        f.modem.dataDialOutcome = FakeModem::Outcome::Silence;
        f.ui.cancelIf = [&] { return !f.modem.Dialled().empty(); };
        EXPECT_FALSE(f.link.Open());
        EXPECT_EQ(f.link.GetError(), "Cancelado por el usuario");
        EXPECT_EQ(f.modem.HangUps(), 2);  // ATH before dialling and the hang-up of the cancel
        EXPECT_EQ(f.Port().Closes(), 1);
        EXPECT_LT(f.clock.Elapsed(), 25000);
    }
    {
        ModemFixture f;
        f.ui.cancelIf = [&] { return f.modem.DataMode(); };
        EXPECT_FALSE(f.link.Open());
        EXPECT_EQ(f.link.GetError(), "Cancelado por el usuario");
        EXPECT_EQ(f.modem.Escapes(), 1);
        EXPECT_FALSE(f.modem.InCall());
        EXPECT_EQ(f.Port().Closes(), 1);
    }
    {
        // Before dialling there is no call to end: the port is only closed.
        ModemFixture f;
        f.ui.cancelIf = [&] { return f.Dialog().updates.size() == 1; };
        EXPECT_FALSE(f.link.Open());
        EXPECT_EQ(f.link.GetError(), "Cancelado por el usuario");
        EXPECT_EQ(f.Port().BytesWritten(), 0u);
        EXPECT_EQ(f.Port().Closes(), 1);
    }
}

TEST(ModemDialogue, GsmCallbackRequestThenAnswerTheCall) {
    for (auto rejection : {FakeModem::Outcome::Reject, FakeModem::Outcome::NoCarrier}) {
        ModemFixture f(ConexioGsm);
        f.modem.voiceDialOutcome = rejection;
        f.link.SetCallback(true);
        ASSERT_TRUE(f.link.Dial()) << f.link.GetError();
        EXPECT_FALSE(f.link.IsOpen());
        EXPECT_EQ(f.Port().Closes(), 0);  // kept open for the answer
        EXPECT_TRUE(f.Saw("ATDT931234567;"));
        EXPECT_EQ(f.modem.Dialled(), std::vector<std::string>{kPhone});

        f.modem.StartIncomingCall(f.clock.Elapsed() + 3000);
        ASSERT_TRUE(f.link.WaitCall()) << f.link.GetError();
        EXPECT_TRUE(f.link.IsOpen());
        EXPECT_TRUE(f.Saw("ATA"));
        EXPECT_TRUE(f.modem.DataMode());
        EXPECT_EQ(f.Dialog().messages.back(), "Respondiendo llamada...");
        EXPECT_EQ(std::count(f.Dialog().messages.begin(), f.Dialog().messages.end(), "Esperando llamada..."), 1);
        EXPECT_TRUE(f.link.Close());
        EXPECT_FALSE(f.modem.InCall());
    }
    ModemFixture busy(ConexioGsm);
    busy.modem.voiceDialOutcome = FakeModem::Outcome::Busy;
    EXPECT_FALSE(busy.link.Dial());
    EXPECT_EQ(busy.link.GetError(), std::string(kModemFailed) + "Ocupado)");
    EXPECT_EQ(busy.Port().Closes(), 1);

    // Cancelled while the voice call rings: hung up and closed.
    ModemFixture cancelled(ConexioGsm);
    cancelled.modem.voiceDialOutcome = FakeModem::Outcome::Silence;
    cancelled.ui.cancelIf = [&] { return !cancelled.modem.Dialled().empty(); };
    EXPECT_FALSE(cancelled.link.Dial());
    EXPECT_EQ(cancelled.link.GetError(), "Cancelado por el usuario");
    EXPECT_EQ(cancelled.Port().Closes(), 1);
}

TEST(ModemDialogue, AnsweringReadsAnEchoBeforeTheResultAndFailsWithoutARing) {
    {
        ModemFixture f;
        f.modem.resultDelayMs = 700;  // the echo comes as a reply of its own
        f.modem.StartIncomingCall(10000);
        ASSERT_TRUE(f.link.WaitCall()) << f.link.GetError();
        EXPECT_TRUE(f.link.GetCallback());
        EXPECT_NE(f.sink.Text().find("<ATZ\r\n"), std::string::npos);
        EXPECT_TRUE(f.modem.DataMode());
        EXPECT_TRUE(f.link.Close());
    }
    {
        ModemFixture f;
        EXPECT_FALSE(f.link.WaitCall());
        EXPECT_EQ(f.link.GetError(), std::string(kModemFailed) + "No hay respuesta del módem)");
        EXPECT_EQ(f.Port().Closes(), 1);
    }
    {
        ModemFixture f;
        f.ui.cancelIf = [&] { return f.Dialog().messages.size() == 2 && f.Dialog().updates.size() > 5; };
        EXPECT_FALSE(f.link.WaitCall());
        EXPECT_EQ(f.link.GetError(), "Cancelado por el usuario");
        EXPECT_EQ(f.Port().Closes(), 1);
    }
}

TEST(ModemDialogue, HangUpThatCannotWriteStillClosesThePort) {
    ModemFixture f;
    ASSERT_TRUE(f.link.Open());
    f.peer.Pipe().Break();
    EXPECT_FALSE(f.link.Close());
    EXPECT_EQ(f.link.GetError(), std::string(kModemFailed) + "Error enviando datos a puerto serie)");
    EXPECT_FALSE(f.link.IsOpen());
    EXPECT_EQ(f.Port().Closes(), 1);
}

TEST(ModemDialogue, SettingsStringsMissingEmptyOrSet) {
    // The twelve keys and their built-in values. A missing or empty key gives an empty text, but
    // the two texts whose match completes a call keep their built-in value.
    using At = CConexio::AtCommands;
    struct Key {
        const char* key;
        std::string At::*field;
        const char* builtIn;
        bool keptWhenEmpty;
    };
    const Key keys[] = {
        {"ATIniciar", &At::iniciar, "ATE0V1K0C0Y0B6S10=255S99=44S120=2S13=16S0=0", false},
        {"ATTrucar", &At::trucar, "ATDT", false},
        {"ATPenjar", &At::penjar, "+++ATH", false},
        {"ATReset", &At::reset, "ATZ", false},
        {"ATDespenjar", &At::despenjar, "ATA", false},
        {"ATOk", &At::ok, "OK", false},
        {"ATRing", &At::ring, "RING", false},
        {"ATConnect", &At::connect, "CONNECT", true},
        {"ATBusy", &At::busy, "BUSY", false},
        {"ATNoDialTone", &At::noDialTone, "NO DIALTONE", false},
        {"ATNoCarrier", &At::noCarrier, "NO CARRIER", false},
        {"ATPerduda", &At::perduda, "ECAV,1", true},
    };
    // Every key at its built-in value except `key`: missing (null) or the given text.
    auto fill = [&](CConfig& config, int kind, const char* key, const char* value) {
        config.SetTipusConexio(kind);
        for (const Key& k : keys)
            if (std::string(k.key) != key) config.SetParam(k.key, k.builtIn);
        if (value) config.SetParam(key, value);
    };
    for (const Key& k : keys)
        for (const char* value : {static_cast<const char*>(nullptr), "", "ATX3"}) {
            CConfig config;
            fill(config, ConexioGsm, k.key, value);
            CConexio link;
            link.LoadAtCommands(&config);
            const std::string shown = std::string(k.key) + "=" + (value ? value : "(missing)");
            const std::string expected = value && *value ? value : k.keptWhenEmpty ? k.builtIn : "";
            EXPECT_EQ(link.GetAtCommands().*k.field, expected) << shown;
            // A missing key is added to the section, empty, for the next save.
            const std::string saved = "<" + std::string(k.key) + ">" + (value ? value : "") + "</" + k.key + ">";
            EXPECT_NE(config.ToXml().find(saved), std::string::npos) << shown;
            link.LoadAtCommands(nullptr);
            EXPECT_EQ(link.GetAtCommands().*k.field, k.builtIn) << shown;
        }

    // What the empty texts do to a dial. A refused command taken as OK goes on to dial; an empty
    // connect or rejected-call text does not take a busy line for a made call; an empty ending
    // text neither ends a slow dial at its first quiet try nor takes "NO CARRIER" for a rejection.
    struct Dial {
        const char* key;
        const char* value;
        int kind;
        FakeModem::Outcome outcome;
        int resultMs;
        bool initRefused;
        const char* error;  // null: the call is made
    } dials[] = {
        {"ATOk", nullptr, ConexioModem, FakeModem::Outcome::Connect, 3000, true, nullptr},
        {"ATConnect", "", ConexioModem, FakeModem::Outcome::Busy, 3000, false, "Ocupado"},
        {"ATPerduda", "", ConexioGsm, FakeModem::Outcome::Busy, 3000, false, "Ocupado"},
        {"ATBusy", "", ConexioModem, FakeModem::Outcome::Connect, 20000, false, nullptr},
        {"ATNoCarrier", "", ConexioGsm, FakeModem::Outcome::NoCarrier, 3000, false, "No hay respuesta del módem"},
    };
    for (const Dial& d : dials) {
        CConfig config;
        fill(config, d.kind, d.key, d.value);
        ModemFixture f(d.kind);
        f.link.LoadAtCommands(&config);
        (d.kind == ConexioModem ? f.modem.dataDialOutcome : f.modem.voiceDialOutcome) = d.outcome;
        f.modem.dialResultMs = d.resultMs;
        if (d.initRefused) f.modem.errorCommands.insert("E0V1K0C0Y0B6S10=255S99=44S120=2S13=16S0=0");
        f.link.SetCallback(d.kind == ConexioGsm);
        const bool made = d.kind == ConexioModem ? f.link.Open() : f.link.Dial();
        EXPECT_EQ(made, d.error == nullptr) << d.key << ": " << f.link.GetError();
        if (d.error) {
            EXPECT_EQ(f.link.GetError(), std::string(kModemFailed) + d.error + ")") << d.key;
        }
        EXPECT_EQ(f.modem.Dialled(), std::vector<std::string>{kPhone}) << d.key;
    }
}

TEST(ModemDialogue, AModemThatNeverFallsSilentIsGivenUpAfterTenSeconds) {
    // One byte every 50 ms: each read brings something, so the reply never ends by silence.
    ModemFixture f;
    ASSERT_TRUE(f.link.Open());
    f.clock.OnSleep([&](std::int64_t) { f.peer.Pipe().PeerEnd().Write(reinterpret_cast<const unsigned char*>("x"), 1); });
    std::int64_t before = f.clock.Elapsed();
    EXPECT_FALSE(f.link.WaitAtResponse("OK", ""));
    EXPECT_LE(f.clock.Elapsed() - before, 10100);
}

// Connecting, logging in, the clock at connect and disconnecting, against the simulated panel on
// the in-memory transport and the virtual clock.
#include <algorithm>
#include <functional>

#include "core_harness.h"
#include "datamodel/codi.h"
#include "datamodel/dades.h"
#include "datamodel/grup.h"
#include "datamodel/grupflash.h"
#include "datamodel/model.h"
#include "datamodel/strings.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

class ConnectTest : public CoreTest {
protected:
    // A VX16 central whose installation names the given link kind, and the link on the pipe.
    void UseKind(int kind) {
        ASSERT_TRUE(LoadCentral());
        CDades& d = core->GetInstalacio().GetDades();
        d.SetTipusConexio(kind);
        d.SetIpDest("127.0.0.1");
        d.SetIpPort(4000);
        d.SetIpGprsDest("127.0.0.2");
        d.SetIpGprsPort(4001);
        d.SetIpCraLnkDest("127.0.0.3");
        d.SetIpCraLnkPort(5000);
        ASSERT_TRUE(core->GetConexio().AttachTransport(&pipe.LinkEnd()));
    }

    // The data frames the panel received with this command.
    std::vector<Bytes> Frames(std::uint8_t command) const {
        std::vector<Bytes> out;
        for (const Bytes& f : sim.ReceivedFrames())
            if (f.size() > 5 && (f[0] == 0x16 || f[0] == 0x02) && f[3] == command) out.push_back(f);
        return out;
    }

    // After a failed connect: link closed, not connected, not busy, no dialog left.
    void ExpectCleanFailure() {
        EXPECT_FALSE(core->IsConnected());
        EXPECT_FALSE(core->IsBusy());
        EXPECT_FALSE(core->HasProgress());
        EXPECT_FALSE(core->GetConexio().IsOpen());
        EXPECT_FALSE(core->GetProtocol().IsConnected());
    }
};

struct KindCase {
    int kind;
    std::uint8_t loginDestination;
    std::uint8_t codeHigh, codeLow;
};

class ConnectKindTest : public ConnectTest, public ::testing::WithParamInterface<KindCase> {};

TEST_P(ConnectKindTest, LogsInAndWritesTheClock) {
    const KindCase k = GetParam();
    UseKind(k.kind);
    ASSERT_TRUE(core->Connect()) << core->GetLastError();
    EXPECT_TRUE(core->IsConnected());
    EXPECT_FALSE(core->IsBusy());
    EXPECT_FALSE(core->HasProgress());
    EXPECT_TRUE(pumpTimer.running);
    EXPECT_TRUE(pollTimer.running);

    std::vector<Bytes> logins = Frames(0x41);
    ASSERT_EQ(logins.size(), 1u);
    EXPECT_EQ(logins[0][1] & 0x7F, k.loginDestination);
    EXPECT_EQ(logins[0][4], 0);  // no callback
    EXPECT_EQ(logins[0][5], k.codeHigh);
    EXPECT_EQ(logins[0][6], k.codeLow);
    EXPECT_EQ(core->GetProtocol().GetLoginDestination().empty(), false);

    // The PC's clock (the virtual clock's local time) reached the central, then control 18.
    EXPECT_EQ(sim.Central().RamBytes(0x0003, 0, 6), (Bytes{10, 30, 0, 9, 12, 26}));
    ASSERT_FALSE(sim.ControlCodes().empty());
    EXPECT_EQ(sim.ControlCodes().back(), 18);

    ASSERT_FALSE(ui.progress.empty());
    EXPECT_EQ(ui.progress[0]->title, "Conectando...");
    EXPECT_TRUE(ui.progress[0]->options.showElapsed);
    EXPECT_EQ(ui.progress[0]->maximum, 5);
    EXPECT_EQ(ui.progress[0]->updates.back().second, "Conectado");

    // Connecting again sends nothing.
    const std::size_t frames = sim.ReceivedFrames().size();
    EXPECT_TRUE(core->Connect());
    EXPECT_EQ(sim.ReceivedFrames().size(), frames);
}

INSTANTIATE_TEST_SUITE_P(Kinds, ConnectKindTest,
                         ::testing::Values(KindCase{ConexioLocal, 0x01, 0x83, 0x71},
                                           KindCase{ConexioTcpIp, 0x15, 0x83, 0x71},
                                           KindCase{ConexioGprs, 0x12, 0x83, 0x71},
                                           KindCase{ConexioCraLink, 0x00, 0xC7, 0xD2}));

TEST_F(ConnectTest, TheClockAtConnectGoesToTheCentralWhateverComponentIsSelected) {
    ASSERT_TRUE(LoadSample());
    CInstalacio& inst = core->GetInstalacio();
    inst.GetDades().SetTipusConexio(ConexioTcpIp);
    ASSERT_TRUE(core->GetConexio().AttachTransport(&pipe.LinkEnd()));
    ASSERT_GT(inst.GetComponentCount(), 0);
    CModel* keypad = inst.GetComponent(0);
    core->SetCurrentComponent(keypad);
    const auto address = static_cast<std::uint8_t>(HexStringToInt(keypad->GetBusDir()));
    const Bytes keypadClock = sim.Component(address).RamBytes(0x0003, 0, 6);
    ASSERT_TRUE(core->Connect()) << core->GetLastError();
    EXPECT_EQ(sim.Central().RamBytes(0x0003, 0, 6), (Bytes{10, 30, 0, 9, 12, 26}));
    EXPECT_EQ(sim.Component(address).RamBytes(0x0003, 0, 6), keypadClock);
    EXPECT_EQ(core->GetCurrentComponent(), keypad);
}

TEST_F(ConnectTest, FailedConnectsLeaveTheLinkClosedAndTheCoreIdle) {
    const std::string refused = "Conexión no aceptada.\n Quizá el código de instalador sea incorrecto.\n";
    struct Case {
        const char* what;
        std::function<void()> setUp;
        std::string error;
    } cases[] = {
        // On the network kinds the acceptance byte decides.
        {"wrong code", [&] { sim.ClearCodes(); }, refused},
        {"no acceptance answer", [&] { sim.Faults().missingAnswers = 1; }, "Timeout"},
        {"silent panel", [&] { sim.Faults().ignoreRequests = 100; }, refused + "Sin respuesta"},
        {"cancel", [&] { ui.cancelAfterUpdates = 1; }, "Cancelado por el usuario"},
        {"link does not open",
         [&] {
             core->GetConexio().AttachTransport(nullptr);
             core->GetInstalacio().GetDades().SetIpDest("host.invalid");
         },
         "Error al intentar iniciar la conexión:\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        UseKind(ConexioTcpIp);
        c.setUp();
        EXPECT_FALSE(core->Connect());
        EXPECT_EQ(core->GetLastError().substr(0, c.error.size()), c.error);
        ExpectCleanFailure();
        sim.Faults() = {};
    }

    // On the local cable only the answer counts, not its acceptance byte; the alarm-receiving
    // centre's link waits for no answer at all.
    UseKind(ConexioLocal);
    sim.ClearCodes();
    EXPECT_TRUE(core->Connect()) << core->GetLastError();
    ASSERT_TRUE(core->Disconnect());
    UseKind(ConexioCraLink);
    sim.Faults().missingAnswers = 1;
    EXPECT_TRUE(core->Connect()) << core->GetLastError();
}

TEST_F(ConnectTest, RefusalsBeforeTheLinkOpens) {
    core->GetInstalacio().Clear();
    EXPECT_FALSE(core->Connect());
    EXPECT_EQ(core->GetLastError(), "No se encontró central para conectar");

    UseKind(ConexioTcpIp);
    core->GetInstalacio().GetDades().SetIpDest("");
    EXPECT_TRUE(core->NeedsConexioSettings());
    EXPECT_FALSE(core->Connect());
    EXPECT_EQ(core->GetLastError(), "Parámetros de configuración insuficientes");
    EXPECT_EQ(sim.ReceivedFrames().size(), 0u);
    EXPECT_TRUE(ui.progress.empty());
}

TEST_F(ConnectTest, DisconnectBroadcastsApplyThenLogout) {
    UseKind(ConexioTcpIp);
    ASSERT_TRUE(core->Connect());
    const std::int64_t start = clock.Elapsed();
    sim.ClearEvents();
    ASSERT_TRUE(core->Disconnect()) << core->GetLastError();
    EXPECT_FALSE(core->IsConnected());
    EXPECT_FALSE(core->GetConexio().IsOpen());
    EXPECT_FALSE(pumpTimer.running);
    EXPECT_FALSE(pollTimer.running);

    // Four copies of each broadcast, 500 ms apart; 2 s between them; 0.5 s before closing.
    std::vector<std::pair<std::int64_t, int>> controls;
    for (const auto& e : sim.Events())
        if (e.kind == panelsim::SimEvent::ReceivedFrame && e.bytes.size() == 7 && e.bytes[3] == 0x10)
            controls.push_back({e.timeMs - start, e.bytes[4]});
    ASSERT_EQ(controls.size(), 8u);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(controls[static_cast<std::size_t>(i)].second, 9);
        EXPECT_EQ(controls[static_cast<std::size_t>(i + 4)].second, 8);
    }
    EXPECT_EQ(controls[4].first - controls[0].first, 4000);
    EXPECT_EQ(clock.Elapsed() - start, 6500);
    EXPECT_FALSE(sim.LoggedIn());

    EXPECT_TRUE(core->Disconnect());  // not connected: nothing to do
}

TEST_F(ConnectTest, SetPanelClock) {
    UseKind(ConexioTcpIp);
    const unsigned char given[6] = {23, 59, 58, 31, 1, 99};
    EXPECT_FALSE(core->SetPanelClock(given));
    EXPECT_EQ(core->GetLastError(), "No conetado");
    ASSERT_TRUE(core->Connect());
    ASSERT_TRUE(core->SetPanelClock(given)) << core->GetLastError();
    EXPECT_EQ(sim.Central().RamBytes(0x0003, 0, 6), (Bytes{23, 59, 58, 31, 1, 99}));
    const unsigned char shortClock[3] = {1, 2, 3};
    EXPECT_FALSE(core->SetPanelClock(shortClock));
    EXPECT_EQ(core->GetLastError(), "Valor incorrecto");
}

TEST_F(ConnectTest, LinkSettingsFromTheDialogue) {
    ASSERT_TRUE(LoadCentral());
    CInstalacio& inst = core->GetInstalacio();
    EXPECT_FALSE(core->SetConexioSettings(9, 0, "", false, false, "", 0));
    EXPECT_EQ(core->GetLastError(), "Tipo de conexión no válido");
    EXPECT_FALSE(inst.IsModified());

    ASSERT_TRUE(core->SetConexioSettings(ConexioModem, 7, "934001122", true, true, "", 0));
    EXPECT_EQ(inst.GetDades().GetTipusConexio(), ConexioModem);
    EXPECT_EQ(inst.GetDades().GetTelfConexio(), "934001122");
    EXPECT_TRUE(inst.GetDades().GetCallback());
    EXPECT_TRUE(inst.GetDades().GetEspecial());
    EXPECT_EQ(core->GetConfig().GetParam("portcom"), "7");
    EXPECT_TRUE(inst.IsModified());

    ASSERT_TRUE(core->SetConexioSettings(ConexioGprs, 0, "", false, false, "10.1.2.3", 4100));
    EXPECT_EQ(inst.GetDades().GetIpGprsDest(), "10.1.2.3");
    EXPECT_EQ(inst.GetDades().GetIpGprsPort(), 4100);

    // A callback flag of the modem kinds does not turn a TCP link into a callback.
    ASSERT_TRUE(core->SetConexioSettings(ConexioTcpIp, 0, "", false, false, "127.0.0.1", 4000));
    ASSERT_TRUE(core->ConfigureConexio());
    EXPECT_FALSE(core->GetConexio().GetCallback());
    EXPECT_FALSE(core->GetConexio().GetSpecialCall());

    // While connected the live link keeps its settings.
    ASSERT_TRUE(core->GetConexio().AttachTransport(&pipe.LinkEnd()));
    ASSERT_TRUE(core->Connect());
    EXPECT_FALSE(core->SetConexioSettings(ConexioLocal, 1, "", false, false, "", 0));
    EXPECT_EQ(inst.GetDades().GetTipusConexio(), ConexioTcpIp);
    EXPECT_EQ(core->GetConexio().GetKind(), ConexioTcpIp);
}

TEST_F(ConnectTest, ConfigureLocalFromTheSettings) {
    ASSERT_TRUE(LoadCentral());
    CDades& d = core->GetInstalacio().GetDades();
    d.SetTipusConexio(ConexioLocal);
    d.SetBaudRate(0);
    ASSERT_TRUE(core->ConfigureConexio());
    EXPECT_EQ(core->GetConexio().GetBaud(), 19200);  // the setting "baud"
    d.SetBaudRate(9600);
    ASSERT_TRUE(core->ConfigureConexio());
    EXPECT_EQ(core->GetConexio().GetBaud(), 9600);  // the installation's own rate
    EXPECT_EQ(core->GetConexio().GetPort(), 1);
    core->GetConfig().SetParam("baud", "1234");
    d.SetBaudRate(0);
    EXPECT_FALSE(core->ConfigureConexio());
}

}  // namespace

#include "support/fake_modem.h"

namespace {

// The modem kinds: a Hayes modem on the line, the simulated panel behind it once a call is in
// data mode.
class ModemConnectTest : public ConnectTest {
protected:
    void UseModemKind(int kind, bool callback, bool special) {
        ASSERT_TRUE(LoadCentral());
        pipe.Break();  // the fixture's direct wire to the panel stays out of the way
        line.PeerEnd().OnArrival([this] { Pump(); });
        line.LinkEnd().OnClose([this] { modem.PortClosed(); });
        clock.OnSleep([this](std::int64_t) { Pump(); });
        CDades& d = core->GetInstalacio().GetDades();
        d.SetTipusConexio(kind);
        d.SetTelfConexio("934001122");
        d.SetTelfConexioCSD("600112233");
        d.SetCallback(callback);
        d.SetEspecial(special);
        ASSERT_TRUE(core->GetConexio().AttachTransport(&line.LinkEnd()));
    }
    void TearDown() override { core.reset(); }

    void Pump() {
        if (pumping) return;
        pumping = true;
        const std::int64_t now = clock.Elapsed();
        std::string in(static_cast<std::size_t>(line.PeerEnd().BytesWaiting()), '\0');
        if (!in.empty()) line.PeerEnd().Read(reinterpret_cast<unsigned char*>(in.data()), static_cast<int>(in.size()));
        if (!in.empty()) modem.Receive(in, now);
        modem.Tick(now);
        if (ringWhen && ringWhen()) {
            ringWhen = nullptr;
            modem.StartIncomingCall(now + 2000);
        }
        const std::string& data = modem.DataFromLink();
        Bytes toPanel(data.begin() + static_cast<long>(consumed), data.end());
        consumed = data.size();
        if (!modem.InCall() && wasInCall) sim.Reconnect();
        wasInCall = modem.InCall();
        if (beforePanel && modem.DataMode() && !toPanel.empty()) beforePanel(toPanel);
        Bytes fromPanel = sim.Step(now, modem.DataMode() ? toPanel : Bytes{});
        if (modem.DataMode() && !fromPanel.empty())
            modem.SendData(std::string(fromPanel.begin(), fromPanel.end()));
        std::string out = modem.TakeOutput();
        if (!out.empty()) line.PeerEnd().Write(reinterpret_cast<const unsigned char*>(out.data()), static_cast<int>(out.size()));
        pumping = false;
    }

    PipeTransport line;
    FakeModem modem;
    std::function<bool()> ringWhen;
    std::function<void(const Bytes&)> beforePanel;  // the bytes of a call before the panel hears them
    std::size_t consumed = 0;
    bool wasInCall = false;
    bool pumping = false;
};

TEST_F(ModemConnectTest, PstnDirectCall) {
    UseModemKind(ConexioModem, false, false);
    ASSERT_TRUE(core->Connect()) << core->GetLastError();
    ASSERT_EQ(modem.Dialled().size(), 1u);
    std::vector<Bytes> logins = Frames(0x41);
    ASSERT_EQ(logins.size(), 1u);
    EXPECT_EQ(logins[0][1] & 0x7F, 0x00);
    EXPECT_TRUE(sim.LoggedIn());
}

TEST_F(ModemConnectTest, SpecialCallDialsAgainAfterTheInstallerCancels) {
    UseModemKind(ConexioModem, false, true);
    ui.cancelAfterUpdates = 12;  // during the first call's wait for the answer
    ASSERT_TRUE(core->Connect()) << core->GetLastError();
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].first,
              "Llamada Especial:\n Cuando oiga los rings remotos presione \"Cancelar\"\n y el programa efectuará la "
              "segunda llamada");
    EXPECT_EQ(modem.Dialled().size(), 2u);
    EXPECT_EQ(ui.progress.size(), 2u);
    EXPECT_TRUE(core->IsConnected());
}

TEST_F(ModemConnectTest, SpecialCallThatFailsOtherwiseDoesNotDialAgain) {
    UseModemKind(ConexioModem, false, true);
    modem.dataDialOutcome = FakeModem::Outcome::Busy;
    EXPECT_FALSE(core->Connect());
    EXPECT_EQ(core->GetLastError().rfind("Error al intentar iniciar la conexión:\n", 0), 0u);
    EXPECT_EQ(modem.Dialled().size(), 1u);
    ExpectCleanFailure();
}

TEST_F(ModemConnectTest, PstnCallbackAsksThePanelThenAnswersItsCall) {
    UseModemKind(ConexioModem, true, false);
    // The panel calls back once the PC hung up and set its modem up again to answer.
    ringWhen = [this] {
        return modem.HangUps() > 0 && std::count_if(modem.Commands().begin(), modem.Commands().end(), [](const std::string& c) {
                                          return c.rfind("ATE0V1K0", 0) == 0;
                                      }) >= 2;
    };
    ASSERT_TRUE(core->Connect()) << core->GetLastError();
    std::vector<Bytes> logins = Frames(0x41);
    ASSERT_EQ(logins.size(), 2u);
    EXPECT_EQ(logins[0][1] & 0x7F, 0x01);  // the central's own address
    EXPECT_EQ(logins[0][4], 1);            // callback
    EXPECT_EQ(logins[1][1] & 0x7F, 0x00);
    EXPECT_EQ(logins[1][4], 0);
    EXPECT_EQ(ui.progress[0]->maximum, 10);
    EXPECT_TRUE(core->IsConnected());
}

TEST_F(ModemConnectTest, PstnCallbackRefused) {
    UseModemKind(ConexioModem, true, false);
    sim.ClearCodes();
    sim.Faults().missingAnswers = 1;
    EXPECT_FALSE(core->Connect());
    EXPECT_EQ(core->GetLastError(), "Callback no aceptado.\n Puede que la central no soporte esa opción o\n que el "
                                    "código de instalador no se el correcto.");
    ExpectCleanFailure();
}

TEST_F(ModemConnectTest, GsmCallbackSendsNoCallbackRequest) {
    UseModemKind(ConexioGsm, true, false);
    const std::size_t before = 0;
    ringWhen = [this, before] { return modem.Dialled().size() > before; };
    ASSERT_TRUE(core->Connect()) << core->GetLastError();
    std::vector<Bytes> logins = Frames(0x41);
    ASSERT_EQ(logins.size(), 1u);
    EXPECT_EQ(logins[0][4], 0);
    EXPECT_EQ(logins[0][1] & 0x7F, 0x12);
}

}  // namespace

namespace {

TEST_F(ModemConnectTest, GsmPackedWriteAsksForTheLastAnswerOnlyAndPacesTheOthers) {
    UseModemKind(ConexioGsm, false, false);
    ASSERT_TRUE(core->Connect()) << core->GetLastError();
    CGrup* users = core->GetInstalacio().GetCentral().FindGrup("G01U");
    users->GetCodi(0)->SetValue("4567");
    sim.ClearEvents();
    ASSERT_TRUE(core->SendGrupBlock(users)) << core->GetLastError();
    std::vector<std::int64_t> times;
    std::vector<bool> answerWanted;
    for (const auto& e : sim.Events()) {
        if (e.kind != panelsim::SimEvent::Executed || e.bytes[3] != 0xB0) continue;
        times.push_back(e.timeMs);
        answerWanted.push_back((e.bytes[2] & 0x80) != 0);
    }
    ASSERT_GT(times.size(), 1u);
    std::vector<bool> expected(times.size() - 1, false);
    expected.push_back(true);
    EXPECT_EQ(answerWanted, expected);
    // A frame asking for no answer waits out the acknowledgement wait (3500 ms on GSM), then
    // 150 ms more before the next frame.
    for (std::size_t i = 0; i + 1 < times.size(); ++i) EXPECT_GE(times[i + 1] - times[i], 3500 + 150) << i;
    EXPECT_EQ(sim.Central().EepromBytes(0x10, 2), (Bytes{0x45, 0x67}));
}

// On the modem kinds a flash-table read whose first try times out just before its answers come,
// while the panel's table changes before it carries out the next try: the read takes every
// element from the table as it is now, none built from blocks of two states.
class ModemTableTest : public ModemConnectTest {
protected:
    // Block b of the panel's table 0x0800 holds the bytes (b * 16 + k) ^ mark.
    void FillTable(std::uint8_t mark) {
        for (int b = 0; b < 12; ++b) {
            Bytes block(16);
            for (int k = 0; k < 16; ++k) block[static_cast<std::size_t>(k)] = static_cast<std::uint8_t>((b * 16 + k) ^ mark);
            sim.Central().SetFlashBlock(static_cast<std::uint16_t>(0x800 + b), block);
        }
    }
    int BlockReads() const {
        int n = 0;
        for (const auto& e : sim.Events()) n += e.kind == panelsim::SimEvent::Executed && e.bytes[3] == 0x44;
        return n;
    }

    void ReadAcrossATimeOut(int kind, int answerTimeOutMs) {
        UseModemKind(kind, false, false);
        ASSERT_TRUE(core->Connect()) << core->GetLastError();
        CGrupFlash* table = core->GetInstalacio().GetCentral().FindGrupFlash("F01");
        ASSERT_NE(table, nullptr);
        beforePanel = [this](const Bytes& in) {
            if (in.size() > 3 && in[3] == 0x44 && BlockReads() > readsBefore) FillTable(0x80);
        };
        // From answers within the time-out to answers well after it.
        for (int late = answerTimeOutMs - 40; late <= answerTimeOutMs + 200; late += 10) {
            SCOPED_TRACE("answers " + std::to_string(late) + " ms late");
            FillTable(0x00);
            readsBefore = BlockReads();
            sim.Faults().lateAnswers = 1;
            sim.Faults().lateAnswerMs = late;
            core->SetBusy(true);
            core->BeginProgress("Recibiendo...", 100);
            const bool ok = core->ReceiveGrupFlash(table, false);
            core->EndProgress();
            ASSERT_TRUE(ok) << core->GetLastError();
            for (int i = 0; i < table->GetElements(); ++i) {
                Bytes panel;
                for (int k = i * 12; k < i * 12 + 12; ++k)
                    panel.push_back(sim.Central().FlashBlock(static_cast<std::uint16_t>(0x800 + k / 16))[static_cast<std::size_t>(k % 16)]);
                EXPECT_EQ(Bytes(table->GetElementPtr(i), table->GetElementPtr(i) + 12), panel) << "element " << i;
            }
            sim.Faults() = panelsim::SimFaults{};
        }
        beforePanel = nullptr;
    }
    int readsBefore = 0;  // the block reads carried out before this read
};

TEST_F(ModemTableTest, PstnTableReadAfterATimeOutTakesOnlyTheCurrentTable) { ReadAcrossATimeOut(ConexioModem, 2000); }
TEST_F(ModemTableTest, GsmTableReadAfterATimeOutTakesOnlyTheCurrentTable) { ReadAcrossATimeOut(ConexioGsm, 5000); }

}  // namespace

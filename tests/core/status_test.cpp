// Status reads, commands and the event memory against the simulated panel.
#include <functional>
#include <map>
#include <tuple>

#include "core_harness.h"
#include "datamodel/estat.h"
#include "datamodel/events.h"
#include "datamodel/grupflash.h"
#include "datamodel/model.h"
#include "model_fill.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

class StatusTest : public CoreTest {
protected:
    void SetUp() override { ASSERT_TRUE(LoadCentral()); }

    // The local cable instead of TCP/IP (the panel then sends its status after a command).
    bool ConnectLocal() {
        CConexio& link = core->GetConexio();
        link.SetKind(ConexioLocal);
        link.SetPort(1);
        link.SetBaud(19200);
        link.SetDataBits(8);
        link.SetStopBits(0);
        link.SetParity(0);
        if (!link.AttachTransport(&pipe.LinkEnd()) || !link.Open()) {
            ADD_FAILURE() << "link: " << link.GetError();
            return false;
        }
        return ConnectForTest();
    }

    // Request frames the panel carried out, in order.
    std::vector<Bytes> Executed(std::uint8_t command) const {
        std::vector<Bytes> out;
        for (const auto& e : sim.Events())
            if (e.kind == panelsim::SimEvent::Executed && e.bytes.size() > 3 && e.bytes[3] == command)
                out.push_back(e.bytes);
        return out;
    }
    std::vector<std::int64_t> ExecutedTimes(std::uint8_t command) const {
        std::vector<std::int64_t> out;
        for (const auto& e : sim.Events())
            if (e.kind == panelsim::SimEvent::Executed && e.bytes.size() > 3 && e.bytes[3] == command)
                out.push_back(e.timeMs);
        return out;
    }
    // Sub-commands of the remote commands carried out.
    Bytes RemoteSubs() const {
        Bytes subs;
        for (const Bytes& f : Executed(0x5B)) subs.push_back(f[4]);
        return subs;
    }

    CModel& Central() { return core->GetInstalacio().GetCentral(); }
    CEstat& Estat() { return Central().GetEstat(); }
    CEvents& Events() { return Central().GetEvents(); }

    // Writes n event records (8 bytes, the central's format) into the panel's memory at 0x1800,
    // record i with zone i % 16 + 1, and sets the panel's pointer.
    void PutRecords(int first, int n, int pointer) {
        for (int i = first; i < first + n; ++i) PutRecord(i, Record(i));
        SetPointer(pointer);
    }
    Bytes Record(int i) {
        panelsim::SimStoredEvent e;
        e.contactId = "1130";
        e.zone = i % 16 + 1;
        e.time = {10, static_cast<std::uint8_t>(i % 60), 0, 14, 6, 24};
        return panelsim::EventRecord(e, Events().GetTipus(), Events().GetBytesEvent());
    }
    void PutRecord(int i, const Bytes& record) {
        sim.Central().SetEeprom(static_cast<std::uint32_t>(0x1800 + i * 8), record);
    }
    void SetPointer(int pointer) {
        const Bytes bytes{static_cast<std::uint8_t>(pointer & 0xFF), static_cast<std::uint8_t>(pointer & 0xFF),
                          static_cast<std::uint8_t>(pointer >> 8)};
        sim.Central().SetRam(0x0002, 0x13, bytes);
    }
    std::vector<int> EventZones() {
        std::vector<int> zones;
        for (int i = 0; i < Events().GetCount(); ++i) zones.push_back(Events().GetEvent(i)->GetZone());
        return zones;
    }
    static std::vector<int> Zones(int first, int n) {
        std::vector<int> z;
        for (int i = first; i < first + n; ++i) z.push_back(i % 16 + 1);
        return z;
    }
};

TEST_F(StatusTest, GeneralStatusTakesZonesClockPointerAndCoverage) {
    ASSERT_TRUE(ConnectForTest());
    sim.ClearEvents();
    const std::int64_t start = clock.Elapsed();
    ASSERT_TRUE(core->ReceiveStatus(false)) << core->GetLastError();
    EXPECT_TRUE(Estat().IsZoneDetect(1));  // the filled panel: zone 2 open, 4 in alarm, 6 bypassed
    EXPECT_TRUE(Estat().IsZoneAlarm(3));
    EXPECT_TRUE(Estat().IsZoneOmit(5));
    EXPECT_FALSE(Estat().IsZoneDetect(0));
    EXPECT_EQ(Estat().GetAreaStatus(), 1);
    EXPECT_EQ(Estat().GetPanelStatus(), 0x80);
    EXPECT_EQ(Estat().GetTimeText(), "10:30:00");
    EXPECT_EQ(Estat().GetDateText(), "14/06/24");
    EXPECT_EQ(Estat().GetEventPointer(), 8);
    EXPECT_NE(Log().find("Event Pointer: 8\n"), std::string::npos);
    EXPECT_EQ(Estat().GetPpeValue(), 72);
    EXPECT_EQ(RemoteSubs(), Bytes{0xFF});
    EXPECT_GE(ExecutedTimes(0x5B).at(0) - start, 500);

    // Past 256 records the pointer takes two bytes; it is kept as the panel reported it, even
    // outside the memory.
    for (auto [capacity, pointer, kept] : {std::tuple{256, 300, 300 & 0xFF}, {257, 300, 300}, {1000, 1500, 1500}}) {
        Events().SetMaxEvents(capacity);
        SetPointer(pointer);
        ASSERT_TRUE(core->ReceiveStatus(false)) << core->GetLastError();
        EXPECT_EQ(Estat().GetEventPointer(), kept) << capacity;
        EXPECT_NE(Log().find("Event Pointer: " + std::to_string(kept) + "\n"), std::string::npos) << capacity;
    }
}

TEST_F(StatusTest, CommandsAskForTheStatusHalfASecondLaterExceptOnTheLocalCable) {
    for (const bool local : {false, true}) {
        SCOPED_TRACE(local ? "local" : "tcp");
        ASSERT_TRUE(local ? ConnectLocal() : ConnectForTest());
        sim.ClearEvents();
        ASSERT_TRUE(core->SendAreaCommand(0x02, local)) << core->GetLastError();
        EXPECT_EQ(RemoteSubs(), local ? Bytes{0x82} : (Bytes{0x03, 0xFF}));
        if (!local) {
            const auto times = ExecutedTimes(0x5B);
            EXPECT_GE(times[1] - times[0], 500);
        }
        EXPECT_EQ(Estat().GetAreaStatus(), local ? 0x03 : 0x01);
        EXPECT_FALSE(core->IsBusy());
        EXPECT_EQ(ui.progress.back()->title, "Enviando...");
        EXPECT_EQ(ui.progress.back()->maximum, 5);
        EXPECT_FALSE(ui.progress.back()->open);

        // A zone bypass: one frame for up to 8 zones, two for 16.
        sim.ClearEvents();
        const Bytes mask{static_cast<std::uint8_t>(local ? 0x01 : 0x04), 0x80};
        ASSERT_TRUE(core->SendZoneCommand(mask, local ? 16 : 8)) << core->GetLastError();
        auto zones = Executed(0x5B);
        ASSERT_EQ(zones.size(), 2u);  // on TCP the second is the status request
        const std::uint8_t statusFlag = local ? 0x80 : 0x00;
        EXPECT_EQ(Bytes(zones[0].begin() + 4, zones[0].begin() + 7), (Bytes{statusFlag, 0x3F, mask[0]}));
        const Bytes second = local ? Bytes{0x80, 0x7F, 0x80} : Bytes{0xFF, 0, 0};
        EXPECT_EQ(Bytes(zones[1].begin() + 4, zones[1].begin() + 7), second);
        EXPECT_TRUE(Estat().IsZoneOmit(local ? 0 : 2));
        EXPECT_EQ(Estat().IsZoneOmit(15), local);
        EXPECT_EQ(ui.progress.back()->maximum, local ? 6 : 5);
        CoreTestAccess::SetConnected(*core, false);
        core->GetProtocol().Disconnect();
        core->GetConexio().Close();
    }
}

TEST_F(StatusTest, FailedCommandsLeaveBusyAsTheyFoundIt) {
    ASSERT_TRUE(ConnectForTest());
    sim.Faults().ignoreRequests = 4;
    EXPECT_FALSE(core->SendAreaCommand(0x01, true));
    EXPECT_EQ(core->GetLastError(), "Sin respuesta");
    EXPECT_FALSE(core->IsBusy());
    EXPECT_FALSE(ui.progress.back()->open);
    EXPECT_FALSE(core->HasProgress());

    // A panel's series of switch commands under its own busy flag and dialog.
    core->SetBusy(true);
    ASSERT_TRUE(core->BeginProgress("Enviando...", 4));
    core->SetBusy(true);
    EXPECT_TRUE(core->SendOutputCommand(1, true)) << core->GetLastError();
    EXPECT_TRUE(core->IsBusy());
    EXPECT_TRUE(core->SendAreaCommand(0x01, true)) << core->GetLastError();
    EXPECT_TRUE(core->HasProgress());  // the panel's dialog was used, not replaced
    EXPECT_TRUE(core->IsBusy());
    core->EndProgress();
    EXPECT_EQ(ui.progress.size(), 2u);

    CoreTestAccess::SetConnected(*core, false);
    EXPECT_FALSE(core->SendZoneCommand(Bytes{1, 0}, 8));
    EXPECT_EQ(core->GetLastError(), "No conetado");
    EXPECT_FALSE(core->ReceiveStatus(false));
    EXPECT_EQ(core->GetLastError(), "No conetado");
}

TEST_F(StatusTest, SwitchesAndReadingsOfOutputsRelaysMeasuresAndRadio) {
    ASSERT_TRUE(ConnectForTest());
    ASSERT_TRUE(core->ReceiveOutputs()) << core->GetLastError();
    ASSERT_TRUE(core->ReceiveRelays()) << core->GetLastError();
    EXPECT_EQ(Estat().FindOutput(2)->GetRaw(), 1);
    EXPECT_EQ(Estat().FindOutput(1)->GetRaw(), 0);
    EXPECT_EQ(Estat().FindRelay(0)->GetRaw(), 1);

    sim.ClearEvents();
    EXPECT_TRUE(core->SendOutputCommand(1, true)) << core->GetLastError();
    EXPECT_TRUE(core->SendRelayCommand(0, false)) << core->GetLastError();
    EXPECT_TRUE(core->SendOutputCommand(-3, true)) << core->GetLastError();
    auto cmds = Executed(0x5B);
    ASSERT_EQ(cmds.size(), 3u);
    EXPECT_EQ(Bytes(cmds[0].begin() + 4, cmds[0].begin() + 6), (Bytes{0x04, 1}));
    EXPECT_EQ(Bytes(cmds[1].begin() + 4, cmds[1].begin() + 6), (Bytes{0x0D, 0}));
    EXPECT_EQ(Bytes(cmds[2].begin() + 4, cmds[2].begin() + 6), (Bytes{0x04, 0}));
    EXPECT_FALSE(core->IsBusy());
    ASSERT_TRUE(core->ReceiveOutputs());
    ASSERT_TRUE(core->ReceiveRelays());
    EXPECT_EQ(Estat().FindOutput(1)->GetRaw(), 1);
    EXPECT_EQ(Estat().FindOutput(0)->GetRaw(), 1);
    EXPECT_EQ(Estat().FindRelay(0)->GetRaw(), 0);

    // No answer: the outputs stay as they were, and the read succeeds.
    sim.Central().SetRam(0x0006, 1, Bytes{0});
    sim.Faults().missingAnswers = 1;
    EXPECT_TRUE(core->ReceiveOutputs()) << core->GetLastError();
    EXPECT_EQ(Estat().FindOutput(1)->GetRaw(), 1);

    // Measures: byte i to the measure of offset i.
    const int count = Estat().GetMesuraCount();
    ASSERT_EQ(count, 11);
    Bytes raw(11);
    for (int i = 0; i < count; ++i) raw[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(100 + i);
    sim.Central().SetRam(0x0010, 0, raw);
    sim.ClearEvents();
    ASSERT_TRUE(core->ReceiveMesures()) << core->GetLastError();
    for (int i = 0; i < count; ++i) EXPECT_EQ(Estat().FindMesura(i)->GetRaw(), 100 + i) << i;
    auto reads = Executed(0x51);
    ASSERT_EQ(reads.size(), 1u);
    EXPECT_EQ(Bytes(reads[0].begin() + 4, reads[0].begin() + 9), (Bytes{0xC0, 0x10, 0xFF, 11, 0}));

    // Radio: four bit planes of count / 8 bytes.
    const int radio = Estat().GetRadioZoneCount();
    ASSERT_GE(radio, 8);
    const int plane = radio / 8;
    Bytes planes(static_cast<std::size_t>(radio / 2), 0);
    planes[0] = 0x01;                                      // flag 0 of zone 0
    planes[static_cast<std::size_t>(3 * plane)] = 0x80;    // flag 3 of zone 7
    sim.Central().SetRam(0x0016, 0, planes);
    ASSERT_TRUE(core->ReceiveRadio()) << core->GetLastError();
    EXPECT_TRUE(Estat().GetRadioFlag0(0));
    EXPECT_FALSE(Estat().GetRadioFlag0(1));
    EXPECT_TRUE(Estat().GetRadioFlag3(7));

    sim.ClearEvents();
    EXPECT_TRUE(core->SendPhoneTest()) << core->GetLastError();
    auto test = Executed(0x40);
    ASSERT_EQ(test.size(), 1u);
    EXPECT_EQ(Bytes(test[0].begin() + 4, test[0].begin() + 8), (Bytes{0xD2, 0xFF, 0x00, 0x00}));
}

TEST_F(StatusTest, AFixedReadStoppedByCancelFailsAndTakesNothing) {
    // The read's answer comes a second late and Cancel is pressed 200 ms after the panel took
    // the request: the read fails and its value stays (one that got no answer at all succeeds,
    // above). The clock and the event pointer are read within the general status.
    ASSERT_TRUE(ConnectForTest());
    constexpr int kStatusRequest = 0x5B00;
    struct Case {
        const char* name;
        int variable;
        int after;  // the request whose execution makes the next answers late (-1: from the start)
        std::function<bool()> read;
        std::function<int()> value;
    } cases[] = {
        {"measures", 0x0010, -1, [this] { return core->ReceiveMesures(); }, [this] { return Estat().FindMesura(0)->GetRaw(); }},
        {"outputs", 0x0006, -1, [this] { return core->ReceiveOutputs(); }, [this] { return Estat().FindOutput(0)->GetRaw(); }},
        {"relays", 0x0032, -1, [this] { return core->ReceiveRelays(); }, [this] { return Estat().FindRelay(0)->GetRaw(); }},
        {"clock", 0x0003, kStatusRequest, [this] { return core->ReceiveStatus(false); },
         [this] { return static_cast<int>(Estat().GetClock()[0]); }},
        {"event pointer", 0x0002, 0x0003, [this] { return core->ReceiveStatus(false); },
         [this] { return Estat().GetEventPointer(); }},
    };
    // When the panel carried out a memory read of the variable (or the status request).
    auto executedAt = [this](int variable) -> std::int64_t {
        for (const auto& e : sim.Events()) {
            if (e.kind != panelsim::SimEvent::Executed || e.bytes.size() < 6) continue;
            if (variable == kStatusRequest ? e.bytes[3] == 0x5B
                                           : e.bytes[3] == 0x51 && (e.bytes[4] & 0x3F) == (variable >> 8) &&
                                                 e.bytes[5] == (variable & 0xFF))
                return e.timeMs;
        }
        return -1;
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Idle(6000);
        const int before = c.value();
        sim.Central().SetRam(static_cast<std::uint16_t>(c.variable), c.variable == 0x0002 ? 0x13 : 0,
                             Bytes{static_cast<std::uint8_t>(before + 7)});
        sim.ClearEvents();
        bool late = false;
        auto makeLate = [&] {
            sim.Faults().lateAnswers = 1;
            sim.Faults().lateAnswerMs = 1000;
            late = true;
        };
        if (c.after < 0) makeLate();
        ui.cancelIf = [&] {
            if (!late && executedAt(c.after) >= 0) makeLate();
            const std::int64_t at = executedAt(c.variable);
            return at >= 0 && clock.Elapsed() >= at + 200;
        };
        ASSERT_TRUE(core->BeginProgress("Recibiendo...", 10));
        EXPECT_FALSE(c.read());
        EXPECT_EQ(core->GetLastError(), "Cancelado por el usuario");
        EXPECT_EQ(c.value(), before);
        ui.cancelIf = nullptr;
        core->EndProgress();
        sim.Faults() = panelsim::SimFaults{};
    }
}

TEST_F(StatusTest, ManyMeasuresAreReadInTwoRequests) {
    ASSERT_TRUE(ConnectForTest());
    for (int i = 11; i < 300; ++i) {
        auto m = std::make_unique<CMesura>();
        m->SetOffset(i);
        Estat().AddMesura(std::move(m));
    }
    Bytes raw(300);
    for (std::size_t i = 0; i < raw.size(); ++i) raw[i] = static_cast<std::uint8_t>(i * 3);
    sim.Central().SetRam(0x0010, 0, raw);
    sim.ClearEvents();
    ASSERT_TRUE(core->ReceiveMesures()) << core->GetLastError();
    EXPECT_EQ(Estat().FindMesura(299)->GetRaw(), static_cast<std::uint8_t>(299 * 3));
    EXPECT_EQ(Estat().FindMesura(254)->GetRaw(), static_cast<std::uint8_t>(254 * 3));
    auto reads = Executed(0x51);
    ASSERT_EQ(reads.size(), 2u);
    EXPECT_EQ(reads[0][7], 255);
    EXPECT_EQ(Bytes(reads[1].begin() + 7, reads[1].begin() + 9), (Bytes{45, 255}));
}

TEST_F(StatusTest, EventMemoryReadsTheNewRecordsInChunks) {
    ASSERT_TRUE(ConnectForTest());
    // 20 records after the 8 the panel was filled with; the read pointer at 8.
    PutRecords(8, 20, 28);
    ASSERT_TRUE(core->ReceiveStatus(false)) << core->GetLastError();
    Events().SetMyPpe(8);
    sim.ClearEvents();
    ASSERT_TRUE(core->ReceiveEventLog()) << core->GetLastError();
    EXPECT_EQ(EventZones(), Zones(8, 20));
    EXPECT_EQ(Events().GetMyPpe(), 28);
    auto reads = Executed(0x51);
    ASSERT_EQ(reads.size(), 3u);  // 8, 8 and 4 records
    EXPECT_EQ(Bytes(reads[0].begin() + 4, reads[0].begin() + 8), (Bytes{0x58, 0x40, 0xFF, 64}));
    EXPECT_EQ(Bytes(reads[1].begin() + 4, reads[1].begin() + 8), (Bytes{0x58, 0x80, 0xFF, 64}));
    EXPECT_EQ(Bytes(reads[2].begin() + 4, reads[2].begin() + 8), (Bytes{0x58, 0xC0, 0xFF, 32}));

    // Nothing new: no request.
    sim.ClearEvents();
    ASSERT_TRUE(core->ReceiveEventLog());
    EXPECT_TRUE(Executed(0x51).empty());
}

TEST_F(StatusTest, WrappedMemoryIsReadToItsEndAndThenFromZero) {
    ASSERT_TRUE(ConnectForTest());
    Events().SetMaxEvents(100);
    PutRecords(0, 100, 4);
    ASSERT_TRUE(core->ReceiveStatus(false)) << core->GetLastError();
    Events().SetMyPpe(10);
    ASSERT_TRUE(core->ReceiveEventLog()) << core->GetLastError();
    std::vector<int> expected = Zones(10, 90);
    for (int z : Zones(0, 4)) expected.push_back(z);
    EXPECT_EQ(EventZones(), expected);
    EXPECT_EQ(Events().GetMyPpe(), 4);

    // The whole memory: every record but the next one to be written.
    Events().Clear();
    Events().SetWholeMemory(true);
    ASSERT_TRUE(core->ReceiveEventLog()) << core->GetLastError();
    expected = Zones(5, 95);
    for (int z : Zones(0, 4)) expected.push_back(z);
    EXPECT_EQ(EventZones(), expected);
    EXPECT_EQ(Events().GetMyPpe(), 4);
}

TEST_F(StatusTest, EmptyRecordsAreSkippedAndShortAnswersLoseNothing) {
    ASSERT_TRUE(ConnectForTest());
    PutRecords(0, 8, 8);
    PutRecord(3, Bytes(8, 0xFF));
    ASSERT_TRUE(core->ReceiveStatus(false)) << core->GetLastError();
    sim.Faults().keepAnswers = 1;  // the first request brings one record of eight
    sim.ClearEvents();
    ASSERT_TRUE(core->ReceiveEventLog()) << core->GetLastError();
    EXPECT_EQ(EventZones(), (std::vector<int>{1, 2, 3, 5, 6, 7, 8}));
    EXPECT_EQ(Events().GetMyPpe(), 8);
    auto reads = Executed(0x51);
    ASSERT_EQ(reads.size(), 2u);
    EXPECT_EQ(reads[1][5], 0x08);  // the second request starts at record 1

    // A record read that is never answered is repeated three times, then fails.
    PutRecords(8, 2, 10);
    ASSERT_TRUE(core->ReceiveStatus(false)) << core->GetLastError();
    sim.ClearEvents();
    sim.Faults().missingAnswers = 4;
    EXPECT_FALSE(core->ReceiveEventLog());
    EXPECT_EQ(core->GetLastError(), "Timeout");
    EXPECT_EQ(Executed(0x51).size(), 4u);
    EXPECT_EQ(Events().GetMyPpe(), 8);
    sim.Faults().missingAnswers = 3;
    ASSERT_TRUE(core->ReceiveEventLog()) << core->GetLastError();
    EXPECT_EQ(Events().GetCount(), 9);
}

TEST_F(StatusTest, FlashRecordsAtAnOddIndexAreTakenFromInsideTheBlock) {
    ASSERT_TRUE(ConnectForTest());
    Events().SetFlash("200");
    for (int i = 0; i < 6; ++i) {
        Bytes r = Record(i);
        const auto held = sim.Central().FlashBlock(static_cast<std::uint16_t>(0x200 + i / 2));
        Bytes block(held.begin(), held.end());
        std::copy(r.begin(), r.end(), block.begin() + (i % 2) * 8);
        sim.Central().SetFlashBlock(static_cast<std::uint16_t>(0x200 + i / 2), block);
    }
    SetPointer(4);
    ASSERT_TRUE(core->ReceiveStatus(false)) << core->GetLastError();
    Events().SetMyPpe(1);
    sim.ClearEvents();
    ASSERT_TRUE(core->ReceiveEventLog()) << core->GetLastError();
    EXPECT_EQ(EventZones(), Zones(1, 3));
    auto reads = Executed(0x44);
    ASSERT_EQ(reads.size(), 1u);
    EXPECT_EQ(Bytes(reads[0].begin() + 4, reads[0].begin() + 7), (Bytes{0x00, 0x02, 2}));
}

TEST_F(StatusTest, CancelKeepsTheEventsReadSoFar) {
    ASSERT_TRUE(ConnectForTest());
    PutRecords(8, 24, 32);
    ASSERT_TRUE(core->ReceiveStatus(false)) << core->GetLastError();
    Events().SetMyPpe(8);
    ASSERT_TRUE(core->BeginProgress("Recibiendo...", 5));
    // Cancel once the first chunk is in: the dialog reports it from then on.
    auto dialog = ui.progress.back();
    clock.OnSleep([dialog, this](std::int64_t) {
        if (core && core->GetInstalacio().GetCentral().GetEvents().GetCount() >= 8) dialog->cancelled = true;
    });
    EXPECT_FALSE(core->ReceiveEventLog());
    core->EndProgress();
    EXPECT_EQ(core->GetLastError(), "Cancelado por el usuario");
    EXPECT_EQ(EventZones(), Zones(8, 8));
    EXPECT_EQ(Events().GetMyPpe(), 16);
}

}  // namespace

namespace {

// Receive, send and verify on the status, event and flash nodes of the tree: the window's
// operations run the reads and uploads of those nodes against the panel.
class NodeTest : public StatusTest {
protected:
    void SetUp() override {
        StatusTest::SetUp();
        ASSERT_TRUE(ConnectForTest());
        core->BuildTree();
        sim.ClearEvents();
    }
    TreeItemId Find(const std::string& label, int kind) const {
        for (const auto& [id, node] : tree.nodes)
            if (node.label == label && core->GetTreeIndex().GetKind(id) == kind) return id;
        return kNoTreeItem;
    }
    // The requests the panel carried out since the last call, by name.
    std::string Requests() {
        std::string out;
        for (const auto& e : sim.Events()) {
            if (e.kind != panelsim::SimEvent::Executed || e.bytes.size() < 6) continue;
            const Bytes& f = e.bytes;
            std::string name = "cmd" + std::to_string(f[3]);
            if (f[3] == 0x5B && f[4] == 0xFF) name = "status";
            if (f[3] == 0x44) name = "blocks";
            if (f[3] == 0x25) name = "erase";
            if (f[3] == 0xF0) name = "write";
            if (f[3] == 0x51) {
                const int address = (f[4] & 0x3F) << 8 | f[5];
                const std::map<int, std::string> ram{{0x03, "clock"}, {0x02, "pointer"}, {0x10, "measures"},
                                                     {0x06, "outputs"}, {0x32, "relays"}, {0x16, "radio"},
                                                     {0x130, "ppe"}};
                name = !(f[4] & 0x80) ? "records" : ram.count(address) ? ram.at(address) : "ram";
            }
            out += (out.empty() ? "" : " ") + name;
        }
        sim.ClearEvents();
        return out;
    }
};

TEST_F(NodeTest, ReceiveRunsTheReadsOfEachStatusAndEventNode) {
    struct Case {
        const char* label;
        int kind;
        const char* requests;
        int maximum;  // of the progress dialog
    } cases[] = {
        {"Estado", TreeNodeEstat, "status clock pointer ppe measures outputs relays radio", 6},
        {"General", TreeNodeVista, "status clock pointer ppe outputs relays", 4},
        {"Analógico", TreeNodeVista, "measures", 1},
        {"Salidas", TreeNodeVista, "outputs", 1},
        {"Via radio", TreeNodeVista, "radio", 1},
        {"Gráfico", TreeNodeVista, "status clock pointer ppe", 3},
        {"Eventos", TreeNodeEvents, "status clock pointer ppe records", 3},  // the 8 records of the filled panel
        {"Eventos", TreeNodeEvents, "status clock pointer ppe", 1},          // nothing new
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        const TreeItemId item = Find(c.label, c.kind);
        ASSERT_NE(item, kNoTreeItem);
        core->GetInstalacio().ClearModified();
        ASSERT_TRUE(core->Receive(item)) << core->GetLastError();
        EXPECT_EQ(Requests(), c.requests);
        // Records read are kept in the installation file; status readings are not.
        EXPECT_EQ(core->GetInstalacio().IsModified(), std::string(c.requests).ends_with("records"));
        EXPECT_EQ(ui.progress.back()->title, "Recibiendo...");
        EXPECT_EQ(ui.progress.back()->maximum, c.maximum);
        // Only the close of the dialog may fill the bar; nothing passes it.
        const auto& updates = ui.progress.back()->updates;
        for (std::size_t i = 0; i < updates.size(); ++i)
            EXPECT_LT(updates[i].first, ui.progress.back()->maximum + (i + 1 == updates.size()));
        EXPECT_EQ(edit.calls.back(), "TransferToPanels");
        EXPECT_FALSE(core->IsBusy());
        EXPECT_FALSE(core->HasProgress());
        EXPECT_TRUE(pollTimer.running);

        // Nothing of a status or event node is sent or verified.
        EXPECT_FALSE(core->Send(item));
        EXPECT_EQ(core->GetLastError(), "Nada que enviar");
        EXPECT_FALSE(core->Verify(item));
        EXPECT_EQ(core->GetLastError(), "Opción no válida");
        EXPECT_EQ(Requests(), "");
    }
    EXPECT_EQ(Events().GetCount(), 8);
    EXPECT_EQ(Events().GetMyPpe(), 8);
    EXPECT_EQ(Estat().FindOutput(2)->GetRaw(), 1);

    // A failed read still reloads the panels and leaves the core idle.
    sim.Faults().missingAnswers = 10;
    edit.calls.clear();
    EXPECT_FALSE(core->Receive(Find("General", TreeNodeVista)));
    EXPECT_EQ(core->GetLastError(), "Timeout");
    EXPECT_EQ(edit.calls, std::vector<std::string>{"TransferToPanels"});
    EXPECT_FALSE(core->IsBusy());
    EXPECT_FALSE(core->HasProgress());
}

// An operation takes at least the waits it asks for, even right after one whose sleeps woke up
// late: what ran late before it is not paid back inside it.
TEST_F(NodeTest, AnOperationRightAfterALateOneStillTakesAllItsWaits) {
    const TreeItemId item = Find("General", TreeNodeVista);
    ASSERT_NE(item, kNoTreeItem);
    std::int64_t start = clock.Elapsed();
    ASSERT_TRUE(core->Receive(item)) << core->GetLastError();
    const std::int64_t onTime = clock.Elapsed() - start;
    clock.SetOvershoot(40);
    ASSERT_TRUE(core->Receive(item)) << core->GetLastError();
    clock.SetOvershoot(0);
    start = clock.Elapsed();
    ASSERT_TRUE(core->Receive(item)) << core->GetLastError();
    EXPECT_EQ(clock.Elapsed() - start, onTime);
}

TEST_F(NodeTest, ReceiveSendAndVerifyOfAFlashTableNode) {
    const TreeItemId item = Find("Agenda de teléfonos", TreeNodeGrupFlash);
    ASSERT_NE(item, kNoTreeItem);
    CGrupFlash* table = core->GetTreeIndex().GetGrupFlash(item);
    const int blocks = core->CountNodeItems(item, true);
    core->GetInstalacio().ClearModified();
    ASSERT_TRUE(core->Receive(item)) << core->GetLastError();
    EXPECT_EQ(Requests(), "blocks");
    EXPECT_TRUE(core->GetInstalacio().IsModified());  // the file keeps the table
    ASSERT_TRUE(core->Verify(item)) << core->GetLastError();
    EXPECT_EQ(Requests(), "blocks");
    EXPECT_EQ(ui.progress.back()->title, "Verificando...");

    table->GetElementPtr(1)[0] ^= 0x5A;
    ASSERT_TRUE(core->Send(item)) << core->GetLastError();
    std::string expected = "erase";
    for (int i = 0; i < blocks; ++i) expected += " write";
    EXPECT_EQ(Requests(), expected);
    EXPECT_EQ(ui.progress.back()->title, "Enviando...");
    EXPECT_EQ(ui.progress.back()->maximum, blocks);
    EXPECT_TRUE(core->Verify(item)) << core->GetLastError();
    table->GetElementPtr(1)[0] ^= 0x5A;
    EXPECT_FALSE(core->Verify(item));
    EXPECT_EQ(core->GetLastError(), "Diferencias verificando el código 1\nProceso de verificación detenido aquí.");
    EXPECT_EQ(table->GetElementPtr(1)[0] ^ 0x5A, sim.Central().FlashBlock(0x800)[12]);  // verify stores nothing
    EXPECT_FALSE(core->IsBusy());
    EXPECT_FALSE(core->HasProgress());

    // A file group with no file marked has nothing to move.
    const TreeItemId files = Find("Servidor web", TreeNodeGrupFlash);
    EXPECT_FALSE(core->Send(files));
    EXPECT_EQ(core->GetLastError(), "Nada que enviar");
    EXPECT_FALSE(core->Receive(files));
    EXPECT_EQ(core->GetLastError(), "Nada que recibir");
}

}  // namespace

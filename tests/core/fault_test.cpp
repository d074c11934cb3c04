// The simulated panel's faults through the core's operations: every fault against every
// operation, and a read right after an unanswered one. Whatever the outcome, no value changes
// that the panel did not send, the core ends idle, and a clean run follows. Every test runs once
// for each form in which a panel may answer (AnswerForms), and one more test runs every
// operation of the program against each form.
#include <fstream>

#include "fault_fixture.h"

namespace {

using namespace faultcases;

TEST_P(FaultTest, EveryFaultThroughEveryOperation) {
    using Faults = panelsim::SimFaults;
    struct Fault {
        const char* name;
        std::function<void(Faults&)> set;
        const char* error;  // how the operation ends: empty when it succeeds
    } faults[] = {
        {"silence", [](Faults& f) { f.ignoreRequests = 1000; }, "Sin respuesta"},
        {"silence once", [](Faults& f) { f.ignoreRequests = 1; }, ""},
        {"NAK twice", [](Faults& f) { f.nakRequests = 2; }, ""},
        {"bad CRC on acknowledgement", [](Faults& f) { f.badCrcAcks = 1; }, ""},
        {"bad CRC on answer", [](Faults& f) { f.badCrcAnswers = 1; }, ""},
        {"late answer", [](Faults& f) { f.lateAnswers = 1, f.lateAnswerMs = 4500; }, ""},
        {"two answers twice the time-out late", [](Faults& f) { f.lateAnswers = 2, f.lateAnswerMs = 8000; }, ""},
        {"missing answer", [](Faults& f) { f.missingAnswers = 1; }, ""},
        {"answer without acknowledgement", [](Faults& f) { f.answersWithoutAck = 1; }, ""},
        {"answer before acknowledgement", [](Faults& f) { f.answerBeforeAck = 1; }, ""},
        {"stale repeat", [](Faults& f) { f.staleDuplicates = 2; }, ""},
        {"another address", [](Faults& f) { f.foreignFrames = 2; }, ""},
        {"noise", [](Faults& f) { f.noise = {0x55, 0x16, 0x01, 0xAA, 0x06}; }, ""},
        {"split frame", [](Faults& f) { f.splitFrames = 2, f.splitGapMs = 100; }, ""},
        {"dropped link", [](Faults& f) { f.dropAfterBytes = 3; }, "Se perdió la conexión"},
    };
    for (const Fault& fault : faults) {
        for (const Operation& op : Operations()) {
            SCOPED_TRACE(std::string(fault.name) + " / " + op.name);
            FillPanel();
            ResetValues();
            fault.set(sim.Faults());
            const bool ok = op.run(*this);
            EXPECT_EQ(ok, !*fault.error);
            EXPECT_EQ(ok ? "" : core->GetLastError(), fault.error);
            EXPECT_FALSE(core->IsBusy());
            EXPECT_FALSE(core->HasProgress());
            EXPECT_EQ(core->IsConnected(), std::string(fault.name) != "dropped link");
            ExpectOnlyPanelValues(ok ? op.reads : kNone);
            // Then a clean run.
            sim.Faults() = Form();
            Reconnect();
            Idle(6000);
            FillPanel();
            ResetValues();
            ASSERT_TRUE(op.run(*this)) << core->GetLastError();
            ExpectOnlyPanelValues(op.reads);
        }
    }
}

TEST_P(FaultTest, AReadAfterAnUnansweredOneTakesOnlyWhatThePanelHoldsNow) {
    // The first read ends unanswered (Cancel as the panel carries it out, or the time-out just
    // before its answers come), the panel's values change, and the same read follows at once.
    // On TCP/IP the answer time-out is 4 s and a status request is answered 40 ms after it goes
    // out, so a status answer held 4060 to 4620 ms comes 20 to 580 ms after the time-out.
    struct Case {
        const char* name;
        int lateMs;
        bool cancel;
        std::function<bool()> read;
        std::function<void()> change;
        std::function<void()> expectCurrent;
    };
    auto packedRead = [this] { return Framed(*this, [&] { return core->ReceiveGrupBlock(Users(), false); }); };
    auto newUsers = [this] { FillUsers(0x45); };
    auto currentUsers = [this] { ExpectOnlyPanelValues(kUsers); };
    auto statusRead = [this] { return core->ReceiveStatus(false); };
    auto armed = [this] {
        sim.Central().status[6] = 0x03;
        sim.Central().status[7] = 0x41;
    };
    auto currentStatus = [this] {
        EXPECT_EQ(Central().GetEstat().GetAreaStatus(), 0x03);
        EXPECT_EQ(Central().GetEstat().GetPanelStatus(), 0x41);
    };
    auto singleRead = [this] { return Framed(*this, [&] { return core->ReceiveCodi(Single(), false); }); };
    auto newSingle = [this] {
        const auto number = static_cast<std::uint16_t>(HexStringToInt(Single()->GetCodeNumber()));
        sim.Central().SetCode(panelsim::Memory::Eeprom, number, Single()->GetAddress(), Bytes{0x86, 0x42});
    };
    auto currentSingle = [this] { EXPECT_EQ(Single()->GetValue(), "8642"); };
    auto tableRead = [this] { return Framed(*this, [&] { return core->ReceiveGrupFlash(Table(), false); }); };
    auto newTable = [this] { FillTable(0x08); };
    auto currentTable = [this] { ExpectOnlyPanelValues(kTable); };
    std::vector<Case> cases;
    for (int late : {200, 400}) {
        cases.push_back({"packed read cancelled", late, true, packedRead, newUsers, currentUsers});
        cases.push_back({"single read cancelled", late, true, singleRead, newSingle, currentSingle});
        cases.push_back({"table read cancelled", late, true, tableRead, newTable, currentTable});
    }
    for (int late : {4060, 4200, 4400, 4540, 4620})
        cases.push_back({"status read timed out", late, false, statusRead, armed, currentStatus});

    const std::array<std::uint8_t, 10> before = sim.Central().status;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + ", answers " + std::to_string(c.lateMs) + " ms late");
        FillPanel();
        sim.Central().status = before;
        ResetValues();
        sim.Faults().lateAnswers = 1;
        sim.Faults().lateAnswerMs = c.lateMs;
        const int executed = sim.ExecutedCount();
        if (c.cancel) ui.cancelIf = [&] { return sim.ExecutedCount() > executed; };
        EXPECT_FALSE(c.read());
        EXPECT_EQ(core->GetLastError(), c.cancel ? "Cancelado por el usuario" : "Timeout");
        ui.cancelIf = nullptr;
        sim.Faults() = Form();
        c.change();
        ASSERT_TRUE(c.read()) << core->GetLastError();
        c.expectCurrent();
        Idle(6000);
    }
}

// Every operation of the program against the panel answering in the run's form: each succeeds
// and every value taken equals what the panel holds.
TEST_P(FaultTest, EveryOperationTakesThePanelsValues) {
    panelsim::SimComponent& panel = sim.Central();
    CEstat& estat = Central().GetEstat();
    auto itemOf = [this](const std::function<bool(const CTreeIndex&, TreeItemId)>& match) {
        for (const auto& [id, node] : tree.nodes)
            if (match(core->GetTreeIndex(), id)) return id;
        return kNoTreeItem;
    };
    const TreeItemId centralItem = itemOf([this](const CTreeIndex& index, TreeItemId i) {
        return index.GetKind(i) == TreeNodeComponent && index.GetComponent(i) == &Central();
    });
    const TreeItemId accessItem = itemOf([this](const CTreeIndex& index, TreeItemId i) {
        return index.GetGrup(i) == Central().FindGrup("G01");
    });
    const TreeItemId tableItem = itemOf([this](const CTreeIndex& index, TreeItemId i) {
        return index.GetGrupFlash(i) == Table();
    });
    // Every code under the group equals the panel's bytes (a packed group's codes are read from
    // the component itself, the others from their group's bus address).
    std::function<void(CGrup*, std::uint8_t)> expectCodes = [&](CGrup* grup, std::uint8_t address) {
        if (grup->IsNoRecv()) return;
        const std::uint8_t here = grup->HasDest() ? static_cast<std::uint8_t>(HexStringToInt(grup->GetDest())) : address;
        for (int i = 0; i < grup->GetCodiCount(); ++i) {
            CCodi* codi = grup->GetCodi(i);
            const auto kind = codi->GetAccess() == CodiRam ? panelsim::Memory::Ram : panelsim::Memory::Eeprom;
            const Bytes held = sim.Component(grup->IsSeguits() ? 0x01 : here)
                                   .Code(kind, static_cast<std::uint16_t>(HexStringToInt(codi->GetCodeNumber())),
                                         codi->GetAddress(), static_cast<std::size_t>(codi->GetByteCount()));
            const CCodi::RawBytes& mine = codi->ToBytes();
            EXPECT_EQ(Bytes(mine.begin(), mine.begin() + codi->GetByteCount()), held) << "code " << codi->GetId();
        }
        for (int i = 0; i < grup->GetSubgrupCount(); ++i) expectCodes(grup->GetSubgrup(i), here);
    };

    // Connect with login, on TCP/IP.
    ASSERT_TRUE(core->Disconnect()) << core->GetLastError();
    CDades& dades = core->GetInstalacio().GetDades();
    dades.SetTipusConexio(ConexioTcpIp);
    dades.SetIpDest("127.0.0.1");
    dades.SetIpPort(4000);
    ASSERT_TRUE(core->GetConexio().AttachTransport(&pipe.LinkEnd()));
    ASSERT_TRUE(core->Connect()) << core->GetLastError();
    EXPECT_TRUE(sim.LoggedIn());

    // Receive the whole central.
    ResetValues();
    ASSERT_TRUE(core->Receive(centralItem)) << core->GetLastError();
    expectCodes(Central().GetRootGrup(), 0x01);
    ExpectOnlyPanelValues(kUsers);
    ExpectOnlyPanelValues(kSingle);

    // Send, then verify: equal, then a difference in the panel.
    Single()->SetValue("1357");
    for (int i = 0; i < Users()->GetCodiCount(); ++i) Users()->GetCodi(i)->SetValue(Hex2(i + 1) + "67");
    ASSERT_TRUE(core->Send(accessItem)) << core->GetLastError();
    userTail_ = 0x67;
    ExpectOnlyPanelValues(kSingle);
    for (int i = 0; i < Users()->GetCodiCount(); ++i)
        EXPECT_EQ(panel.EepromBytes(static_cast<std::uint32_t>(0x10 + 2 * i), 2), (Bytes{static_cast<std::uint8_t>(i + 1), 0x67}))
            << "user " << i;
    ASSERT_TRUE(core->Verify(accessItem)) << core->GetLastError();
    FillUsers(0x68);
    EXPECT_FALSE(core->Verify(accessItem));
    EXPECT_EQ(core->GetLastError().rfind("Diferencias verificando el código ", 0), 0u) << core->GetLastError();

    // The status read: status, clock, event pointer; the measures, outputs, relays and radio.
    panel.status = {0x81, 0, 0x02, 0, 0x10, 0, 0x05, 0x40, 0, 0};
    panel.SetRam(0x0003, 0, Bytes{11, 22, 33, 4, 5, 26});
    estat.SetEventPointer(3);
    ASSERT_TRUE(core->ReceiveStatus(false)) << core->GetLastError();
    EXPECT_EQ(estat.GetAreaStatus(), 0x05);
    EXPECT_EQ(estat.GetPanelStatus(), 0x40);
    EXPECT_TRUE(estat.IsZoneDetect(0));
    EXPECT_TRUE(estat.IsZoneOmit(4));
    EXPECT_EQ(Bytes(estat.GetClock().begin(), estat.GetClock().end()), (Bytes{11, 22, 33, 4, 5, 26}));
    EXPECT_EQ(estat.GetEventPointer(), 8 + kRecords);
    struct Reading {
        const char* name;
        std::uint16_t variable;
        int count;
        CMesura* (CEstat::*find)(int) const;
        std::function<bool()> read;
    } readings[] = {
        {"measures", 0x0010, estat.GetMesuraCount(), &CEstat::FindMesura, [this] { return core->ReceiveMesures(); }},
        {"outputs", 0x0006, estat.GetOutputCount(), &CEstat::FindOutput, [this] { return core->ReceiveOutputs(); }},
        {"relays", 0x0032, estat.GetRelayCount(), &CEstat::FindRelay, [this] { return core->ReceiveRelays(); }},
    };
    for (const Reading& r : readings) {
        SCOPED_TRACE(r.name);
        ASSERT_GT(r.count, 0);
        Bytes held;
        for (int i = 0; i < r.count; ++i) held.push_back(static_cast<std::uint8_t>(0x31 + 3 * i));
        panel.SetRam(r.variable, 0, held);
        ASSERT_TRUE(r.read()) << core->GetLastError();
        for (int i = 0; i < r.count; ++i) {
            const CMesura* m = (estat.*r.find)(i);
            if (m) {
                EXPECT_EQ(m->GetRaw(), held[static_cast<std::size_t>(i)]) << "offset " << i;
            }
        }
    }
    if (estat.GetRadioZoneCount() >= 2) {
        estat.SetRadioFlags(Bytes(static_cast<std::size_t>(estat.GetRadioZoneCount() / 2), 0x00));
        panel.SetRam(0x0016, 0, Bytes(static_cast<std::size_t>(estat.GetRadioZoneCount() / 2), 0xFF));
        ASSERT_TRUE(core->ReceiveRadio()) << core->GetLastError();
        for (int zone = 0; zone < estat.GetRadioZoneCount(); ++zone)
            EXPECT_TRUE(estat.GetRadioFlag0(zone) && estat.GetRadioFlag3(zone)) << "radio zone " << zone;
    }

    // Commands: arm, bypass, output and relay, phone test.
    ASSERT_TRUE(core->SendAreaCommand(0x02, true)) << core->GetLastError();
    EXPECT_EQ(panel.status[6], 0x07);
    EXPECT_EQ(estat.GetAreaStatus(), 0x07);
    const Bytes mask{0x01, 0x00};
    ASSERT_TRUE(core->SendZoneCommand(mask, 16)) << core->GetLastError();
    EXPECT_EQ(panel.status[4], 0x11);
    EXPECT_TRUE(estat.IsZoneOmit(0));
    ASSERT_TRUE(core->SendOutputCommand(1, true)) << core->GetLastError();
    ASSERT_TRUE(core->SendRelayCommand(0, false)) << core->GetLastError();
    EXPECT_EQ(panel.Ram(0x0006, 1), 1);
    EXPECT_EQ(panel.Ram(0x0032, 0), 0);
    ASSERT_TRUE(core->ReceiveOutputs() && core->ReceiveRelays()) << core->GetLastError();
    EXPECT_EQ(estat.FindOutput(1)->GetRaw(), 1);
    EXPECT_EQ(estat.FindRelay(0)->GetRaw(), 0);
    EXPECT_TRUE(core->SendPhoneTest()) << core->GetLastError();

    // The event memory at an address: the 20 new records, in order.
    CEvents& events = Central().GetEvents();
    ResetValues();
    ASSERT_TRUE(core->ReceiveStatus(false)) << core->GetLastError();
    ASSERT_TRUE(Framed(*this, [&] { return core->ReceiveEventLog(); })) << core->GetLastError();
    ExpectOnlyPanelValues(kEvents);
    // The same records in flash, from record 9 (inside a block): records 9 to 27.
    const std::string address = events.GetAddress();
    Bytes flash;
    for (int i = 0; i < 8 + kRecords; ++i) {
        const Bytes record = panel.EepromBytes(static_cast<std::uint32_t>(0x1800 + i * 8), 8);
        flash.insert(flash.end(), record.begin(), record.end());
    }
    for (std::size_t at = 0; at < flash.size(); at += 16)
        panel.SetFlashBlock(static_cast<std::uint16_t>(0x300 + at / 16), Bytes(flash.begin() + static_cast<long>(at),
                                                                              flash.begin() + static_cast<long>(std::min(flash.size(), at + 16))));
    events.SetFlash("300");
    events.Clear();
    events.SetMyPpe(9);
    ASSERT_TRUE(Framed(*this, [&] { return core->ReceiveEventLog(); })) << core->GetLastError();
    std::vector<int> minutes;
    for (int i = 9; i < 8 + kRecords; ++i) minutes.push_back(i);
    EXPECT_EQ(EventMinutes(), minutes);
    events.SetAddress(address);
    events.Clear();

    // The flash table: read, verify, write.
    ASSERT_TRUE(core->Receive(tableItem)) << core->GetLastError();
    ExpectOnlyPanelValues(kTable);
    ASSERT_TRUE(core->Verify(tableItem)) << core->GetLastError();
    for (int i = 0; i < Table()->GetElements(); ++i) std::fill_n(Table()->GetElementPtr(i), 12, static_cast<unsigned char>(i));
    ASSERT_TRUE(core->Send(tableItem)) << core->GetLastError();
    for (int i = 0; i < Table()->GetElements(); ++i) EXPECT_EQ(PanelElement(i), Bytes(12, static_cast<std::uint8_t>(i))) << i;

    // A flash file.
    Bytes file(40);
    for (std::size_t i = 0; i < file.size(); ++i) file[i] = static_cast<std::uint8_t>(0x90 + i);
    const std::string path = (dir.Path() / "form.bin").string();
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
    CGrupFlash files;
    files.SetAddrBase("900");
    auto fitxer = std::make_unique<CFitxer>();
    fitxer->SetId("F");
    fitxer->SetIndex(3);
    fitxer->SetLong(1);
    fitxer->SetPath(path);
    fitxer->SetSend(true);
    files.AddFitxer(std::move(fitxer));
    ASSERT_TRUE(Framed(*this, [&] { return core->SendGrupFlash(&files); })) << core->GetLastError();
    Bytes written;
    for (int b = 0; b < 3; ++b) {
        const auto block = panel.FlashBlock(static_cast<std::uint16_t>(0x900 + b));
        written.insert(written.end(), block.begin(), block.end());
    }
    EXPECT_EQ(Bytes(written.begin(), written.begin() + 40), file);

    // Disconnect: the panel is told (logout) and the link is closed.
    ASSERT_TRUE(core->Disconnect()) << core->GetLastError();
    EXPECT_FALSE(core->IsConnected());
    EXPECT_FALSE(sim.LoggedIn());
}

INSTANTIATE_TEST_SUITE_P(AnswerForms, FaultTest, ::testing::ValuesIn(AnswerForms()),
                         [](const ::testing::TestParamInfo<AnswerForm>& info) { return std::string(info.param.name); });
}  // namespace

// The simulated panel's faults through the core's operations: late answers swept across the
// answer time-out, and every fault against every operation. Whatever the outcome, no value
// changes that the panel did not send, the core ends idle, and a clean run follows.
#include <algorithm>
#include <functional>

#include "core_harness.h"
#include "datamodel/codi.h"
#include "datamodel/estat.h"
#include "datamodel/events.h"
#include "datamodel/grup.h"
#include "datamodel/grupflash.h"
#include "datamodel/model.h"
#include "datamodel/strings.h"
#include "model_fill.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint16_t kTableBlock = 0x800;
constexpr int kRecords = 20;  // new event records, read in three chunks

class FaultTest : public CoreTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(LoadSample());
        core->BuildTree();
        ASSERT_TRUE(ConnectForTest());
        FillPanel();
        ASSERT_TRUE(core->ReceiveStatus(false)) << core->GetLastError();
        ResetValues();
    }

    // The panel holds values unlike the installation's, so every value taken shows.
    void FillPanel() {
        FillUsers(0x23);
        for (int b = 0; b < 12; ++b) {
            Bytes block(16);
            for (int k = 0; k < 16; ++k) block[static_cast<std::size_t>(k)] = static_cast<std::uint8_t>((b * 16 + k) * 7 & 0x77);
            sim.Central().SetFlashBlock(static_cast<std::uint16_t>(kTableBlock + b), block);
        }
        CEvents& events = Central().GetEvents();
        for (int i = 0; i < 8 + kRecords; ++i) {
            panelsim::SimStoredEvent e;
            e.contactId = "1130";
            e.zone = i % 16 + 1;
            e.time = {10, static_cast<std::uint8_t>(i), 0, 14, 6, 24};
            sim.Central().SetEeprom(static_cast<std::uint32_t>(0x1800 + i * 8),
                                    panelsim::EventRecord(e, events.GetTipus(), events.GetBytesEvent()));
        }
        const std::uint8_t pointer = 8 + kRecords;
        sim.Central().SetRam(0x0002, 0x13, Bytes{pointer, pointer, 0});
    }

    // User code i is held as the digits of i + 1 followed by those of tail.
    void FillUsers(std::uint8_t tail) {
        userTail_ = tail;
        for (int i = 0; i < Users()->GetCodiCount(); ++i)
            sim.Central().SetEeprom(static_cast<std::uint32_t>(0x10 + 2 * i), Bytes{static_cast<std::uint8_t>(i + 1), tail});
    }
    std::uint8_t userTail_ = 0x23;

    CModel& Central() { return core->GetInstalacio().GetCentral(); }
    CGrup* Users() { return Central().FindGrup("G01U"); }
    CGrupFlash* Table() { return Central().FindGrupFlash("F01"); }
    CCodi* Single() { return Central().FindCode("001"); }

    // What the installation holds before each run: values the panel does not hold.
    void ResetValues() {
        for (int i = 0; i < Users()->GetCodiCount(); ++i) Users()->GetCodi(i)->SetValue("9999");
        Single()->SetValue("4321");
        for (int i = 0; i < Table()->GetElements(); ++i) std::fill_n(Table()->GetElementPtr(i), 12, 0x55);
        Central().GetEvents().Clear();
        Central().GetEvents().SetMyPpe(8);
    }
    Bytes PanelElement(int i) {
        Bytes out;
        for (int k = i * 12; k < i * 12 + 12; ++k) out.push_back(sim.Central().FlashBlock(static_cast<std::uint16_t>(kTableBlock + k / 16))[static_cast<std::size_t>(k % 16)]);
        return out;
    }
    Bytes Element(int i) { return Bytes(Table()->GetElementPtr(i), Table()->GetElementPtr(i) + 12); }
    // Event records read, as their minutes (record i was written at minute i).
    std::vector<int> EventMinutes() {
        std::vector<int> out;
        CEvents& events = Central().GetEvents();
        for (int i = 0; i < events.GetCount(); ++i) out.push_back(std::stoi(events.GetEvent(i)->GetTime().substr(3, 2)));
        return out;
    }

    // What an operation may change.
    enum Values { kNone, kSingle, kUsers, kTable, kEvents };
    // Every value is the installation's own or the panel's; for the values of a complete run all
    // are the panel's.
    void ExpectOnlyPanelValues(Values complete = kNone) {
        const std::string single = Single()->GetValue();
        const std::uint16_t number = static_cast<std::uint16_t>(HexStringToInt(Single()->GetCodeNumber()));
        const Bytes panel = sim.Central().Code(panelsim::Memory::Eeprom, number, Single()->GetAddress(), 2);
        const CCodi::RawBytes& mine = Single()->ToBytes();
        const bool fromPanel = !Single()->GetCodeNumber().empty() && Bytes(mine.begin(), mine.begin() + 2) == panel;
        EXPECT_TRUE(fromPanel || (complete != kSingle && single == "4321")) << "single code: " << single;
        for (int i = 0; i < Users()->GetCodiCount(); ++i) {
            const std::string value = Users()->GetCodi(i)->GetValue();
            EXPECT_TRUE(value == Hex2(i + 1) + Hex2(userTail_) || (complete != kUsers && value == "9999")) << "user " << i << ": " << value;
        }
        for (int i = 0; i < Table()->GetElements(); ++i)
            EXPECT_TRUE(Element(i) == PanelElement(i) || (complete != kTable && Element(i) == Bytes(12, 0x55)))
                << "element " << i;
        const std::vector<int> minutes = EventMinutes();
        std::vector<int> expected;
        for (int i = 8; i < 8 + static_cast<int>(minutes.size()); ++i) expected.push_back(i);
        EXPECT_EQ(minutes, expected);  // the records in order, none twice, none skipped
        if (complete == kEvents) {
            EXPECT_EQ(minutes.size(), static_cast<std::size_t>(kRecords));
        }
    }
    static std::string Hex2(int v) {
        const char* digits = "0123456789ABCDEF";
        return std::string{digits[v >> 4 & 15], digits[v & 15]};
    }

    // A fresh link after a drop: the pipe mended, the panel's connection new, the core connected.
    void Reconnect() {
        if (!pipe.IsBroken() && core->IsConnected()) return;
        pipe.Mend();
        sim.Reconnect();
        core->GetConexio().Close();
        ASSERT_TRUE(ConnectForTest());
    }

    // The operations as the window runs them: busy, a dialog, the end of the operation.
    struct Operation {
        const char* name;
        Values reads;  // what a successful run takes from the panel
        std::function<bool(FaultTest&)> run;
    };
    static bool Framed(FaultTest& t, const std::function<bool()>& inner) {
        t.core->SetBusy(true);
        t.core->BeginProgress("Recibiendo...", 100);
        t.core->SetLastError("");
        const bool ok = inner();
        t.core->EndProgress();
        return ok;
    }
    static std::vector<Operation> Operations() {
        return {
            {"single read", kSingle, [](FaultTest& t) { return Framed(t, [&] { return t.core->ReceiveCodi(t.Single(), false); }); }},
            {"packed read", kUsers, [](FaultTest& t) { return Framed(t, [&] { return t.core->ReceiveGrupBlock(t.Users(), false); }); }},
            {"send", kNone, [](FaultTest& t) { return Framed(t, [&] { return t.core->SendGrupBlock(t.Users()); }); }},
            {"verify", kNone, [](FaultTest& t) {
                 for (int i = 0; i < t.Users()->GetCodiCount(); ++i) t.Users()->GetCodi(i)->SetValue(Hex2(i + 1) + "23");
                 return Framed(t, [&] { return t.core->ReceiveGrupBlock(t.Users(), true); });
             }},
            {"flash block write", kNone, [](FaultTest& t) { return Framed(t, [&] { return t.core->SendGrupFlash(t.Table()); }); }},
            {"flash table read", kTable, [](FaultTest& t) { return Framed(t, [&] { return t.core->ReceiveGrupFlash(t.Table(), false); }); }},
            {"event read", kEvents, [](FaultTest& t) { return Framed(t, [&] { return t.core->ReceiveEventLog(); }); }},
        };
    }
};

TEST_F(FaultTest, LateAnswersAcrossTheTimeOutNeverShiftValues) {
    // The TCP/IP answer time-out is 4 s: answers held from well before it to well after it.
    const std::vector<Operation> all = Operations();
    for (const Operation& op : {all[1], all[5], all[6]}) {
        for (int late = 3600; late <= 4800; late += 50) {
            SCOPED_TRACE(std::string(op.name) + ", answers " + std::to_string(late) + " ms late");
            ResetValues();
            sim.Faults().lateAnswers = 2;
            sim.Faults().lateAnswerMs = late;
            const bool ok = op.run(*this);
            EXPECT_FALSE(core->IsBusy());
            ExpectOnlyPanelValues(ok ? op.reads : kNone);
            // Then a clean read.
            sim.Faults() = panelsim::SimFaults{};
            Idle(6000);
            ResetValues();
            ASSERT_TRUE(op.run(*this)) << core->GetLastError();
            ExpectOnlyPanelValues(op.reads);
        }
    }
}

TEST_F(FaultTest, EveryFaultThroughEveryOperation) {
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
            sim.Faults() = Faults{};
            Reconnect();
            Idle(6000);
            FillPanel();
            ResetValues();
            ASSERT_TRUE(op.run(*this)) << core->GetLastError();
            ExpectOnlyPanelValues(op.reads);
        }
    }
}

TEST_F(FaultTest, AReadAfterAnUnansweredOneTakesOnlyWhatThePanelHoldsNow) {
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
    std::vector<Case> cases;
    for (int late : {200, 400})
        cases.push_back({"packed read cancelled", late, true, packedRead, newUsers, currentUsers});
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
        sim.Faults() = panelsim::SimFaults{};
        c.change();
        ASSERT_TRUE(c.read()) << core->GetLastError();
        c.expectCurrent();
        Idle(6000);
    }
}

}  // namespace

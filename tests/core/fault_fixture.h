// The simulated panel's faults through the core's operations: the fixture of the fault tests and
// of the late-answer sweep. Each test runs once for each form in which a panel may answer
// (AnswerForms); whatever the outcome, no value changes that the panel did not send.
#pragma once

#include <algorithm>
#include <functional>
#include <tuple>

#include <fstream>

#include "core_harness.h"
#include "datamodel/codi.h"
#include "datamodel/dades.h"
#include "datamodel/fitxer.h"
#include "datamodel/estat.h"
#include "datamodel/events.h"
#include "datamodel/grup.h"
#include "datamodel/grupflash.h"
#include "datamodel/model.h"
#include "datamodel/strings.h"
#include "model_fill.h"

namespace faultcases {


using Bytes = std::vector<std::uint8_t>;

inline constexpr std::uint16_t kTableBlock = 0x800;
inline constexpr int kRecords = 20;  // new event records, read in three chunks

// A form in which the panel answers: what it sets in the simulated panel's fault set.
struct AnswerForm {
    const char* name;
    std::function<void(panelsim::SimFaults&)> set;
};

// Every form the program must take. One row per form.
inline std::vector<AnswerForm> AnswerForms() {
    using Faults = panelsim::SimFaults;
    return {
        {"Usual", [](Faults&) {}},
        {"MemoryReadsAnsweredWithF0", [](Faults& f) { f.memoryAnswersF0 = true; }},
        {"EepromReadsAnsweredWithB1", [](Faults& f) { f.eepromAnswersB1 = true; }},
        {"MemoryAnswersByte2Zero", [](Faults& f) { f.memoryByte2 = 0; }},
        {"MemoryAnswersByte2Other", [](Faults& f) { f.memoryByte2 = 0xA5; }},
        {"BlockAnswersWithoutEcho", [](Faults& f) { f.blockAnswersNoEcho = true; }},
        // The panel never hears the first acknowledgement of a frame and sends each one again.
        {"LostAcknowledgements", [](Faults& f) { f.lostAcks = 1 << 30; }},
        {"AllFormsAtOnce", [](Faults& f) {
             f.memoryAnswersF0 = f.eepromAnswersB1 = f.blockAnswersNoEcho = true;
             f.memoryByte2 = 0x77;
             f.lostAcks = 1 << 30;
         }},
    };
}

inline void PrintTo(const AnswerForm& form, std::ostream* os) { *os << form.name; }

// The late-answer sweep runs one test per form and link kind (an index into its table of kinds).
using SweepParam = std::tuple<AnswerForm, int>;
inline const AnswerForm& FormOf(const AnswerForm& form) { return form; }
inline const AnswerForm& FormOf(const SweepParam& param) { return std::get<0>(param); }

template <class Param>
class FaultFixture : public CoreTest, public ::testing::WithParamInterface<Param> {
protected:
    void SetUp() override {
        ASSERT_TRUE(LoadSample());
        core->BuildTree();
        ASSERT_TRUE(ConnectForTest());
        sim.Faults() = Form();
        FillPanel();
        ASSERT_TRUE(core->ReceiveStatus(false)) << core->GetLastError();
        ResetValues();
    }

    // The panel holds values unlike the installation's, so every value taken shows.
    void FillPanel() {
        FillUsers(0x23);
        FillTable(0);
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
        SetPanelStatus(0x05, 0x40);
    }
    void SetPanelStatus(std::uint8_t areas, std::uint8_t panel) {
        sim.Central().status[6] = areas;
        sim.Central().status[7] = panel;
    }

    // The table's flash blocks, a pattern varied by flip.
    void FillTable(std::uint8_t flip) {
        for (int b = 0; b < 12; ++b) {
            Bytes block(16);
            for (int k = 0; k < 16; ++k) block[static_cast<std::size_t>(k)] = static_cast<std::uint8_t>(((b * 16 + k) * 7 & 0x77) ^ flip);
            sim.Central().SetFlashBlock(static_cast<std::uint16_t>(kTableBlock + b), block);
        }
    }
    // User code i is held as the digits of i + 1 followed by those of tail.
    void FillUsers(std::uint8_t tail) {
        userTail_ = tail;
        for (int i = 0; i < Users()->GetCodiCount(); ++i)
            sim.Central().SetEeprom(static_cast<std::uint32_t>(0x10 + 2 * i), Bytes{static_cast<std::uint8_t>(i + 1), tail});
    }
    std::uint8_t userTail_ = 0x23;

    // The panel's fault set with nothing but the answer form of the run.
    static panelsim::SimFaults Form() {
        panelsim::SimFaults faults;
        FormOf(FaultFixture::GetParam()).set(faults);
        return faults;
    }

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
        Central().SetEstatFrame(Bytes(10, 0));
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
    enum Values { kNone, kSingle, kUsers, kTable, kEvents, kStatus };
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
        const CEstat& estat = Central().GetEstat();
        const bool panelStatus = estat.GetAreaStatus() == sim.Central().status[6] &&
                                 estat.GetPanelStatus() == sim.Central().status[7];
        EXPECT_TRUE(panelStatus || (complete != kStatus && estat.GetAreaStatus() == 0 && estat.GetPanelStatus() == 0))
            << "status " << estat.GetAreaStatus() << "/" << estat.GetPanelStatus();
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
        std::function<bool(FaultFixture&)> run;
    };
    static bool Framed(FaultFixture& t, const std::function<bool()>& inner) {
        t.core->SetBusy(true);
        t.core->BeginProgress("Recibiendo...", 100);
        t.core->SetLastError("");
        const bool ok = inner();
        t.core->EndProgress();
        return ok;
    }
    static std::vector<Operation> Operations() {
        return {
            {"single read", kSingle, [](FaultFixture& t) { return Framed(t, [&] { return t.core->ReceiveCodi(t.Single(), false); }); }},
            {"packed read", kUsers, [](FaultFixture& t) { return Framed(t, [&] { return t.core->ReceiveGrupBlock(t.Users(), false); }); }},
            {"send", kNone, [](FaultFixture& t) { return Framed(t, [&] { return t.core->SendGrupBlock(t.Users()); }); }},
            {"verify", kNone, [](FaultFixture& t) {
                 for (int i = 0; i < t.Users()->GetCodiCount(); ++i) t.Users()->GetCodi(i)->SetValue(Hex2(i + 1) + Hex2(t.userTail_));
                 return Framed(t, [&] { return t.core->ReceiveGrupBlock(t.Users(), true); });
             }},
            {"flash block write", kNone, [](FaultFixture& t) { return Framed(t, [&] { return t.core->SendGrupFlash(t.Table()); }); }},
            {"flash table read", kTable, [](FaultFixture& t) { return Framed(t, [&] { return t.core->ReceiveGrupFlash(t.Table(), false); }); }},
            {"event read", kEvents, [](FaultFixture& t) { return Framed(t, [&] { return t.core->ReceiveEventLog(); }); }},
        };
    }
};
using FaultTest = FaultFixture<AnswerForm>;

}  // namespace faultcases

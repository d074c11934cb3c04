// The status panel against the simulated panel: what a receive shows, what each button sends
// and how failures end.

#include <wx/checklst.h>
#include <wx/filefn.h>
#include <wx/image.h>
#include <wx/listctrl.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>

#include "datamodel/estat.h"
#include "datamodel/model.h"
#include "panels/panelestat.h"
#include "panels/picturefile.h"
#include "panels/wxtext.h"
#include "status_fixture.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

class StatusPanelTest : public StatusViewTest {
protected:
    // The status node shown and received; its panel.
    CPanelEstat* Receive() {
        ShowAndReceive(StatusNode());
        return view->GetEstatPanel();
    }
    void Click(int id) {
        wxCommandEvent event(wxEVT_BUTTON, id);
        view->GetEstatPanel()->ProcessWindowEvent(event);
    }
    std::string ZoneState(int row) const {
        return FromWx(view->GetEstatPanel()->GetZoneList()->GetItemText(row, 1));
    }
    std::string Item(wxCheckListBox* list, unsigned i) const { return FromWx(list->GetString(i)); }
    std::uint8_t SimAreas() { return sim.Central().status[6]; }
    std::uint8_t SimBypass() { return sim.Central().status[4]; }
    std::uint8_t SimOutput(std::uint16_t variable, std::uint32_t i) { return sim.Central().Ram(variable, i); }
    int Executed() const { return sim.ExecutedCount(); }
};

// UI services that look at the core at every progress update: the core must be busy, and an
// idle-poll tick there must find it busy and do nothing.
class BusyProbe final : public UiServices {
public:
    BusyProbe(UiServices& inner, CAppCore& core) : inner_(inner), core_(core) {}
    void Yield() override { inner_.Yield(); }
    void ShowMessage(const std::string& text, const std::string& caption) override { inner_.ShowMessage(text, caption); }
    std::unique_ptr<ProgressDialog> OpenProgress(const std::string& title, const std::string& message, int maximum,
                                                 const ProgressOptions& options) override {
        return std::make_unique<Probe>(inner_.OpenProgress(title, message, maximum, options), *this);
    }
    int updates = 0;
    int idle = 0;

private:
    class Probe final : public ProgressDialog {
    public:
        Probe(std::unique_ptr<ProgressDialog> inner, BusyProbe& owner) : inner_(std::move(inner)), owner_(owner) {}
        bool Update(int value, const std::string& message) override {
            ++owner_.updates;
            if (!owner_.core_.IsBusy()) ++owner_.idle;
            owner_.core_.OnPollTimer();
            if (!owner_.core_.IsBusy()) ++owner_.idle;
            return inner_->Update(value, message);
        }
        bool WasCancelled() const override { return inner_->WasCancelled(); }

    private:
        std::unique_ptr<ProgressDialog> inner_;
        BusyProbe& owner_;
    };
    UiServices& inner_;
    CAppCore& core_;
};

TEST_F(StatusPanelTest, ReceiveOnTheStatusNodeShowsThePanelsState) {
    CPanelEstat* panel = Receive();
    ASSERT_NE(panel, nullptr);
    ASSERT_NE(panel->GetZoneList(), nullptr);
    EXPECT_EQ(panel->GetEstat(), &Estat());

    // Zone 2 open, zone 4 in alarm, zone 6 bypassed; the rest ok.
    wxListCtrl* zones = panel->GetZoneList();
    ASSERT_EQ(zones->GetItemCount(), Estat().GetZoneCount());
    EXPECT_EQ(ZoneState(1), "Detectando");
    EXPECT_EQ(ZoneState(3), "Alarma");
    EXPECT_EQ(ZoneState(5), "Omitida");
    EXPECT_EQ(ZoneState(0), "ok");
    EXPECT_EQ(zones->GetItemBackgroundColour(3), wxColour(255, 170, 170));
    EXPECT_EQ(zones->GetItemBackgroundColour(1), wxColour(255, 221, 170));
    EXPECT_EQ(zones->GetItemBackgroundColour(5), wxColour(238, 238, 238));
    EXPECT_EQ(FromWx(zones->GetItemText(0, 0)), "Puerta principal");  // the sample's name of zone 1

    // Area 1 armed.
    wxCheckListBox* areas = panel->GetAreaList();
    ASSERT_EQ(static_cast<int>(areas->GetCount()), Estat().GetAreaCount());
    // Names as stored, padded with blanks to 16 characters.
    EXPECT_EQ(Item(areas, 0), "Vivienda        : Conectada");
    EXPECT_EQ(Item(areas, 1), "Garaje          : Desconectada");

    // The third output and the first relay on; the relays follow the outputs, named after them.
    wxCheckListBox* outputs = panel->GetOutputList();
    const std::vector<std::string> outputItems = {
        "Sirena exterior : Desactivada", "Sirena interior : Desactivada", "Luz del jard\xEDn  : Activada",
        "Electrov\xE1lvula  : Desactivada", "Cerradura       : Activada", "Aviso CRA       : Desactivada"};
    ASSERT_EQ(static_cast<int>(outputs->GetCount()), Estat().GetOutputCount() + Estat().GetRelayCount());
    ASSERT_EQ(outputs->GetCount(), outputItems.size());
    for (unsigned i = 0; i < outputs->GetCount(); ++i) EXPECT_EQ(Item(outputs, i), outputItems[i]) << i;

    // The alarm memory is the one warning; coverage 72 %: three bars.
    for (int bit = 0; bit < 8; ++bit) {
        EXPECT_EQ(panel->GetWarningIcon(bit)->IsShown(), bit == 7) << bit;
        EXPECT_EQ(panel->GetWarningText(bit)->IsShown(), bit == 7) << bit;
    }
    EXPECT_EQ(FromWx(panel->GetWarningText(7)->GetLabel()), "Memoria de alarmas");
    EXPECT_EQ(FromWx(panel->GetCoverageText()->GetLabel()), "Cobertura: 72%");
    for (int i = 0; i < 4; ++i) EXPECT_EQ(panel->GetCoverageBar(i)->IsShown(), i < 3) << i;
    // The simulated panel's clock.
    EXPECT_EQ(FromWx(panel->GetTimeText()->GetLabel()), "10:30:00");
    EXPECT_EQ(FromWx(panel->GetDateText()->GetLabel()), "14/06/24");
    EXPECT_FALSE(core->IsBusy());

    // Forgotten, the record is no longer loaded; the controls stay.
    panel->Clear();
    EXPECT_FALSE(panel->UpdateControls());
    EXPECT_FALSE(panel->StoreControls());
    EXPECT_NE(panel->GetZoneList(), nullptr);
}

TEST_F(StatusPanelTest, EachCommandChangesThePanelAndTheViewFollows) {
    CPanelEstat* panel = Receive();
    ASSERT_NE(panel, nullptr);
    BusyProbe probe(ui, *core);
    core->SetUiServices(&probe);

    // Arm area 2, then disarm areas 1 and 2.
    panel->GetAreaList()->Check(1);
    Click(CPanelEstat::ID_ARM_AREAS);
    EXPECT_EQ(SimAreas(), 0x03);
    EXPECT_NE(Item(panel->GetAreaList(), 1).find(": Conectada"), std::string::npos);
    EXPECT_FALSE(panel->GetAreaList()->IsChecked(1));  // a reload clears the ticks
    panel->GetAreaList()->Check(0);
    panel->GetAreaList()->Check(1);
    Click(CPanelEstat::ID_DISARM_AREAS);
    EXPECT_EQ(SimAreas(), 0x00);
    EXPECT_NE(Item(panel->GetAreaList(), 0).find(": Desconectada"), std::string::npos);

    // Bypass zones 1 and 6: zone 6 is bypassed already and stays out of the mask.
    wxListCtrl* zones = panel->GetZoneList();
    zones->SetItemState(0, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
    zones->SetItemState(5, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
    Click(CPanelEstat::ID_BYPASS_ZONES);
    EXPECT_EQ(SimBypass(), 0x21);
    EXPECT_EQ(ZoneState(0), "Omitida");
    EXPECT_EQ(ZoneState(5), "Omitida");
    // Restore zone 6 with zone 3 (not bypassed) selected too.
    zones->SetItemState(2, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
    zones->SetItemState(5, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
    Click(CPanelEstat::ID_UNBYPASS_ZONES);
    EXPECT_EQ(SimBypass(), 0x01);
    EXPECT_EQ(ZoneState(5), "ok");
    EXPECT_EQ(ZoneState(2), "ok");

    // Output 2 and relay 2 on; then the third output off.
    const int n = Estat().GetOutputCount();
    panel->GetOutputList()->Check(1);
    panel->GetOutputList()->Check(static_cast<unsigned>(n + 1));
    Click(CPanelEstat::ID_OUTPUTS_ON);
    EXPECT_EQ(SimOutput(0x0006, 1), 1);
    EXPECT_EQ(SimOutput(0x0032, 1), 1);
    EXPECT_NE(Item(panel->GetOutputList(), 1).find(": Activada"), std::string::npos);
    EXPECT_NE(Item(panel->GetOutputList(), static_cast<unsigned>(n + 1)).find(": Activada"), std::string::npos);
    EXPECT_EQ(ui.progress.back()->maximum, 13);
    panel->GetOutputList()->Check(2);
    Click(CPanelEstat::ID_OUTPUTS_OFF);
    EXPECT_EQ(SimOutput(0x0006, 2), 0);
    EXPECT_NE(Item(panel->GetOutputList(), 2).find(": Desactivada"), std::string::npos);

    // The typed clock reaches the panel and comes back in the status read.
    dialogs.AnswerText("120000010107");
    Click(CPanelEstat::ID_SET_CLOCK);
    EXPECT_EQ(sim.Central().RamBytes(0x0003, 0, 6), (Bytes{12, 0, 0, 1, 1, 7}));
    EXPECT_EQ(FromWx(panel->GetTimeText()->GetLabel()), "12:00:00");
    EXPECT_EQ(FromWx(panel->GetDateText()->GetLabel()), "01/01/07");
    EXPECT_EQ(ui.progress.back()->maximum, 4);

    // The PC's clock (the virtual clock's local time) and the phone test.
    Click(CPanelEstat::ID_SYNC_CLOCK);
    EXPECT_EQ(FromWx(panel->GetTimeText()->GetLabel()), Estat().GetTimeText());
    EXPECT_NE(Estat().GetTimeText(), "12:00:00");
    sim.ClearEvents();
    Click(CPanelEstat::ID_PHONE_TEST);
    int phoneTests = 0;
    for (const auto& e : sim.Events())
        phoneTests += e.kind == panelsim::SimEvent::Executed && e.bytes.size() > 4 && e.bytes[3] == 0x40 && e.bytes[4] == 0xD2;
    EXPECT_EQ(phoneTests, 1);
    EXPECT_EQ(ui.progress.back()->maximum, 4);

    EXPECT_TRUE(dialogs.Errors().empty()) << dialogs.Errors().front();
    // The series held the busy flag throughout: no idle poll ran inside one.
    EXPECT_GT(probe.updates, 20);
    EXPECT_EQ(probe.idle, 0);
    core->SetUiServices(&ui);
    EXPECT_FALSE(core->IsBusy());
    EXPECT_EQ(ui.progress.back()->title, "Enviando...");
    ExpectProgressWithinMaximum();
}

TEST_F(StatusPanelTest, NothingSelectedSendsAnEmptyMaskAndABadClockSendsNothing) {
    CPanelEstat* panel = Receive();
    ASSERT_NE(panel, nullptr);
    const std::uint8_t areas = SimAreas();
    const std::uint8_t bypass = SimBypass();
    const std::size_t opened = ui.progress.size();

    // Areas and zones: the command goes out with an empty mask, under the core's own dialog (5
    // steps for areas, two frames and four for 16 zones), and the panel reloads.
    struct Case {
        int button;
        int zoneRow;  // selected before the click (-1: none)
        int subCommand;
        std::vector<Bytes> sent;  // bytes 5 and 6 of each command frame
        int steps;
    } cases[] = {
        {CPanelEstat::ID_ARM_AREAS, -1, 2, {{0x00, 0x00}}, 5},
        {CPanelEstat::ID_DISARM_AREAS, -1, 3, {{0x00, 0x00}}, 5},
        {CPanelEstat::ID_BYPASS_ZONES, 5, 0, {{0x3F, 0x00}, {0x7F, 0x00}}, 6},    // zone 6 is bypassed
        {CPanelEstat::ID_UNBYPASS_ZONES, 0, 0, {{0x3F, 0x00}, {0x7F, 0x00}}, 6},  // zone 1 is not
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.button);
        sim.ClearEvents();
        if (c.zoneRow >= 0) panel->GetZoneList()->SetItemState(c.zoneRow, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
        Click(c.button);
        std::vector<Bytes> sent;
        for (const auto& e : sim.Events()) {
            if (e.kind == panelsim::SimEvent::Executed && e.bytes.size() > 6 && e.bytes[3] == 0x5B &&
                (e.bytes[4] & 0x7F) == c.subCommand)
                sent.push_back({e.bytes[5], e.bytes[6]});
        }
        EXPECT_EQ(sent, c.sent);
        ASSERT_EQ(ui.progress.size(), opened + 1);
        EXPECT_EQ(ui.progress.back()->maximum, c.steps);
        ui.progress.pop_back();
        if (c.zoneRow >= 0) {
            EXPECT_EQ(panel->GetZoneList()->GetItemState(c.zoneRow, wxLIST_STATE_SELECTED), 0);  // reloaded
        }
    }
    EXPECT_EQ(SimAreas(), areas);
    EXPECT_EQ(SimBypass(), bypass);

    // Outputs with nothing ticked: no command and no read-back; the panel's dialog of 13 steps
    // is closed and the busy flag is clear again.
    sim.ClearEvents();
    Click(CPanelEstat::ID_OUTPUTS_OFF);
    EXPECT_EQ(Count(panelsim::SimEvent::Executed), 0);
    ASSERT_EQ(ui.progress.size(), opened + 1);
    EXPECT_EQ(ui.progress.back()->maximum, 13);
    EXPECT_FALSE(ui.progress.back()->open);
    EXPECT_FALSE(core->IsBusy());
    EXPECT_TRUE(dialogs.shown.empty()) << dialogs.shown.front().text;
    const int before = Executed();
    const std::size_t dialogsBefore = ui.progress.size();

    // Typed clocks: cancelled, wrong length, letters, a day that does not exist.
    dialogs.shown.clear();
    dialogs.AnswerText(std::nullopt);
    Click(CPanelEstat::ID_SET_CLOCK);
    for (const char* typed : {"12000001010", "ab0000010107", "120000310407"}) {
        dialogs.AnswerText(typed);
        Click(CPanelEstat::ID_SET_CLOCK);
    }
    const std::vector<std::string> errors = dialogs.Errors();
    ASSERT_EQ(errors.size(), 3u);
    EXPECT_EQ(errors[0], "Format de fecha/hora incorrecto");
    for (const std::string& e : errors) EXPECT_EQ(e.rfind("Format de fecha/hora incorrecto", 0), 0u) << e;

    EXPECT_EQ(Executed(), before);
    EXPECT_EQ(ui.progress.size(), dialogsBefore);
    EXPECT_FALSE(core->IsBusy());
}

TEST_F(StatusPanelTest, FailuresEndTheSeriesAndShowTheCoresError) {
    CPanelEstat* panel = Receive();
    ASSERT_NE(panel, nullptr);

    // The panel does not answer the area command.
    sim.Faults().ignoreRequests = 4;
    panel->GetAreaList()->Check(1);
    Click(CPanelEstat::ID_ARM_AREAS);
    EXPECT_EQ(dialogs.Errors(), std::vector<std::string>{"Sin respuesta"});
    EXPECT_FALSE(core->IsBusy());
    EXPECT_EQ(SimAreas(), 0x01);
    EXPECT_FALSE(panel->GetAreaList()->IsChecked(1));  // reloaded all the same

    // A failing output command still lets the ticked relay switch, and the outputs are read back.
    dialogs.shown.clear();
    sim.Faults().ignoreRequests = 4;
    const int n = Estat().GetOutputCount();
    panel->GetOutputList()->Check(1);
    panel->GetOutputList()->Check(static_cast<unsigned>(n + 1));
    Click(CPanelEstat::ID_OUTPUTS_ON);
    EXPECT_EQ(dialogs.Errors(), std::vector<std::string>{"Sin respuesta"});
    EXPECT_EQ(SimOutput(0x0006, 1), 0);
    EXPECT_EQ(SimOutput(0x0032, 1), 1);
    EXPECT_NE(Item(panel->GetOutputList(), static_cast<unsigned>(n + 1)).find(": Activada"), std::string::npos);
    EXPECT_FALSE(core->IsBusy());

    // Another operation runs: nothing is sent, by a series or by a single command.
    dialogs.shown.clear();
    const int before = Executed();
    core->SetBusy(true);
    panel->GetOutputList()->Check(0);
    Click(CPanelEstat::ID_OUTPUTS_ON);
    Click(CPanelEstat::ID_ARM_AREAS);
    Click(CPanelEstat::ID_BYPASS_ZONES);
    EXPECT_EQ(dialogs.Errors(), std::vector<std::string>(3, CAppCore::kBusy));
    EXPECT_EQ(Executed(), before);
    core->SetBusy(false);

    // Cancel at the panel's own step after the clock write stops before the status read,
    // without an error. (The step is the first update to count 1; the frame layer's own
    // updates come before it.)
    Click(CPanelEstat::ID_SYNC_CLOCK);
    const auto& updates = ui.progress.back()->updates;
    int step = 0;
    while (step < static_cast<int>(updates.size()) && updates[static_cast<std::size_t>(step)].first < 1) ++step;
    ASSERT_LT(step, static_cast<int>(updates.size()));
    dialogs.shown.clear();
    ui.cancelAfterUpdates = step + 1;
    sim.ClearEvents();
    Click(CPanelEstat::ID_SYNC_CLOCK);
    int statusReads = 0;
    for (const auto& e : sim.Events())
        statusReads += e.kind == panelsim::SimEvent::Executed && e.bytes.size() > 4 && e.bytes[3] == 0x5B;
    EXPECT_EQ(statusReads, 0);
    EXPECT_TRUE(ui.progress.back()->cancelled);
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_FALSE(core->IsBusy());

    // Cancel during the clock write itself fails the write: its error is shown.
    ui.cancelAfterUpdates = 1;
    Click(CPanelEstat::ID_SYNC_CLOCK);
    EXPECT_EQ(dialogs.Errors(), std::vector<std::string>{CAppCore::kCancelled});
    EXPECT_FALSE(core->IsBusy());

    // The link goes in the middle of the output series: the series stops there with one box, and
    // the loss is reported once the series has let go of the busy flag.
    panel->GetOutputList()->Check(0);
    panel->GetOutputList()->Check(1);
    panel->GetOutputList()->Check(static_cast<unsigned>(Estat().GetOutputCount()));
    dialogs.shown.clear();
    BreakLink();
    Click(CPanelEstat::ID_OUTPUTS_ON);
    EXPECT_EQ(dialogs.Errors(), std::vector<std::string>{CAppCore::kConnectionLost});  // once, not per item
    EXPECT_FALSE(core->IsBusy());
    EXPECT_FALSE(core->IsConnected());
    EXPECT_EQ(lostCalls, 1);
    EXPECT_FALSE(core->HasProgress());
    ExpectProgressWithinMaximum();
}

TEST_F(StatusPanelTest, WithoutTheGeneralPageOnlyTheClockRowIsBuilt) {
    Estat().SetHasGeneral(false);
    CPanelEstat* panel = Receive();
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->GetZoneList(), nullptr);
    EXPECT_EQ(panel->GetAreaList(), nullptr);
    EXPECT_EQ(panel->GetCoverageText(), nullptr);
    EXPECT_EQ(panel->GetWarningIcon(0), nullptr);
    EXPECT_EQ(FromWx(panel->GetTimeText()->GetLabel()), "10:30:00");
    EXPECT_EQ(panel->FindWindow(CPanelEstat::ID_ARM_AREAS), nullptr);
    EXPECT_NE(panel->FindWindow(CPanelEstat::ID_SYNC_CLOCK), nullptr);

    // Its clock button still works.
    dialogs.AnswerText("083000150324");
    Click(CPanelEstat::ID_SET_CLOCK);
    EXPECT_EQ(FromWx(panel->GetTimeText()->GetLabel()), "08:30:00");
}

}  // namespace

namespace {

TEST(StatusPictures, EveryPictureLoadsAndWhiteBecomesSeeThrough) {
    const std::string folder = std::string(ORVANE_SOURCE_DIR) + "/";
    std::vector<std::string> names = {"clock", "date", "cover", "omit", "noomit", "armed", "disarmed"};
    for (const Warning& w : kWarnings) names.push_back(std::string(w.picture).substr(12, std::string(w.picture).size() - 16));
    ASSERT_EQ(names.size(), 15u);
    for (const std::string& name : names) {
        const std::string path = folder + "icons/estat/" + name + ".png";
        wxImage image;
        EXPECT_TRUE(wxFileExists(ToWx(path)) && image.LoadFile(ToWx(path), wxBITMAP_TYPE_PNG)) << name;
    }
    // A static icon's white corner is see-through; a button picture is drawn as it is.
    const wxImage clock = LoadPicture((folder + "icons/estat/clock.png").c_str(), true).ConvertToImage();
    ASSERT_TRUE(clock.IsOk());
    EXPECT_TRUE(clock.IsTransparent(0, 0));
    EXPECT_FALSE(clock.IsTransparent(10, 2));  // the dial's rim

    // A missing file gives a blank picture of its own, and no box.
    const wxBitmap missing = LoadPicture("icons/estat/none.png", true);
    ASSERT_TRUE(missing.IsOk());
    EXPECT_EQ(missing.GetSize(), wxSize(16, 16));
    EXPECT_TRUE(missing.ConvertToImage().IsTransparent(8, 8));
}

}  // namespace

// The event list panel in the edit view, fed by an event-memory read from the simulated panel
// (the core on its virtual clock), driven through its own check boxes and buttons.
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/frame.h>
#include <wx/listctrl.h>
#include <wx/textctrl.h>

#include "core/report.h"
#include "core_harness.h"
#include "datamodel/events.h"
#include "datamodel/instalacio.h"
#include "datamodel/model.h"
#include "panels/eventlist.h"
#include "panels/paneledit.h"
#include "panels/panelevents.h"
#include "panels/wxtext.h"
#include "support/fake_dialogs.h"

namespace {

using Rows = std::vector<std::vector<std::string>>;
using Id = CPanelEvents::ControlId;

class EventsPanelTest : public CoreTest {
protected:
    void SetUp() override {
        SetDialogs(&dialogs);
        frame_ = new wxFrame(nullptr, wxID_ANY, wxT("Eventos"), wxDefaultPosition, wxSize(1000, 700));
        view_ = new CPanelEdit(frame_);
        frame_->Show();
        core->SetEditView(view_);
        ASSERT_TRUE(LoadSample());
        ASSERT_TRUE(ConnectForTest());
        core->BuildTree();
    }
    void TearDown() override {
        core->SetEditView(&edit);
        delete frame_;
        SetDialogs(nullptr);
        EXPECT_TRUE(dialogs.Done());
    }

    // Shows the events node of a component (the central when null) and reads its new records.
    CPanelEvents* ReadEvents(CModel* component = nullptr) {
        CModel& model = component ? *component : core->GetInstalacio().GetCentral();
        // The whole memory from its start, so the read brings every sample record.
        model.GetEvents().Clear();
        model.GetEvents().SetMyPpe(0);
        const TreeItemId item = tree.Child(tree.Child(tree.root, model.GetDescr()), "Eventos");
        EXPECT_NE(item, kNoTreeItem);
        core->ShowTreeItem(item);
        EXPECT_TRUE(core->Receive(item)) << core->GetLastError();
        return view_->GetEventsPanel();
    }

    static std::vector<std::string> Row(const CPanelEvents* panel, long row) {
        std::vector<std::string> cells;
        for (int c = 0; c < panel->GetList()->GetColumnCount(); ++c)
            cells.push_back(FromWx(panel->GetList()->GetItemText(row, c)));
        return cells;
    }
    static Rows AllRows(const CPanelEvents* panel) {
        Rows rows;
        for (long r = 0; r < panel->GetList()->GetItemCount(); ++r) rows.push_back(Row(panel, r));
        return rows;
    }
    static std::vector<std::string> Column(const CPanelEvents* panel, int column) {
        std::vector<std::string> cells;
        for (long r = 0; r < panel->GetList()->GetItemCount(); ++r)
            cells.push_back(FromWx(panel->GetList()->GetItemText(r, column)));
        return cells;
    }

    // What the installer's click does: the box changes, then its event reaches the panel.
    static void Click(CPanelEvents* panel, Id id, bool value) {
        auto* box = dynamic_cast<wxCheckBox*>(panel->GetControl(id));
        ASSERT_NE(box, nullptr) << id;
        box->SetValue(value);
        wxCommandEvent event(wxEVT_CHECKBOX, id);
        event.SetEventObject(box);
        event.SetInt(value);
        box->GetEventHandler()->ProcessEvent(event);
    }
    static void Press(CPanelEvents* panel, Id id) {
        wxWindow* button = panel->GetControl(id);
        ASSERT_NE(button, nullptr) << id;
        wxCommandEvent event(wxEVT_BUTTON, id);
        event.SetEventObject(button);
        button->GetEventHandler()->ProcessEvent(event);
    }
    static bool Checked(CPanelEvents* panel, Id id) {
        auto* box = dynamic_cast<wxCheckBox*>(panel->GetControl(id));
        return box && box->GetValue();
    }

    FakeDialogs dialogs;
    wxFrame* frame_ = nullptr;
    CPanelEdit* view_ = nullptr;
};

TEST_F(EventsPanelTest, ReadFromTheSimulatedPanelListsTheEightSampleRecordsWithNames) {
    CPanelEvents* panel = ReadEvents();
    ASSERT_NE(panel, nullptr);
    ASSERT_NE(panel->GetList(), nullptr);
    // Newest first; user 1 is the second user name (users count from 0), zone 4 the fourth zone.
    const Rows expected = {
        {"14/06/2024", "10:20:00", "3401", "Armado", "Usuario ON/OFF", "2 : Mar\xED" "a           ",
         "1 : Vivienda        ", ""},
        {"14/06/2024", "10:00:00", "1602", "Test", "Test", "0", "1 : Vivienda        ", ""},
        {"14/06/2024", "09:30:00", "1401", "Desarmado", "Usuario ON/OFF", "1 : Antonio         ",
         "1 : Vivienda        ", ""},
        {"14/06/2024", "08:56:00", "3130", "Restauracion", "Robo", "4 : Cocina          ", "1 : Vivienda        ",
         ""},
        {"14/06/2024", "08:55:00", "1130", "Alarma", "Robo", "4 : Cocina          ", "1 : Vivienda        ", ""},
        {"14/06/2024", "07:30:00", "3401", "Armado", "Usuario ON/OFF", "1 : Antonio         ",
         "1 : Vivienda        ", ""},
        {"14/06/2024", "05:40:00", "3301", "Restauracion", "No AC", "0", "1 : Vivienda        ", ""},
        {"14/06/2024", "05:30:00", "1301", "Aver\xED" "a", "No AC", "0", "1 : Vivienda        ", ""},
    };
    EXPECT_EQ(AllRows(panel), expected);
    wxListItem heading;
    ASSERT_TRUE(panel->GetList()->GetColumn(7, heading));
    EXPECT_EQ(FromWx(heading.GetText()), "Abonado");
    // Only the burglary itself is painted, not its restore nor the mains trouble.
    for (long r = 0; r < 8; ++r)
        EXPECT_EQ(panel->GetList()->GetItemBackgroundColour(r) == wxColour(255, 187, 187), r == 4) << r;
    // The second format has no account filter.
    EXPECT_EQ(panel->GetControl(CPanelEvents::ID_FILTER_ACCOUNT), nullptr);
    EXPECT_EQ(panel->GetControl(CPanelEvents::ID_ACCOUNT), nullptr);

    // A later read adds nothing new, and the list keeps its filters over the reload.
    Click(panel, CPanelEvents::ID_SHOW_ALARMS, false);
    EXPECT_EQ(panel->GetList()->GetItemCount(), 6);
    const TreeItemId item = tree.Child(tree.Child(tree.root, core->GetInstalacio().GetCentral().GetDescr()), "Eventos");
    ASSERT_TRUE(core->Receive(item)) << core->GetLastError();
    EXPECT_EQ(view_->GetEventsPanel(), panel);
    EXPECT_EQ(panel->GetList()->GetItemCount(), 6);
    EXPECT_FALSE(Checked(panel, CPanelEvents::ID_SHOW_ALARMS));
}

TEST_F(EventsPanelTest, ExtendedFormatShowsNumbersReceiverAndFiltersByAccount) {
    CModel* keypad = core->GetInstalacio().GetComponent(0);
    ASSERT_NE(keypad, nullptr);
    ASSERT_EQ(keypad->GetEvents().GetTipus(), EventFormatExtended);
    CPanelEvents* panel = ReadEvents(keypad);
    ASSERT_NE(panel, nullptr);
    ASSERT_EQ(panel->GetList()->GetItemCount(), 8);
    EXPECT_EQ(panel->GetList()->GetColumnCount(), 10);
    EXPECT_EQ(Row(panel, 4), (std::vector<std::string>{"14/06/2024", "08:55:00", "1130", "Alarma", "Robo", "4", "1",
                                                       "1234", "1", "1"}));
    EXPECT_EQ(Column(panel, 5), (std::vector<std::string>{"2", "0", "1", "4", "4", "1", "0", "0"}));

    // The account filter compares the field's text whole; the field counts at the next refill.
    auto* field = dynamic_cast<wxTextCtrl*>(panel->GetControl(CPanelEvents::ID_ACCOUNT));
    ASSERT_NE(field, nullptr);
    field->ChangeValue(wxT("1234"));
    Click(panel, CPanelEvents::ID_FILTER_ACCOUNT, true);
    EXPECT_EQ(panel->GetList()->GetItemCount(), 8);
    field->ChangeValue(wxT("123"));
    EXPECT_EQ(panel->GetList()->GetItemCount(), 8);
    Click(panel, CPanelEvents::ID_SHOW_TESTS, true);
    EXPECT_EQ(panel->GetList()->GetItemCount(), 0);
    EXPECT_EQ(panel->GetFilter().account, "123");
    field->ChangeValue(wxEmptyString);
    Click(panel, CPanelEvents::ID_FILTER_ACCOUNT, false);
    EXPECT_EQ(panel->GetList()->GetItemCount(), 8);
}

TEST_F(EventsPanelTest, ClassBoxesAndOrderRefillTheList) {
    CPanelEvents* panel = ReadEvents();
    ASSERT_NE(panel, nullptr);
    const std::vector<std::string> all = Column(panel, 2);
    struct Step {
        Id box;
        bool value;
        std::vector<std::string> codes;
    } steps[] = {
        {CPanelEvents::ID_SHOW_FAULTS, false, {"3401", "1602", "1401", "3130", "1130", "3401"}},
        {CPanelEvents::ID_SHOW_ONOFF, false, {"1602", "3130", "1130"}},
        {CPanelEvents::ID_REVERSE_ORDER, true, {"1130", "3130", "1602"}},
        {CPanelEvents::ID_SHOW_TESTS, false, {"1130", "3130"}},
        {CPanelEvents::ID_SHOW_ALARMS, false, {}},
        {CPanelEvents::ID_SHOW_SUPERVISIONS, false, {}},
        {CPanelEvents::ID_SHOW_OMISSIONS, false, {}},
        {CPanelEvents::ID_SHOW_PHONE_CALLS, false, {}},
        {CPanelEvents::ID_SHOW_ONOFF, true, {"3401", "1401", "3401"}},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.box);
        Click(panel, s.box, s.value);
        EXPECT_EQ(Column(panel, 2), s.codes);
    }
    EXPECT_EQ(panel->GetRowEvent(0), 2);  // oldest first now
    EXPECT_EQ(panel->GetRowEvent(3), -1);
    // The headings stay whatever is shown.
    EXPECT_EQ(panel->GetList()->GetColumnCount(), 8);
    EXPECT_EQ(all.size(), 8u);
}

TEST_F(EventsPanelTest, WholeMemoryBoxAsksAndEmptyingClearsTheFlagAndTheBox) {
    CPanelEvents* panel = ReadEvents();
    ASSERT_NE(panel, nullptr);
    CEvents& events = core->GetInstalacio().GetCentral().GetEvents();

    dialogs.AnswerYesNo(false);
    Click(panel, CPanelEvents::ID_WHOLE_MEMORY, true);
    EXPECT_FALSE(events.IsWholeMemory());
    EXPECT_FALSE(Checked(panel, CPanelEvents::ID_WHOLE_MEMORY));
    ASSERT_NE(dialogs.Last(), nullptr);
    EXPECT_EQ(dialogs.Last()->caption, "Confirmar");
    EXPECT_EQ(dialogs.Last()->text.substr(0, 20), "Si marca esta opci\xF3n");

    dialogs.AnswerYesNo(true);
    Click(panel, CPanelEvents::ID_WHOLE_MEMORY, true);
    EXPECT_TRUE(events.IsWholeMemory());
    EXPECT_TRUE(Checked(panel, CPanelEvents::ID_WHOLE_MEMORY));

    // "Vaciar" answered No keeps everything.
    dialogs.AnswerYesNo(false);
    Press(panel, CPanelEvents::ID_EMPTY);
    EXPECT_EQ(dialogs.Last()->caption, "Vaciar");
    EXPECT_EQ(events.GetCount(), 8);
    EXPECT_EQ(panel->GetList()->GetItemCount(), 8);

    // Yes empties the record and its flag, and the box shows the flag again.
    dialogs.AnswerYesNo(true);
    Press(panel, CPanelEvents::ID_EMPTY);
    EXPECT_EQ(events.GetCount(), 0);
    EXPECT_FALSE(events.IsWholeMemory());
    EXPECT_FALSE(Checked(panel, CPanelEvents::ID_WHOLE_MEMORY));
    EXPECT_EQ(panel->GetList()->GetItemCount(), 0);
    EXPECT_EQ(panel->GetList()->GetColumnCount(), 8);

    // Unchecking asks nothing.
    dialogs.AnswerYesNo(true);
    Click(panel, CPanelEvents::ID_WHOLE_MEMORY, true);
    const std::size_t asked = dialogs.shown.size();
    Click(panel, CPanelEvents::ID_WHOLE_MEMORY, false);
    EXPECT_EQ(dialogs.shown.size(), asked);
    EXPECT_FALSE(events.IsWholeMemory());
}

TEST_F(EventsPanelTest, ExportWritesTheFilteredListOrShowsWhyNot) {
    CPanelEvents* panel = ReadEvents();
    ASSERT_NE(panel, nullptr);
    CEvents& events = core->GetInstalacio().GetCentral().GetEvents();
    Click(panel, CPanelEvents::ID_SHOW_ONOFF, false);

    // Cancel in the file dialog ends the export silently.
    dialogs.AnswerSavePath(std::nullopt);
    Press(panel, CPanelEvents::ID_EXPORT);
    EXPECT_EQ(dialogs.shown.size(), 1u);

    dialogs.AnswerSavePath(dir / "lista");
    Press(panel, CPanelEvents::ID_EXPORT);
    ASSERT_NE(dialogs.Last(), nullptr);
    EXPECT_EQ(dialogs.Last()->kind, "info");
    EXPECT_EQ(dialogs.Last()->caption, "Informaci\xF3n");
    EXPECT_EQ(dialogs.shown[1].text, "Elija un nombre para el fichero CSV de exportaci\xF3n");
    const std::string header = "Fecha;Hora;C\xF3" "digo;Tipo;Descripci\xF3" "n;Zona/Usuario;Area;Abonado;\r\n";
    EXPECT_EQ(dir.Read("lista"), header +
                                     "14/06/2024;10:00:00;1602;Test;\"Test\";0;1;;\r\n"
                                     "14/06/2024;08:56:00;3130;Restauracion;\"Robo\";4;1;;\r\n"
                                     "14/06/2024;08:55:00;1130;Alarma;\"Robo\";4;1;;\r\n"
                                     "14/06/2024;05:40:00;3301;Restauracion;\"No AC\";0;1;;\r\n"
                                     "14/06/2024;05:30:00;1301;Aver\xED" "a;\"No AC\";0;1;;\r\n");

    // A file that cannot be created: the error box, the old file of that name untouched.
    dialogs.AnswerSavePath(dir / "falta" / "lista.csv");
    Press(panel, CPanelEvents::ID_EXPORT);
    ASSERT_EQ(dialogs.Errors().size(), 1u);
    const std::string expected = "No se pudo abrir el fichero para escritura: \n" + (dir / "falta" / "lista.csv").string();
    EXPECT_EQ(dialogs.Errors()[0], expected);
    EXPECT_EQ(dialogs.Last()->caption, "Error");
    EXPECT_EQ(panel->GetErrorText(), expected);
    EXPECT_EQ(events.GetCount(), 8);
}

TEST_F(EventsPanelTest, UnboundRebuiltAndShrunkPanelsStaySound) {
    CPanelEvents* panel = ReadEvents();
    ASSERT_NE(panel, nullptr);
    CEvents* events = panel->GetEvents();
    const std::size_t children = panel->GetChildren().size();

    // A second build replaces every control instead of leaving the old ones behind.
    panel->SetEvents(events);
    EXPECT_EQ(panel->GetChildren().size(), children);
    EXPECT_EQ(panel->GetList()->GetItemCount(), 8);

    // Events gone behind the list's back give empty rows, not a crash.
    events->Clear();
    EXPECT_EQ(panel->CellText(0, 0), wxString());
    EXPECT_FALSE(panel->IsAlarm(4));
    EXPECT_TRUE(panel->UpdateControls());
    EXPECT_EQ(panel->GetList()->GetItemCount(), 0);

    panel->Clear();
    EXPECT_EQ(panel->GetEvents(), nullptr);
    EXPECT_EQ(panel->GetList(), nullptr);
    EXPECT_TRUE(panel->GetChildren().empty());
    EXPECT_FALSE(panel->UpdateControls());
    EXPECT_FALSE(panel->StoreControls());
    // Nothing to act on: the buttons do nothing and ask nothing.
    panel->SetEvents(nullptr);
    EXPECT_EQ(panel->GetList(), nullptr);
    EXPECT_EQ(panel->GetClientSize().x > 0, true);
}

}  // namespace

// The event list panel in the edit view, fed by an event-memory read from the simulated panel
// (the core on its virtual clock), driven through its own check boxes and buttons.
#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <wx/checkbox.h>
#include <wx/frame.h>
#include <wx/listctrl.h>
#include <wx/textctrl.h>

#include "panel_view_fixture.h"
#include "datamodel/events.h"
#include "datamodel/instalacio.h"
#include "datamodel/model.h"
#include "panels/paneledit.h"
#include "panels/panelevents.h"
#include "panels/wxtext.h"

namespace {

using Strings = std::vector<std::string>;
using P = CPanelEvents;

class EventsPanelTest : public PanelViewTest {
protected:
    void SetUp() override { OpenSample(true, wxSize(1000, 700)); }

    // Shows the events node of a component (the central by default) and reads every record the
    // panel holds (the read pointer back at the start).
    CPanelEvents* Read(CModel* component = nullptr) {
        CModel& model = component ? *component : core->GetInstalacio().GetCentral();
        model.GetEvents().Clear();
        model.GetEvents().SetMyPpe(0);
        node_ = tree.Child(tree.Child(tree.root, model.GetDescr()), "Eventos");
        core->ShowTreeItem(node_);
        EXPECT_TRUE(core->Receive(node_)) << core->GetLastError();
        panel_ = view->GetEventsPanel();
        return panel_;
    }
    Strings Column(int column) const {
        Strings cells;
        for (long r = 0; r < panel_->GetList()->GetItemCount(); ++r)
            cells.push_back(FromWx(panel_->GetList()->GetItemText(r, column)));
        return cells;
    }
    long Rows() const { return panel_->GetList()->GetItemCount(); }
    // The installer's click: the control changes, then its event reaches the panel.
    void Click(P::ControlId id, bool value = true) {
        wxWindow* control = panel_->GetControl(id);
        ASSERT_NE(control, nullptr) << id;
        auto* box = dynamic_cast<wxCheckBox*>(control);
        if (box) box->SetValue(value);
        wxCommandEvent event(box ? wxEVT_CHECKBOX : wxEVT_BUTTON, id);
        event.SetEventObject(control);
        event.SetInt(value);
        control->GetEventHandler()->ProcessEvent(event);
    }
    // The width the toolkit gives a column inserted without one.
    int ToolkitColumnWidth() const {
        wxListCtrl probe(frame, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxLC_REPORT);
        probe.InsertColumn(0, wxT("Fecha"));
        return probe.GetColumnWidth(0);
    }
    int Width(int column) const { return panel_->GetList()->GetColumnWidth(column); }
    int TextWidth(const std::string& text) const { return panel_->GetList()->GetTextExtent(ToWx(text)).x; }
    // Wide enough to show a heading whole: its text and the heading's padding on both sides.
    int HeadingWidth(const std::string& heading) const { return TextWidth(heading) + 12; }
    // The type column shows every type whole, whatever the rows: the widest class names and the
    // telephone call's type, each with a cell's padding.
    void ExpectEveryTypeWhole() const {
        for (const char* type : {"Llamada telef\xF3nica", "Restauracion", "Desarmado", "Supervisi\xF3n (rest.)"})
            EXPECT_GE(Width(3), TextWidth(type) + 12) << type;
    }
    bool Checked(P::ControlId id) const { return dynamic_cast<wxCheckBox*>(panel_->GetControl(id))->GetValue(); }
    CEvents& Events() { return *panel_->GetEvents(); }

    CPanelEvents* panel_ = nullptr;
    TreeItemId node_ = kNoTreeItem;
};

TEST_F(EventsPanelTest, ReadListsTheEightSampleRecordsNewestFirstWithNamesAndColours) {
    ASSERT_NE(Read(), nullptr);
    EXPECT_EQ(Column(2), (Strings{"3401", "1602", "1401", "3130", "1130", "3401", "3301", "1301"}));
    // Users count from 0 (user 1 is the second name), zones from 1; names as stored, padded to 16.
    EXPECT_EQ(Column(5), (Strings{"2 : Mar\xED" "a           ", "0", "1 : Antonio         ", "4 : Cocina          ",
                                  "4 : Cocina          ", "1 : Antonio         ", "0", "0"}));
    EXPECT_EQ(Column(6), Strings(8, "1 : Vivienda        "));
    EXPECT_EQ(Column(7), Strings(8, ""));  // the account column of the second format
    for (long r = 0; r < 8; ++r)  // the burglary only, not its restore nor the mains trouble
        EXPECT_EQ(panel_->GetList()->GetItemBackgroundColour(r) == wxColour(255, 187, 187), r == 4) << r;
    EXPECT_EQ(panel_->GetControl(P::ID_FILTER_ACCOUNT), nullptr);

    // Filters hold over the reload after the next read.
    Click(P::ID_SHOW_ALARMS, false);
    Click(P::ID_SHOW_ONOFF, false);
    Click(P::ID_REVERSE_ORDER);
    EXPECT_EQ(Column(2), (Strings{"1301", "3301", "1602"}));
    ASSERT_TRUE(core->Receive(node_)) << core->GetLastError();
    EXPECT_EQ(view->GetEventsPanel(), panel_);
    EXPECT_EQ(Column(2), (Strings{"1301", "3301", "1602"}));
    EXPECT_EQ(panel_->GetRowEvent(0), 0);
    EXPECT_EQ(panel_->GetRowEvent(3), -1);
}

TEST_F(EventsPanelTest, ExtendedFormatShowsNumbersAndFiltersByTheTypedAccount) {
    ASSERT_NE(Read(core->GetInstalacio().GetComponent(0)), nullptr);
    ASSERT_EQ(Events().GetTipus(), EventFormatExtended);
    EXPECT_EQ(panel_->GetList()->GetColumnCount(), 10);
    EXPECT_EQ(Column(5), (Strings{"2", "0", "1", "4", "4", "1", "0", "0"}));
    EXPECT_EQ(Column(7), Strings(8, "1234"));

    // Date, time and description fit their texts; zone, area and account their texts and at
    // least their headings; code keeps the toolkit's width, the receiver columns widen to their
    // headings.
    const int standard = ToolkitColumnWidth();
    EXPECT_EQ(Width(2), standard);
    ExpectEveryTypeWhole();
    EXPECT_GE(Width(8), HeadingWidth("Linea receptor"));
    EXPECT_GE(Width(9), HeadingWidth("Numero receptor"));
    EXPECT_GE(Width(0), TextWidth("14/06/2024"));
    EXPECT_GE(Width(1), TextWidth("10:20:00"));
    EXPECT_GE(Width(4), TextWidth("Usuario ON/OFF"));
    EXPECT_LT(Width(6), standard);  // "Area" and one digit: narrower than the toolkit's width
    EXPECT_GE(Width(5), TextWidth("Zona/Usuario"));
    EXPECT_GE(Width(6), TextWidth("Area"));
    EXPECT_GE(Width(7), TextWidth("Abonado"));

    // On a narrow view the bottom row wraps: the buttons keep their width inside the panel,
    // neither squeezed nor stretched over the line's spare width.
    frame->SetSize(560, 700);
    frame->Layout();
    for (P::ControlId id : {P::ID_EXPORT, P::ID_EMPTY}) {
        wxWindow* button = panel_->GetControl(id);
        EXPECT_EQ(button->GetSize().x, button->GetBestSize().x) << id;
        EXPECT_LE(button->GetRect().GetRight(), panel_->GetClientSize().x) << id;
    }

    auto* field = dynamic_cast<wxTextCtrl*>(panel_->GetControl(P::ID_ACCOUNT));
    ASSERT_NE(field, nullptr);
    field->ChangeValue(wxT("1234"));
    Click(P::ID_FILTER_ACCOUNT);
    EXPECT_EQ(Rows(), 8);
    field->ChangeValue(wxT("123"));  // counts at the next refill
    EXPECT_EQ(Rows(), 8);
    Click(P::ID_SHOW_TESTS);
    EXPECT_EQ(Rows(), 0);
    // No row passes the filters, yet the record holds events: the widths are still adjusted, to
    // no less than the headings.
    EXPECT_LT(Width(0), ToolkitColumnWidth());
    EXPECT_GE(Width(0), HeadingWidth("Fecha"));
    EXPECT_GE(Width(4), HeadingWidth("Descripci\xF3" "n"));
}

TEST_F(EventsPanelTest, WholeMemoryBoxAsksAndEmptyingClearsFlagAndBox) {
    ASSERT_NE(Read(), nullptr);
    dialogs.AnswerYesNo(false);
    Click(P::ID_WHOLE_MEMORY);
    EXPECT_FALSE(Events().IsWholeMemory());
    EXPECT_FALSE(Checked(P::ID_WHOLE_MEMORY));
    EXPECT_EQ(dialogs.Last()->caption, "Confirmar");
    EXPECT_FALSE(dialogs.Last()->defaultNo);  // neither question touches the panel: Yes stays the default
    dialogs.AnswerYesNo(true);
    Click(P::ID_WHOLE_MEMORY);
    EXPECT_TRUE(Events().IsWholeMemory());

    dialogs.AnswerYesNo(false);
    Click(P::ID_EMPTY);
    EXPECT_EQ(dialogs.Last()->text, "\xBFSeguro que desea vaciar la lista de eventos?");
    EXPECT_FALSE(dialogs.Last()->defaultNo);
    EXPECT_EQ(Rows(), 8);
    dialogs.AnswerYesNo(true);
    Click(P::ID_EMPTY);
    EXPECT_EQ(Events().GetCount(), 0);
    EXPECT_FALSE(Events().IsWholeMemory());
    EXPECT_FALSE(Checked(P::ID_WHOLE_MEMORY));  // the box follows the cleared flag
    EXPECT_EQ(Rows(), 0);
    // An empty record sizes no column to its contents: each keeps the toolkit's width, or its
    // heading's where that is wider; the type column keeps the width of every type.
    ExpectEveryTypeWhole();
    const Strings headings{"Fecha", "Hora", "C\xF3" "digo", "Tipo", "Descripci\xF3" "n", "Zona/Usuario", "Area", "Abonado"};
    ASSERT_EQ(panel_->GetList()->GetColumnCount(), 8);
    for (int c = 0; c < 8; ++c) {
        const std::string& heading = headings[static_cast<std::size_t>(c)];
        EXPECT_GE(Width(c), std::max(ToolkitColumnWidth(), HeadingWidth(heading))) << heading;
        if (heading.size() <= 5 && heading != "Tipo") {  // "Fecha", "Hora", "Area": within the toolkit's width
            EXPECT_EQ(Width(c), ToolkitColumnWidth()) << heading;
        }
    }

    dialogs.AnswerYesNo(true);
    Click(P::ID_WHOLE_MEMORY);
    const std::size_t asked = dialogs.shown.size();
    Click(P::ID_WHOLE_MEMORY, false);  // unchecking asks nothing
    EXPECT_EQ(dialogs.shown.size(), asked);
    EXPECT_FALSE(Events().IsWholeMemory());
}

TEST_F(EventsPanelTest, ExportWritesWhatTheListShowsOrSaysWhyNotAndRebuildsStaySound) {
    ASSERT_NE(Read(), nullptr);
    Click(P::ID_SHOW_ONOFF, false);
    dialogs.AnswerSavePath(std::nullopt);  // cancelled: nothing else happens
    Click(P::ID_EXPORT);
    EXPECT_EQ(dialogs.shown, (std::vector<FakeDialogs::Shown>{
                                 {"save", "Elija un nombre para el fichero CSV de exportación", "", {}, "", "*.csv"}}));

    dialogs.AnswerSavePath(dir / "lista");
    Click(P::ID_EXPORT);
    EXPECT_EQ(dialogs.Last()->caption, "Informaci\xF3n");
    EXPECT_EQ(dir.Read("lista"), "Fecha;Hora;C\xF3" "digo;Tipo;Descripci\xF3" "n;Zona/Usuario;Area;Abonado;\r\n"
                                 "14/06/2024;10:00:00;1602;Test;\"Test\";0;1;;\r\n"
                                 "14/06/2024;08:56:00;3130;Restauracion;\"Robo\";4;1;;\r\n"
                                 "14/06/2024;08:55:00;1130;Alarma;\"Robo\";4;1;;\r\n"
                                 "14/06/2024;05:40:00;3301;Restauracion;\"No AC\";0;1;;\r\n"
                                 "14/06/2024;05:30:00;1301;Aver\xED" "a;\"No AC\";0;1;;\r\n");

    dialogs.AnswerSavePath(dir / "falta" / "lista.csv");
    Click(P::ID_EXPORT);
    ASSERT_EQ(dialogs.Errors().size(), 1u);
    EXPECT_EQ(dialogs.Errors()[0].rfind("No se pudo abrir el fichero para escritura: \n", 0), 0u);
    EXPECT_EQ(panel_->GetErrorText(), dialogs.Errors()[0]);

    // A text of megabytes read from a file shows cut in its cell (the record keeps it whole).
    for (int i = 0; i < Events().GetCount(); ++i) Events().GetEvent(i)->SetAbonat(std::string(100000, '7'));
    EXPECT_EQ(FromWx(panel_->CellText(0, 7)), std::string(117, '7') + "...");
    EXPECT_EQ(Events().GetEvent(0)->GetAbonat().size(), 100000u);

    // A second build leaves no stale controls; events gone behind the list's back give empty
    // cells; an unbound panel has nothing.
    const std::size_t children = panel_->GetChildren().size();
    panel_->SetEvents(&Events());
    EXPECT_EQ(panel_->GetChildren().size(), children);
    Events().Clear();
    EXPECT_EQ(panel_->CellText(0, 0), wxString());
    EXPECT_FALSE(panel_->IsAlarm(4));
    panel_->Clear();
    EXPECT_TRUE(panel_->GetChildren().empty());
    EXPECT_FALSE(panel_->UpdateControls());
    EXPECT_FALSE(panel_->StoreControls());
}


}  // namespace

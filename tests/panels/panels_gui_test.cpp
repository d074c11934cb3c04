// The code, bit-group and installation-data panels in a frame: what they show, what a store
// writes into the records, and the bit grid's own events.
#include <dlfcn.h>

#include <memory>
#include <vector>

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>
#include <wx/checkbox.h>
#include <wx/combobox.h>
#include <wx/frame.h>
#include <wx/grid.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "datamodel/codi.h"
#include "datamodel/dades.h"
#include "datamodel/grup.h"
#include "panels/panelbitgrup.h"
#include "panels/panelcodi.h"
#include "panels/paneldades.h"
#include "panels/paneledit.h"
#include "panels/wxtext.h"
#include "support/fake_dialogs.h"

namespace {

std::unique_ptr<CCodi> MakeCodi(int type, const std::string& value, bool editable = true) {
    auto codi = std::make_unique<CCodi>();
    codi->SetEditable(editable);
    codi->SetType(type);  // an output code makes itself read-only
    codi->SetDescr("Hora");
    codi->SetKpAddress("123");
    codi->SetUsuari(true);
    for (int i = 0; i < 8; ++i) codi->SetOption(i, "Opción " + std::to_string(i));
    codi->SetValue(value);
    codi->ClearModified();
    return codi;
}

class PanelsGui : public ::testing::Test {
protected:
    PanelsGui() : frame(new wxFrame(nullptr, wxID_ANY, wxT("panels"), wxDefaultPosition, wxSize(600, 700))) {
        view = new CPanelEdit(frame);
        view->SetModifiedHandler([this] { ++marks; });
        frame->Show();
    }
    ~PanelsGui() override { frame->Destroy(); }

    wxFrame* frame;
    CPanelEdit* view;
    int marks = 0;
};

// ---- code panel ----

TEST_F(PanelsGui, CodePanelShowsTitleAndNormalisesTheStoredValueAtTheNextReload) {
    auto codi = MakeCodi(CodiNibble4, "0000");
    view->AddCodi(codi.get());
    CPanelCodi* panel = view->GetCodiPanel(0);
    ASSERT_TRUE(panel && panel->GetValueField());
    EXPECT_EQ(FromWx(panel->GetTitleLabel()->GetLabel()), " u123 - Hora");
    panel->GetValueField()->SetValue(wxT("1"));
    EXPECT_TRUE(panel->StoreControls());
    EXPECT_EQ(codi->GetValue(), "1FFF");
    EXPECT_TRUE(codi->IsModified());
    EXPECT_TRUE(panel->UpdateControls());
    EXPECT_EQ(panel->GetValueField()->GetValue(), wxT("1FFF"));
}

// A typed value is stored when the code then shows the same value (its padding, fill, letter
// case and leading zeros aside); otherwise it is refused once with a box, the code keeps its
// value and the field shows it again.
TEST_F(PanelsGui, CodePanelTakesATypedValueAsTypedOrRefusesIt) {
    FakeDialogs dialogs;
    SetDialogs(&dialogs);
    struct Case {
        int type;
        const char* kept;
        const char* typed;
        const char* stored;  // null: refused
    } cases[] = {
        {CodiDecimal, "030", "999", nullptr},
        {CodiDecimal, "030", "abc", nullptr},
        {CodiDecimal, "030", "007", "007"},
        {CodiDecimal, "030", "45", "45"},
        {CodiNibble4, "1234", "12G4", nullptr},
        {CodiNibble4, "1234", "1", "1FFF"},
        {CodiNibble4, "1234", "abcd", "abcd"},
        {CodiNibble2_1N, "01", "1X", nullptr},
        {CodiNibble16, "FFFFFFFFFFFFFFFF", "600123", "600123FFFFFFFFFF"},
        {CodiHoraQuart, "7:00", "25:10", nullptr},
        {CodiHoraQuart, "7:00", "07:55", nullptr},
        {CodiHoraQuart, "7:00", "07:15", "07:15"},
        {CodiString, "Cocina", "Salón", "Salón           "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.typed));
        auto codi = MakeCodi(c.type, c.kept);
        const std::string kept = codi->GetValue();
        view->Clear();
        view->AddCodi(codi.get());
        CPanelCodi* panel = view->GetCodiPanel(0);
        ASSERT_TRUE(panel && panel->GetValueField());
        const std::size_t boxes = dialogs.Errors().size();
        panel->GetValueField()->ChangeValue(ToWx(c.typed));
        view->TransferFromPanels();
        view->TransferFromPanels();  // told once: the field shows the kept value again
        if (c.stored) {
            EXPECT_EQ(codi->GetValue(), c.stored);
            EXPECT_TRUE(codi->IsModified());
            EXPECT_EQ(dialogs.Errors().size(), boxes);
            continue;
        }
        EXPECT_EQ(codi->GetValue(), kept);
        EXPECT_FALSE(codi->IsModified());
        EXPECT_EQ(FromWx(panel->GetValueField()->GetValue()), kept);
        ASSERT_EQ(dialogs.Errors().size(), boxes + 1);
        EXPECT_EQ(dialogs.Errors().back().rfind("El valor \"" + std::string(c.typed) + "\" no cabe en el campo \"123 - Hora\": ", 0), 0u)
            << dialogs.Errors().back();
        EXPECT_NE(dialogs.Errors().back().find("\nSe conserva \"" + kept + "\"."), std::string::npos);
        EXPECT_EQ(dialogs.shown.back().caption, "Error");
    }
    EXPECT_EQ(dialogs.Errors()[0],
              "El valor \"999\" no cabe en el campo \"123 - Hora\": se espera un número de 0 a 255.\nSe conserva \"030\".");
    // A field the installer did not change is never refused, whatever the code holds.
    auto empty = MakeCodi(CodiDecimal, "");
    view->Clear();
    view->AddCodi(empty.get());
    const std::size_t boxes = dialogs.Errors().size();
    EXPECT_TRUE(view->GetCodiPanel(0)->StoreControls());
    EXPECT_EQ(dialogs.Errors().size(), boxes);
    view->Clear();
    SetDialogs(nullptr);
}

TEST_F(PanelsGui, ReadOnlyCodesAreLeftAloneByAStore) {
    auto output = MakeCodi(CodiSortida, "Activada");
    auto bits = MakeCodi(CodiBitmask, "00000000", false);
    view->AddCodi(output.get());
    view->AddCodi(bits.get());
    CPanelCodi* text = view->GetCodiPanel(0);
    CPanelCodi* boxes = view->GetCodiPanel(1);
    EXPECT_FALSE(text->GetValueField()->IsEditable());
    text->GetValueField()->ChangeValue(wxT("Desactivada"));
    ASSERT_EQ(boxes->GetCheckBoxes().size(), 8u);
    EXPECT_FALSE(boxes->GetCheckBoxes()[0]->IsEnabled());
    boxes->GetCheckBoxes()[0]->SetValue(true);
    view->TransferFromPanels();
    EXPECT_EQ(output->GetValue(), "Activada");
    EXPECT_EQ(bits->GetValue(), "00000000");
    EXPECT_FALSE(output->IsModified() || bits->IsModified());
}

TEST_F(PanelsGui, BitmaskBoxesStoreTheirBits) {
    auto codi = MakeCodi(CodiBitmask, "00000000");
    view->AddCodi(codi.get());
    CPanelCodi* panel = view->GetCodiPanel(0);
    const auto& boxes = panel->GetCheckBoxes();
    ASSERT_EQ(boxes.size(), 8u);
    EXPECT_EQ(FromWx(boxes[3]->GetLabel()), "Opción 3");
    boxes[0]->SetValue(true);
    boxes[6]->SetValue(true);
    EXPECT_TRUE(panel->StoreControls());
    EXPECT_EQ(codi->GetValue(), "10000010");
    codi->SetValue("01000000");
    EXPECT_TRUE(panel->UpdateControls());
    EXPECT_TRUE(boxes[1]->GetValue());
    EXPECT_FALSE(boxes[0]->GetValue());
}

TEST_F(PanelsGui, EveryRowIsAsTallAsItsControlsAndALongGroupScrolls) {
    std::vector<std::unique_ptr<CCodi>> codis;
    codis.push_back(MakeCodi(CodiBitmask, "00000000"));
    for (int i = 0; i < 30; ++i) codis.push_back(MakeCodi(CodiNibble4, "1234"));
    for (auto& codi : codis) view->AddCodi(codi.get());
    frame->Layout();
    // Each panel is as tall as its controls need: the eight boxes are not cut to one row.
    for (int i : {0, 1}) {
        CPanelCodi* panel = view->GetCodiPanel(i);
        EXPECT_GE(panel->GetSize().y, panel->GetSizer()->GetMinSize().y) << i;
    }
    EXPECT_GT(view->GetCodiPanel(0)->GetSize().y, 8 * view->GetCodiPanel(0)->GetCheckBoxes()[0]->GetSize().y / 2);
    EXPECT_GT(view->GetVirtualSize().y, view->GetClientSize().y);
}

TEST_F(PanelsGui, ATextTheCodeCannotCarryIsRefusedAndTheFieldShowsTheCode) {
    auto codi = MakeCodi(CodiString, "Entrada");
    view->AddCodi(codi.get());
    CPanelCodi* panel = view->GetCodiPanel(0);
    panel->GetValueField()->SetValue(wxT("Puerta \u03A9"));
    EXPECT_FALSE(panel->StoreControls());
    EXPECT_EQ(codi->GetValue().substr(0, 7), "Entrada");
    EXPECT_FALSE(codi->IsModified());
    EXPECT_EQ(FromWx(panel->GetValueField()->GetValue()), codi->GetValue());
}

TEST_F(PanelsGui, ARebindReplacesTheControlsAndClearLeavesNone) {
    auto text = MakeCodi(CodiNibble4, "1234");
    auto bits = MakeCodi(CodiBitmask, "11110000");
    view->AddCodi(text.get());
    CPanelCodi* panel = view->GetCodiPanel(0);
    panel->SetCodi(bits.get());
    EXPECT_EQ(panel->GetValueField(), nullptr);
    EXPECT_EQ(panel->GetChildren().GetCount(), 1u);  // the titled box alone, holding the boxes
    panel->SetCodi(text.get());
    EXPECT_EQ(panel->GetChildren().GetCount(), 2u);
    EXPECT_TRUE(panel->GetCheckBoxes().empty());
    panel->Clear();
    EXPECT_EQ(panel->GetChildren().GetCount(), 0u);
    EXPECT_EQ(panel->GetCodi(), nullptr);
    EXPECT_FALSE(panel->UpdateControls());
    EXPECT_FALSE(panel->StoreControls());
}

// ---- bit-group panel ----

class BitGrupGui : public PanelsGui {
protected:
    void SetUp() override {
        const char* names[] = {"A", "-", "C", "D", "E", "F", "G", "H"};
        for (int i = 0; i < 8; ++i) grup.SetBitName(i, names[i]);
        for (int i = 0; i < 3; ++i) {
            codis.push_back(MakeCodi(CodiBitmask, "00000000"));
            grup.AddCodi(codis.back().get());
        }
        grup.SetBits();
    }
    CPanelBitGrup* Show() {
        view->AddBitGrup(&grup);
        return view->GetBitGrupPanel();
    }
    void Send(wxEventType type, int row, int col) {
        wxGrid* grid = view->GetBitGrupPanel()->GetGrid();
        wxGridEvent event(grid->GetId(), type, grid, row, col);
        grid->ProcessWindowEvent(event);
    }
    std::string Cell(int row, int col) { return FromWx(view->GetBitGrupPanel()->GetGrid()->GetCellValue(row, col)); }

    CGrup grup;
    std::vector<std::unique_ptr<CCodi>> codis;
};

TEST_F(BitGrupGui, DoubleClickTogglesTheBitOfItsColumn) {
    CPanelBitGrup* panel = Show();
    wxGrid* grid = panel->GetGrid();
    ASSERT_EQ(grid->GetNumberCols(), 7);
    EXPECT_EQ(FromWx(grid->GetColLabelValue(1)), "C");
    Send(wxEVT_GRID_CELL_LEFT_DCLICK, 0, 1);
    EXPECT_EQ(codis[0]->GetValue(), "00100000");
    EXPECT_EQ(Cell(0, 1), "X");
    // The edit view's store pass changes nothing further.
    view->TransferFromPanels();
    EXPECT_EQ(codis[0]->GetValue(), "00100000");
    Send(wxEVT_GRID_CELL_LEFT_DCLICK, 0, 1);
    EXPECT_EQ(codis[0]->GetValue(), "00000000");
    EXPECT_EQ(Cell(0, 1), "-");
}

TEST_F(BitGrupGui, RightClickWithoutSelectionTogglesTheClickedCellNotTheCursor) {
    CPanelBitGrup* panel = Show();
    panel->GetGrid()->SetGridCursor(0, 0);
    Send(wxEVT_GRID_CELL_RIGHT_CLICK, 2, 3);  // column 3 stands for bit 4
    EXPECT_EQ(codis[0]->GetValue(), "00000000");
    EXPECT_EQ(codis[2]->GetValue(), "00001000");
}

TEST_F(BitGrupGui, RotatedRightClickTogglesEverySelectedCell) {
    grup.SetGirat(true);
    CPanelBitGrup* panel = Show();
    wxGrid* grid = panel->GetGrid();
    ASSERT_EQ(grid->GetNumberRows(), 7);
    ASSERT_EQ(grid->GetNumberCols(), 3);
    grid->SelectBlock(0, 0, 0, 2);  // bit A of the three codes
    Send(wxEVT_GRID_CELL_RIGHT_CLICK, 5, 0);
    for (const auto& codi : codis) EXPECT_EQ(codi->GetValue(), "10000000");
    EXPECT_EQ(Cell(0, 2), "X");
    EXPECT_EQ(Cell(5, 0), "-");
}

TEST_F(BitGrupGui, SpaceTogglesTheCursorCellAndOtherKeysPass) {
    CPanelBitGrup* panel = Show();
    wxGrid* grid = panel->GetGrid();
    grid->SetGridCursor(1, 6);  // bit H of code 1
    wxKeyEvent space(wxEVT_KEY_DOWN);
    space.m_keyCode = WXK_SPACE;
    grid->ProcessWindowEvent(space);
    EXPECT_EQ(codis[1]->GetValue(), "00000001");
    wxKeyEvent letter(wxEVT_KEY_DOWN);
    letter.m_keyCode = 'A';
    grid->ProcessWindowEvent(letter);
    EXPECT_EQ(codis[1]->GetValue(), "00000001");
}

TEST_F(BitGrupGui, ACodeThatRefusesTheToggleKeepsItsCell) {
    CCodi untyped;  // no type: every byte refused
    grup.AddCodi(&untyped);
    Show();
    Send(wxEVT_GRID_CELL_LEFT_DCLICK, 3, 0);
    EXPECT_EQ(Cell(3, 0), "-");
    EXPECT_FALSE(untyped.IsModified());
}

// ---- installation-data panel ----

class DadesGui : public PanelsGui {
protected:
    void SetUp() override {
        dades.SetNomInstal("Chalet Pérez");
        dades.SetTipusConexio(6);
        dades.SetIpPort(4000);
        dades.SetCallback(true);
    }
    CPanelDades* Show() {
        view->AddDades(&dades);
        return view->GetDadesPanel();
    }
    CDades dades;
};

TEST_F(DadesGui, ShowsTheRecordAndAnUnchangedStoreMarksNothing) {
    CPanelDades* panel = Show();
    EXPECT_EQ(view->GetDades(), &dades);
    EXPECT_EQ(FromWx(panel->GetField(DadesNomInstal)->GetValue()), "Chalet Pérez");
    EXPECT_EQ(FromWx(panel->GetKindCombo()->GetValue()), "6 - CRA LINK");
    EXPECT_TRUE(panel->GetCallbackBox()->GetValue());
    frame->Layout();
    EXPECT_GE(panel->GetSize().y, panel->GetSizer()->GetMinSize().y) << "rows cut";
    EXPECT_TRUE(panel->StoreControls());
    EXPECT_EQ(dades.GetTipusConexio(), 6);
    EXPECT_EQ(marks, 0);
}

TEST_F(DadesGui, EditsReachTheRecordAndMarkTheInstallationModified) {
    CPanelDades* panel = Show();
    panel->GetKindCombo()->SetSelection(3);
    panel->GetField(DadesIpPort)->SetValue(wxEmptyString);
    panel->GetField(DadesNomClient)->SetValue(wxT(" Ana Núñez "));
    view->TransferFromPanels();
    EXPECT_EQ(dades.GetTipusConexio(), 3);
    EXPECT_TRUE(dades.GetCallback());
    EXPECT_EQ(dades.GetIpPort(), 0);
    EXPECT_EQ(dades.GetNomClient(), " Ana Núñez ");
    EXPECT_EQ(marks, 1);
    view->TransferToPanels();
    EXPECT_EQ(panel->GetField(DadesIpPort)->GetValue(), wxT("0"));
}

TEST_F(DadesGui, ARefusedFieldShowsTheRecordAgain) {
    CPanelDades* panel = Show();
    panel->GetField(DadesIpPort)->SetValue(wxT("70000"));
    panel->GetField(DadesEmail)->SetValue(wxT("a\u03A9@b"));
    EXPECT_FALSE(panel->StoreControls());
    EXPECT_EQ(dades.GetIpPort(), 4000);
    EXPECT_EQ(panel->GetField(DadesIpPort)->GetValue(), wxT("4000"));
    EXPECT_EQ(panel->GetField(DadesEmail)->GetValue(), wxEmptyString);
    EXPECT_EQ(marks, 0);
}

TEST_F(DadesGui, AFieldTheInstallerDidNotEditIsNeverStored) {
    const std::string name(200000, 'N');
    dades.SetNomInstal(name);
    CPanelDades* panel = Show();
    ASSERT_LT(panel->GetField(DadesNomInstal)->GetValue().length(), name.size());  // the toolkit cut it
    EXPECT_TRUE(panel->StoreControls());
    view->TransferFromPanels();
    EXPECT_EQ(dades.GetNomInstal(), name);
    EXPECT_EQ(marks, 0);

    // Edited, a field is stored as it stands; reloaded from the record, it is unedited again.
    struct Step {
        const wchar_t* typed;  // null: reload the record's name first, then store
        std::string stored;
        int marks;
    } steps[] = {{L"Chalet", "Chalet", 1}, {nullptr, name, 1}, {L"Chalet", "Chalet", 2}};
    for (const Step& step : steps) {
        if (step.typed) {
            panel->GetField(DadesNomInstal)->ChangeValue(step.typed);
        } else {
            dades.SetNomInstal(name);
            view->TransferToPanels();
        }
        EXPECT_TRUE(panel->StoreControls());
        EXPECT_EQ(dades.GetNomInstal().size(), step.stored.size());
        EXPECT_EQ(dades.GetNomInstal() == step.stored, true);
        EXPECT_EQ(marks, step.marks);
    }
}

TEST_F(DadesGui, AKindOutsideTheListIsKeptByAStore) {
    dades.SetTipusConexio(21);
    CPanelDades* panel = Show();
    EXPECT_EQ(panel->GetKindCombo()->GetSelection(), wxNOT_FOUND);
    EXPECT_TRUE(panel->StoreControls());
    EXPECT_EQ(dades.GetTipusConexio(), 21);
}

TEST_F(DadesGui, WithoutARecordOrFormNothingIsStored) {
    CPanelDades* panel = Show();
    panel->Clear();
    EXPECT_EQ(panel->GetChildren().GetCount(), 0u);
    EXPECT_FALSE(panel->UpdateControls());
    EXPECT_FALSE(panel->StoreControls());
    EXPECT_EQ(view->GetDades(), nullptr);
}

// A widget call the toolkit refuses (here one without a widget) prints a critical message; the
// test main turns it into a failure of the running test.
void ShowNoWidget() {
    using ShowFunc = void (*)(void*);
    auto show = reinterpret_cast<ShowFunc>(dlsym(RTLD_DEFAULT, "gtk_widget_show"));
    ASSERT_NE(show, nullptr);
    show(nullptr);
}

TEST(ToolkitMessages, ACriticalOfTheToolkitFailsTheTest) {
    EXPECT_NONFATAL_FAILURE(ShowNoWidget(), "Gtk-CRITICAL: gtk_widget_show: assertion");
}

}  // namespace

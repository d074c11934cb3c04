// The flash group panel against the simulated panel: a flash table edited in its grid, sent,
// read back and verified; the file rows of a file group; rebuilds and refused input.
#include <wx/checkbox.h>
#include <wx/grid.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "datamodel/grupflash.h"
#include "flash_fixture.h"
#include "panels/panelfitxer.h"
#include "panels/panelflashgrup.h"
#include "panels/panelwebserver.h"
#include "panels/wxtext.h"

namespace {

// The agenda table of the sample central: 16 elements of 12 bytes at block 0x800; column 2
// ("Intentos", decimal) is byte 9 of each element.
constexpr int kAgendaBlock = 0x800;
constexpr int kElementBytes = 12;
constexpr int kIntentos = 2;
constexpr int kIntentosOffset = 9;

class FlashGrupPanelTest : public FlashPanelTest {
protected:
    CPanelFlashGrup* Panel() { return view->GetFlashGrupPanel(); }
    wxGrid* Grid() { return Panel() ? Panel()->GetGrid() : nullptr; }
    // Opens the cell's editor and types text into it, leaving the editor open.
    void Type(int row, int col, const wxString& text) {
        wxGrid* grid = Grid();
        ASSERT_NE(grid, nullptr);
        grid->SetGridCursor(row, col);
        grid->EnableCellEditControl();
        ASSERT_TRUE(grid->IsCellEditControlShown());
        wxGridCellEditorPtr editor(grid->GetCellEditor(row, col));
        auto* field = dynamic_cast<wxTextCtrl*>(editor->GetControl());
        ASSERT_NE(field, nullptr);
        field->SetValue(text);
    }
    std::string Cell(int row, int col) { return FromWx(Grid()->GetCellValue(row, col)); }
    Bytes Table(CGrupFlash& g) {
        const unsigned char* p = g.GetElementPtr(0);
        return Bytes(p, p + g.GetTableSize());
    }
};

TEST_F(FlashGrupPanelTest, CellBeingTypedIsSentReadBackAndVerified) {
    const TreeItemId item = Show("F01");
    CGrupFlash* g = Central().FindGrupFlash("F01");
    ASSERT_NE(Grid(), nullptr);
    ASSERT_EQ(Grid()->GetNumberRows(), 16);
    ASSERT_EQ(Grid()->GetNumberCols(), g->GetColumnaCount());
    EXPECT_EQ(FromWx(Grid()->GetRowLabelValue(15)), "15 : 0xf");
    EXPECT_EQ(FromWx(Grid()->GetColLabelValue(kIntentos)), "Intentos");
    ASSERT_FALSE(core->GetInstalacio().IsModified());

    Type(2, kIntentos, wxT("7"));  // the editor is still open when the send begins
    ASSERT_TRUE(core->Send(item)) << core->GetLastError();
    EXPECT_EQ(g->GetCellText(2, kIntentos), "007");
    EXPECT_TRUE(core->GetInstalacio().IsModified());
    const Bytes sent = GetFlash(sim.Central(), kAgendaBlock, 16 * kElementBytes);
    EXPECT_EQ(sent[2 * kElementBytes + kIntentosOffset], 7);
    EXPECT_EQ(sent, Table(*g));

    // A nibble column takes a short text filled by its fill character.
    Type(0, 1, wxT("1"));
    ASSERT_TRUE(core->Send(item)) << core->GetLastError();
    EXPECT_EQ(GetFlash(sim.Central(), kAgendaBlock, 9)[8], 0x1F);
    core->ShowTreeItem(item);
    EXPECT_EQ(Cell(0, 1), "1F");

    // What the panel holds comes back into the grid.
    auto block = sim.Central().FlashBlock(kAgendaBlock + (5 * kElementBytes + kIntentosOffset) / 16);
    block[(5 * kElementBytes + kIntentosOffset) % 16] = 42;
    sim.Central().SetFlashBlock(static_cast<std::uint16_t>(kAgendaBlock + (5 * kElementBytes + kIntentosOffset) / 16),
                                block);
    ASSERT_TRUE(core->Receive(item)) << core->GetLastError();
    EXPECT_EQ(Cell(5, kIntentos), "042");

    // Verify finds a cell changed in the grid and not sent.
    Type(7, kIntentos, wxT("9"));
    EXPECT_FALSE(core->Verify(item));
    EXPECT_EQ(core->GetLastError(), "Diferencias verificando el código 7\nProceso de verificación detenido aquí.");
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(FlashGrupPanelTest, TypedCellIsTakenAsTypedOrRefusedAndTheCellShowsWhatIsStored) {
    // The agenda: telephone nibble16 (bytes 0-7), notice nibble2 (8), attempts decimal (9),
    // areas bitmask (10), line nibble2_1N (11). The schedules: start and end horaquart (0, 1).
    // A text is taken when its column shows it as the same value (fill, letter case and leading
    // zeros aside); any other is refused and the cell and the table keep what they held.
    struct Case {
        const char* group;
        int col;
        int at;  // first byte of the cell in its element
        const char* typed;
        Bytes bytes;        // the cell's bytes when taken
        const char* shown;  // the cell right after the store, when taken
        char fill = 0;      // another fill character for the column first
    } cases[] = {
        {"F01", 2, 9, "7", {7}, "007"},
        {"F01", 2, 9, "042", {42}, "042"},
        {"F01", 2, 9, "300", {}, nullptr},
        {"F01", 2, 9, "12a", {}, nullptr},
        {"F01", 2, 9, "abc", {}, nullptr},
        {"F01", 1, 8, "1", {0x1F}, "1F"},
        {"F01", 1, 8, "0a", {0x0A}, "0A"},
        {"F01", 1, 8, "1G", {}, nullptr},
        {"F01", 3, 10, "1001", {0x09}, "10010000"},
        {"F01", 3, 10, "12x1", {}, nullptr},
        {"F01", 0, 0, "600123456", {0x60, 0x01, 0x23, 0x45, 0x6F, 0xFF, 0xFF, 0xFF}, "600123456FFFFFFF"},
        {"F01", 0, 0, "12345678901234567", {}, nullptr},
        {"F01", 4, 11, "10", {0x0F}, "10"},
        {"F02", 0, 0, "07:15", {0x1D}, "7:15"},
        {"F02", 0, 0, "07:55", {}, nullptr},
        {"F02", 1, 1, "25:00", {}, nullptr},
        {"F02", 1, 1, "24:00", {0x60}, "24:00"},
        // A fill character that is no hexadecimal digit fills the text and counts as 0; typed,
        // it is taken as the fill it is, while any other letter is refused.
        {"F01", 0, 0, "12", {0x12, 0, 0, 0, 0, 0, 0, 0}, "1200000000000000", 'G'},
        {"F01", 0, 0, "1G", {0x10, 0, 0, 0, 0, 0, 0, 0}, "1000000000000000", 'G'},
        {"F01", 0, 0, "1H", {}, nullptr, 'G'},
    };
    const int row = 4;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.group) + " " + c.typed);
        Show(c.group);
        CGrupFlash* g = Central().FindGrupFlash(c.group);
        if (c.fill) g->GetColumnaAt(c.col)->SetPadding(c.fill, true);
        const std::string before = Cell(row, c.col);
        const Bytes table = Table(*g);
        const std::size_t boxes = dialogs.Errors().size();
        Type(row, c.col, ToWx(c.typed));
        Grid()->DisableCellEditControl();
        EXPECT_TRUE(Panel()->StoreControls());
        wxTheApp->ProcessPendingEvents();
        if (!c.shown) {
            EXPECT_EQ(Cell(row, c.col), before);
            EXPECT_EQ(Table(*g), table);
            ASSERT_EQ(dialogs.Errors().size(), boxes + 1);
            EXPECT_EQ(dialogs.Errors().back().rfind("El valor \"" + std::string(c.typed) + "\" no cabe en el campo \"" +
                                                        g->GetColumna(c.col) + ", elemento 4\": ",
                                                    0),
                      0u)
                << dialogs.Errors().back();
            continue;
        }
        EXPECT_EQ(dialogs.Errors().size(), boxes);
        const unsigned char* element = g->GetElementPtr(row);
        EXPECT_EQ(Bytes(element + c.at, element + c.at + c.bytes.size()), c.bytes);
        EXPECT_EQ(Cell(row, c.col), c.shown);
        ASSERT_TRUE(Panel()->UpdateControls());
        EXPECT_EQ(Cell(row, c.col), c.shown);
    }
    EXPECT_EQ(dialogs.shown.back().caption, "Error");
    EXPECT_EQ(dialogs.Errors()[0],
              "El valor \"300\" no cabe en el campo \"Intentos, elemento 4\": se espera un número de 0 a 255.\n"
              "Se conserva \"042\".");
    EXPECT_TRUE(core->GetInstalacio().IsModified());
}

TEST_F(FlashGrupPanelTest, ACellFilledOnStoreIsStoredOnceAndSavingLeavesNothingToSave) {
    const TreeItemId item = Show("F01");
    // "1" in the notice column (nibble2, fill F) is stored as 1F; the cell shows it at once, so a
    // second store, or the store of a save and then of a close, finds nothing changed.
    Type(3, 1, wxT("1"));
    ASSERT_TRUE(core->SaveInstalacioAs((dir / "agenda.voski").string())) << core->GetLastError();
    EXPECT_EQ(Cell(3, 1), "1F");
    EXPECT_FALSE(core->IsModified());
    core->StorePanels();
    core->StorePanels();
    EXPECT_FALSE(core->IsModified());
    // A typed text that gives the bytes the table holds changes nothing either.
    Type(3, 2, wxT("3"));  // the default "003"
    Grid()->DisableCellEditControl();
    core->GetInstalacio().ClearModified();
    core->StorePanels();
    EXPECT_EQ(Cell(3, 2), "003");
    EXPECT_FALSE(core->IsModified());
    core->ShowTreeItem(item);
    EXPECT_TRUE(dialogs.shown.empty());
    // A text put into a cell without its editor is checked by the store as an edit is: refused
    // once, and the cell shows the table's value again.
    Grid()->SetCellValue(3, 2, wxT("300"));
    EXPECT_FALSE(Panel()->StoreControls());
    EXPECT_EQ(Cell(3, 2), "003");
    EXPECT_TRUE(Panel()->StoreControls());
    EXPECT_EQ(dialogs.Errors(), std::vector<std::string>{"El valor \"300\" no cabe en el campo \"Intentos, elemento 3\": "
                                                         "se espera un número de 0 a 255.\nSe conserva \"003\"."});
    EXPECT_FALSE(core->IsModified());
}

TEST_F(FlashGrupPanelTest, CellProgramTextCannotHoldIsRefusedAndTheOldValueStays) {
    const TreeItemId item = Show("F01");
    CGrupFlash* g = Central().FindGrupFlash("F01");
    const std::string before = Cell(4, 1);
    const Bytes table = Table(*g);

    // Typed and left: the grid refuses it at once, the box follows when the editor has closed,
    // naming the column and the value kept.
    Type(4, 1, wxT("\u03A9"));
    Grid()->DisableCellEditControl();
    EXPECT_EQ(Cell(4, 1), before);
    EXPECT_TRUE(dialogs.shown.empty());
    wxTheApp->ProcessPendingEvents();
    ASSERT_EQ(dialogs.Errors().size(), 1u);
    const std::string box = dialogs.Errors()[0];
    EXPECT_NE(box.find("no puede guardar"), std::string::npos) << box;
    EXPECT_NE(box.find("\"Tipo de aviso\""), std::string::npos) << box;
    EXPECT_NE(box.find("Se conserva " + before + "."), std::string::npos) << box;

    // Still in the editor when the send stores the panel: refused the same way, once.
    Type(4, 2, wxT("1\u03A9"));
    ASSERT_TRUE(core->Send(item)) << core->GetLastError();
    EXPECT_EQ(dialogs.Errors().size(), 2u);
    wxTheApp->ProcessPendingEvents();
    EXPECT_EQ(dialogs.Errors().size(), 2u);
    EXPECT_EQ(Table(*g), table);
    EXPECT_FALSE(core->GetInstalacio().IsModified());
}

TEST_F(FlashGrupPanelTest, ChosenFileIsUploadedSectorBySector) {
    const TreeItemId item = Show("F03");  // bus 30, base block 0x100; LOGO: index 2, sector 32, 2 sectors
    CPanelFitxer* row = Panel()->GetFileRows()[0];
    panelsim::SimComponent& module = sim.Component(0x30);
    const Bytes file = Pattern(5000, 3);
    const std::string path = WriteFile("logo.gif", file);

    dialogs.AnswerOpenPath(dir / "logo.gif");
    Click(row->GetRow().browse);
    EXPECT_EQ(dialogs.shown.back(), (FakeDialogs::Shown{"open", "Flash file", "", {}, "", "*"}));  // names without a dot too
    EXPECT_TRUE(row->GetRow().send->GetValue());  // ticked at once, before any store
    EXPECT_EQ(FromWx(row->GetRow().path->GetValue()), path);
    EXPECT_TRUE(core->GetInstalacio().IsModified());

    ASSERT_TRUE(core->Send(item)) << core->GetLastError();
    Bytes expected = file;
    expected.push_back(0xFF);  // the end mark after a file shorter than its sectors
    const int first = 0x100 + 32 * 0x100;
    EXPECT_EQ(GetFlash(module, first, 4096), Bytes(expected.begin(), expected.begin() + 4096));
    EXPECT_EQ(GetFlash(module, first + 0x100, expected.size() - 4096), Bytes(expected.begin() + 4096, expected.end()));
}

TEST_F(FlashGrupPanelTest, UnreadableOrEmptyFileSendsNothingAndSaysWhy) {
    const TreeItemId item = Show("F03");
    CPanelFitxer* row = Panel()->GetFileRows()[0];
    sim.Component(0x30);
    const std::string missing = (dir / "falta.bin").string();
    WriteFile("vacio.bin", {});
    struct Case {
        std::string path;
        std::string error;
    } cases[] = {{missing, "No se puede leer el fichero: " + missing}, {(dir / "vacio.bin").string(), "El fichero "}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        row->GetRow().path->SetValue(ToWx(c.path));
        row->GetRow().send->SetValue(true);
        const int executed = Executed();
        EXPECT_FALSE(core->Send(item));
        EXPECT_EQ(core->GetLastError().rfind(c.error, 0), 0u) << core->GetLastError();
        EXPECT_EQ(Executed(), executed);  // the panel's file area was not even erased
        EXPECT_EQ(row->GetFitxer()->GetPath(), c.path);
    }
}

TEST_F(FlashGrupPanelTest, PathProgramTextCannotHoldIsRefusedAndTheOldOneStays) {
    Show("F03");
    CPanelFitxer* row = Panel()->GetFileRows()[0];
    CFitxer* logo = row->GetFitxer();
    logo->SetPath("/datos/logo.gif");
    row->UpdateControls();

    row->GetRow().path->SetValue(wxString::FromUTF8("/datos/\xe6\x97\xa5\xe6\x9c\xac.gif"));
    EXPECT_FALSE(Panel()->StoreControls());
    EXPECT_EQ(logo->GetPath(), "/datos/logo.gif");
    EXPECT_EQ(dialogs.Errors().size(), 1u);

    // The same from the file dialog: nothing changes, not even the send box.
    dialogs.AnswerOpenPath(std::filesystem::path(u8"/datos/\u65e5\u672c.gif"));
    Click(row->GetRow().browse);
    EXPECT_EQ(logo->GetPath(), "/datos/logo.gif");
    EXPECT_FALSE(logo->GetSend());
    EXPECT_EQ(dialogs.Errors().size(), 2u);
    EXPECT_FALSE(core->GetInstalacio().IsModified());
}

TEST_F(FlashGrupPanelTest, RebuildLeavesNoStaleControlAndDefaultsClearTheRows) {
    Show("F03");  // WEB (an image) then LOGO
    CPanelFlashGrup* panel = Panel();
    CGrupFlash* files = Central().FindGrupFlash("F03");
    ASSERT_EQ(panel->GetImageRows().size(), 1u);
    ASSERT_EQ(panel->GetFileRows().size(), 1u);
    EXPECT_EQ(panel->GetRows(), (std::vector<wxWindow*>{panel->GetImageRows()[0], panel->GetFileRows()[0]}));
    EXPECT_EQ(FromWx(panel->GetFileRows()[0]->GetRow().label->GetLabel()), " 2 - Logotipo de la página");
    const std::size_t children = panel->GetChildren().size();
    ASSERT_EQ(children, 2u);
    panel->SetGrupFlash(files);
    EXPECT_EQ(panel->GetChildren().size(), children);

    CPanelFitxer* row = panel->GetFileRows()[0];
    const std::size_t rowChildren = row->GetChildren().size();
    EXPECT_EQ(rowChildren, 4u);
    row->SetFitxer(row->GetFitxer());
    EXPECT_EQ(row->GetChildren().size(), rowChildren);
    row->Clear();
    EXPECT_TRUE(row->GetChildren().empty());
    CPanelWebserver* image = panel->GetImageRows()[0];
    const std::size_t imageChildren = image->GetChildren().size();
    image->SetFitxer(image->GetFitxer());
    EXPECT_EQ(image->GetChildren().size(), imageChildren);

    // From a file group to a table and back to nothing.
    panel->SetGrupFlash(Central().FindGrupFlash("F01"));
    ASSERT_EQ(panel->GetChildren().size(), 1u);
    EXPECT_NE(panel->GetGrid(), nullptr);
    EXPECT_TRUE(panel->GetRows().empty());
    panel->Clear();
    EXPECT_TRUE(panel->GetChildren().empty());
    EXPECT_FALSE(panel->StoreControls());

    // After the group's return to default values the rows show no path and no tick.
    panel->SetGrupFlash(files);
    files->GetFitxer(1)->SetPath("/datos/logo.gif");
    files->GetFitxer(1)->SetSend(true);
    panel->UpdateControls();
    EXPECT_TRUE(panel->GetFileRows()[0]->GetRow().send->GetValue());
    files->ApplyDefaults();
    panel->UpdateControls();
    EXPECT_EQ(panel->GetFileRows()[0]->GetRow().path->GetValue(), wxString());
    EXPECT_FALSE(panel->GetFileRows()[0]->GetRow().send->GetValue());
    EXPECT_EQ(panel->GetImageRows()[0]->GetRow().path->GetValue(), wxString());
}

TEST_F(FlashGrupPanelTest, TableWhoseSizeIsUnknownShowsNoRows) {
    CGrupFlash unsized;
    unsized.AddColumna();
    unsized.SetColumnaField(0, CodiNibble4);
    CPanelFlashGrup panel(frame);
    panel.SetGrupFlash(&unsized);
    ASSERT_NE(panel.GetGrid(), nullptr);
    EXPECT_EQ(panel.GetGrid()->GetNumberRows(), 0);
    EXPECT_TRUE(panel.StoreControls());
    CGrupFlash none;  // neither columns nor files
    panel.SetGrupFlash(&none);
    EXPECT_TRUE(panel.GetChildren().empty());
    EXPECT_TRUE(panel.UpdateControls());
}

}  // namespace

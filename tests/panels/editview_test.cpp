// The edit view hosting the real panels under the application core, with the sample
// installation and the simulated panel: every node kind shows its panels, code and bit edits
// reach the panel's memory, and installation-data edits make the installation modified.
#include <set>

#include <gtest/gtest.h>
#include <wx/checkbox.h>
#include <wx/combobox.h>
#include <wx/frame.h>
#include <wx/grid.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "panel_view_fixture.h"
#include "datamodel/codi.h"
#include "datamodel/estat.h"
#include "datamodel/grup.h"
#include "datamodel/grupflash.h"
#include "datamodel/instalacio.h"
#include "datamodel/model.h"
#include "datamodel/strings.h"
#include "panels/panelbitgrup.h"
#include "panels/panelcodi.h"
#include "panels/paneldades.h"
#include "panels/paneledit.h"
#include "panels/panelmesura.h"
#include "panels/wxtext.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

class EditViewTest : public PanelViewTest {
protected:
    void SetUp() override { OpenSample(false, wxSize(700, 600)); }

    CInstalacio& Inst() { return core->GetInstalacio(); }
    CModel& Central() { return Inst().GetCentral(); }
    CTreeIndex& Index() { return core->GetTreeIndex(); }
    TreeItemId ItemOfKind(int kind) const {
        for (const auto& [id, node] : tree.nodes)
            if (core->GetTreeIndex().GetKind(id) == kind) return id;
        return kNoTreeItem;
    }
    TreeItemId GrupItem(const std::string& id) {
        CGrup* grup = Central().FindGrup(id);
        for (const auto& [item, node] : tree.nodes)
            if (Index().GetGrup(item) == grup) return item;
        return kNoTreeItem;
    }
    std::string Heading() const { return view->GetHeading() ? FromWx(view->GetHeading()->GetLabel()) : "(none)"; }
    std::size_t Hosted() const { return view->GetSizer()->GetItemCount(); }

    Bytes PanelBytes(CCodi* codi) {
        auto kind = codi->GetAccess() == CodiRam ? panelsim::Memory::Ram : panelsim::Memory::Eeprom;
        return sim.Component(0x01).Code(kind, static_cast<std::uint16_t>(HexStringToInt(codi->GetCodeNumber())),
                                        codi->GetAddress(), static_cast<std::size_t>(codi->GetByteCount()));
    }
    static Bytes CodeBytes(CCodi* codi) {
        const CCodi::RawBytes& b = codi->ToBytes();
        return Bytes(b.begin(), b.begin() + codi->GetByteCount());
    }

};

TEST_F(EditViewTest, EveryNodeKindShowsItsPanels) {
    std::set<int> kinds;
    for (const auto& [item, node] : std::map<TreeItemId, FakeTreeView::Node>(tree.nodes)) {
        const int kind = Index().GetKind(item);
        kinds.insert(kind);
        core->ShowTreeItem(item);
        const std::string where = node.label;
        if (kind == TreeNodePlain) {
            EXPECT_EQ(view->GetHeading(), nullptr) << where;
            EXPECT_EQ(Hosted(), 0u) << where;
            continue;
        }
        ASSERT_NE(view->GetHeading(), nullptr) << where;
        EXPECT_EQ(view->GetSizer()->GetItem(std::size_t{0})->GetWindow(), view->GetHeading()) << where;
        // The heading in Arial 14; codes and measures at their own height, every other panel
        // sharing the free height; all as wide as the view, 5 pixels apart.
        const wxFont font = view->GetHeading()->GetFont();
        EXPECT_TRUE(font.GetPointSize() == 14 && font.GetFaceName() == wxT("Arial")) << where;
        for (std::size_t i = 0; i < Hosted(); ++i) {
            const wxSizerItem* at = view->GetSizer()->GetItem(i);
            const bool code = dynamic_cast<CPanelCodi*>(at->GetWindow()), measure = dynamic_cast<CPanelMesura*>(at->GetWindow());
            EXPECT_EQ(at->GetProportion(), i == 0 || code || measure ? 0 : 1) << where << " " << i;
            EXPECT_EQ(at->GetFlag() & (wxALL | wxEXPAND), (code ? wxLEFT | wxRIGHT | wxBOTTOM : wxALL) | wxEXPAND) << where;
            EXPECT_EQ(at->GetBorder(), 5) << where;
        }
        switch (kind) {
        case TreeNodeDades:
            EXPECT_EQ(Heading(), "Datos");
            EXPECT_EQ(view->GetDades(), &Inst().GetDades());
            EXPECT_EQ(Hosted(), 2u);
            break;
        case TreeNodeGrup: {
            CGrup* grup = Index().GetGrup(item);
            EXPECT_EQ(Heading(), grup->GetName()) << where;
            if (grup->IsBits()) {
                EXPECT_EQ(view->GetBitGrup(), grup) << where;
                EXPECT_EQ(Hosted(), 2u) << where;
                EXPECT_EQ(view->GetBitGrupPanel()->GetGrid()->GetNumberRows() *
                              view->GetBitGrupPanel()->GetGrid()->GetNumberCols(),
                          grup->GetCodiCount() * 8)
                    << where;
            } else {
                ASSERT_EQ(view->CountCodis(), grup->GetCodiCount()) << where;
                for (int i = 0; i < grup->GetCodiCount(); ++i) EXPECT_EQ(view->GetCodi(i), grup->GetCodi(i)) << where;
                EXPECT_EQ(view->GetCodi(-1), nullptr);
                EXPECT_EQ(view->GetCodi(grup->GetCodiCount()), nullptr);
                EXPECT_EQ(Hosted(), 1u + static_cast<std::size_t>(grup->GetCodiCount())) << where;
            }
            break;
        }
        case TreeNodeComponent:
            EXPECT_EQ(Hosted(), 1u) << where;  // the heading alone
            break;
        case TreeNodeEstat:
            EXPECT_NE(view->GetEstat(), nullptr) << where;
            break;
        case TreeNodeVista: {
            CEstat* estat = Index().GetEstat(item);
            switch (Index().GetVista(item)) {
            case StatusViewGeneral: EXPECT_EQ(view->GetEstat(), estat); break;
            case StatusViewAnalog: EXPECT_EQ(view->CountMesures(), estat->GetMesuraCount()); break;
            case StatusViewOutputs: EXPECT_EQ(view->CountMesures(), estat->GetOutputCount()); break;
            case StatusViewRadio: EXPECT_EQ(view->GetVR(), estat); break;
            case StatusViewGrafic: EXPECT_EQ(view->GetGrafic(), estat); break;
            default: ADD_FAILURE() << "view kind of " << where;
            }
            break;
        }
        case TreeNodeEvents:
            EXPECT_NE(view->GetEvents(), nullptr) << where;
            break;
        case TreeNodeGrupFlash:
            EXPECT_EQ(view->GetFlashGrup(), Index().GetGrupFlash(item)) << where;
            break;
        default:
            ADD_FAILURE() << "node kind " << kind << " at " << where;
        }
    }
    // Looking at every node edits nothing: no save question.
    EXPECT_FALSE(core->IsModified());
    int stepX = 0, stepY = 0;
    view->GetScrollPixelsPerUnit(&stepX, &stepY);
    EXPECT_TRUE(stepX == 20 && stepY == 20 && view->GetBackgroundColour() == wxColour(255, 255, 255));
    EXPECT_EQ(kinds, (std::set<int>{TreeNodePlain, TreeNodeDades, TreeNodeGrup, TreeNodeComponent, TreeNodeEstat,
                                    TreeNodeVista, TreeNodeEvents, TreeNodeGrupFlash}));
    // Emptied and refilled: the next heading is at the top again, and empty transfers do nothing.
    view->Clear();
    EXPECT_EQ(view->GetDades(), nullptr);
    view->TransferFromPanels();
    view->TransferToPanels();
    EXPECT_EQ(Hosted(), 0u);
    view->SetHeading("Otra");
    EXPECT_EQ(view->GetSizer()->GetItem(std::size_t{0})->GetWindow(), view->GetHeading());
}

TEST_F(EditViewTest, ACodeEditedInItsPanelIsSentToThePanelsMemory) {
    ASSERT_TRUE(ConnectForTest());
    const TreeItemId item = GrupItem("G01");
    core->ShowTreeItem(item);
    CPanelCodi* panel = view->GetCodiPanel(0);
    ASSERT_TRUE(panel && panel->GetValueField());
    CCodi* codi = panel->GetCodi();
    panel->GetValueField()->SetValue(wxT("4321"));
    ASSERT_TRUE(core->Send(item)) << core->GetLastError();
    EXPECT_EQ(codi->GetValue(), "4321");
    EXPECT_EQ(PanelBytes(codi), CodeBytes(codi));
    EXPECT_TRUE(core->IsModified());
    EXPECT_TRUE(core->Verify(item)) << core->GetLastError();
    EXPECT_EQ(panel->GetValueField()->GetValue(), wxT("4321"));
}

TEST_F(EditViewTest, BitToggledInTheGridIsSentToThePanelsMemory) {
    ASSERT_TRUE(ConnectForTest());
    const TreeItemId item = GrupItem("G02A");
    core->ShowTreeItem(item);
    CPanelBitGrup* panel = view->GetBitGrupPanel();
    ASSERT_TRUE(panel && panel->GetGrid());
    const auto cell = panel->GetLayout().CellOf(0, 0);
    ASSERT_TRUE(cell);
    CCodi* codi = panel->GetGrup()->GetCodi(cell->code);
    const std::string before = codi->GetValue();
    wxGridEvent click(panel->GetGrid()->GetId(), wxEVT_GRID_CELL_LEFT_DCLICK, panel->GetGrid(), 0, 0);
    panel->GetGrid()->ProcessWindowEvent(click);
    ASSERT_NE(codi->GetValue(), before);
    EXPECT_TRUE(core->IsModified());
    ASSERT_TRUE(core->Send(item)) << core->GetLastError();
    EXPECT_EQ(PanelBytes(codi), CodeBytes(codi));
    EXPECT_EQ(codi->GetValue()[static_cast<std::size_t>(cell->bit)], before[static_cast<std::size_t>(cell->bit)] == '1' ? '0' : '1');
}

TEST_F(EditViewTest, InstallationDataEditsMakeTheInstallationModified) {
    const TreeItemId datos = ItemOfKind(TreeNodeDades);
    const TreeItemId component = ItemOfKind(TreeNodeComponent);
    core->ShowTreeItem(datos);
    // Shown and stored unchanged: nothing to save.
    core->ShowTreeItem(component);
    EXPECT_FALSE(core->IsModified());

    core->ShowTreeItem(datos);
    view->GetDadesPanel()->GetField(DadesNomInstal)->SetValue(wxT("Chalet Núñez"));
    core->ShowTreeItem(component);
    EXPECT_TRUE(core->IsModified());
    EXPECT_EQ(Inst().GetDades().GetNomInstal(), "Chalet Núñez");
    EXPECT_EQ(tree.GetItemText(tree.root), "Chalet Núñez");

    // A store that is not the core's own (a send of the node) marks it too.
    Inst().ClearModified();
    core->ShowTreeItem(datos);
    view->GetDadesPanel()->GetEspecialBox()->SetValue(true);
    core->Send(datos);
    EXPECT_TRUE(Inst().GetDades().GetEspecial());
    EXPECT_TRUE(core->IsModified());
}

TEST_F(EditViewTest, LinkSettingsChosenElsewhereShowAfterAReload) {
    const TreeItemId datos = ItemOfKind(TreeNodeDades);
    core->ShowTreeItem(datos);
    view->TransferFromPanels();
    ASSERT_TRUE(core->SetConexioSettings(4, 0, "", false, false, "10.0.0.9", 4100)) << core->GetLastError();
    view->TransferToPanels();
    CPanelDades* panel = view->GetDadesPanel();
    EXPECT_EQ(FromWx(panel->GetKindCombo()->GetValue()), "4 - TCP/IP");
    EXPECT_EQ(panel->GetField(DadesIpDest)->GetValue(), wxT("10.0.0.9"));
    EXPECT_EQ(panel->GetField(DadesIpPort)->GetValue(), wxT("4100"));
    // The next store keeps them.
    core->ShowTreeItem(ItemOfKind(TreeNodeComponent));
    EXPECT_EQ(Inst().GetDades().GetTipusConexio(), 4);
    EXPECT_EQ(Inst().GetDades().GetIpPort(), 4100);
}

}  // namespace

// A typed value the record refuses is told once, naming the field, the value typed and the value
// kept, however many times the edit view stores its panels around one command.
TEST_F(EditViewTest, ARefusedEditIsToldOnceWithTheValueKept) {
    const TreeItemId datos = ItemOfKind(TreeNodeDades);
    const TreeItemId codes = GrupItem("G01");
    core->ShowTreeItem(datos);
    CPanelDades* dades = view->GetDadesPanel();
    dades->GetField(DadesIpPort)->ChangeValue(wxT("70000"));
    dades->GetField(DadesNomClient)->ChangeValue(wxString(L"\u03A9mega"));  // Ω is not in cp1252
    view->TransferFromPanels();   // as before a send
    core->ShowTreeItem(codes);    // the node switch stores again
    ASSERT_EQ(dialogs.Errors().size(), 1u);
    EXPECT_EQ(dialogs.Errors()[0],
              "El valor \"?mega\" tiene caracteres que el campo \"Nombre del cliente\" no puede guardar.\n"
              "Se conserva \"Comercial Pérez & Hijos S.L.\".\n"
              "El valor \"70000\" no cabe en el campo \"Puerto TCP destino\": se espera un número de 0 a 65535.\n"
              "Se conserva \"4000\".");
    EXPECT_EQ(dialogs.shown.back().caption, "Error");
    EXPECT_EQ(Inst().GetDades().GetIpPort(), 4000);
    EXPECT_EQ(Inst().GetDades().GetNomClient(), "Comercial Pérez & Hijos S.L.");

    // A code field: the same once, with the code's value kept.
    CPanelCodi* panel = view->GetCodiPanel(0);
    ASSERT_TRUE(panel && panel->GetValueField());
    const std::string kept = panel->GetCodi()->GetValue();
    panel->GetValueField()->ChangeValue(wxString(L"12\u03A9"));
    view->TransferFromPanels();
    view->TransferFromPanels();
    core->ShowTreeItem(datos);
    ASSERT_EQ(dialogs.Errors().size(), 2u);
    EXPECT_EQ(dialogs.Errors()[1], "El valor \"12?\" tiene caracteres que el campo \"000 - Código de instalador\" no "
                                   "puede guardar.\nSe conserva \"" + kept + "\".");
    EXPECT_EQ(Inst().GetCentral().FindGrup("G01")->GetCodi(0)->GetValue(), kept);
}

// The site-plan panel and its canvases inside the real edit view, with the core on the virtual
// clock and the simulated panel filled from the sample installation. Mouse presses, tools and
// menu entries arrive as the toolkit's events; questions are answered by FakeDialogs.
#include <filesystem>

#include <wx/button.h>
#include <wx/combobox.h>
#include <wx/dcmemory.h>
#include <wx/frame.h>
#include <wx/image.h>
#include <wx/palette.h>
#include <wx/quantize.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/toolbar.h>

#include "panel_view_fixture.h"
#include "datamodel/estat.h"
#include "datamodel/files.h"
#include "datamodel/grup.h"
#include "datamodel/codi.h"
#include "datamodel/model.h"
#include "panels/paneledit.h"
#include "panels/panelgrafic.h"
#include "panels/panelmapa.h"
#include "panels/wxtext.h"

namespace fs = std::filesystem;

namespace {

const fs::path kSource = ORVANE_SOURCE_DIR;

class PlanTest : public PanelViewTest {
protected:
    void SetUp() override {
        // The program's element pictures and the sample's plan, where the program finds them.
        fs::copy(kSource / "icons", dir.Path() / "icons", fs::copy_options::recursive);
        fs::create_directories(dir.Path() / "samples");
        fs::copy(kSource / "samples" / "planos", dir.Path() / "samples" / "planos", fs::copy_options::recursive);
        OpenSample(false, wxSize(900, 700));
        ShowPlan();
    }

    // Shows the central's "Gráfico" node, as a click in the tree does.
    void ShowPlan() {
        core->BuildTree();
        TreeItemId item = kNoTreeItem;
        for (const auto& [id, node] : tree.nodes)
            if (node.label == "Gráfico" && item == kNoTreeItem) item = id;
        ASSERT_NE(item, kNoTreeItem);
        core->ShowTreeItem(item);
        panel_ = view->GetGraficPanel();
        ASSERT_NE(panel_, nullptr);
        frame->SetSize(wxSize(900, 700));
        frame->Layout();
    }

    CEstat& Estat() { return core->GetInstalacio().GetCentral().GetEstat(); }
    CGrafic& Grafic() { return Estat().GetGrafic(); }
    CPanelMapa* Canvas(int k = 0) { return panel_->GetCanvas(k); }

    void Tool(int id) {
        wxCommandEvent e(wxEVT_TOOL, id);
        e.SetEventObject(panel_->GetToolBar());
        panel_->GetToolBar()->ProcessWindowEvent(e);
    }
    void Button(int id) {
        wxCommandEvent e(wxEVT_BUTTON, id);
        panel_->ProcessWindowEvent(e);
    }
    void ChoosePage(int choice) {
        wxComboBox* pages = panel_->GetPageChooser();
        pages->SetSelection(choice);
        wxCommandEvent e(wxEVT_COMBOBOX, pages->GetId());
        e.SetInt(choice);
        e.SetEventObject(pages);
        pages->ProcessWindowEvent(e);
    }
    void Mouse(wxEventType type, int x, int y, int canvas = 0) {
        wxMouseEvent e(type);
        e.SetPosition(wxPoint(x, y));
        e.SetEventObject(Canvas(canvas));
        Canvas(canvas)->ProcessWindowEvent(e);
    }
    void Click(int x, int y) {
        Mouse(wxEVT_LEFT_DOWN, x, y);
        Mouse(wxEVT_LEFT_UP, x, y);
    }
    void Menu(CPanelMapa* canvas, int id) {
        wxCommandEvent e(wxEVT_MENU, id);
        e.SetEventObject(canvas);
        canvas->ProcessWindowEvent(e);
    }
    // One page shown, in edit mode, its canvas drawn once at scale 1 (a canvas as large as the
    // picture).
    void EditPage(int choice) {
        ChoosePage(choice);
        Button(CPanelGrafic::ID_Edit);
        ASSERT_TRUE(panel_->IsEditMode());
    }
    CCompGraf* Last() { return Grafic().GetCompGraf(Grafic().GetCompGrafCount() - 1); }
    // A plan picture of the given size, written by the test.
    fs::path MakeGif(const std::string& name, int w, int h) {
        wxImage image(w, h);
        image.SetRGB(wxRect(0, 0, w / 2, h), 200, 220, 255);
        // GIF needs a palette.
        wxPalette* palette = nullptr;
        wxImage indexed;
        EXPECT_TRUE(wxQuantize::Quantize(image, indexed, &palette, 256, nullptr, wxQUANTIZE_FILL_DESTINATION_IMAGE));
        indexed.SetPalette(*palette);
        delete palette;
        const fs::path path = dir.Path() / name;
        EXPECT_TRUE(indexed.SaveFile(wxString::FromUTF8(path.string().c_str()), wxBITMAP_TYPE_GIF));
        return path;
    }

    CPanelGrafic* panel_ = nullptr;
};

TEST_F(PlanTest, BindingShowsTheMosaicAndOnePageAtATimeCanBeEdited) {
    EXPECT_TRUE(panel_->IsMosaic());
    EXPECT_EQ(panel_->GetPageChooser()->GetValue(), wxT("Mosaico"));
    EXPECT_FALSE(panel_->GetEditButton()->IsEnabled());
    EXPECT_FALSE(panel_->GetToolBar()->IsShown());
    for (int k = 0; k < CPanelGrafic::kCanvases; ++k) EXPECT_EQ(Canvas(k)->GetPage(), k);
    // The sample's plan was written on Windows ("samples\planos\...") and still resolves.
    EXPECT_TRUE(Canvas(0)->IsPictureValid()) << Canvas(0)->GetPictureError();
    EXPECT_EQ(Canvas(0)->GetItems().size(), 4u);

    ChoosePage(2);  // "Mapa 3"
    EXPECT_FALSE(panel_->IsMosaic());
    EXPECT_EQ(Canvas(0)->GetPage(), 2);
    EXPECT_TRUE(Canvas(0)->GetItems().empty());
    EXPECT_FALSE(Canvas(1)->IsShown());
    EXPECT_TRUE(panel_->GetEditButton()->IsEnabled());

    Button(CPanelGrafic::ID_Edit);
    EXPECT_TRUE(panel_->IsEditMode());
    EXPECT_TRUE(panel_->GetToolBar()->IsShown());
    EXPECT_EQ(panel_->GetEditButton()->GetLabel(), ToWx("Salir del modo de edición"));

    ChoosePage(CPanelGrafic::kMosaic);  // the mosaic ends edit mode
    EXPECT_TRUE(panel_->IsMosaic());
    EXPECT_FALSE(panel_->IsEditMode());
    EXPECT_FALSE(panel_->GetToolBar()->IsShown());
    EXPECT_EQ(Canvas(0)->GetPage(), 0);
    EXPECT_FALSE(panel_->GetEditButton()->IsEnabled());
    EXPECT_EQ(panel_->GetEditButton()->GetLabel(), ToWx("Entrar en modo de edición"));

    // Unbound, the canvases keep no pointer into the record.
    panel_->Clear();
    EXPECT_FALSE(panel_->UpdateControls());
    EXPECT_TRUE(Canvas(0)->GetItems().empty());
    EXPECT_FALSE(Canvas(0)->HasPicture());
}

TEST_F(PlanTest, PlaceMoveAndDeleteElementsAndFindThemAfterReopening) {
    // Zones 3 and 4 named alike.
    CGrup* names = core->GetZonesAlias();
    ASSERT_NE(names, nullptr);
    names->GetCodi(2)->SetValue("Pasillo");
    names->GetCodi(3)->SetValue("Pasillo");
    ShowPlan();
    core->GetInstalacio().ClearModified();
    EditPage(1);  // "Mapa 2"
    const int before = Grafic().GetCompGrafCount();

    // The zone chosen is the one bound, whatever its name.
    dialogs.AnswerChoice(2);
    Tool(CPanelGrafic::ID_Infrared);
    ASSERT_EQ(dialogs.Last()->caption, "Asignar zona");
    EXPECT_EQ(dialogs.Last()->choices.size(), static_cast<std::size_t>(Estat().GetZoneCount()));
    EXPECT_EQ(dialogs.Last()->choices[2], dialogs.Last()->choices[3]);
    EXPECT_EQ(Canvas()->GetTool(), CPanelMapa::ToolZone);
    EXPECT_FALSE(core->IsModified());
    Click(100, 100);
    ASSERT_EQ(Grafic().GetCompGrafCount(), before + 1);
    CCompGraf* sensor = Last();
    EXPECT_EQ(sensor->GetTipus(), GraficKindInfrared);
    EXPECT_EQ(sensor->GetZona(), 2);
    EXPECT_EQ(sensor->GetSortida(), -1);
    EXPECT_EQ(sensor->GetNumMapa(), 1);
    EXPECT_EQ(sensor->GetPosX(), 89);
    EXPECT_EQ(sensor->GetPosY(), 89);
    EXPECT_EQ(Canvas()->GetTool(), CPanelMapa::ToolNone);  // one placement per arming
    EXPECT_TRUE(core->IsModified());                        // closing asks to save it

    // A relay: the chooser names the relays after the outputs.
    dialogs.AnswerChoice(0);
    Tool(CPanelGrafic::ID_Relay);
    const int outputs = Estat().GetOutputCount();
    ASSERT_GE(Estat().GetRelayCount(), 1);
    EXPECT_EQ(dialogs.Last()->choices[0], panel_->GetOutputNames()[static_cast<std::size_t>(outputs)]);
    Click(5, 200);
    CCompGraf* relay = Last();
    EXPECT_EQ(relay->GetRele(), 0);
    EXPECT_EQ(relay->GetPosX(), 0);  // kept on the picture
    EXPECT_EQ(relay->GetPosY(), 189);

    // Cancelled choosers arm nothing.
    dialogs.AnswerChoice(std::nullopt);
    Tool(CPanelGrafic::ID_Siren);
    EXPECT_EQ(Canvas()->GetTool(), CPanelMapa::ToolNone);

    // Drag the sensor (a move to save); a right press during a drag leaves it where it was.
    core->GetInstalacio().ClearModified();
    Mouse(wxEVT_LEFT_DOWN, 95, 95);
    EXPECT_TRUE(Canvas()->IsDragging());
    Mouse(wxEVT_LEFT_UP, 160, 130);
    EXPECT_TRUE(core->IsModified());
    EXPECT_EQ(sensor->GetPosX(), 149);
    EXPECT_EQ(sensor->GetPosY(), 119);
    Mouse(wxEVT_LEFT_DOWN, 150, 120);
    Mouse(wxEVT_RIGHT_DOWN, 300, 300);
    Mouse(wxEVT_LEFT_UP, 300, 300);
    EXPECT_EQ(sensor->GetPosX(), 149);
    EXPECT_FALSE(Canvas()->IsDragging());

    // "Borrar" then a miss: nothing deleted, and deleting is no longer armed.
    Tool(CPanelGrafic::ID_Delete);
    EXPECT_TRUE(Canvas()->IsDeleteArmed());
    Click(400, 10);
    EXPECT_FALSE(Canvas()->IsDeleteArmed());
    EXPECT_EQ(Grafic().GetCompGrafCount(), before + 2);

    // Save and reopen: the elements come back where they were put.
    const std::string file = (dir.Path() / "plan.voski").string();
    ASSERT_TRUE(core->SaveInstalacioAs(file)) << core->GetLastError();
    EXPECT_FALSE(core->IsModified());
    ASSERT_TRUE(core->OpenInstalacio(file)) << core->GetLastError();
    ASSERT_EQ(Grafic().GetCompGrafCount(), before + 2);
    const CCompGraf* reread = Grafic().GetCompGraf(before);
    EXPECT_EQ(reread->GetTipus(), GraficKindInfrared);
    EXPECT_EQ(reread->GetZona(), 2);
    EXPECT_EQ(reread->GetNumMapa(), 1);
    EXPECT_EQ(reread->GetPosX(), 149);
    EXPECT_EQ(reread->GetPosY(), 119);
    EXPECT_EQ(Grafic().GetCompGraf(before + 1)->GetRele(), 0);

    // Delete one on the reopened plan: gone from the record and from every canvas.
    ShowPlan();
    EXPECT_EQ(Canvas(1)->GetItems().size(), 2u);
    EditPage(1);
    Tool(CPanelGrafic::ID_Delete);
    Click(150, 120);
    EXPECT_EQ(Grafic().GetCompGrafCount(), before + 1);
    EXPECT_EQ(Canvas(0)->GetItems().size(), 1u);
    EXPECT_EQ(Canvas(1)->GetItems().size(), 1u);  // hidden, and no longer pointing at it
    EXPECT_TRUE(core->IsModified());
}

TEST_F(PlanTest, StatusReadShowsAlarmsAndTheCanvasSendsCommands) {
    ASSERT_TRUE(ConnectForTest());
    // A contact on zone 4 (number 3) and an output element bound to nothing.
    auto contact = std::make_unique<CCompGraf>();
    contact->SetTipus(GraficKindContact);
    contact->SetZona(3);
    contact->SetNumMapa(0);
    contact->SetPos(200, 150);
    CCompGraf* zone4 = contact.get();
    Grafic().AddCompGraf(std::move(contact));
    auto loose = std::make_unique<CCompGraf>();
    loose->SetTipus(GraficKindOutput);
    loose->SetNumMapa(0);
    loose->SetPos(10, 10);
    Grafic().AddCompGraf(std::move(loose));
    Canvas(0)->BuildItems();

    ASSERT_TRUE(core->ReceiveStatus(false)) << core->GetLastError();
    EXPECT_TRUE(view->GetGraficPanel()->UpdateControls());
    EXPECT_TRUE(zone4->IsAlarm());
    const plan::Look look = plan::LookOf(*zone4, false);
    ASSERT_TRUE(look.secondIcon);
    ASSERT_TRUE(zone4->GetBitmap2());
    EXPECT_EQ(zone4->GetBitmap2()->file, "icons/grafic/alarmacontacte.png");
    EXPECT_TRUE(zone4->GetBitmap2()->bitmap.IsOk());

    // A press on it shows its label (the canvas is drawn once so that its scale is known).
    wxBitmap buffer(400, 400);
    {
        wxMemoryDC dc(buffer);
        Canvas(0)->Render(dc, Canvas(0)->GetClientSize());
    }
    const double scale = Canvas(0)->GetScale();
    const int x = static_cast<int>(205 * scale) + 1;
    const int y = static_cast<int>(155 * scale) + 1;
    Mouse(wxEVT_LEFT_DOWN, x, y);
    ASSERT_NE(Canvas(0)->GetInfoLabel(), nullptr);
    EXPECT_NE(FromWx(Canvas(0)->GetInfoLabel()->GetLabel()).find("Estado: Alarma"), std::string::npos);
    Mouse(wxEVT_LEFT_UP, x, y);
    EXPECT_EQ(Canvas(0)->GetInfoLabel(), nullptr);

    // The sample's siren on output 1: "Activar" switches the panel's output and reads it back.
    CCompGraf* siren = Grafic().GetCompGraf(2);
    ASSERT_EQ(siren->GetTipus(), GraficKindSiren);
    const std::uint32_t offset = static_cast<std::uint32_t>(Estat().GetOutput(0)->GetOffset());
    EXPECT_EQ(sim.Central().Ram(0x0006, offset), 0);
    Canvas(0)->DrawStatePopup(static_cast<int>(300 * scale), static_cast<int>(30 * scale));
    ASSERT_EQ(Canvas(0)->GetCurrent(), siren);
    Menu(Canvas(0), CPanelMapa::ID_On);
    EXPECT_EQ(sim.Central().Ram(0x0006, offset), 1);
    EXPECT_TRUE(siren->IsActive());
    EXPECT_FALSE(core->IsBusy());
    EXPECT_EQ(ui.progress.back()->title, "Enviando...");
    EXPECT_EQ(ui.progress.back()->maximum, 13);
    EXPECT_FALSE(ui.progress.back()->open);
    EXPECT_TRUE(dialogs.Errors().empty());

    // "Omitir" on zone 4 bypasses it in the panel.
    Canvas(0)->DrawStatePopup(x, y);
    ASSERT_EQ(Canvas(0)->GetCurrent(), zone4);
    EXPECT_FALSE(zone4->IsOmit());
    const std::size_t dialogsBefore = ui.progress.size();
    Menu(Canvas(0), CPanelMapa::ID_Bypass);
    // One "Enviando..." dialog over the command and the status read that follows (busy held
    // throughout).
    ASSERT_EQ(ui.progress.size(), dialogsBefore + 1);
    EXPECT_EQ(ui.progress.back()->title, "Enviando...");
    EXPECT_TRUE(Estat().IsZoneOmit(3));
    // Its steps: the zone command's two frames and four reads, then the status read's three.
    EXPECT_EQ(ui.progress.back()->maximum, 9);
    EXPECT_TRUE(zone4->IsOmit());
    EXPECT_FALSE(core->IsBusy());

    // An element bound to nothing switches nothing (not output 1 in its place).
    sim.ClearEvents();
    Canvas(0)->DrawStatePopup(static_cast<int>(15 * scale), static_cast<int>(15 * scale));
    Menu(Canvas(0), CPanelMapa::ID_On);
    EXPECT_EQ(dialogs.Errors().size(), 1u);
    EXPECT_EQ(Count(panelsim::SimEvent::Executed), 0);

    // Not connected: the error is shown and the busy flag does not stay set.
    CoreTestAccess::SetConnected(*core, false);
    Canvas(0)->DrawStatePopup(static_cast<int>(300 * scale), static_cast<int>(30 * scale));
    Menu(Canvas(0), CPanelMapa::ID_Off);
    ASSERT_EQ(dialogs.Errors().size(), 2u);
    EXPECT_EQ(dialogs.Errors().back(), "No conetado");
    EXPECT_FALSE(core->IsBusy());
}

TEST_F(PlanTest, PicturesChosenMissingOrUnreadable) {
    EditPage(1);  // "Mapa 2"
    const fs::path gif = MakeGif("nuevo plano.gif", 80, 60);
    dialogs.AnswerOpenPath(gif);
    Button(CPanelGrafic::ID_Browse);
    EXPECT_EQ(dialogs.shown.back(), (FakeDialogs::Shown{"open", "Mapa", "", {}, "", "*.gif"}));
    EXPECT_EQ(Grafic().GetMapa(1), FromOsPath(gif));
    EXPECT_EQ(FromWx(panel_->GetPathBox()->GetValue()), FromOsPath(gif));
    EXPECT_TRUE(Canvas()->IsPictureValid());
    EXPECT_TRUE(core->IsModified());

    // Drawn to fit: 80 x 60 on 400 x 400 is scale 5.
    wxBitmap buffer(400, 400);
    {
        wxMemoryDC dc(buffer);
        Canvas()->Render(dc, wxSize(400, 400));
    }
    EXPECT_DOUBLE_EQ(Canvas()->GetScale(), 5.0);

    // Cancel changes nothing.
    dialogs.AnswerOpenPath(std::nullopt);
    Button(CPanelGrafic::ID_Browse);
    EXPECT_EQ(Grafic().GetMapa(1), FromOsPath(gif));

    // A file that is no picture: stored as chosen, one error box, an empty plan with its message.
    dir.Write("roto.gif", "not a picture");
    dialogs.AnswerOpenPath(dir.Path() / "roto.gif");
    Button(CPanelGrafic::ID_Browse);
    ASSERT_EQ(dialogs.Errors().size(), 1u);
    EXPECT_NE(dialogs.Errors()[0].find("roto.gif"), std::string::npos);
    EXPECT_TRUE(Canvas()->HasPicture());
    EXPECT_FALSE(Canvas()->IsPictureValid());
    for (int i = 0; i < 3; ++i) {  // paints show no box
        wxMemoryDC dc(buffer);
        Canvas()->Render(dc, wxSize(400, 400));
    }
    EXPECT_DOUBLE_EQ(Canvas()->GetScale(), 1.0);
    EXPECT_EQ(dialogs.Errors().size(), 1u);

    // A folder name the installation file cannot hold is refused, the record unchanged.
    dialogs.AnswerOpenPath(dir.Path() / fs::path(u8"\u03A9mega.gif"));
    Button(CPanelGrafic::ID_Browse);
    ASSERT_EQ(dialogs.Errors().size(), 2u);
    EXPECT_EQ(Grafic().GetMapa(1), FromOsPath(dir.Path() / "roto.gif"));

    // A stored plan that is missing: an empty canvas, no box.
    Grafic().SetMapa("planos\\no-existe.gif", 2);
    ChoosePage(2);
    EXPECT_FALSE(Canvas()->IsPictureValid());
    EXPECT_NE(Canvas()->GetPictureError().find("no-existe.gif"), std::string::npos);
    EXPECT_EQ(dialogs.Errors().size(), 2u);
}

}  // namespace

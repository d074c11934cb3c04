// The site plan of the sample's central, live after a status read and in edit mode.
#include <filesystem>
#include <memory>

#include <gtest/gtest.h>
#include <wx/combobox.h>
#include <wx/dcmemory.h>

#include "core/appcore.h"
#include "datamodel/estat.h"
#include "datamodel/model.h"
#include "panels/paneledit.h"
#include "panels/panelgrafic.h"
#include "panels/panelmapa.h"
#include "screens.h"

namespace {

const std::vector<std::string> kPlan = {"Chalet Pérez", "Central VX16 (16 zonas)", "Estado", "Gráfico"};

class PlanShot : public ScreenTest {
protected:
    // The sample with its plan picture where the program finds it, a few more elements (zone 4
    // is in alarm on the simulated panel, zone 2 open, the third output on), connected.
    void OpenPlan() {
        const std::filesystem::path source = ORVANE_SOURCE_DIR;
        std::filesystem::create_directories(dir.Path() / "samples");
        std::filesystem::copy(source / "samples" / "planos", dir.Path() / "samples" / "planos",
                              std::filesystem::copy_options::recursive);
        ASSERT_TRUE(OpenSample());
        CGrafic& grafic = core->GetInstalacio().GetCentral().GetEstat().GetGrafic();
        Add(grafic, GraficKindFire, 3, -1, 100, 40);
        Add(grafic, GraficKindWater, 1, -1, 200, 180);
        Add(grafic, GraficKindOutput, -1, 2, 60, 100);
        Add(grafic, GraficKindGas, 7, -1, 130, 200);
        ASSERT_TRUE(ConnectTcp());
        ASSERT_TRUE(Select(kPlan));
        ASSERT_TRUE(Run(ID_MENU_RECEIVE));
        panel = frame->GetEditView()->GetGraficPanel();
        ASSERT_NE(panel, nullptr);
    }
    static void Add(CGrafic& grafic, int kind, int zone, int output, int x, int y) {
        auto e = std::make_unique<CCompGraf>();
        e->SetTipus(kind);
        if (zone >= 0) e->SetZona(zone);
        if (output >= 0) e->SetSortida(output);
        e->SetNumMapa(0);
        e->SetPos(x, y);
        grafic.AddCompGraf(std::move(e));
    }
    void ShowFirstPage() {
        wxComboBox* pages = panel->GetPageChooser();
        pages->SetSelection(0);
        wxCommandEvent e(wxEVT_COMBOBOX, pages->GetId());
        e.SetEventObject(pages);
        pages->ProcessWindowEvent(e);
        frame->Layout();
    }
    // Shows the information label of the element at picture position (x, y).
    void Describe(int x, int y) {
        CPanelMapa* canvas = panel->GetCanvas(0);
        wxBitmap buffer(16, 16);
        {
            wxMemoryDC dc(buffer);
            canvas->Render(dc, canvas->GetClientSize());  // the scale of the next paint
        }
        canvas->DrawStatePopup(static_cast<int>(x * canvas->GetScale()), static_cast<int>(y * canvas->GetScale()));
    }

    CPanelGrafic* panel = nullptr;
};

TEST_F(PlanShot, LiveWithAnAlarmLabel) {
    OpenPlan();
    ShowFirstPage();
    Describe(110, 50);
    Shot("plans-live");
}

TEST_F(PlanShot, MosaicLive) {
    OpenPlan();
    Shot("plans-mosaic");
}

TEST_F(PlanShot, EditMode) {
    OpenPlan();
    ShowFirstPage();
    wxCommandEvent e(wxEVT_BUTTON, CPanelGrafic::ID_Edit);
    panel->ProcessWindowEvent(e);
    Shot("plans-edit");
}

}  // namespace

// The measurement rows and the radio-device grid: what a receive shows, and their edges.
#include <cstdlib>
#include <memory>

#include <wx/app.h>
#include <wx/grid.h>
#include <wx/stattext.h>

#include "datamodel/estat.h"
#include "datamodel/mesura.h"
#include "datamodel/model.h"
#include "panels/panelmesura.h"
#include "panels/panelvr.h"
#include "panels/wxtext.h"
#include "status_fixture.h"

namespace {

using RowPanelTest = StatusViewTest;

// The value shown by the measurement row whose caption is descr, or "?" when none.
std::string ShownValue(const CPanelEdit& view, const std::string& descr) {
    for (int i = 0; i < view.CountMesures(); ++i) {
        CPanelMesura* row = view.GetMesuraPanel(i);
        if (FromWx(row->GetCaption()->GetLabel()) == descr) return FromWx(row->GetValue()->GetLabel());
    }
    return "?";
}

TEST_F(RowPanelTest, AnalogAndOutputViewsShowTheReadValues) {
    ShowAndReceive(StatusNode("Analógico"));
    ASSERT_EQ(view->CountMesures(), Estat().GetMesuraCount());
    const std::string mains = ShownValue(*view, "Tensión de red");
    const std::string temperature = ShownValue(*view, "Temperatura interna");
    EXPECT_NEAR(std::atof(mains.c_str()), 13.8, 0.1) << mains;
    EXPECT_EQ(mains.substr(mains.size() - 2), " V");
    EXPECT_NEAR(std::atof(temperature.c_str()), 24.0, 0.5) << temperature;
    EXPECT_EQ(temperature.substr(temperature.size() - 3), " °C");

    ShowAndReceive(StatusNode("Salidas"));
    ASSERT_EQ(view->CountMesures(), Estat().GetOutputCount());
    for (int i = 0; i < view->CountMesures(); ++i)
        EXPECT_EQ(FromWx(view->GetMesuraPanel(i)->GetValue()->GetLabel()), i == 2 ? "Activada" : "Desactivada") << i;
}

TEST_F(RowPanelTest, MeasurementRowEdges) {
    CMesura unknown;  // no type: cannot be computed
    unknown.SetDescr("Sonda");
    auto* row = new CPanelMesura(view);
    EXPECT_FALSE(row->UpdateControls());
    EXPECT_TRUE(row->StoreControls());
    EXPECT_EQ(row->GetSize(), wxSize(300, 25));
    ASSERT_TRUE(row->SetMesura(&unknown));
    EXPECT_EQ(FromWx(row->GetValue()->GetLabel()), "-");

    // A measure never read shows "-", even of a type that needs no reference; once read, its value.
    struct Case {
        int type;
        float a;
        const char* unread;
        int raw;
        const char* read;
    } cases[] = {
        {MesuraTemperature, -1.0f, "-", 255, "0.000000 °C"},
        {MesuraOutput, -1.0f, "-", 0, "Desactivada"},
        {MesuraRelay, -1.0f, "-", 7, "Activada"},
        {MesuraMonitor, 5.0f, "-", 128, "10.075000 V"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        CMesura m;
        m.SetTipus(c.type);
        m.SetUnitats(c.type == MesuraTemperature ? "°C" : "V");
        m.SetA(c.a);
        m.SetB(c.a);
        ASSERT_TRUE(row->SetMesura(&m));
        EXPECT_EQ(FromWx(row->GetValue()->GetLabel()), c.unread);
        m.SetRaw(c.raw);
        ASSERT_TRUE(row->UpdateControls());
        EXPECT_EQ(FromWx(row->GetValue()->GetLabel()), c.read);
        row->Clear();
    }

    CMesura relay;
    relay.SetTipus(MesuraRelay);
    relay.SetRaw(1);
    ASSERT_TRUE(row->SetMesura(&relay));  // rebinding replaces the labels
    EXPECT_EQ(FromWx(row->GetValue()->GetLabel()), "Activada");
    EXPECT_EQ(row->GetChildren().size(), 2u);

    row->Clear();
    EXPECT_EQ(row->GetMesura(), nullptr);
    EXPECT_EQ(row->GetValue(), nullptr);
    EXPECT_FALSE(row->UpdateControls());
    EXPECT_TRUE(row->StoreControls());
    row->Destroy();
}

TEST_F(RowPanelTest, RadioGridWithNoneOneAndTheMostDevices) {
    ShowAndReceive(StatusNode("Via radio"));
    CPanelVR* panel = view->GetVRPanel();
    ASSERT_NE(panel, nullptr);
    ASSERT_NE(panel->GetGrid(), nullptr);
    EXPECT_EQ(panel->GetGrid()->GetNumberCols(), Estat().GetRadioZoneCount());

    struct Case {
        int zones, devices;
        const char* lastLabel;
    };
    const Case cases[] = {{16, 0, ""}, {16, 1, "1.1"}, {16, CEstat::kMaxRadioZones, "16.32"}};
    for (const Case& c : cases) {
        Estat().SetZoneCount(c.zones);
        Estat().SetRadioZoneCount(c.devices);
        if (c.devices > 0) {
            // Flag 0 of the first device and flag 3 of the last one.
            std::vector<unsigned char> planes(static_cast<std::size_t>(4 * ((c.devices + 7) / 8)), 0);
            const std::size_t plane = planes.size() / 4;
            planes[0] |= 0x01;
            planes[3 * plane + static_cast<std::size_t>((c.devices - 1) / 8)] |=
                static_cast<unsigned char>(1u << ((c.devices - 1) % 8));
            Estat().SetRadioFlags(planes);
        }
        ASSERT_TRUE(panel->UpdateControls());
        wxGrid* grid = panel->GetGrid();
        ASSERT_NE(grid, nullptr) << c.devices;
        EXPECT_EQ(grid->GetNumberRows(), 4);
        EXPECT_EQ(FromWx(grid->GetRowLabelValue(2)), "Batería baja");
        ASSERT_EQ(grid->GetNumberCols(), c.devices);
        EXPECT_FALSE(grid->IsEditable());
        EXPECT_FALSE(grid->CanDragColSize(0));
        if (c.devices == 0) continue;
        EXPECT_EQ(FromWx(grid->GetColLabelValue(c.devices - 1)), c.lastLabel);
        EXPECT_EQ(FromWx(grid->GetCellValue(0, 0)), "X");
        EXPECT_EQ(FromWx(grid->GetCellValue(3, c.devices - 1)), "X");
        EXPECT_EQ(FromWx(grid->GetCellValue(1, 0)), "-");
    }

    // A record without zones shows no grid; a reload leaves the panel empty.
    Estat().SetZoneCount(0);
    EXPECT_TRUE(panel->UpdateControls());
    EXPECT_EQ(panel->GetGrid(), nullptr);
    EXPECT_TRUE(panel->GetChildren().empty());
    panel->Clear();
    EXPECT_FALSE(panel->UpdateControls());
    EXPECT_FALSE(panel->StoreControls());
}

// The grid of the most devices is far wider than the view: the view's ordinary scroll bar takes
// room of its own, and the arrow keys take the view along with the cursor, both ways.
TEST_F(RowPanelTest, ArrowKeysKeepTheRadioCursorInSight) {
    ShowAndReceive(StatusNode("Via radio"));
    Estat().SetRadioZoneCount(CEstat::kMaxRadioZones);
    view->TransferToPanels();
    wxTheApp->Yield(true);
    wxGrid* grid = view->GetVRPanel()->GetGrid();
    ASSERT_GT(grid->GetSize().x, view->GetClientSize().x);
    EXPECT_LT(view->GetClientSize().y, view->GetSize().y);
    wxWindow* cells = grid->GetGridWindow();
    const int last = CEstat::kMaxRadioZones - 1;
    for (const auto& [key, column] : {std::pair{WXK_RIGHT, last}, {WXK_LEFT, 0}}) {
        for (int i = 0; i < last; ++i) {
            wxKeyEvent press(wxEVT_KEY_DOWN);
            press.m_keyCode = key;
            cells->GetEventHandler()->ProcessEvent(press);
            const wxRect cell = grid->CellToRect(0, grid->GetGridCursorCol());
            const wxRect shown(cells->ClientToScreen(grid->CalcScrolledPosition(cell.GetPosition())), cell.GetSize());
            ASSERT_TRUE(wxRect(view->ClientToScreen(wxPoint(0, 0)), view->GetClientSize()).Contains(shown)) << i;
        }
        EXPECT_EQ(grid->GetGridCursorCol(), column);
    }
}

}  // namespace

// The status views of a connected central: the status panel after a receive, the analog
// measures and the radio devices.
#include <gtest/gtest.h>
#include <wx/checklst.h>
#include <wx/listctrl.h>

#include "panels/paneledit.h"
#include "panels/panelestat.h"
#include "screens.h"

namespace {
const std::vector<std::string> kEstado = {"Chalet Pérez", "Central VX16 (16 zonas)", "Estado"};

std::vector<std::string> Page(const std::string& label) {
    std::vector<std::string> path = kEstado;
    path.push_back(label);
    return path;
}

class StatusScreenTest : public ScreenTest {
protected:
    // Connected, the node shown and received.
    void Receive(const std::vector<std::string>& node) {
        ASSERT_TRUE(OpenSample());
        ASSERT_TRUE(ConnectTcp());
        ASSERT_TRUE(Select(node));
        ASSERT_TRUE(Run(ID_MENU_RECEIVE));
    }
};
}  // namespace

TEST_F(StatusScreenTest, StatusPanelConnected) {
    Receive(kEstado);
    // The installer about to arm the second area and bypass the first zone.
    CPanelEstat* panel = frame->GetEditView()->GetEstatPanel();
    ASSERT_NE(panel, nullptr);
    panel->GetAreaList()->Check(1);
    panel->GetZoneList()->SetItemState(0, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
    Shot("status-panel");
}

TEST_F(StatusScreenTest, AnalogMeasures) {
    Receive(Page("Analógico"));
    Shot("status-measures");
}

TEST_F(StatusScreenTest, RadioDevices) {
    Receive(Page("Via radio"));
    Shot("status-radio");
}

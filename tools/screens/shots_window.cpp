// The main window's states.
#include <gtest/gtest.h>

#include "core/appcore.h"
#include "screens.h"

namespace {
const std::vector<std::string> kCentral = {"Chalet Pérez", "Central VX16 (16 zonas)"};

std::vector<std::string> Under(std::vector<std::string> path, const std::string& label) {
    path.push_back(label);
    return path;
}
}  // namespace

TEST_F(ScreenTest, NoInstallation) { Shot("window-no-installation"); }

TEST_F(ScreenTest, SampleOnACodeGroup) {
    ASSERT_TRUE(OpenSample());
    ASSERT_TRUE(Select(Under(kCentral, "Códigos de acceso")));
    Shot("window-code-group");
}

TEST_F(ScreenTest, SampleOnABitGroup) {
    ASSERT_TRUE(OpenSample());
    ASSERT_TRUE(Select(Under(Under(kCentral, "Zonas"), "Atributos de zona")));
    Shot("window-bit-group");
}

TEST_F(ScreenTest, InstallationData) {
    ASSERT_TRUE(OpenSample());
    ASSERT_TRUE(Select({"Chalet Pérez", "Datos"}));
    Shot("window-installation-data");
}

TEST_F(ScreenTest, LinkDialogueFirstQuestion) {
    ASSERT_TRUE(OpenSample());
    ShotOfNextDialog(ID_MENU_CONFIGURE, "window-link-dialogue");
}

TEST_F(ScreenTest, ConnectedAfterAReceive) {
    ASSERT_TRUE(OpenSample());
    ASSERT_TRUE(ConnectTcp());
    ASSERT_TRUE(Select(Under(kCentral, "Códigos de acceso")));
    ASSERT_TRUE(Run(ID_MENU_RECEIVE));
    ASSERT_TRUE(Run(ID_TOOL_KEYPAD));
    ASSERT_TRUE(Run(ID_TOOL_LOG));
    Shot("window-connected-after-receive");
}

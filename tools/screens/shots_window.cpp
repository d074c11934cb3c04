// The main window's states.
#include <gtest/gtest.h>

#include "core/appcore.h"
#include "datamodel/files.h"
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

TEST_F(ScreenTest, ModelChoiceForANewComponent) {
    ASSERT_TRUE(OpenSample());
    ShotOfNextDialog(ID_MENU_ADD, "window-model-choice");
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

TEST_F(ScreenTest, AHugeInstallationNameIsCut) {
    // The sample under a name of a million characters, the log pane open on the loader's echo.
    std::string bytes;
    ASSERT_TRUE(ReadWholeFile(SamplePath(), bytes));
    const std::size_t at = bytes.find("<nominstal>") + 11;
    bytes.replace(at, bytes.find("</nominstal>") - at, "Chalet " + std::string(1000000, 'N'));
    dir.Write("nombre-enorme.voski", bytes);
    dialogs.AnswerOpenPath(dir.Path() / "nombre-enorme.voski");
    ASSERT_TRUE(Run(ID_MENU_OPEN));
    ASSERT_TRUE(Run(ID_TOOL_LOG));
    Shot("window-huge-name");
}

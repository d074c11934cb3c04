// Every kind of node at 1000 x 700, the size the window opens at where nothing maximises it: each
// panel must be usable there, its controls wrapped or scrolled, none squeezed below its text. A few
// nodes again with the keypad and log panes shown, at 1000 x 700 and at 1280 x 1024.
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "screens.h"

namespace {

const char* const kCentral = "Central VX16 (16 zonas)";
const char* const kKeypad = "Teclado TK40 con lector de proximidad";

class SmallWindowShot : public ScreenTest {
protected:
    // The node at this tree path below the installation, photographed as small-<name>.png; with
    // live data the window connects and receives the node first; with panes the keypad and log
    // panes are shown as well.
    void Shoot(const std::string& name, const std::vector<std::string>& labels, bool live,
               wxSize size = wxSize(1000, 700), bool panes = false) {
        frame->SetSize(size);
        // The site plans' pictures where the program finds them beside the sample.
        std::filesystem::create_directories(dir.Path() / "samples");
        std::filesystem::copy(std::filesystem::path(ORVANE_SOURCE_DIR) / "samples" / "planos",
                              dir.Path() / "samples" / "planos", std::filesystem::copy_options::recursive);
        ASSERT_TRUE(OpenSample());
        if (live) {
            ASSERT_TRUE(ConnectTcp());
        }
        std::vector<std::string> path{"Chalet Pérez"};
        path.insert(path.end(), labels.begin(), labels.end());
        ASSERT_TRUE(Select(path));
        if (live) {
            ASSERT_TRUE(Run(ID_MENU_RECEIVE));
        }
        if (panes) {
            ASSERT_TRUE(Run(ID_TOOL_KEYPAD));
            ASSERT_TRUE(Run(ID_TOOL_LOG));
        }
        Shot("small-" + name);
    }
};

TEST_F(SmallWindowShot, InstallationData) { Shoot("installation-data", {"Datos"}, false); }
TEST_F(SmallWindowShot, CodeGroup) { Shoot("code-group", {kCentral, "Códigos de acceso"}, false); }
TEST_F(SmallWindowShot, BitGroup) { Shoot("bit-group", {kCentral, "Zonas", "Atributos de zona"}, false); }
TEST_F(SmallWindowShot, Status) { Shoot("status", {kCentral, "Estado"}, true); }
TEST_F(SmallWindowShot, Measures) { Shoot("measures", {kCentral, "Estado", "Analógico"}, true); }
TEST_F(SmallWindowShot, Radio) { Shoot("radio", {kCentral, "Estado", "Via radio"}, true); }
TEST_F(SmallWindowShot, Events) { Shoot("events", {kCentral, "Eventos"}, true); }
TEST_F(SmallWindowShot, ExtendedEvents) { Shoot("events-extended", {kKeypad, "Eventos"}, true); }
TEST_F(SmallWindowShot, SitePlans) { Shoot("plans", {kCentral, "Estado", "Gráfico"}, true); }
TEST_F(SmallWindowShot, FlashTable) { Shoot("flash-table", {kCentral, "Agenda de teléfonos"}, false); }
TEST_F(SmallWindowShot, FlashFilesAndWebServer) { Shoot("flash-files", {kCentral, "Servidor web"}, false); }

TEST_F(SmallWindowShot, StatusWithBothPanes) {
    Shoot("status-panes", {kCentral, "Estado"}, true, wxSize(1000, 700), true);
}
TEST_F(SmallWindowShot, LargeRadioWithBothPanes) {
    Shoot("large-radio-panes", {kCentral, "Estado", "Via radio"}, true, wxSize(1280, 1024), true);
}
TEST_F(SmallWindowShot, LargeExtendedEventsWithBothPanes) {
    Shoot("large-events-extended-panes", {kKeypad, "Eventos"}, true, wxSize(1280, 1024), true);
}

}  // namespace

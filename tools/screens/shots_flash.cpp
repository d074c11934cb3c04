// The flash group panels: an element table in its grid, and a file group with the web-server
// image row (showing the header of an image built through it) and a file row.
#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>
#include <wx/button.h>

#include "panels/paneledit.h"
#include "panels/panelfitxer.h"
#include "panels/panelflashgrup.h"
#include "panels/panelwebserver.h"
#include "screens.h"

namespace {
std::vector<std::string> Central(const std::string& label) {
    return {"Chalet Pérez", "Central VX16 (16 zonas)", label};
}

void Click(wxButton* button) {
    wxCommandEvent click(wxEVT_BUTTON, button->GetId());
    click.SetEventObject(button);
    button->ProcessWindowEvent(click);
}
}  // namespace

TEST_F(ScreenTest, FlashTable) {
    ASSERT_TRUE(OpenSample());
    ASSERT_TRUE(Select(Central("Agenda de teléfonos")));
    Shot("flash-table");
}

TEST_F(ScreenTest, FlashFiles) {
    ASSERT_TRUE(OpenSample());
    ASSERT_TRUE(Select(Central("Servidor web")));
    CPanelFlashGrup* panel = frame->GetEditView()->GetFlashGrupPanel();
    ASSERT_NE(panel, nullptr);
    ASSERT_EQ(panel->GetImageRows().size(), 1u);
    ASSERT_EQ(panel->GetFileRows().size(), 1u);

    // A small site built into an image through the row, and a picture for the file row.
    const std::filesystem::path site = dir / "sitio";
    std::filesystem::create_directories(site);
    std::ofstream(site / "index.htm") << "<html><body><p>Orvane</p></body></html>";
    std::ofstream(site / "estilo.css") << "body { color: navy; }";
    std::ofstream(dir / "logo.gif") << "GIF89a";
    CPanelWebserver* image = panel->GetImageRows()[0];
    dialogs.AnswerFolder(site);
    Click(image->GetFolderButton());
    dialogs.AnswerSavePath(dir / "servidor.rom");
    Click(image->GetCompileButton());
    dialogs.AnswerOpenPath(dir / "logo.gif");
    Click(panel->GetFileRows()[0]->GetRow().browse);
    ASSERT_TRUE(dialogs.Errors().empty()) << dialogs.Errors()[0];
    Shot("flash-files");
}

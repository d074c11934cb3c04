#include "screens.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <thread>

#include <wx/app.h>
#include <wx/dcmemory.h>
#include <wx/dcscreen.h>
#include <wx/dialog.h>
#include <wx/image.h>
#include <wx/modalhook.h>

#include "panels/dialogs.h"
#include "ui/language.h"
#include "ui/wxdialogs.h"

std::string ScreenshotFolder() {
    const char* env = std::getenv("ORVANE_SCREENSHOTS");
    return env && *env ? env : ORVANE_SCREENSHOT_DIR;
}

namespace {
// Paints whatever is pending: the toolkit draws in idle time, a little after the change.
void Settle() {
    for (int i = 0; i < 40; ++i) {
        wxTheApp->Yield(true);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

// Writes the screen's area as a PNG and checks it holds a picture: enough distinct colours.
void Capture(const wxRect& area, const std::string& name) {
    wxBitmap bitmap(area.GetWidth(), area.GetHeight());
    {
        wxScreenDC screen;
        wxMemoryDC memory(bitmap);
        memory.Blit(0, 0, area.GetWidth(), area.GetHeight(), &screen, area.GetX(), area.GetY());
    }
    std::filesystem::create_directories(ScreenshotFolder());
    const std::string path = (std::filesystem::path(ScreenshotFolder()) / (name + ".png")).string();
    ASSERT_TRUE(bitmap.SaveFile(wxString::FromUTF8(path), wxBITMAP_TYPE_PNG)) << path;
    wxImage image;
    ASSERT_TRUE(image.LoadFile(wxString::FromUTF8(path), wxBITMAP_TYPE_PNG)) << path << " was not written";
    std::set<unsigned> colours;
    const unsigned char* rgb = image.GetData();
    for (int i = 0; i < image.GetWidth() * image.GetHeight() && colours.size() < 64; i += 7)
        colours.insert(rgb[3 * i] << 16 | rgb[3 * i + 1] << 8 | rgb[3 * i + 2]);
    EXPECT_GE(colours.size(), 16u) << path << " is blank";
}

// Photographs the first modal dialog and answers it with Cancel, without showing it modally.
class DialogShot final : public wxModalDialogHook {
public:
    DialogShot(wxWindow* frame, std::string name) : frame_(frame), name_(std::move(name)) {}
    bool taken = false;

protected:
    int Enter(wxDialog* dialog) override {
        if (taken) return wxID_CANCEL;
        taken = true;
        dialog->Show();
        dialog->Raise();
        Settle();
        Capture(frame_->GetScreenRect().Union(dialog->GetScreenRect()), name_);
        dialog->Hide();
        return wxID_CANCEL;
    }
    void Exit(wxDialog*) override {}

private:
    wxWindow* frame_;
    std::string name_;
};
}  // namespace

ScreenTest::ScreenTest() {
    // The toolkit's own texts in the program's language, as the program shows them.
    UseSpanishToolkitTexts();
    frame->SetPosition(wxPoint(0, 0));
    frame->SetSize(1100, 760);
}

void ScreenTest::Shot(const std::string& name) {
    frame->Raise();
    frame->Refresh();
    frame->Update();
    Settle();
    Capture(frame->GetScreenRect(), name);
}

void ScreenTest::ShotOfNextDialog(int id, const std::string& name) {
    WxDialogs real;
    SetDialogs(&real);
    DialogShot hook(frame, name);
    hook.Register();
    Run(id);
    hook.Unregister();
    SetDialogs(&dialogs);
    EXPECT_TRUE(hook.taken) << "no dialog opened for " << name;
}

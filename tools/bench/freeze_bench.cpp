// Times the main window on files it accepts but that once froze it: an installation of a million
// unknown elements (7 MB, refused as malformed once read) and the sample with an installation
// name of 10 MB. Each figure runs from the open command to the moment the window shows its
// outcome: the error box for the first (recorded when it opens), the painted title and tree for
// the second. Goal: both under 2 s.
//
//   cd build/bin && xvfb-run -a ./freeze_bench
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <wx/app.h>
#include <wx/dialog.h>
#include <wx/image.h>
#include <wx/init.h>
#include <wx/log.h>
#include <wx/modalhook.h>

#include "core/appcore.h"
#include "panels/dialogs.h"
#include "panels/wxtext.h"
#include "ui/ids.h"
#include "ui/mainframe.h"
#include "ui/wxdialogs.h"

namespace {
using Steady = std::chrono::steady_clock;

double Ms(Steady::time_point from, Steady::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

// Answers every modal dialog at once and notes when the first one opened.
class FirstDialog final : public wxModalDialogHook {
public:
    Steady::time_point shown{};
    bool seen = false;
    wxString title;

protected:
    int Enter(wxDialog* dialog) override {
        if (!seen) {
            shown = Steady::now();
            title = dialog->GetTitle();
            seen = true;
        }
        return wxID_OK;
    }
    void Exit(wxDialog*) override {}
};

void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}
}  // namespace

int main(int argc, char** argv) {
    wxApp::SetInstance(new wxApp);
    if (!wxEntryStart(argc, argv)) {
        std::fprintf(stderr, "freeze_bench: no display (run under xvfb-run)\n");
        return 2;
    }
    delete wxLog::SetActiveTarget(new wxLogStderr);
    wxInitAllImageHandlers();
    std::ifstream sampleFile("samples/ejemplo.voski", std::ios::binary);
    std::string sample((std::istreambuf_iterator<char>(sampleFile)), std::istreambuf_iterator<char>());
    if (sample.empty()) {
        std::fprintf(stderr, "freeze_bench: samples/ejemplo.voski not found (run from build/bin)\n");
        return 1;
    }
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "orvane-freeze-bench";
    std::filesystem::create_directories(folder);

    std::string unknown;
    unknown.reserve(7'000'000);
    for (int i = 0; i < 1'000'000; ++i) unknown += "<x></x>";
    WriteFile(folder / "desconocidos.voski", unknown);
    std::string named = sample;
    const std::size_t at = named.find("<nominstal>") + 11;
    named.replace(at, named.find("</nominstal>") - at, std::string(10 * 1024 * 1024, 'N'));
    WriteFile(folder / "nombre.voski", named);

    // The program's own message boxes, each answered by the hook as soon as it opens.
    WxDialogs dialogs;
    SetDialogs(&dialogs);
    FirstDialog hook;
    hook.Register();
    auto* frame = new MyFrame(nullptr, wxT("Vosk Orvane"));
    frame->SetCore(new CAppCore(nullptr), true, true);
    frame->Show();
    frame->RunCommand(ID_TOOL_LOG);  // the log pane on screen, as an installer reading the echo has it
    wxTheApp->Yield(true);

    auto t0 = Steady::now();
    frame->OpenInstallationFile((folder / "desconocidos.voski").string());
    const double errorMs = hook.seen ? Ms(t0, hook.shown) : -1;
    const std::string errorTitle = FromWx(hook.title);

    t0 = Steady::now();
    frame->OpenInstallationFile((folder / "nombre.voski").string());
    frame->Refresh();
    frame->Update();
    wxTheApp->Yield(true);
    const double nameMs = Ms(t0, Steady::now());
    const bool opened = frame->IsInstallationOpen();
    const std::size_t titleLength = frame->GetTitle().length();

    std::printf("freeze_bench\n");
    std::printf("  1 M unknown elements (%.1f MB): error box \"%s\" after %7.1f ms   (goal < 2000 ms)\n",
                unknown.size() / 1e6, errorTitle.c_str(), errorMs);
    std::printf("  10 MB installation name:       %s after %7.1f ms, title %zu characters   (goal < 2000 ms)\n",
                opened ? "open, tree and title shown" : "NOT OPENED", nameMs, titleLength);
    delete frame;
    hook.Unregister();
    SetDialogs(nullptr);
    std::filesystem::remove_all(folder);
    wxEntryCleanup();
    return (errorMs >= 0 && opened) ? 0 : 1;
}

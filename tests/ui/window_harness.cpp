#include "window_harness.h"

#include <filesystem>

#include <wx/app.h>
#include <wx/treectrl.h>
#include <wx/utils.h>

#include "core/appcore.h"
#include "model_fill.h"
#include "panels/wxtext.h"

std::string SamplePath() { return (std::filesystem::path(ORVANE_SOURCE_DIR) / "samples" / "ejemplo.voski").string(); }

WindowTest::WindowTest() {
    // The pictures the window loads, beside the models in the working folder.
    std::filesystem::copy(std::filesystem::path(ORVANE_SOURCE_DIR) / "icons", dir.Path() / "icons",
                          std::filesystem::copy_options::recursive);
    SetDialogs(&dialogs);
    frame = new MyFrame(nullptr, wxT("Vosk Orvane"));
    Resize(wxSize(1100, 760));
    frame->Show();
    frame->SetCore(core.get(), false, false);
}

WindowTest::~WindowTest() {
    delete frame;
    SetDialogs(nullptr);
    EXPECT_TRUE(dialogs.Done()) << "answers left unused";
}

void WindowTest::Resize(wxSize size) {
    // Through the client size, as the window sets its own: under a window manager an outer size
    // set before the decorations are known makes the toolkit lay the window out at almost nothing.
    frame->Maximize(false);
    frame->SetClientSize(size - (frame->GetSize() - frame->GetClientSize()));
    if (!wxTheApp) return;
    // A window manager answers a little later: wait for it (at most two seconds), so that the
    // sizes a test reads are the ones it asked for.
    for (int i = 0; i < 200 && frame->GetSize() != size; ++i) {
        wxTheApp->Yield(true);
        wxMilliSleep(10);
    }
    wxTheApp->Yield(true);
}

bool WindowTest::Popup(int id) {
    wxCommandEvent event(wxEVT_MENU, id);
    return frame->GetEventHandler()->ProcessEvent(event);
}

void WindowTest::Flush() {
    if (wxTheApp) wxTheApp->ProcessPendingEvents();
}

bool WindowTest::OpenSample() {
    // A copy, so that saving never touches the source tree.
    const std::filesystem::path copy = dir.Path() / "ejemplo.voski";
    std::filesystem::copy_file(SamplePath(), copy, std::filesystem::copy_options::overwrite_existing);
    dialogs.AnswerOpenPath(copy);
    if (!Run(ID_MENU_OPEN) || !frame->IsInstallationOpen()) return false;
    std::string error;
    std::vector<panelsim::ComponentFill> filled;
    return panelsim::FillFromInstallation(sim, core->GetInstalacio(), filled, error);
}

bool WindowTest::ConnectTcp() {
    core->GetConexio().AttachTransport(&pipe.LinkEnd());
    dialogs.AnswerChoice(4);  // "4 - TCP/IP"
    dialogs.AnswerText("127.0.0.1");
    dialogs.AnswerText("4000");
    if (!Run(ID_MENU_CONFIGURE)) return false;
    return Run(ID_MENU_CONNECT) && frame->IsConnected();
}

wxTreeItemId WindowTest::Item(const std::vector<std::string>& labels) const {
    wxTreeCtrl* tree = frame->GetTree();
    wxTreeItemId at = tree->GetRootItem();
    if (!at.IsOk() || labels.empty() || FromWx(tree->GetItemText(at)) != labels[0]) return {};
    for (std::size_t i = 1; i < labels.size(); ++i) {
        wxTreeItemIdValue cookie;
        wxTreeItemId child = tree->GetFirstChild(at, cookie);
        while (child.IsOk() && FromWx(tree->GetItemText(child)) != labels[i]) child = tree->GetNextChild(at, cookie);
        if (!child.IsOk()) return {};
        at = child;
    }
    return at;
}

bool WindowTest::Select(const std::vector<std::string>& labels) {
    const wxTreeItemId item = Item(labels);
    if (!item.IsOk()) return false;
    frame->GetTree()->SelectItem(item);
    return frame->GetTree()->GetSelection() == item;
}

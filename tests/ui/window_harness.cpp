#include "window_harness.h"

#include <filesystem>

#include <wx/app.h>
#include <wx/treectrl.h>
#include <wx/utils.h>

#include "core/appcore.h"
#include "model_fill.h"
#include "panels/wxtext.h"
#include "toplevel_geometry.h"

std::string SamplePath() { return (std::filesystem::path(ORVANE_SOURCE_DIR) / "samples" / "ejemplo.voski").string(); }

WindowTest::WindowTest() {
    // The pictures the window loads, beside the models in the working folder.
    std::filesystem::copy(std::filesystem::path(ORVANE_SOURCE_DIR) / "icons", dir.Path() / "icons",
                          std::filesystem::copy_options::recursive);
    SetDialogs(&dialogs);
    frame = new MyFrame(nullptr, wxT("Vosk Orvane"));
    frame->Show();
    Resize(wxSize(1100, 760));
    frame->SetCore(core.get(), false, false);
}

WindowTest::~WindowTest() {
    delete frame;
    SetDialogs(nullptr);
    EXPECT_TRUE(dialogs.Done()) << "answers left unused";
}

namespace {
// Lets the toolkit run until ready holds, at most five seconds (a window manager answers within
// milliseconds); whether it held.
template <class Ready>
bool WaitUntil(Ready ready) {
    for (int i = 0; i < 500; ++i) {
        if (ready()) return true;
        wxTheApp->Yield(true);
        wxMilliSleep(10);
    }
    return false;
}
}  // namespace

void WindowTest::Resize(wxSize size) {
    // The toolkit reports a size asked for at once; a window manager answers later, and GTK lays
    // the window out later still. Each step waits until the window on the screen and the toolkit
    // agree on its size, so that a test measures the layout of the size the manager gave, never
    // one it is still changing.
    ASSERT_TRUE(WaitUntil([&] { return Settled(frame); })) << "the window is not on the screen";
    // Only a window manager restores a maximised window (without one the flag just stays).
    if (frame->IsMaximized() && UnderWindowManager()) {
        frame->Maximize(false);
        EXPECT_TRUE(WaitUntil([&] { return !frame->IsMaximized() && Settled(frame); })) << "not restored";
    }
    // Through the client size, as the window sets its own, from the frame and the bars as they are
    // on the screen (the toolkit does not know the frame before the manager has drawn one).
    const wxSize inner = ServerSize(frame);
    const wxSize frameSize = FrameRect(frame)->GetSize() - inner;
    const wxSize bars = inner - frame->GetClientSize();
    frame->SetClientSize(size - frameSize - bars);
    EXPECT_TRUE(WaitUntil([&] { return Settled(frame) && FrameRect(frame)->GetSize() == size; }))
        << "the window did not take " << size.x << " x " << size.y;
    // Laid out at the size it has.
    frame->SendSizeEvent();
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

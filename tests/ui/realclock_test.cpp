// One run on the real clock: the program's window, with its own progress dialogs and timers,
// against the simulated panel running as a separate program on TCP loopback.
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>
#include <wx/evtloop.h>
#include <wx/treectrl.h>

#include "core/appcore.h"
#include "panels/paneledit.h"
#include "panels/wxtext.h"
#include "support/fake_dialogs.h"
#include "ui/ids.h"
#include "ui/mainframe.h"

namespace {
// panelsim --tcp 0 on the sample installation; its port is read from its first line.
class PanelsimProcess {
public:
    PanelsimProcess() {
        int out[2];
        if (::pipe(out) != 0) return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::prctl(PR_SET_PDEATHSIG, SIGKILL);  // never outlives a test that died
            ::dup2(out[1], STDOUT_FILENO);
            ::close(out[0]);
            ::execl("./panelsim", "panelsim", "--tcp", "0", "--installation", "samples/ejemplo.voski",
                    static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(out[1]);
        FILE* in = ::fdopen(out[0], "r");
        char line[256];
        while (in && std::fgets(line, sizeof line, in)) {
            if (std::sscanf(line, "panelsim: listening on 127.0.0.1:%d", &port_) == 1) break;
        }
        reader_ = in;
    }
    ~PanelsimProcess() {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            ::waitpid(pid_, nullptr, 0);
        }
        if (reader_) std::fclose(reader_);
    }
    int Port() const { return port_; }

private:
    pid_t pid_ = -1;
    int port_ = 0;
    FILE* reader_ = nullptr;
};

wxTreeItemId Child(wxTreeCtrl* tree, wxTreeItemId parent, const std::string& label) {
    wxTreeItemIdValue cookie;
    for (wxTreeItemId c = tree->GetFirstChild(parent, cookie); c.IsOk(); c = tree->GetNextChild(parent, cookie))
        if (FromWx(tree->GetItemText(c)) == label) return c;
    return {};
}
}  // namespace

TEST(RealClock, ConnectReceiveOneGroupAndDisconnectAgainstPanelsim) {
    ASSERT_TRUE(std::filesystem::exists("panelsim")) << "run from the build's bin folder";
    PanelsimProcess panel;
    ASSERT_GT(panel.Port(), 0);

    // The program's progress dialogs yield to the running event loop.
    wxGUIEventLoop loop;
    wxEventLoopActivator active(&loop);
    FakeDialogs dialogs;
    SetDialogs(&dialogs);
    auto* frame = new MyFrame(nullptr, wxT("Vosk Orvane"));
    frame->Show();
    auto* core = new CAppCore(nullptr);
    frame->SetCore(core, true, true);

    dialogs.AnswerOpenPath(std::filesystem::absolute("samples/ejemplo.voski"));
    ASSERT_TRUE(frame->RunCommand(ID_MENU_OPEN));
    dialogs.AnswerChoice(4);
    dialogs.AnswerText("127.0.0.1");
    dialogs.AnswerText(std::to_string(panel.Port()));
    ASSERT_TRUE(frame->RunCommand(ID_MENU_CONFIGURE));
    ASSERT_TRUE(frame->RunCommand(ID_MENU_CONNECT));
    ASSERT_TRUE(frame->IsConnected()) << (dialogs.Errors().empty() ? "" : dialogs.Errors()[0]);

    wxTreeCtrl* tree = frame->GetTree();
    const wxTreeItemId central = Child(tree, tree->GetRootItem(), "Central VX16 (16 zonas)");
    const wxTreeItemId group = Child(tree, central, "Códigos de acceso");
    ASSERT_TRUE(group.IsOk());
    tree->SelectItem(group);
    CPanelEdit* view = frame->GetEditView();
    ASSERT_GT(view->CountCodis(), 0);
    view->GetCodi(0)->SetValue("0000");
    ASSERT_TRUE(frame->RunCommand(ID_MENU_RECEIVE));
    EXPECT_TRUE(dialogs.Errors().empty()) << dialogs.Errors()[0];
    EXPECT_EQ(view->GetCodi(0)->GetValue(), "8371");  // the installer code the panel holds

    ASSERT_TRUE(frame->RunCommand(ID_TOOL_DISCONNECT));
    EXPECT_FALSE(frame->IsConnected());
    EXPECT_EQ(dialogs.Last()->text, "Conexión cerrada");
    delete frame;
    SetDialogs(nullptr);
    EXPECT_TRUE(dialogs.Done());
}

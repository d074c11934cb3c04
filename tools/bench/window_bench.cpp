// Times the main window on this machine: start-up to the window shown (frame, core with its
// settings, seam wiring, first paint), opening samples/ejemplo.voski to the tree built, and the
// median time to show a node's panels over every node of the sample tree.
//
//   cd build/bin && xvfb-run -a ./window_bench [rounds]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <wx/app.h>
#include <wx/image.h>
#include <wx/init.h>
#include <wx/log.h>
#include <wx/treectrl.h>

#include "core/appcore.h"
#include "ui/mainframe.h"

namespace {
using Steady = std::chrono::steady_clock;

double Ms(Steady::time_point from) { return std::chrono::duration<double, std::milli>(Steady::now() - from).count(); }

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

void Collect(wxTreeCtrl* tree, wxTreeItemId item, std::vector<wxTreeItemId>& out) {
    out.push_back(item);
    wxTreeItemIdValue cookie;
    for (wxTreeItemId c = tree->GetFirstChild(item, cookie); c.IsOk(); c = tree->GetNextChild(item, cookie))
        Collect(tree, c, out);
}
}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    wxApp::SetInstance(new wxApp);
    if (!wxEntryStart(argc, argv)) {
        std::fprintf(stderr, "window_bench: no display (run under xvfb-run)\n");
        return 2;
    }
    delete wxLog::SetActiveTarget(new wxLogStderr);
    wxInitAllImageHandlers();
    std::vector<double> startup, open, switches;
    for (int r = 0; r < rounds; ++r) {
        auto t0 = Steady::now();
        auto* frame = new MyFrame(nullptr, wxT("Vosk Orvane"));
        frame->SetCore(new CAppCore(nullptr), true, true);
        frame->Show();
        wxTheApp->Yield(true);
        startup.push_back(Ms(t0));

        t0 = Steady::now();
        frame->OpenInstallationFile("samples/ejemplo.voski");
        open.push_back(Ms(t0));
        if (!frame->IsInstallationOpen()) {
            std::fprintf(stderr, "window_bench: the sample did not open (run from build/bin)\n");
            return 1;
        }
        wxTreeCtrl* tree = frame->GetTree();
        std::vector<wxTreeItemId> items;
        Collect(tree, tree->GetRootItem(), items);
        for (const wxTreeItemId& item : items) {
            t0 = Steady::now();
            tree->SelectItem(item);
            wxTheApp->Yield(true);
            switches.push_back(Ms(t0));
        }
        delete frame;
    }
    std::printf("window_bench (%d rounds, %zu node switches)\n", rounds, switches.size());
    std::printf("  start-up to window shown   median %7.1f ms\n", Median(startup));
    std::printf("  open sample + tree built   median %7.1f ms   (goal < 50 ms)\n", Median(open));
    std::printf("  node switch                median %7.1f ms   (goal < 30 ms), slowest %.1f ms\n", Median(switches),
                switches.empty() ? 0 : *std::max_element(switches.begin(), switches.end()));
    wxEntryCleanup();
    return 0;
}

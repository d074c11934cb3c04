// The base of the panel tests: the core on the virtual clock with the simulated panel in process,
// the real edit view in a frame wired to the core as the window wires it (panel edits mark the
// installation modified), and scripted dialogs that must all be used.
#pragma once

#include <wx/app.h>
#include <wx/frame.h>
#include <wx/utils.h>

#include "core_harness.h"
#include "panels/paneledit.h"
#include "support/fake_dialogs.h"

class PanelViewTest : public CoreTest {
protected:
    // The frame and the edit view; then the sample installation with its tree, and the test link
    // when connect.
    void OpenSample(bool connect, const wxSize& size = wxSize(1000, 800)) {
        SetDialogs(&dialogs);
        frame = new wxFrame(nullptr, wxID_ANY, wxT("Orvane"));
        // Through the client size, as the main window's tests set theirs: under a window manager an
        // outer size set before the decorations are known passes the frame through a size of
        // almost nothing. Then wait for the manager to give the frame its size (two seconds at
        // most), so that no panel is laid out in a frame of nothing.
        frame->SetClientSize(size - (frame->GetSize() - frame->GetClientSize()));
        view = new CPanelEdit(frame);
        view->SetModifiedHandler([this] { core->MarkModified(); });
        core->SetEditView(view);
        frame->Show();
        for (int i = 0; i < 200 && frame->GetSize() != size; ++i) {
            wxTheApp->Yield(true);
            wxMilliSleep(10);
        }
        wxTheApp->Yield(true);
        ASSERT_TRUE(LoadSample());
        core->BuildTree();
        if (connect) {
            ASSERT_TRUE(ConnectForTest());
        }
    }
    void TearDown() override {
        core->SetEditView(&edit);
        delete frame;
        SetDialogs(nullptr);
        EXPECT_TRUE(dialogs.Done()) << "an answer queued for a dialog was never asked for";
    }

    FakeDialogs dialogs;
    wxFrame* frame = nullptr;
    CPanelEdit* view = nullptr;
};

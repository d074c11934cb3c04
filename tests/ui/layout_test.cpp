// The main window's layout: how it is built, and every node of the sample shown at the size the
// window opens at (1000 x 700) without a control cut off or squeezed below its text. A warning of
// the toolkit while a node is shown fails the test through the test main.
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/splitter.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/treectrl.h>

#include "panels/paneledit.h"
#include "panels/panelestat.h"
#include "panels/wxtext.h"
#include "ui/keypad.h"
#include "window_harness.h"

namespace {

TEST_F(WindowTest, TheWindowIsBuiltWithItsSashLogPaneAndSmallestSize) {
    // A window of its own, as the program opens it (the fixture's is resized for the tests).
    auto* fresh = new MyFrame(nullptr, wxT("Vosk Orvane"));
    auto* inner = dynamic_cast<wxSplitterWindow*>(fresh->GetOuterSplitter()->GetWindow1());
    ASSERT_NE(inner, nullptr);
    EXPECT_EQ(inner->GetSplitMode(), wxSPLIT_VERTICAL);
    EXPECT_EQ(inner->GetSashPosition(), 150);
    EXPECT_EQ(inner->GetWindow1(), fresh->GetTree());
    // Nothing maximises a window under the test display: it keeps the size it opens at.
    EXPECT_EQ(fresh->GetSize(), wxSize(1000, 700));
    // The least size comes from the sizer: set, and small enough for that window.
    const wxSize least = fresh->GetMinSize();
    EXPECT_GT(least.x, 0);
    EXPECT_GT(least.y, 0);
    EXPECT_LE(least.x, 1000);
    EXPECT_LE(least.y, 700);
    // The log pane: hidden, multi-line and rich, and not read-only.
    wxTextCtrl* log = fresh->GetLogPane();
    EXPECT_FALSE(log->IsShown());
    EXPECT_TRUE(log->IsMultiLine());
    EXPECT_TRUE(log->HasFlag(wxTE_RICH2));
    EXPECT_TRUE(log->IsEditable());
    delete fresh;
}

// Every control of a pane, in the pane's coordinates, must lie within the pane's width (the edit
// view scrolls only vertically), and buttons, check boxes and labels must be at least as wide as
// their texts need.
void ExpectWholeInView(wxWindow* view, wxWindow* window, const std::string& node) {
    for (wxWindow* child : window->GetChildren()) {
        if (!child->IsShown()) continue;
        const wxRect rect(view->ScreenToClient(child->GetScreenPosition()), child->GetSize());
        EXPECT_LE(rect.GetRight() + 1, view->GetClientSize().x)
            << node << ": " << FromWx(child->GetClassInfo()->GetClassName()) << " "
            << FromWx(child->GetLabel()) << " is cut off";
        if (dynamic_cast<wxButton*>(child) || dynamic_cast<wxCheckBox*>(child) || dynamic_cast<wxStaticText*>(child)) {
            EXPECT_GE(child->GetSize().x, child->GetBestSize().x)
                << node << ": " << FromWx(child->GetLabel()) << " is squeezed";
        }
        if (dynamic_cast<wxStaticText*>(child) == nullptr) ExpectWholeInView(view, child, node);
    }
}

TEST_F(WindowTest, EveryNodeFitsTheWindowAtTheCommonSizes) {
    ASSERT_TRUE(OpenSample());
    ASSERT_TRUE(ConnectTcp());
    // The keypad and log panes shown, so the edit view has the least room; a window shrunk with
    // them keeps every pane usable.
    ASSERT_TRUE(Run(ID_TOOL_KEYPAD));
    ASSERT_TRUE(Run(ID_TOOL_LOG));
    wxTreeCtrl* tree = frame->GetTree();
    for (const wxSize size : {wxSize(1024, 768), wxSize(1000, 700)}) {
        frame->SetSize(size);
        std::vector<wxTreeItemId> pending{tree->GetRootItem()};
        int shown = 0;
        while (!pending.empty()) {
            const wxTreeItemId item = pending.back();
            pending.pop_back();
            const std::string node = FromWx(tree->GetItemText(item));
            SCOPED_TRACE(node + " at " + std::to_string(size.x) + " x " + std::to_string(size.y));
            tree->SelectItem(item);
            wxTheApp->Yield(true);  // the toolkit allocates the new panels' sizes here
            ExpectWholeInView(frame->GetEditView(), frame->GetEditView(), node);
            ++shown;
            wxTreeItemIdValue cookie;
            for (wxTreeItemId c = tree->GetFirstChild(item, cookie); c.IsOk(); c = tree->GetNextChild(item, cookie))
                pending.push_back(c);
        }
        EXPECT_GT(shown, 40);
    }

    // The status panel's clock row is one row there: the coverage beside the clock.
    ASSERT_TRUE(Select({"Chalet Pérez", "Central VX16 (16 zonas)", "Estado"}));
    ASSERT_TRUE(Run(ID_MENU_RECEIVE));
    wxTheApp->Yield(true);
    CPanelEstat* status = frame->GetEditView()->GetEstatPanel();
    ASSERT_NE(status, nullptr);
    EXPECT_EQ(status->GetCoverageText()->GetPosition().y, status->GetTimeText()->GetPosition().y);
    EXPECT_EQ(FromWx(status->GetCoverageText()->GetLabel()), "Cobertura: 72%");
    ExpectWholeInView(frame->GetEditView(), frame->GetEditView(), "Estado");
    ExpectWholeInView(frame->GetKeyPad(), frame->GetKeyPad(), "KeyPad");
}

}  // namespace

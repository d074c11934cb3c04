// The main window's layout: how it is built, and every node of the sample shown at the size the
// window opens at (1000 x 700) and at 1280 x 1024, with the keypad and log panes, every control
// within reach of the edit view's scroll bars and none squeezed below its text or stretched past
// it. A warning of the toolkit while a node is shown fails the test through the test main.
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/bmpbuttn.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/grid.h>
#include <wx/listctrl.h>
#include <wx/splitter.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/treectrl.h>
#include <wx/utils.h>

#include "panels/paneledit.h"
#include "panels/paneldades.h"
#include "panels/panelestat.h"
#include "panels/panelfitxer.h"
#include "panels/panelvr.h"
#include "panels/panelwebserver.h"
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

template <class Panel>
bool Within(wxWindow* w) {
    for (; w; w = w->GetParent())
        if (dynamic_cast<Panel*>(w)) return true;
    return false;
}

TEST_F(WindowTest, TheWindowOpensWithoutAToolkitMessage) {
    // As the program opens it: built, shown and left a moment to a window manager, when one runs,
    // to decorate and maximise it. A toolkit warning meanwhile fails the test through the test
    // main (under a bare X server nothing happens here).
    auto* fresh = new MyFrame(nullptr, wxT("Vosk Orvane"));
    fresh->Show();
    for (int i = 0; i < 50; ++i) {
        wxTheApp->Yield(true);
        wxMilliSleep(20);
    }
    EXPECT_TRUE(fresh->IsShown());
    delete fresh;
}

// Buttons and check boxes stretched on purpose: the phone test across its column, the browse
// buttons of the file rows and the web server with their share of the row, the installation
// data's two check boxes across the form. Every other button and check box keeps the width its
// text needs.
struct Stretched {
    const char* label;
    bool (*within)(wxWindow*);
};
const Stretched kStretchedButtons[] = {
    {"Enviar test telefónico", &Within<CPanelEstat>},
    {"Examinar...", &Within<CPanelWebserver>},
    {"Examinar...", &Within<CPanelFitxer>},
    {"Utilizar modo callback (sólo para tipos Modem y CSD)", &Within<CPanelDades>},
    {"Utilizar llamada especial (sólo para conexión Módem)", &Within<CPanelDades>},
};

bool IsStretchedOnPurpose(wxWindow* w) {
    for (const Stretched& s : kStretchedButtons)
        if (FromWx(w->GetLabel()) == s.label && s.within(w)) return true;
    return false;
}

std::string Describe(wxWindow* w) {
    return FromWx(w->GetClassInfo()->GetClassName()) + " \"" + FromWx(w->GetLabel()) + "\"";
}

// Every shown control of a pane lies inside its parent's area (nothing cut off by a panel too
// small for it), and the pane's own children inside the area the pane scrolls over; buttons,
// check boxes and labels are at least as wide as their texts need, buttons and check boxes no
// wider unless stretched on purpose; a report list's columns show their headings whole, and the
// radio devices' grid shows every device.
void ExpectReachable(wxScrolledWindow* view, wxWindow* window, const std::string& node) {
    const wxSize area = window == view ? view->GetVirtualSize() : window->GetClientSize();
    for (wxWindow* child : window->GetChildren()) {
        if (!child->IsShown() || child->IsTopLevel()) continue;
        wxPoint at = child->GetPosition();
        if (window == view) at = view->CalcUnscrolledPosition(view->ScreenToClient(child->GetScreenPosition()));
        const wxRect rect(at, child->GetSize());
        EXPECT_TRUE(wxRect(area).Contains(rect))
            << node << ": " << Describe(child) << " at " << rect.x << "," << rect.y << " " << rect.width << "x"
            << rect.height << " is cut off by " << Describe(window) << " of " << area.x << "x" << area.y;
        const bool button = dynamic_cast<wxButton*>(child) || dynamic_cast<wxBitmapButton*>(child);
        const bool box = dynamic_cast<wxCheckBox*>(child) != nullptr;
        const auto* label = dynamic_cast<wxStaticText*>(child);
        if (button || box || label) {
            EXPECT_GE(child->GetSize().x, child->GetBestSize().x) << node << ": " << Describe(child) << " is squeezed";
        }
        if ((button || box) && !IsStretchedOnPurpose(child)) {
            EXPECT_LE(child->GetSize().x, child->GetBestSize().x)
                << node << ": " << Describe(child) << " is stretched to " << child->GetSize().x;
        }
        if (auto* list = dynamic_cast<wxListCtrl*>(child); list && list->InReportView()) {
            for (int c = 0; c < list->GetColumnCount(); ++c) {
                wxListItem heading;
                heading.SetMask(wxLIST_MASK_TEXT);
                list->GetColumn(c, heading);
                // The text and the heading's padding on both sides.
                EXPECT_GE(list->GetColumnWidth(c), list->GetTextExtent(heading.GetText()).x + 12)
                    << node << ": heading \"" << FromWx(heading.GetText()) << "\" is cut";
            }
        }
        if (auto* grid = dynamic_cast<wxGrid*>(child)) {
            if (dynamic_cast<CPanelVR*>(window)) {
                EXPECT_GE(grid->GetSize().x, grid->GetBestSize().x) << node << ": radio devices hidden";
                EXPECT_GE(grid->GetSize().y, grid->GetBestSize().y) << node << ": radio flags hidden";
            }
            continue;  // the grid's own parts scroll within it
        }
        if (!label && !dynamic_cast<wxListCtrl*>(child)) ExpectReachable(view, child, node);
    }
}

// The view scrolls to the far edges of what it holds, both ways.
void ExpectScrollsToTheEdges(wxScrolledWindow* view, const std::string& node) {
    int unitX = 0, unitY = 0;
    view->GetScrollPixelsPerUnit(&unitX, &unitY);
    EXPECT_EQ(unitX, 20);
    EXPECT_EQ(unitY, 20);
    wxTheApp->Yield(true);
    view->Scroll(100000, 100000);
    wxTheApp->Yield(true);
    const wxPoint corner = view->CalcUnscrolledPosition(wxPoint(0, 0)) + view->GetClientSize();
    EXPECT_GE(corner.x, view->GetVirtualSize().x) << node << ": the right edge cannot be scrolled to";
    EXPECT_GE(corner.y, view->GetVirtualSize().y) << node << ": the bottom cannot be scrolled to";
    view->Scroll(0, 0);
}

TEST_F(WindowTest, EveryControlOfEveryNodeCanBeReachedAtTheCommonSizes) {
    ASSERT_TRUE(OpenSample());
    ASSERT_TRUE(ConnectTcp());
    // The keypad and log panes shown, so the edit view has the least room.
    ASSERT_TRUE(Run(ID_TOOL_KEYPAD));
    ASSERT_TRUE(Run(ID_TOOL_LOG));
    wxTreeCtrl* tree = frame->GetTree();
    CPanelEdit* view = frame->GetEditView();
    // The status panel shown before its first read: the read brings warnings, zones, areas and
    // outputs, and the view then scrolls over all of them.
    Resize(wxSize(1000, 700));
    ASSERT_TRUE(Select({"Chalet Pérez", "Central VX16 (16 zonas)", "Estado"}));
    ASSERT_TRUE(Run(ID_MENU_RECEIVE));
    wxTheApp->Yield(true);
    ExpectReachable(view, view, "Estado before its first read");
    ExpectScrollsToTheEdges(view, "Estado before its first read");
    for (const wxSize size : {wxSize(1000, 700), wxSize(1280, 1024)}) {
        Resize(size);
        std::vector<wxTreeItemId> pending{tree->GetRootItem()};
        int shown = 0;
        while (!pending.empty()) {
            const wxTreeItemId item = pending.back();
            pending.pop_back();
            const std::string node = FromWx(tree->GetItemText(item));
            SCOPED_TRACE(node + " at " + std::to_string(size.x) + " x " + std::to_string(size.y));
            tree->SelectItem(item);
            // Live data: the warnings, rows and columns a read brings change what the panels need.
            ASSERT_TRUE(Run(ID_MENU_RECEIVE));
            wxTheApp->Yield(true);  // the toolkit allocates the new panels' sizes here
            ExpectReachable(view, view, node);
            ExpectScrollsToTheEdges(view, node);
            ++shown;
            wxTreeItemIdValue cookie;
            for (wxTreeItemId c = tree->GetFirstChild(item, cookie); c.IsOk(); c = tree->GetNextChild(item, cookie))
                pending.push_back(c);
        }
        EXPECT_GT(shown, 40);
        ExpectReachable(view, frame->GetKeyPad(), "KeyPad");
    }

    // The status panel's clock row is one row at the larger size: the coverage beside the clock.
    ASSERT_TRUE(Select({"Chalet Pérez", "Central VX16 (16 zonas)", "Estado"}));
    ASSERT_TRUE(Run(ID_MENU_RECEIVE));
    wxTheApp->Yield(true);
    CPanelEstat* status = view->GetEstatPanel();
    ASSERT_NE(status, nullptr);
    EXPECT_EQ(status->GetCoverageText()->GetPosition().y, status->GetTimeText()->GetPosition().y);
    EXPECT_EQ(FromWx(status->GetCoverageText()->GetLabel()), "Cobertura: 72%");
}

}  // namespace

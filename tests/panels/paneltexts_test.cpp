// Every text and every row of controls that the panels show, walked over the real panels in the
// edit view and compared with the literal table of panel_texts.h; the questions, captions and
// prompts of the panels' dialogs reached by triggering the commands through their controls.
#include <algorithm>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/bmpbuttn.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/checklst.h>
#include <wx/combobox.h>
#include <wx/dir.h>
#include <wx/grid.h>
#include <wx/listctrl.h>
#include <wx/panel.h>
#include <wx/sizer.h>
#include <wx/statbmp.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/toolbar.h>

#include "panel_texts.h"
#include "panel_view_fixture.h"
#include "datamodel/model.h"
#include "panels/paneledit.h"
#include "panels/wxtext.h"

namespace fs = std::filesystem;

namespace {

// The panels' pictures by content, so a control is named by the file it shows.
class Pictures {
public:
    Pictures() {
        for (const char* folder : {"estat", "grafic"}) {
            for (const auto& entry : fs::directory_iterator(fs::path(ORVANE_SOURCE_DIR) / "icons" / folder)) {
                const wxImage image(wxString::FromUTF8(entry.path().string().c_str()), wxBITMAP_TYPE_PNG);
                if (image.IsOk()) images_.emplace(entry.path().filename().string(), image);
            }
        }
    }
    // The file whose colours the bitmap shows where it is opaque (the panels make white see-through
    // in some pictures), or "?".
    std::string Name(const wxBitmap& bitmap) const {
        if (!bitmap.IsOk()) return "?";
        const wxImage shown = bitmap.ConvertToImage();
        for (const auto& [name, image] : images_) {
            if (image.GetSize() != shown.GetSize()) continue;
            int opaque = 0;
            bool same = true;
            for (int y = 0; same && y < shown.GetHeight(); ++y) {
                for (int x = 0; same && x < shown.GetWidth(); ++x) {
                    if (shown.HasAlpha() && shown.GetAlpha(x, y) < 255) continue;
                    if (shown.HasMask() && shown.IsTransparent(x, y)) continue;
                    ++opaque;
                    same = shown.GetRed(x, y) == image.GetRed(x, y) && shown.GetGreen(x, y) == image.GetGreen(x, y) &&
                           shown.GetBlue(x, y) == image.GetBlue(x, y);
                }
            }
            if (same && opaque > 0) return name;
        }
        return "?";
    }

private:
    std::map<std::string, wxImage> images_;
};

// The controls in the order the installer reads them: sizer order, depth first, each as
// "kind:text" (panel_texts.h lists the kinds).
class Walk {
public:
    explicit Walk(const Pictures& pictures) : pictures_(pictures) {}

    void Window(wxWindow* w) {
        if (auto* tools = dynamic_cast<wxToolBar*>(w)) {
            Add("toolbar", w);
            for (int i = 0; i < static_cast<int>(tools->GetToolsCount()); ++i) {
                const wxToolBarToolBase* t = tools->GetToolByPos(i);
                if (t->IsSeparator()) {
                    Add("tool:-", w);
                } else {
                    Add("tool:" + FromWx(t->GetLabel()) + "|" + FromWx(t->GetShortHelp()) + "|" +
                            FromWx(t->GetLongHelp()) + "|" + pictures_.Name(t->GetNormalBitmap()),
                        w, t->GetId());
                }
            }
        } else if (auto* grid = dynamic_cast<wxGrid*>(w)) {
            Add(grid->IsEditable() ? "grid" : "grid [read-only]", w);
            for (int c = 0; c < grid->GetNumberCols(); ++c) Add("collabel:" + FromWx(grid->GetColLabelValue(c)), w);
            for (int r = 0; r < grid->GetNumberRows(); ++r) Add("rowlabel:" + FromWx(grid->GetRowLabelValue(r)), w);
        } else if (auto* list = dynamic_cast<wxListCtrl*>(w)) {
            Add("list", w);
            for (int c = 0; c < list->GetColumnCount(); ++c) {
                wxListItem column;
                column.SetMask(wxLIST_MASK_TEXT);
                list->GetColumn(c, column);
                Add("column:" + FromWx(column.GetText()), w);
            }
        } else if (auto* checks = dynamic_cast<wxCheckListBox*>(w)) {
            Add("checklist", w);
            for (unsigned i = 0; i < checks->GetCount(); ++i) Add("item:" + FromWx(checks->GetString(i)), w);
        } else if (auto* combo = dynamic_cast<wxComboBox*>(w)) {
            Add("combo", w);
            for (unsigned i = 0; i < combo->GetCount(); ++i) Add("choice:" + FromWx(combo->GetString(i)), w, i);
            Add("value:" + FromWx(combo->GetValue()), w);
        } else if (auto* box = dynamic_cast<wxCheckBox*>(w)) {
            Add("check:" + FromWx(box->GetLabel()), w);
        } else if (auto* bitmapButton = dynamic_cast<wxBitmapButton*>(w)) {
            Add("bitmapbutton:" + pictures_.Name(bitmapButton->GetBitmapLabel()), w);
        } else if (auto* button = dynamic_cast<wxButton*>(w)) {
            Add("button:" + FromWx(button->GetLabel()), w);
        } else if (auto* label = dynamic_cast<wxStaticText*>(w)) {
            Add("label:" + FromWx(label->GetLabel()), w);
        } else if (auto* icon = dynamic_cast<wxStaticBitmap*>(w)) {
            Add("icon:" + pictures_.Name(icon->GetBitmap()), w);
        } else if (auto* field = dynamic_cast<wxTextCtrl*>(w)) {
            Add(field->IsEditable() ? "field" : "field [read-only]", w);
        } else if (w->GetSizer()) {
            Sizer(w->GetSizer());
        } else {
            Add("window", w);
        }
    }
    void Sizer(wxSizer* sizer) {
        if (auto* boxed = dynamic_cast<wxStaticBoxSizer*>(sizer))
            Add("box:" + FromWx(boxed->GetStaticBox()->GetLabel()), boxed->GetStaticBox());
        for (wxSizerItem* item : sizer->GetChildren()) {
            if (item->IsWindow()) Window(item->GetWindow());
            if (item->IsSizer()) Sizer(item->GetSizer());
        }
    }

    // A shown control of the panels below root that no sizer places (it would sit over the
    // others) is listed at the end as "unplaced:" and its class.
    void Unplaced(wxWindow* root) {
        for (wxWindow* child : root->GetChildren()) {
            const bool seen =
                std::any_of(controls.begin(), controls.end(), [child](const auto& c) { return c.first == child; });
            if (seen && !dynamic_cast<wxStaticBox*>(child)) continue;
            if (seen || (dynamic_cast<wxPanel*>(child) && child->GetSizer())) {
                Unplaced(child);
            } else if (child->IsShown()) {
                entries.push_back("unplaced:" + FromWx(child->GetClassInfo()->GetClassName()));
                controls.emplace_back(child, -1);
            }
        }
    }

    std::vector<std::string> entries;
    std::vector<std::pair<wxWindow*, int>> controls;  // the window of each entry, and an id or index

private:
    void Add(const std::string& entry, wxWindow* w, int id = -1) {
        entries.push_back(w->IsShown() ? entry : entry + " [hidden]");
        controls.emplace_back(w, id);
    }
    const Pictures& pictures_;
};

// '*' stands for any text, elsewhere every byte must match.
bool Matches(const char* pattern, const char* text) {
    if (*pattern == '*') return Matches(pattern + 1, text) || (*text && Matches(pattern, text + 1));
    if (!*pattern) return !*text;
    return *pattern == *text && Matches(pattern + 1, text + 1);
}

std::string Listed(const std::vector<std::string>& entries) {
    std::string out;
    for (const std::string& e : entries) out += "\n  " + e;
    return out;
}

class PanelTexts : public PanelViewTest {
protected:
    void SetUp() override {
        // The panels load their pictures and the sample's plans from the working folder.
        fs::create_directory_symlink(fs::path(ORVANE_SOURCE_DIR) / "icons", dir.Path() / "icons");
        fs::create_directories(dir.Path() / "samples");
        fs::create_directory_symlink(fs::path(ORVANE_SOURCE_DIR) / "samples" / "planos",
                                     dir.Path() / "samples" / "planos");
        OpenSample(true, wxSize(1100, 800));
    }

    // Shows the node reached through these labels, each found at any depth below the one before;
    // then uses the controls that follow, each after " > ", as the installer does. The walk of
    // the view as it then stands.
    Walk Show(const std::string& where) {
        std::vector<std::string> steps;
        for (std::size_t from = 0; from <= where.size();) {
            const std::size_t to = std::min(where.find(" > ", from), where.size());
            steps.push_back(where.substr(from, to - from));
            from = to + 3;
        }
        TreeItemId node = tree.root;
        for (std::size_t from = 0; node != kNoTreeItem && from <= steps[0].size();) {
            const std::size_t to = std::min(steps[0].find('/', from), steps[0].size());
            node = Below(node, steps[0].substr(from, to - from));
            from = to + 1;
        }
        EXPECT_NE(node, kNoTreeItem) << steps[0];
        if (node != kNoTreeItem) core->ShowTreeItem(node);
        for (std::size_t i = 1; i < steps.size(); ++i) Use(WalkView(), steps[i].c_str(), 1);
        return WalkView();
    }
    Walk WalkView() {
        frame->Layout();
        wxTheApp->Yield(true);
        Walk walk(pictures_);
        walk.Sizer(view->GetSizer());
        walk.Unplaced(view);
        return walk;
    }
    // Uses the nth shown control that matches; false when there is none.
    static bool Use(const Walk& walk, const char* control, int nth) {
        int seen = 0;
        for (std::size_t at = 0; at < walk.entries.size(); ++at) {
            const std::string& entry = walk.entries[at];
            const bool hidden = entry.size() >= 9 && entry.compare(entry.size() - 9, 9, " [hidden]") == 0;
            if (!hidden && Matches(control, entry.c_str()) && ++seen == nth) {
                Use(walk.controls[at].first, walk.controls[at].second);
                return true;
            }
        }
        ADD_FAILURE() << "no control " << control << " shown:" << Listed(walk.entries);
        return false;
    }
    TreeItemId Below(TreeItemId item, const std::string& label) const {
        for (TreeItemId c : tree.Children(item)) {
            if (tree.nodes.at(c).label == label) return c;
        }
        for (TreeItemId c : tree.Children(item)) {
            const TreeItemId found = Below(c, label);
            if (found != kNoTreeItem) return found;
        }
        return kNoTreeItem;
    }
    // The installer's click or tick on a control of the walk.
    static void Use(wxWindow* w, int id) {
        if (auto* combo = dynamic_cast<wxComboBox*>(w)) {
            combo->SetSelection(id);
            wxCommandEvent e(wxEVT_COMBOBOX, combo->GetId());
            e.SetEventObject(combo);
            e.SetInt(id);
            e.SetString(combo->GetValue());
            combo->ProcessWindowEvent(e);
        } else if (auto* tools = dynamic_cast<wxToolBar*>(w)) {
            wxCommandEvent e(wxEVT_TOOL, id);
            e.SetEventObject(tools);
            tools->ProcessWindowEvent(e);
        } else if (auto* box = dynamic_cast<wxCheckBox*>(w)) {
            box->SetValue(!box->GetValue());
            wxCommandEvent e(wxEVT_CHECKBOX, box->GetId());
            e.SetEventObject(box);
            e.SetInt(box->GetValue());
            box->ProcessWindowEvent(e);
        } else {
            wxCommandEvent e(wxEVT_BUTTON, w->GetId());
            e.SetEventObject(w);
            w->ProcessWindowEvent(e);
        }
    }
    void Answer(const char* kind, const char* answer) {
        const std::string k = kind;
        const std::optional<fs::path> path = answer ? std::optional<fs::path>(dir.Path() / answer) : std::nullopt;
        if (k == "text") dialogs.AnswerText(answer ? std::optional<std::string>(answer) : std::nullopt);
        if (k == "yesno") dialogs.AnswerYesNo(answer != nullptr);
        if (k == "choose") dialogs.AnswerChoice(std::nullopt);
        if (k == "open") dialogs.AnswerOpenPath(path);
        if (k == "save") dialogs.AnswerSavePath(path);
        if (k == "folder") dialogs.AnswerFolder(path);
    }

    Pictures pictures_;
};

TEST_F(PanelTexts, EveryViewShowsItsTextsInOrderAndEveryCommandAsksInItsOwnWords) {
    for (const expected::View& v : expected::kViews) {
        const Walk walk = Show(v.node);
        bool same = walk.entries.size() == v.controls.size();
        for (std::size_t i = 0; same && i < v.controls.size(); ++i)
            same = Matches(v.controls[i], walk.entries[i].c_str());
        EXPECT_TRUE(same) << v.node << ": expected"
                          << Listed(std::vector<std::string>(v.controls.begin(), v.controls.end())) << "\nshown"
                          << Listed(walk.entries);
    }

    for (const expected::Command& c : expected::kCommands) {
        SCOPED_TRACE(std::string(c.node) + " " + c.control);
        const Walk walk = Show(c.node);
        dialogs.shown.clear();
        const std::size_t progressBefore = ui.progress.size();
        Answer(c.asked.front().kind, c.answer);
        if (!Use(walk, c.control, c.nth)) return;  // its queued answer would be taken by the next row

        std::vector<FakeDialogs::Shown> shown = dialogs.shown;
        for (std::size_t p = progressBefore; p < ui.progress.size(); ++p)
            shown.emplace_back("progress", ui.progress[p]->message, ui.progress[p]->title);
        bool same = shown.size() == c.asked.size();
        std::vector<std::string> listed, wanted;
        for (std::size_t i = 0; i < shown.size(); ++i) {
            const FakeDialogs::Shown& s = shown[i];
            listed.push_back(s.kind + "|" + s.text + "|" + s.caption + "|" + s.wildcard);
            if (i >= c.asked.size()) continue;
            const expected::Asked& a = c.asked[i];
            same = same && s.kind == a.kind && Matches(a.text, s.text.c_str()) && s.caption == a.caption &&
                   s.wildcard == a.wildcard;
        }
        for (const expected::Asked& a : c.asked)
            wanted.push_back(std::string(a.kind) + "|" + a.text + "|" + a.caption + "|" + a.wildcard);
        EXPECT_TRUE(same) << "expected" << Listed(wanted) << "\nshown" << Listed(listed);
    }
}

}  // namespace

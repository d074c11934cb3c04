#include "ui/adapters.h"

#include <algorithm>

#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/imaglist.h>
#include <wx/progdlg.h>
#include <wx/textctrl.h>
#include <wx/treectrl.h>

#include "datamodel/text.h"
#include "panels/dialogs.h"
#include "panels/wxtext.h"
#include "ui/images.h"
#include "ui/wxdialogs.h"

// ---- tree ----

TreeItemId ToTreeItemId(const wxTreeItemId& item) {
    return item.IsOk() ? reinterpret_cast<TreeItemId>(item.GetID()) : kNoTreeItem;
}

wxTreeItemId FromTreeItemId(TreeItemId item) { return wxTreeItemId(reinterpret_cast<void*>(item)); }

int WxTreeView::AddImage(TreeIcon icon) {
    wxImageList* list = tree_->GetImageList();
    if (!list) return -1;
    return list->Add(TreeImage(icon));
}

TreeItemId WxTreeView::AddRoot(const std::string& label, int image) {
    return ToTreeItemId(tree_->AddRoot(ToWx(ShownText(label)), image, image));
}

TreeItemId WxTreeView::AppendItem(TreeItemId parent, const std::string& label, int image, int selectedImage) {
    if (parent == kNoTreeItem) return kNoTreeItem;
    return ToTreeItemId(tree_->AppendItem(FromTreeItemId(parent), ToWx(ShownText(label)), image, selectedImage));
}

void WxTreeView::DeleteAllItems() { tree_->DeleteAllItems(); }

void WxTreeView::Delete(TreeItemId item) {
    if (item != kNoTreeItem) tree_->Delete(FromTreeItemId(item));
}

TreeItemId WxTreeView::GetItemParent(TreeItemId item) const {
    if (item == kNoTreeItem) return kNoTreeItem;
    return ToTreeItemId(tree_->GetItemParent(FromTreeItemId(item)));
}

void WxTreeView::SetItemText(TreeItemId item, const std::string& text) {
    if (item != kNoTreeItem) tree_->SetItemText(FromTreeItemId(item), ToWx(ShownText(text)));
}

std::string WxTreeView::GetItemText(TreeItemId item) const {
    return item == kNoTreeItem ? std::string() : FromWx(tree_->GetItemText(FromTreeItemId(item)));
}

void WxTreeView::Expand(TreeItemId item) {
    if (item != kNoTreeItem) tree_->Expand(FromTreeItemId(item));
}

void WxTreeView::SelectItem(TreeItemId item) {
    if (item != kNoTreeItem) tree_->SelectItem(FromTreeItemId(item));
}

TreeItemId WxTreeView::GetSelection() const { return ToTreeItemId(tree_->GetSelection()); }

// ---- log pane ----

void WxLogSink::Append(const std::string& text) { text_->AppendText(ToWx(text)); }

long WxLogSink::GetLastPosition() const { return text_->GetLastPosition(); }

void WxLogSink::Remove(long from, long to) { text_->Remove(from, to); }

// ---- progress and yielding ----

int ClampProgress(int value, int maximum) { return std::clamp(value, 0, std::max(maximum, 0)); }

namespace {
int g_openDialogs = 0;

// The toolkit's progress dialog, centred on the main window before it first shows (the toolkit
// shows it from within its creation).
class CentredProgress final : public wxGenericProgressDialog {
public:
    CentredProgress(const wxString& title, const wxString& message, int maximum, int style) {
        Create(title, message, maximum, wxTheApp->GetTopWindow(), style);
    }
    bool Show(bool show = true) override {
        if (show && !IsShown()) PlaceDialog(*this, GetParent(), GetClientSize());
        return wxGenericProgressDialog::Show(show);
    }
};

class WxProgress final : public ProgressDialog {
public:
    WxProgress(const std::string& title, const std::string& message, int maximum, const ProgressOptions& options)
        : maximum_(std::max(maximum, 1)) {
        int style = wxPD_APP_MODAL | wxPD_AUTO_HIDE | wxPD_SMOOTH;
        if (options.canCancel) style |= wxPD_CAN_ABORT;
        if (options.showElapsed) style |= wxPD_ELAPSED_TIME;
        dialog_ = new CentredProgress(ToWx(title), ToWx(message), maximum_, style);
        ++g_openDialogs;
    }
    ~WxProgress() override {
        --g_openDialogs;
        dialog_->Destroy();
    }
    bool Update(int value, const std::string& message) override {
        // The one clamp of every progress value: the toolkit asserts past the maximum, and a
        // dialog that reaches it hides itself in the middle of the operation.
        const int v = ClampProgress(value, maximum_);
        const bool goOn = message.empty() ? dialog_->Update(v) : dialog_->Update(v, ToWx(message));
        if (!goOn) cancelled_ = true;
        return !cancelled_;
    }
    bool WasCancelled() const override { return cancelled_ || dialog_->WasCancelled(); }

private:
    wxGenericProgressDialog* dialog_ = nullptr;
    int maximum_;
    bool cancelled_ = false;
};
}  // namespace

int WxUiServices::OpenDialogs() { return g_openDialogs; }

void WxUiServices::Yield() {
    if (yielding_ || !wxTheApp) return;
    yielding_ = true;
    // Commands that arrive meanwhile are refused by the core while it is busy; an
    // application-modal progress dialog keeps input away from the other windows anyway.
    wxTheApp->Yield(true);
    yielding_ = false;
}

std::unique_ptr<ProgressDialog> WxUiServices::OpenProgress(const std::string& title, const std::string& message,
                                                           int maximum, const ProgressOptions& options) {
    // The toolkit's dialog yields to the running event loop: before the main loop runs (an
    // installation opened from the command line) the operation goes on without one.
    if (!wxEventLoopBase::GetActive()) return nullptr;
    return std::make_unique<WxProgress>(title, message, maximum, options);
}

void WxUiServices::ShowMessage(const std::string& text, const std::string& caption) {
    if (caption == "Error") GetDialogs().Error(text, caption);
    else GetDialogs().Info(text, caption);
}

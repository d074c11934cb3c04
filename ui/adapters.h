// The thin wx adapters of the core's seams: the installation tree over a wxTreeCtrl, the log sink
// over the log pane, the UI services with wxProgressDialog, the timers over wxTimer.
#pragma once

#include <memory>
#include <string>

#include <wx/timer.h>

#include "core/views.h"
#include "datamodel/seams.h"

class wxTextCtrl;
class wxTreeCtrl;
class wxTreeItemId;

TreeItemId ToTreeItemId(const wxTreeItemId& item);
wxTreeItemId FromTreeItemId(TreeItemId item);

class WxTreeView final : public TreeView {
public:
    explicit WxTreeView(wxTreeCtrl* tree) : tree_(tree) {}
    int AddImage(TreeIcon icon) override;
    TreeItemId AddRoot(const std::string& label, int image) override;
    TreeItemId AppendItem(TreeItemId parent, const std::string& label, int image, int selectedImage) override;
    void DeleteAllItems() override;
    void Delete(TreeItemId item) override;
    TreeItemId GetItemParent(TreeItemId item) const override;
    void SetItemText(TreeItemId item, const std::string& text) override;
    std::string GetItemText(TreeItemId item) const override;
    void Expand(TreeItemId item) override;
    void SelectItem(TreeItemId item) override;
    TreeItemId GetSelection() const override;

private:
    wxTreeCtrl* tree_;
};

class WxLogSink final : public LogSink {
public:
    explicit WxLogSink(wxTextCtrl* text) : text_(text) {}
    void Append(const std::string& text) override;
    long GetLastPosition() const override;
    void Remove(long from, long to) override;

private:
    wxTextCtrl* text_;
};

// The value a progress dialog of this maximum may show for value: within [0, maximum].
int ClampProgress(int value, int maximum);

class WxUiServices final : public UiServices {
public:
    // Lets pending events run; a call made while one runs (a timer handler yielding again)
    // returns at once instead of nesting.
    void Yield() override;
    std::unique_ptr<ProgressDialog> OpenProgress(const std::string& title, const std::string& message, int maximum,
                                                 const ProgressOptions& options) override;
    void ShowMessage(const std::string& text, const std::string& caption) override;
    // How many progress dialogs are open (the window's own and the core's).
    static int OpenDialogs();

private:
    bool yielding_ = false;
};

class WxTimer final : public Timer {
public:
    WxTimer(wxEvtHandler* owner, int id) : timer_(owner, id) {}
    bool Start(int milliseconds) override { return timer_.Start(milliseconds); }
    void Stop() override { timer_.Stop(); }
    bool IsRunning() const override { return timer_.IsRunning(); }

private:
    wxTimer timer_;
};

#include "ui/mainframe.h"

#include <wx/image.h>
#include <wx/imaglist.h>
#include <wx/menu.h>
#include <wx/panel.h>
#include <wx/sizer.h>
#include <wx/splitter.h>
#include <wx/statusbr.h>
#include <wx/textctrl.h>
#include <wx/toolbar.h>
#include <wx/treectrl.h>

#include "core/appcore.h"
#include "panels/dialogs.h"
#include "panels/paneledit.h"
#include "panels/wxtext.h"
#include "ui/adapters.h"
#include "ui/ids.h"
#include "ui/images.h"
#include "ui/keypad.h"

MyFrame::MyFrame(wxWindow* parent, const wxString& title)
    : wxFrame(parent, wxID_ANY, title) {
    if (!wxImage::FindHandler(wxBITMAP_TYPE_PNG)) wxInitAllImageHandlers();
    SetMenuBar(CreateMenus());
    CreateLayout();
    timer1_ = std::make_unique<WxTimer>(this, ID_TIMER1);
    timer2_ = std::make_unique<WxTimer>(this, ID_TIMER2);
    CreateTools();
    SetInstallationOpen(false);
    SetConnected(false);
    toolbar_->Realize();
    CreateStatusBar(1, wxSTB_SIZEGRIP);
    BindEvents();
    // The smallest window is the one the sizer needs with every pane in; where nothing maximises
    // the window it opens at 1000 x 700. The size is given through the client size: under a
    // window manager the toolkit takes an outer size set before the frame's decorations are known
    // as if they were zero and, once they arrive, briefly shows the window at the size of the
    // decorations alone, laying the toolbar out with a negative width.
    GetSizer()->SetSizeHints(this);
    SetClientSize(wxSize(1000, 700) - (GetSize() - GetClientSize()));
    Maximize(true);
    keypad_->Hide();
    Layout();
    Centre();
    auto* images = new wxImageList(16, 16, true);
    tree_->AssignImageList(images);
}

MyFrame::~MyFrame() {
    // The core ends a live connection and frees the installation while the windows it points
    // at still exist; afterwards nothing may reach them through it.
    if (timer1_) timer1_->Stop();
    if (timer2_) timer2_->Stop();
    if (core_) {
        core_->SetConnectionLostHandler({});
        core_->SetStatusChangedHandler({});
        if (ownsCore_) delete core_;
        else {
            core_->SetEditView(nullptr);
            core_->SetTreeView(nullptr);
            core_->SetLegendView(nullptr);
            core_->SetLogSink(nullptr);
            core_->GetTreeIndex().SetTreeView(nullptr);
        }
        core_ = nullptr;
    }
}

void MyFrame::CreateLayout() {
    outer_ = new wxSplitterWindow(this, wxID_ANY, wxPoint(0, 0), wxSize(600, 400), wxSP_3D, wxT("splitter"));
    inner_ = new wxSplitterWindow(outer_, wxID_ANY, wxPoint(0, 0), wxSize(600, 400), wxSP_3D, wxT("splitter"));
    tree_ = new wxTreeCtrl(inner_, ID_TREE, wxPoint(0, 0), wxSize(200, 300),
                           wxTR_HAS_BUTTONS | wxTR_LINES_AT_ROOT | wxTR_SINGLE);
    // The size given is where the tree starts, not its least: the splitter would otherwise keep
    // the sash at the tree's width.
    tree_->SetMinSize(wxDefaultSize);
    right_ = new wxPanel(inner_, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL | wxNO_BORDER);
    auto* rightSizer = new wxBoxSizer(wxVERTICAL);
    editView_ = new CPanelEdit(right_, wxID_ANY, wxDefaultPosition, wxSize(400, 300), wxVSCROLL | wxHSCROLL | wxSUNKEN_BORDER,
                               wxT("scrolledWindow"));
    legend_ = new CPanelLlegenda(right_, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxNO_BORDER,
                                 wxT("scrolledWindow"));
    rightSizer->Add(editView_, wxSizerFlags(1).Expand());
    rightSizer->Add(legend_, wxSizerFlags(0).Expand());
    legend_->Hide();
    right_->SetSizer(rightSizer);

    logPane_ = new wxTextCtrl(outer_, wxID_ANY, wxEmptyString, wxDefaultPosition, wxDefaultSize,
                              wxTE_MULTILINE | wxTE_RICH2);
    logPane_->Hide();
    inner_->SplitVertically(tree_, right_, 150);
    inner_->SetMinimumPaneSize(20);
    outer_->Initialize(inner_);
    // A resized window changes the tree and the edit view, not the log pane below them: shrunk
    // under its scroll bar's height the log pane would be laid out with a negative size.
    outer_->SetSashGravity(1.0);

    keypad_ = new CPanelKeyPad(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxNO_BORDER, wxT("scrolledWindow"));
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(outer_, wxSizerFlags(1).Expand().Border(wxALL, 1));
    sizer->Add(keypad_, wxSizerFlags(0).Expand().Border(wxALL, 1));
    SetSizer(sizer);
}

void MyFrame::SetCore(CAppCore* core, bool owned, bool toolkitServices) {
    core_ = core;
    ownsCore_ = owned;
    keypad_->SetCore(core);

    const std::string& iconName = core->GetConfig().GetOem("icono");
    const wxIcon icon = WindowIcon(iconName);
    if (icon.IsOk()) SetIcon(icon);
    const std::string& name = core->GetConfig().GetOem("nom-programa");
    if (!name.empty()) SetTitle(ToWx(name));
    BuildInstallationMenu(GetMenuBar()->GetMenu(0));

    treeView_ = std::make_unique<WxTreeView>(tree_);
    logSink_ = std::make_unique<WxLogSink>(logPane_);
    core->SetLogSink(logSink_.get());
    core->SetTreeView(treeView_.get());
    core->SetEditView(editView_);
    core->SetLegendView(legend_);
    if (toolkitServices) {
        ui_ = std::make_unique<WxUiServices>();
        core->SetUiServices(ui_.get());
        core->SetTimers(timer2_.get(), timer1_.get());
    }
    editView_->SetModifiedHandler([this] {
        if (core_) core_->MarkModified();
    });
    core->SetConnectionLostHandler([this] { OnConnectionLost(); });
    // A status read that changed what the panel reports shows at once. It is the poll's or a
    // command's read, never the installer's own reload: what the installer has ticked or selected
    // and not yet commanded stays picked (the command's own reload clears it afterwards).
    core->SetStatusChangedHandler([this] {
        UpdateTitle();
        editView_->RefreshPanels();
    });
    core->CreateImageList();
}

// ---- a lost link ----

void MyFrame::OnConnectionLost() {
    // Called inside the core's operation or tick that found the loss. The window shows the
    // disconnected state at once; the reason is shown once: by the failed operation's own box
    // when there is one, else by the report queued here.
    lostMessage_ = core_ && !core_->GetLastError().empty() ? core_->GetLastError() : CAppCore::kConnectionLost;
    SetConnected(false);
    UpdateTitle();
    CallAfter(&MyFrame::ReportLostConnection);
}

void MyFrame::ReportLostConnection() {
    if (core_ && core_->TakeLostLinkReport()) GetDialogs().Error(lostMessage_, "Error");
}

// ---- title ----

void MyFrame::UpdateTitle() {
    if (!core_) return;
    TitleParts parts;
    parts.fileName = titleFileName_;
    parts.installation = core_->GetTitle();
    parts.connected = state_.connected;
    parts.linkKind = core_->GetConexio().GetKind();
    if (state_.connected) {
        parts.hasCoverage = core_->HasPpe();
        parts.coverage = parts.hasCoverage ? core_->GetPpeValue() : -1;
    }
    SetTitle(ToWx(ComposeTitle(parts)));
}

// ---- enabling ----

void MyFrame::SetConnected(bool connected) {
    state_.connected = connected;
    // The flash copies follow what the core reported when the link came up.
    if (connected) {
        if (core_ && core_->HasGrupFlash()) state_.flash = true;
    } else {
        state_.flash = false;
    }
    ApplyEnabling();
    if (keypad_) {
        if (connected) keypad_->EnableControls();
        else keypad_->DisableControls();
    }
}

void MyFrame::SetInstallationOpen(bool open) {
    state_.open = open;
    SetConnected(state_.connected);
}

void MyFrame::EnableEntry(int id, bool on) {
    if (wxMenuBar* bar = GetMenuBar(); bar && bar->FindItem(id)) bar->Enable(id, on);
    if (toolbar_ && toolbar_->FindById(id)) toolbar_->EnableTool(id, on);
}

void MyFrame::ApplyEnabling() {
    for (int id : RuledCommandIds()) EnableEntry(id, IsCommandEnabled(id, state_));
}

bool MyFrame::IsCommandEnabledNow(int id) const {
    if (wxMenuBar* bar = GetMenuBar(); bar && bar->FindItem(id)) return bar->IsEnabled(id);
    if (toolbar_ && toolbar_->FindById(id)) return toolbar_->GetToolEnabled(id);
    return false;
}

bool MyFrame::RunCommand(int id) {
    // The toolkit's ProcessCommand reports a disabled item as handled.
    if (wxMenuBar* bar = GetMenuBar(); bar && bar->FindItem(id)) return bar->IsEnabled(id) && ProcessCommand(id);
    if (!toolbar_ || !toolbar_->FindById(id) || !toolbar_->GetToolEnabled(id)) return false;
    wxCommandEvent event(wxEVT_TOOL, id);
    event.SetEventObject(toolbar_);
    if (toolbar_->FindById(id)->CanBeToggled()) {
        toolbar_->ToggleTool(id, !toolbar_->GetToolState(id));
        event.SetInt(toolbar_->GetToolState(id) ? 1 : 0);
    }
    return ProcessWindowEvent(event);
}

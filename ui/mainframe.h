// MyFrame: the program's one main window. The installation tree and the edit view side by side
// in the inner splitter, the log pane below them in the outer splitter, the keypad pane at the
// bottom, the menu bar, the toolbar and the status bar. It owns no data: every command calls an
// operation of the application core and shows its outcome.
//
// Files: mainframe.cpp (construction, seam wiring, title, enabling), mainframe_menus.cpp (menus,
// toolbar, bindings), mainframe_file.cpp (installation and tree commands), mainframe_link.cpp
// (link dialogue, panel commands, timers, closing).
#pragma once

#include <memory>
#include <optional>
#include <string>

#include <wx/frame.h>

#include "core/views.h"
#include "ui/windowlogic.h"

class CAppCore;
class CPanelEdit;
class CPanelKeyPad;
class CPanelLlegenda;
class WxLogSink;
class WxTimer;
class WxTreeView;
class WxUiServices;
class wxMenu;
class wxPanel;
class wxSplitterWindow;
class wxTextCtrl;
class wxToolBar;
class wxTreeCtrl;
class wxTreeEvent;
class wxTimerEvent;

class MyFrame : public wxFrame {
public:
    MyFrame(wxWindow* parent, const wxString& title);
    ~MyFrame() override;

    // Binds the core and hands it the window's parts: the tree, the edit view, the legend pane,
    // the log pane and the handlers of a lost link and of a changed status; then lets it finish
    // its wiring (CreateImageList). With toolkitServices the core also gets the window's
    // progress dialogs and timers (tests keep their virtual clock and fakes). owned: the window
    // deletes the core when it is destroyed.
    void SetCore(CAppCore* core, bool owned, bool toolkitServices);
    CAppCore* GetCore() const { return core_; }

    // ---- state (the only writers of the two flags) ----
    void SetConnected(bool connected);
    void SetInstallationOpen(bool open);
    bool IsConnected() const { return state_.connected; }
    bool IsInstallationOpen() const { return state_.open; }
    const WindowState& GetState() const { return state_; }

    void UpdateTitle();
    void BuildInstallationMenu(wxMenu* menu);
    // Opens an installation file (the command line and the open commands).
    void OpenInstallationFile(const std::string& path);
    // False when the user cancelled; stores the panels first.
    bool AskSaveIfModified();

    // ---- parts, for the program's start-up and the tests ----
    wxTreeCtrl* GetTree() const { return tree_; }
    CPanelEdit* GetEditView() const { return editView_; }
    CPanelKeyPad* GetKeyPad() const { return keypad_; }
    CPanelLlegenda* GetLegend() const { return legend_; }
    wxTextCtrl* GetLogPane() const { return logPane_; }
    wxSplitterWindow* GetOuterSplitter() const { return outer_; }
    wxPanel* GetRightPanel() const { return right_; }
    // Whether the menu item or tool is enabled now (the one that exists; menu item first).
    bool IsCommandEnabledNow(int id) const;
    // Runs a command as a click would: a disabled menu item or tool does nothing (false); a
    // toggle tool changes its state first.
    bool RunCommand(int id);
    // The sysfs class folder the serial port list is read from (tests point it elsewhere).
    void SetSerialPortFolder(const std::string& folder) { ttyClassFolder_ = folder; }

private:
    // ---- construction (mainframe.cpp, mainframe_menus.cpp) ----
    void CreateLayout();
    wxMenuBar* CreateMenus();
    void CreateTools();
    void BindEvents();
    void ApplyEnabling();
    void EnableEntry(int id, bool on);
    void OnConnectionLost();
    void ReportLostConnection();

    // ---- installation and tree commands (mainframe_file.cpp) ----
    void OnNew(wxCommandEvent&);
    void OnOpenDialog(wxCommandEvent&);
    void OnOpenRecent(wxCommandEvent& event);
    void OnOpen(int index);
    void OnSave(wxCommandEvent&);
    void OnSaveAs(wxCommandEvent&);
    void OnExport(wxCommandEvent&);
    void OnCloseInstallation(wxCommandEvent&);
    void OnAddComponent(wxCommandEvent&);
    void OnRemoveComponent(wxCommandEvent&);
    void OnRename(wxCommandEvent&);
    void OnTreeSelChanged(wxTreeEvent& event);
    void OnTreeItemMenu(wxTreeEvent& event);
    bool Save();
    bool SaveAs();
    bool ChooseCentralModel(std::string& model, std::string& version);
    bool ChooseComponentModel(std::string& model, std::string& version, std::string& busdir);
    // A save path chosen in the file dialog as record text, after asking before replacing a
    // file; nullopt when cancelled or refused (the reason shown).
    std::optional<std::string> ChooseSaveTarget(const std::string& wildcard);
    void DisconnectIfConnected();
    void RememberRecent(const std::string& path);
    void ShowError(const std::string& text);

    // ---- link dialogue, panel commands, timers, closing (mainframe_link.cpp) ----
    void OnConfigure(wxCommandEvent&);
    bool RunLinkDialogue();
    void OnConnect(wxCommandEvent&);
    void OnDisconnect(wxCommandEvent&);
    void OnReceive(wxCommandEvent&);
    void OnSend(wxCommandEvent&);
    void OnVerify(wxCommandEvent&);
    void OnApply(wxCommandEvent&);
    void OnResetSoft(wxCommandEvent&);
    void OnResetHard(wxCommandEvent&);
    void OnCopyEepToFlash(wxCommandEvent&);
    void OnCopyFlashToEep(wxCommandEvent&);
    void OnToggleKeyPad(wxCommandEvent& event);
    void OnToggleLog(wxCommandEvent& event);
    void OnTimer1(wxTimerEvent&);
    void OnTimer2(wxTimerEvent&);
    void OnAbout(wxCommandEvent&);
    void OnExit(wxCommandEvent&);
    void OnCloseWindow(wxCloseEvent& event);
    // Shows the core's error after a failed panel operation (the loss of the link is then
    // reported by that box).
    void ShowOperationError();
    TreeItemId SelectedItem() const;

    CAppCore* core_ = nullptr;
    bool ownsCore_ = false;
    WindowState state_;
    std::string titleFileName_;
    std::string lostMessage_;  // the reason of the last lost link
    std::string ttyClassFolder_ = "/sys/class/tty";

    wxSplitterWindow* outer_ = nullptr;
    wxSplitterWindow* inner_ = nullptr;
    wxTextCtrl* logPane_ = nullptr;
    wxTreeCtrl* tree_ = nullptr;
    CPanelEdit* editView_ = nullptr;
    CPanelKeyPad* keypad_ = nullptr;
    CPanelLlegenda* legend_ = nullptr;
    wxPanel* right_ = nullptr;
    wxToolBar* toolbar_ = nullptr;
    std::unique_ptr<WxTimer> timer1_;
    std::unique_ptr<WxTimer> timer2_;
    std::unique_ptr<WxTreeView> treeView_;
    std::unique_ptr<WxLogSink> logSink_;
    std::unique_ptr<WxUiServices> ui_;
};

// The texts of the window that tests and the screenshot tool look for.
namespace WindowText {
constexpr const char* kSaveQuestion =
    "La instalación actual ha sido modificada y no se ha guardado. Desea guardarla ahora?";
constexpr const char* kCloseQuestion = "¿Está seguro de querer cerrar Orvane ?";
}  // namespace WindowText

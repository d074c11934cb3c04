// The toolkit's side of the dialogs seam (panels/dialogs.h): message boxes, questions, single
// choices, text entry and the file and folder choosers. The program installs it at start-up.
#pragma once

#include <wx/gdicmn.h>

#include "panels/dialogs.h"

class wxDialog;
class wxWindow;

// Sets a dialog's last size through its client area, then centres it on over: on the screen when
// over is null or fills the screen's work area (maximised: the toolkit reports the position of a
// maximised window a title bar too low). Every dialog the window opens goes through here
// before it shows: GTK then shows it at once where it was put. A dialog whose last size came
// from an outer size instead waits, hidden, for the window manager to report the size of its
// frame; while no window was measured yet (the first dialog of a process, the main window being
// maximised), GTK lays that dialog out at a wrong size first (a Gtk-CRITICAL from a list's scroll
// bar) and leaves its place to the window manager (openbox puts it in the screen's top-left corner).
void PlaceDialog(wxDialog& dialog, wxWindow* over, wxSize client);

class WxDialogs final : public Dialogs {
public:
    void Info(const std::string& text, const std::string& caption) override;
    void Error(const std::string& text, const std::string& caption = "Error") override;
    using Dialogs::AskYesNo;
    bool AskYesNo(const std::string& text, const std::string& caption, DefaultButton button) override;
    Answer AskYesNoCancel(const std::string& text, const std::string& caption) override;
    std::optional<int> ChooseOne(const std::string& text, const std::string& caption,
                                 const std::vector<std::string>& choices, int initial = 0) override;
    std::optional<std::string> GetText(const std::string& text, const std::string& caption,
                                       const std::string& initial = std::string()) override;
    std::optional<std::filesystem::path> ChooseOpenPath(const std::string& message, const std::string& wildcard,
                                                        const std::filesystem::path& folder = {}) override;
    std::optional<std::filesystem::path> ChooseSavePath(const std::string& message, const std::string& wildcard,
                                                        const std::filesystem::path& folder = {},
                                                        const std::string& defaultName = std::string()) override;
    std::optional<std::filesystem::path> ChooseFolder(const std::string& message,
                                                      const std::filesystem::path& folder = {}) override;
};

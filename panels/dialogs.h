// Every modal question the window and the panels ask goes through this one small interface, so
// that a test scripts the answers and never blocks on a dialog. The program installs the wx
// implementation at start-up (SetDialogs); texts are cp1252 like every program text.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

enum class Answer { Yes, No, Cancel };
// The button a Yes / No question gives to Return. A question whose Yes overwrites or erases the
// panel's memory defaults to No, so a stray Return changes nothing.
enum class DefaultButton { Yes, No };

class Dialogs {
public:
    virtual ~Dialogs() = default;
    // A message box with an information icon and OK.
    virtual void Info(const std::string& text, const std::string& caption) = 0;
    // A message box with an error icon and OK.
    virtual void Error(const std::string& text, const std::string& caption = "Error") = 0;
    // Yes / No; true for Yes. Return answers the default button.
    virtual bool AskYesNo(const std::string& text, const std::string& caption, DefaultButton button) = 0;
    bool AskYesNo(const std::string& text, const std::string& caption) {
        return AskYesNo(text, caption, DefaultButton::Yes);
    }
    virtual Answer AskYesNoCancel(const std::string& text, const std::string& caption) = 0;
    // A single choice among choices; nullopt when cancelled. An empty list shows no dialog and
    // gives nullopt (the toolkit asserts on an empty list).
    virtual std::optional<int> ChooseOne(const std::string& text, const std::string& caption,
                                         const std::vector<std::string>& choices, int initial = 0) = 0;
    // A line of text; nullopt when cancelled.
    virtual std::optional<std::string> GetText(const std::string& text, const std::string& caption,
                                               const std::string& initial = std::string()) = 0;
    // File and folder choosers give the toolkit's own path (an OS path); nullopt when cancelled.
    // wildcard is in the toolkit's form ("Instalaciones (*.voski)|*.voski").
    virtual std::optional<std::filesystem::path> ChooseOpenPath(const std::string& message,
                                                                const std::string& wildcard,
                                                                const std::filesystem::path& folder = {}) = 0;
    virtual std::optional<std::filesystem::path> ChooseSavePath(const std::string& message,
                                                                const std::string& wildcard,
                                                                const std::filesystem::path& folder = {},
                                                                const std::string& defaultName = std::string()) = 0;
    virtual std::optional<std::filesystem::path> ChooseFolder(const std::string& message,
                                                              const std::filesystem::path& folder = {}) = 0;
};

class CAppCore;
// The error box of a failed operation of the core (text: its error). Shown after a loss of the
// link, the box reports that loss too, so the window's own later report of it shows nothing: one
// box per fault. Every panel and the window show the core's errors through it.
void ShowCoreError(CAppCore* core, const std::string& text);

// The installed dialogs. Until something is installed a refusing stand-in answers (Cancel / No /
// nullopt) and writes the question to stderr, so no code path can block or crash on it.
Dialogs& GetDialogs();
// Installs dialogs (not owned); null goes back to the stand-in.
void SetDialogs(Dialogs* dialogs);

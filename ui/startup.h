// The program's start-up, apart from the toolkit's entry (app.cpp) so that tests run it: the
// working folder, the main window and the application core, the log lines, and the installation
// named on the command line.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include <wx/app.h>

#include "ui/adapters.h"
#include "ui/wxdialogs.h"

class MyFrame;
class UiServices;

// The folder a program path names: the text before its last '/' when that '/' stands past the
// first character. nullopt otherwise: the working folder is then left alone and the whole path
// stands for the folder in the log.
std::optional<std::string> ProgramFolderOf(const std::string& programPath);

struct StartupArgs {
    std::string programPath;                        // the program's own path
    std::optional<std::filesystem::path> argument;  // the installation named on the command line
    std::filesystem::path startFolder;              // the working folder the program was started in
};

// In this order: the program's folder becomes the working folder; the main window "Vosk Orvane"
// is made and shown; the application core (which reads "config.xml" and reports a failure through
// ui) is bound to the window, which owns it from then on; the program folder, then the argument,
// are written to the log; the argument is opened as an installation (a relative one from the start
// folder; a failure shows the core's error in a box captioned "Error"). toolkitServices: the core
// then gets the window's progress dialogs and timers. Returns the window.
MyFrame* StartProgram(const StartupArgs& args, UiServices& ui, bool toolkitServices);

// The application object: the window's language, the real dialogs, then StartProgram with the
// executable's own path and the command line's first argument (further ones are ignored).
class MyApp : public wxApp {
public:
    bool OnInit() override;
    int OnExit() override;

private:
    WxDialogs dialogs_;
    // Serves the core until the window hands it its own services (a failed settings load).
    WxUiServices ui_;
};

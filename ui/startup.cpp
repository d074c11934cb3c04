#include "ui/startup.h"

#include <wx/stdpaths.h>
#include <wx/utils.h>

#include "core/appcore.h"
#include "datamodel/files.h"
#include "panels/dialogs.h"
#include "ui/language.h"
#include "ui/mainframe.h"
#include "ui/windowlogic.h"

std::optional<std::string> ProgramFolderOf(const std::string& programPath) {
    const std::size_t slash = programPath.rfind('/');
    if (slash == std::string::npos || slash == 0) return std::nullopt;
    return programPath.substr(0, slash);
}

MyFrame* StartProgram(const StartupArgs& args, UiServices& ui, bool toolkitServices) {
    const std::optional<std::string> folder = ProgramFolderOf(args.programPath);
    if (folder) wxSetWorkingDirectory(wxString::FromUTF8(*folder));

    auto* frame = new MyFrame(nullptr, wxT("Vosk Orvane"));
    frame->Maximize(true);
    frame->Show(true);
    auto* core = new CAppCore(&ui);
    frame->SetCore(core, true, toolkitServices);

    core->GetLog().LogLine(FromOsPath(folder ? std::filesystem::path(*folder) : std::filesystem::path(args.programPath)));
    if (args.argument) {
        core->GetLog().LogLine(FromOsPath(*args.argument));
        std::string error;
        if (auto text = PathAsRecordText(ResolveCommandLinePath(*args.argument, args.startFolder), error))
            frame->OpenInstallationFile(*text);
        else
            GetDialogs().Error(error, "Error");
    }
    return frame;
}

bool MyApp::OnInit() {
    UseSpanishToolkitTexts();
    SetDialogs(&dialogs_);
    StartupArgs args;
    // The executable's own path: a program started through the search path has no folder in
    // its first argument.
    args.programPath = std::string(static_cast<const char*>(wxStandardPaths::Get().GetExecutablePath().fn_str()));
    // Taken before the working folder changes: a relative path on the command line is meant
    // from where the program was started.
    std::error_code ec;
    args.startFolder = std::filesystem::current_path(ec);
    if (argc > 1) args.argument = std::filesystem::path(std::string(static_cast<const char*>(argv[1].fn_str())));
    SetTopWindow(StartProgram(args, ui_, true));
    return true;
}

int MyApp::OnExit() {
    SetDialogs(nullptr);
    return wxApp::OnExit();
}

// The application object: makes the program's own folder the working folder, so "config.xml",
// models/ and icons/ are found beside it, opens the main window with the application core and
// opens an installation named on the command line.
#include <filesystem>

#include <wx/app.h>
#include <wx/filename.h>
#include <wx/image.h>
#include <wx/stdpaths.h>

#include "core/appcore.h"
#include "panels/wxtext.h"
#include "ui/adapters.h"
#include "ui/language.h"
#include "ui/mainframe.h"
#include "ui/windowlogic.h"
#include "ui/wxdialogs.h"

class MyApp : public wxApp {
public:
    bool OnInit() override {
        // Taken before the working folder changes: a relative path on the command line is
        // meant from where the program was started.
        const std::filesystem::path startFolder = std::filesystem::current_path();
        UseSpanishToolkitTexts();
        wxInitAllImageHandlers();
        SetDialogs(&dialogs_);
        const wxString programFolder = wxFileName(wxStandardPaths::Get().GetExecutablePath()).GetPath();
        wxSetWorkingDirectory(programFolder);

        auto* frame = new MyFrame(nullptr, wxT("Vosk Orvane"));
        SetTopWindow(frame);
        frame->Maximize(true);
        frame->Show(true);
        auto* core = new CAppCore(&ui_);
        frame->SetCore(core, true, true);
        core->GetLog().LogLine(FromWx(programFolder));
        if (argc > 1) {
            const std::string argument = FromWx(argv[1]);
            core->GetLog().LogLine(argument);
            std::string error;
            const std::filesystem::path os = ResolveCommandLinePath(
                std::filesystem::path(std::string(static_cast<const char*>(argv[1].fn_str()))), startFolder);
            if (auto text = PathAsRecordText(os, error)) frame->OpenInstallationFile(*text);
            else GetDialogs().Error(error, "Error");
        }
        return true;
    }

    int OnExit() override {
        SetDialogs(nullptr);
        return wxApp::OnExit();
    }

private:
    WxDialogs dialogs_;
    // Reports a failed settings load before the window's own services are wired.
    WxUiServices ui_;
};

wxIMPLEMENT_APP(MyApp);

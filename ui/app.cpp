// The application object: makes the program's own folder the working folder, so "config.xml",
// models/ and icons/ are found beside it, and opens the main window.
#include <wx/app.h>
#include <wx/filename.h>
#include <wx/stdpaths.h>

#include "ui/mainframe.h"

class MyApp : public wxApp {
public:
    bool OnInit() override {
        wxFileName exe(wxStandardPaths::Get().GetExecutablePath());
        wxSetWorkingDirectory(exe.GetPath());
        wxFrame* frame = CreateMainFrame();
        frame->Maximize(true);
        frame->Show(true);
        SetTopWindow(frame);
        return true;
    }
};

wxIMPLEMENT_APP(MyApp);

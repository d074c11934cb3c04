#include "ui/mainframe.h"

wxFrame* CreateMainFrame() {
    return new wxFrame(nullptr, wxID_ANY, wxT("Vosk Orvane"));
}

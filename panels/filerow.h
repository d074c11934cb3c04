// The controls that every flash file row starts with, left to right: the send box, " index -
// name", the path of the file on the PC and "Examinar...". The plain file row is just these; the
// web-server image row puts them on its top line.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

class CFitxer;
class wxBoxSizer;
class wxButton;
class wxCheckBox;
class wxStaticText;
class wxTextCtrl;
class wxWindow;

// A path the toolkit gave as program text: nullopt, after a box that says why, when program text
// (cp1252) cannot hold it.
std::optional<std::string> RecordPathFromDialog(const std::filesystem::path& chosen);

struct FileRowControls {
    wxCheckBox* send = nullptr;
    wxStaticText* label = nullptr;
    wxTextCtrl* path = nullptr;
    wxButton* browse = nullptr;

    // Creates the four controls as children of parent, appends them to row and loads them.
    void Create(wxWindow* parent, wxBoxSizer* row, CFitxer& fitxer);
    // Forgets the controls (their owner destroys them with its sizer).
    void Forget() { *this = FileRowControls(); }
    bool Exists() const { return path != nullptr; }
    // Path field and send box from the file.
    void Update(CFitxer& fitxer);
    // Path field and send box into the file. A typed path that program text cannot hold is
    // refused with a box (false, the old path stays); a changed path marks the installation
    // modified through the edit view hosting host.
    bool Store(wxWindow* host, CFitxer& fitxer);
    // The open-file dialog: the chosen file becomes the file's path and is marked to be sent.
    void Browse(wxWindow* host, CFitxer& fitxer, const std::string& message, const std::string& wildcard);
};

// Sets the file's path: true when it changed, and then the installation is marked modified
// (dropping the loaded data is CFitxer's own rule).
bool ChangeFitxerPath(wxWindow* host, CFitxer& fitxer, const std::string& recordPath);

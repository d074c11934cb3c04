// CPanelWebserver: the row of a file-group panel for the web server's flash image. Besides the
// send box and the path of a file row it shows the header of the image the path holds, and builds
// a new image from a folder of web pages with the flash-image library, which it loads for that
// one build.
#pragma once

#include <array>
#include <filesystem>

#include <wx/panel.h>

#include "panels/filerow.h"
#include "panels/flashtext.h"

class wxBoxSizer;

class CPanelWebserver : public wxPanel {
public:
    CPanelWebserver(wxWindow* parent, wxWindowID id = wxID_ANY, const wxPoint& pos = wxDefaultPosition,
                    const wxSize& size = wxDefaultSize, long style = wxTAB_TRAVERSAL,
                    const wxString& name = wxT("scrolledWindow"));
    ~CPanelWebserver() override;

    // Binds the file (not owned) and builds the controls; true.
    bool SetFitxer(CFitxer* fitxer);
    CFitxer* GetFitxer() const { return fitxer_; }
    // Path, send box and the image's header from the file; false without a file.
    bool UpdateControls();
    // Path and send box into the file; false without a file or for a path refused.
    bool StoreControls();
    // Forgets the file and deletes the controls.
    void Clear();

    // The controls (null while none is built), for the window's tests.
    const FileRowControls& GetRow() const { return row_; }
    wxTextCtrl* GetFolderField() const { return folder_; }
    wxButton* GetFolderButton() const { return chooseFolder_; }
    wxButton* GetCompileButton() const { return compile_; }
    wxStaticText* GetValue(std::size_t field) const { return field < values_.size() ? values_[field] : nullptr; }

private:
    void Build();
    void DeleteControls();
    void OnBrowse(wxCommandEvent& event);
    void OnSelectDir(wxCommandEvent& event);
    void OnCompile(wxCommandEvent& event);

    CFitxer* fitxer_ = nullptr;
    FileRowControls row_;
    std::array<wxStaticText*, kImageHeaderFields> values_{};
    wxTextCtrl* folder_ = nullptr;
    wxButton* chooseFolder_ = nullptr;
    wxButton* compile_ = nullptr;
};

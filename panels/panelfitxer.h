// CPanelFitxer: one row of a file-group panel for one flash file: a check box that marks the
// file for the next upload, its number and name, the path of the file on the PC and
// "Examinar..." to pick it.
#pragma once

#include <wx/panel.h>

#include "panels/filerow.h"

class CPanelFitxer : public wxPanel {
public:
    CPanelFitxer(wxWindow* parent, wxWindowID id = wxID_ANY, const wxPoint& pos = wxDefaultPosition,
                 const wxSize& size = wxDefaultSize, long style = wxTAB_TRAVERSAL,
                 const wxString& name = wxT("scrolledWindow"));
    ~CPanelFitxer() override;

    // Binds the file (not owned) and builds the controls; true.
    bool SetFitxer(CFitxer* fitxer);
    CFitxer* GetFitxer() const { return fitxer_; }
    // Path field and send box from the file; false without a file.
    bool UpdateControls();
    // Path field and send box into the file; false without a file, or when the typed path cannot
    // be held as program text (it is then refused with a message and the old path stays).
    bool StoreControls();
    // Forgets the file and deletes the controls.
    void Clear();

    // The controls (null while none is built), for the window's tests.
    const FileRowControls& GetRow() const { return row_; }

private:
    void Build();
    void DeleteControls();
    void OnBrowse(wxCommandEvent& event);

    CFitxer* fitxer_ = nullptr;
    FileRowControls row_;
};


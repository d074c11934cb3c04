// CPanelCodi: edits one programming code in the edit view. A bitmask code is a titled box of
// eight check boxes, one per bit; any other code a row of its title and a value field.
#pragma once

#include <vector>

#include <wx/panel.h>

class CCodi;
class wxCheckBox;
class wxCommandEvent;
class wxStaticText;
class wxTextCtrl;

class CPanelCodi : public wxPanel {
public:
    CPanelCodi(wxWindow* parent, wxWindowID id = wxID_ANY, const wxPoint& pos = wxDefaultPosition,
               const wxSize& size = wxDefaultSize, long style = wxTAB_TRAVERSAL,
               const wxString& name = wxT("scrolledWindow"));
    ~CPanelCodi() override;

    // Binds the code (not owned) and builds the controls from it.
    bool SetCodi(CCodi* codi);
    CCodi* GetCodi() const { return codi_; }
    // Forgets the code and deletes the controls.
    void Clear();
    void Build();
    // Code to controls; false without a code or its controls.
    bool UpdateControls();
    // Controls to code; false without a code or its controls, and when the code refuses the
    // value (then the controls show the code's value again). A read-only code is left alone.
    bool StoreControls();

    // The controls, for the window's tests.
    wxTextCtrl* GetValueField() const { return value_; }
    wxStaticText* GetTitleLabel() const { return label_; }
    const std::vector<wxCheckBox*>& GetCheckBoxes() const { return boxes_; }

private:
    void DeleteControls();
    void OnTextEnter(wxCommandEvent& event);

    CCodi* codi_ = nullptr;
    wxTextCtrl* value_ = nullptr;
    wxStaticText* label_ = nullptr;
    std::vector<wxCheckBox*> boxes_;
};

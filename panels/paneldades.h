// CPanelDades: the form of the "Datos" node, the installation and customer data and the link
// settings of the installation (CDades). Nothing reacts to an edit until the edit view makes the
// panel store its controls.
#pragma once

#include <array>

#include <wx/panel.h>

#include "panels/dadesform.h"

class CDades;
class wxCheckBox;
class wxComboBox;
class wxStaticText;
class wxTextCtrl;

class CPanelDades : public wxPanel {
public:
    CPanelDades(wxWindow* parent, wxWindowID id = wxID_ANY, const wxPoint& pos = wxDefaultPosition,
                const wxSize& size = wxDefaultSize, long style = wxTAB_TRAVERSAL,
                const wxString& name = wxT("scrolledWindow"));
    ~CPanelDades() override;

    // Binds the record (not owned) and builds the form from it.
    bool SetDades(CDades* dades);
    CDades* GetDades() const { return dades_; }
    // Forgets the record and deletes the form.
    void Clear();
    void Build();
    // Record to controls; false without a record or a built form.
    bool UpdateControls();
    // Controls to record; false without a record or a built form, and when a field was refused
    // (it then shows the record's value again). A change marks the installation modified.
    bool StoreControls();

    // The controls, for the window's tests.
    wxTextCtrl* GetField(DadesText field) const;
    wxComboBox* GetKindCombo() const { return kind_; }
    wxCheckBox* GetCallbackBox() const { return callback_; }
    wxCheckBox* GetEspecialBox() const { return especial_; }

    void DeleteControls();

private:
    wxStaticText* MakeLabel(const wxString& text);
    wxTextCtrl* MakeField(const wxString& text);
    void ShowForm(const DadesForm& form);
    void ShowText(std::size_t field, const wxString& text);
    bool IsBuilt() const;

    CDades* dades_ = nullptr;
    std::array<wxTextCtrl*, kDadesTextCount> fields_{};
    std::array<wxString, kDadesTextCount> shown_;  // each field's text as last shown from the record
    std::array<wxSizer*, kDadesTextCount> rows_{};
    wxSizer* kindRow_ = nullptr;
    wxComboBox* kind_ = nullptr;
    wxCheckBox* callback_ = nullptr;
    wxCheckBox* especial_ = nullptr;
};

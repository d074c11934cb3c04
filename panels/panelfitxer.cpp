#include "panels/panelfitxer.h"

#include <wx/button.h>
#include <wx/sizer.h>

#include "panels/paneledit.h"

CPanelFitxer::CPanelFitxer(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size, long style,
                           const wxString& name)
    : wxPanel(parent, id, pos, size == wxDefaultSize ? wxSize(300, 25) : size, style, name) {
    SetSizer(new wxBoxSizer(wxHORIZONTAL));
}

CPanelFitxer::~CPanelFitxer() { DeleteControls(); }

bool CPanelFitxer::SetFitxer(CFitxer* fitxer) {
    fitxer_ = fitxer;
    Build();
    return true;
}

void CPanelFitxer::Build() {
    DeleteControls();
    if (!fitxer_) return;
    SetBackgroundColour(wxColour(221, 221, 221));
    row_.Create(this, static_cast<wxBoxSizer*>(GetSizer()), *fitxer_);
    row_.browse->Bind(wxEVT_BUTTON, &CPanelFitxer::OnBrowse, this);
    // The row is as tall as its controls, not its initial size.
    SetMinSize(wxDefaultSize);
    Layout();
}

void CPanelFitxer::DeleteControls() {
    // Every control of the row goes, the button too, so a rebuild leaves nothing behind.
    DestroyPanelControls(this);
    row_.Forget();
}

bool CPanelFitxer::UpdateControls() {
    if (!fitxer_) return false;
    row_.Update(*fitxer_);
    return true;
}

bool CPanelFitxer::StoreControls() {
    if (!fitxer_) return false;
    return row_.Store(this, *fitxer_);
}

void CPanelFitxer::Clear() {
    fitxer_ = nullptr;
    DeleteControls();
}

void CPanelFitxer::OnBrowse(wxCommandEvent&) {
    // Every file is offered: on this platform "*.*" would hide the names without a dot.
    if (fitxer_) row_.Browse(this, *fitxer_, "Flash file", "*");
}

#include "panels/panelmesura.h"

#include <wx/sizer.h>
#include <wx/stattext.h>

#include "datamodel/mesura.h"
#include "panels/wxtext.h"

CPanelMesura::CPanelMesura(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size, long style,
                           const wxString& name)
    : wxPanel(parent, id, pos, size == wxDefaultSize ? wxSize(300, 25) : size, style, name) {
    sizer_ = new wxBoxSizer(wxHORIZONTAL);
    SetSizer(sizer_);
}

CPanelMesura::~CPanelMesura() { DeleteControls(); }

bool CPanelMesura::SetMesura(CMesura* record) {
    record_ = record;
    Build();
    return true;
}

void CPanelMesura::Build() {
    if (!record_) return;
    DeleteControls();
    SetBackgroundColour(wxColour(221, 221, 221));
    // Both labels start one pixel wide, so the proportions share the width 3 : 2.
    caption_ = new wxStaticText(this, wxID_ANY, ToWx(record_->GetDescr()), wxDefaultPosition, wxSize(1, -1),
                                wxNO_BORDER | wxST_NO_AUTORESIZE);
    // The value is right-aligned inside its label (an item of a row cannot be right-aligned).
    value_ = new wxStaticText(this, wxID_ANY, wxEmptyString, wxDefaultPosition, wxSize(1, -1),
                              wxSIMPLE_BORDER | wxST_NO_AUTORESIZE | wxALIGN_RIGHT);
    UpdateControls();
    sizer_->Add(caption_, wxSizerFlags(3).CentreVertical().Border(wxLEFT, 5));
    sizer_->Add(value_, wxSizerFlags(2).CentreVertical().Border(wxLEFT, 2));
    sizer_->AddSpacer(5);  // the value's last character off the edge
    sizer_->Layout();
}

bool CPanelMesura::UpdateControls() {
    if (!record_) return false;
    // A measure never read shows "-" like one that cannot be computed: a type that needs no
    // reference (the temperature, an output) would otherwise show the value of raw byte 0.
    const std::string text = record_->IsRead() && record_->Compute() ? record_->FormatText() : std::string("-");
    if (value_) value_->SetLabel(ToWx(text));
    return true;
}

void CPanelMesura::Clear() {
    record_ = nullptr;
    DeleteControls();
}

void CPanelMesura::DeleteControls() {
    // Destroying a window takes it out of the sizer as well.
    if (caption_) caption_->Destroy();
    if (value_) value_->Destroy();
    caption_ = value_ = nullptr;
    if (sizer_) sizer_->Clear(false);
}

#include "ui/keypad.h"

#include <wx/bmpbuttn.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "core/appcore.h"
#include "panels/dialogs.h"
#include "panels/wxtext.h"
#include "ui/ids.h"
#include "ui/images.h"

CPanelKeyPad::CPanelKeyPad(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size, long style,
                           const wxString& name)
    : wxPanel(parent, id, pos, size == wxDefaultSize ? wxSize(300, 30) : size, style, name) {
    grup_.AddCodi(&codi_);
    grup_.SetDest("000");
    Build();
}

CPanelKeyPad::~CPanelKeyPad() = default;

void CPanelKeyPad::Build() {
    auto* row = new wxBoxSizer(wxHORIZONTAL);
    SetSizer(row);
    const wxSizerFlags label = wxSizerFlags().CentreVertical().Border(wxLEFT | wxRIGHT, 4);
    const wxSizerFlags field = wxSizerFlags().CentreVertical().Border(wxALL, 2);
    auto addLabel = [&](const char* text, int proportion) {
        row->Add(new wxStaticText(this, wxID_ANY, ToWx(text), wxDefaultPosition, wxDefaultSize, wxALIGN_RIGHT),
                 wxSizerFlags(label).Proportion(proportion));
    };
    auto addField = [&](int proportion) {
        auto* ctrl = new wxTextCtrl(this, wxID_ANY);
        row->Add(ctrl, wxSizerFlags(field).Proportion(proportion));
        return ctrl;
    };
    addLabel("Dirección bus:", 1);
    address_ = addField(1);
    addLabel("Código de teclado:", 3);
    keyCode_ = addField(2);
    receive_ = new wxBitmapButton(this, ID_KEYPAD_RECEIVE, PictureOrBlank("icons/keypad/back.png", 24));
    row->Add(receive_, field);
    addLabel("Valor:", 3);
    value_ = addField(3);
    send_ = new wxBitmapButton(this, ID_KEYPAD_SEND, PictureOrBlank("icons/keypad/forward.png", 24));
    row->Add(send_, field);
    receive_->SetToolTip(wxT("Recibir"));
    send_->SetToolTip(wxT("Enviar"));
    Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { Receive(); }, ID_KEYPAD_RECEIVE);
    Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { Send(); }, ID_KEYPAD_SEND);
    row->Layout();
    UpdateControls();
}

bool CPanelKeyPad::StoreControls() {
    if (!address_) return false;
    codi_.Clear();
    grup_.SetDest(FromWx(address_->GetValue()));
    codi_.SetKpAddress(FromWx(keyCode_->GetValue()));
    codi_.SetValue(FromWx(value_->GetValue()));
    return true;
}

bool CPanelKeyPad::UpdateControls() {
    if (!address_) return false;
    address_->ChangeValue(ToWx(grup_.GetDest()));
    keyCode_->ChangeValue(ToWx(codi_.GetKpAddress()));
    value_->ChangeValue(ToWx(codi_.GetValue()));
    return true;
}

void CPanelKeyPad::Receive() {
    StoreControls();
    if (!core_) return;
    const bool read = core_->ReceiveGrup(&grup_);
    if (!read) {
        // Nothing was read: the value typed or read before belongs to another code, so it goes
        // (before the box, which it would otherwise stand beside). The keypad number stays.
        const std::string keyCode = codi_.GetKpAddress();
        codi_.Clear();
        codi_.SetKpAddress(keyCode);
    }
    UpdateControls();
    if (!read) ShowCoreError(core_, core_->GetLastError());
}

void CPanelKeyPad::Send() {
    StoreControls();
    UpdateControls();
    if (!core_) return;
    if (!core_->SendGrup(&grup_)) ShowCoreError(core_, core_->GetLastError());
}

void CPanelKeyPad::SetControlsEnabled(bool on) {
    for (wxWindow* w : {static_cast<wxWindow*>(address_), static_cast<wxWindow*>(keyCode_),
                        static_cast<wxWindow*>(value_), static_cast<wxWindow*>(receive_),
                        static_cast<wxWindow*>(send_)}) {
        if (w) w->Enable(on);
    }
}

// ---- legend ----

CPanelLlegenda::CPanelLlegenda(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size, long style,
                               const wxString& name)
    : wxPanel(parent, id, pos, size, style, name) {
    SetSizer(new wxBoxSizer(wxVERTICAL));
}

void CPanelLlegenda::SetText(const wxString& text) {
    if (!text_) {
        text_ = new wxStaticText(this, wxID_ANY, wxEmptyString);
        GetSizer()->Add(text_, wxSizerFlags().Border(wxALL, 4));
    }
    text_->SetLabel(text);
    text_->SetFont(wxFont(12, wxFONTFAMILY_SWISS, wxFONTSTYLE_NORMAL, wxFONTWEIGHT_NORMAL, false, wxT("Arial")));
    GetSizer()->Layout();
}

void CPanelLlegenda::Clear() {
    if (text_) {
        text_->Destroy();  // leaves the sizer with it
        text_ = nullptr;
    }
    GetSizer()->Layout();
    Refresh();
}

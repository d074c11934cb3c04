#include "panels/panelcodi.h"

#include <wx/checkbox.h>
#include <wx/sizer.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "datamodel/codi.h"
#include "datamodel/codifit.h"
#include "panels/codiform.h"
#include "panels/dialogs.h"
#include "panels/editrefusal.h"
#include "panels/paneledit.h"
#include "panels/wxtext.h"

CPanelCodi::CPanelCodi(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size, long style,
                       const wxString& name)
    : wxPanel(parent, id, pos, size == wxDefaultSize ? wxSize(300, 25) : size, style, name) {
    SetSizer(new wxBoxSizer(wxHORIZONTAL));
    Bind(wxEVT_TEXT_ENTER, &CPanelCodi::OnTextEnter, this);
}

CPanelCodi::~CPanelCodi() { DeleteControls(); }

bool CPanelCodi::SetCodi(CCodi* codi) {
    codi_ = codi;
    Build();
    return true;
}

void CPanelCodi::Clear() {
    codi_ = nullptr;
    DeleteControls();
}

void CPanelCodi::DeleteControls() {
    DestroyPanelControls(this);
    value_ = nullptr;
    label_ = nullptr;
    boxes_.clear();
}

void CPanelCodi::Build() {
    if (!codi_) return;
    DeleteControls();
    SetBackgroundColour(wxColour(221, 221, 221));
    wxSizer* row = GetSizer();
    const wxString title = ToWx(CodiTitle(*codi_));
    if (codi_->GetType() == CodiBitmask) {
        auto* box = new wxStaticBoxSizer(wxHORIZONTAL, this, title);
        auto* bits = new wxBoxSizer(wxVERTICAL);
        const auto ticked = CodiBits(*codi_);
        for (int i = 0; i < 8; ++i) {
            auto* check = new wxCheckBox(box->GetStaticBox(), wxID_ANY, ToWx(codi_->GetOption(i)), wxDefaultPosition,
                                         wxDefaultSize, wxNO_BORDER);
            check->SetValue(ticked[static_cast<std::size_t>(i)]);
            // A read-only code cannot be changed here either.
            check->Enable(codi_->IsEditable());
            bits->Add(check, wxSizerFlags(0));
            boxes_.push_back(check);
        }
        box->Add(bits, wxSizerFlags(1).Expand());
        row->Add(box, wxSizerFlags(1).Expand());
    } else {
        label_ = new wxStaticText(this, wxID_ANY, title, wxDefaultPosition, wxDefaultSize,
                                  wxNO_BORDER | wxST_NO_AUTORESIZE);
        long style = wxSUNKEN_BORDER | wxTE_PROCESS_ENTER;
        if (!codi_->IsEditable()) style |= wxTE_READONLY;
        value_ = new wxTextCtrl(this, wxID_ANY, ToWx(codi_->GetValue()), wxDefaultPosition, wxDefaultSize, style);
        if (codi_->GetTextLength() > 0) value_->SetMaxLength(static_cast<unsigned long>(codi_->GetTextLength()));
        row->Add(label_, wxSizerFlags(3).CentreVertical());
        row->Add(value_, wxSizerFlags(2).CentreVertical().Border(wxLEFT, 2));
    }
    // The default size is where the panel starts; its height is what the controls need, or the
    // eight boxes would be cut.
    SetMinSize(wxDefaultSize);
    row->Layout();
}

bool CPanelCodi::UpdateControls() {
    if (!codi_) return false;
    if (codi_->GetType() == CodiBitmask) {
        if (boxes_.size() != 8) return false;
        const auto ticked = CodiBits(*codi_);
        for (std::size_t i = 0; i < 8; ++i) boxes_[i]->SetValue(ticked[i]);
        return true;
    }
    if (!value_) return false;
    value_->ChangeValue(ToWx(codi_->GetValue()));
    return true;
}

bool CPanelCodi::StoreControls() {
    if (!codi_) return false;
    if (codi_->GetType() == CodiBitmask) {
        if (boxes_.size() != 8) return false;
        if (!codi_->IsEditable()) return true;
        std::array<bool, 8> ticked{};
        for (std::size_t i = 0; i < 8; ++i) ticked[i] = boxes_[i]->GetValue();
        CCodi::RawBytes bytes = codi_->ToBytes();
        bytes[0] = ByteOfBits(ticked);
        if (codi_->FromBytes(bytes)) return true;
        UpdateControls();
        return false;
    }
    if (!value_) return false;
    if (!codi_->IsEditable()) return true;
    bool lossless = true;
    const std::string typed = FromWx(value_->GetValue(), &lossless);
    // A character the code's text cannot carry would be stored as "?": the value is refused and
    // the field shows the code's value again, so the next store has nothing to refuse.
    if (!lossless) {
        UpdateControls();
        GetDialogs().Error(UnholdableValueText(CodiFieldName(*codi_), typed, codi_->GetValue()));
        return false;
    }
    // A text the code would show as another value (a number above 255, a time off the quarter
    // hour, a letter in a hexadecimal code) is refused the same way: the code keeps its value.
    if (typed != codi_->GetValue() && !CodiShowsTyped(*codi_, typed)) {
        UpdateControls();
        GetDialogs().Error(UnfitValueText(CodiFieldName(*codi_), typed, CodiAcceptedText(*codi_), codi_->GetValue()));
        return false;
    }
    codi_->SetValue(typed);
    return true;
}

void CPanelCodi::OnTextEnter(wxCommandEvent&) {
    if (value_) value_->SetFocus();
}

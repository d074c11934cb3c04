#include "panels/paneldades.h"

#include <wx/checkbox.h>
#include <wx/combobox.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "datamodel/dades.h"
#include "panels/dialogs.h"
#include "panels/paneledit.h"
#include "panels/wxtext.h"

namespace {

// The fields in the order the form shows them, top to bottom (the link kind after the e-mail).
constexpr std::array<DadesText, 5> kTopRows{DadesNomInstal, DadesNomClient, DadesDireccio, DadesTelefon, DadesEmail};
constexpr std::array<DadesText, 8> kBottomRows{DadesTelfConexio, DadesTelfConexioCSD, DadesIpDest, DadesIpPort,
                                               DadesIpGprsDest, DadesIpGprsPort, DadesIpCraLnkDest,
                                               DadesIpCraLnkPort};

wxSizerFlags RowFlags() { return wxSizerFlags(0).Expand().Border(wxALL, 1); }

}  // namespace

CPanelDades::CPanelDades(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size, long style,
                         const wxString& name)
    : wxPanel(parent, id, pos, size == wxDefaultSize ? wxSize(350, 30) : size, style, name) {
    SetSizer(new wxBoxSizer(wxVERTICAL));
}

CPanelDades::~CPanelDades() { DeleteControls(); }

bool CPanelDades::SetDades(CDades* dades) {
    dades_ = dades;
    Build();
    return true;
}

void CPanelDades::Clear() {
    dades_ = nullptr;
    DeleteControls();
}

void CPanelDades::DeleteControls() {
    DestroyPanelControls(this);
    fields_.fill(nullptr);
    rows_.fill(nullptr);
    kindRow_ = nullptr;
    kind_ = nullptr;
    callback_ = nullptr;
    especial_ = nullptr;
}

wxStaticText* CPanelDades::MakeLabel(const wxString& text) {
    return new wxStaticText(this, wxID_ANY, text, wxDefaultPosition, FromDIP(wxSize(145, 21)),
                            wxNO_BORDER | wxST_NO_AUTORESIZE);
}

wxTextCtrl* CPanelDades::MakeField(const wxString& text) {
    return new wxTextCtrl(this, wxID_ANY, text, wxDefaultPosition, FromDIP(wxSize(145, 21)), wxSUNKEN_BORDER);
}

void CPanelDades::Build() {
    if (!dades_) return;
    DeleteControls();
    SetBackgroundColour(wxColour(221, 221, 221));
    const DadesForm form = FormOfDades(*dades_);
    auto textRow = [&](DadesText field) {
        auto* row = new wxBoxSizer(wxHORIZONTAL);
        const auto i = static_cast<std::size_t>(field);
        row->Add(MakeLabel(ToWx(DadesTextLabel(field))), wxSizerFlags(3).Centre());
        fields_[i] = MakeField(ToWx(form.texts[i].value_or(std::string())));
        shown_[i] = fields_[i]->GetValue();
        row->Add(fields_[i], wxSizerFlags(2).CentreVertical().Border(wxLEFT, 2));
        row->Layout();
        rows_[i] = row;
    };
    // Created in the form's tab order: the customer, the two dial numbers, the link kind and
    // baud rate, the two flags, then the addresses and ports.
    for (DadesText f : kTopRows) textRow(f);
    textRow(DadesTelfConexio);
    textRow(DadesTelfConexioCSD);

    kindRow_ = new wxBoxSizer(wxHORIZONTAL);
    kindRow_->Add(MakeLabel(ToWx(kDadesKindLabel)), wxSizerFlags(3).Centre());
    wxArrayString entries;
    for (const char* entry : kLinkKindEntries) entries.Add(ToWx(entry));
    kind_ = new wxComboBox(this, wxID_ANY, ToWx("Elegir tipo conexión"), wxDefaultPosition, wxDefaultSize, entries,
                           wxCB_DROPDOWN | wxCB_READONLY);
    kind_->SetSelection(form.kindEntry);
    kindRow_->Add(kind_, wxSizerFlags(2).CentreVertical().Border(wxLEFT, 2));
    kindRow_->Layout();
    textRow(DadesBaudRate);

    callback_ = new wxCheckBox(this, wxID_ANY, ToWx(kDadesCallbackLabel));
    callback_->SetValue(form.callback);
    especial_ = new wxCheckBox(this, wxID_ANY, ToWx(kDadesEspecialLabel));
    especial_->SetValue(form.especial);
    for (std::size_t i = 2; i < kBottomRows.size(); ++i) textRow(kBottomRows[i]);

    wxSizer* sizer = GetSizer();
    for (DadesText f : kTopRows) sizer->Add(rows_[static_cast<std::size_t>(f)], RowFlags());
    sizer->Add(kindRow_, RowFlags());
    sizer->Add(rows_[DadesBaudRate], RowFlags());
    for (DadesText f : kBottomRows) sizer->Add(rows_[static_cast<std::size_t>(f)], RowFlags());
    sizer->Add(callback_, RowFlags());
    sizer->Add(especial_, RowFlags());
    // The default size is where the panel starts; its height is what the rows need.
    SetMinSize(wxDefaultSize);
    sizer->Layout();
}

bool CPanelDades::IsBuilt() const {
    for (DadesText f : kTopRows)
        if (!fields_[static_cast<std::size_t>(f)]) return false;
    return kind_ && callback_ && especial_;
}

wxTextCtrl* CPanelDades::GetField(DadesText field) const {
    return field >= 0 && field < kDadesTextCount ? fields_[static_cast<std::size_t>(field)] : nullptr;
}

void CPanelDades::ShowText(std::size_t i, const wxString& text) {
    fields_[i]->ChangeValue(text);
    // What the field holds may differ from the record's text (the toolkit cuts a text longer
    // than a field can hold): that is what a store compares with.
    shown_[i] = fields_[i]->GetValue();
}

void CPanelDades::ShowForm(const DadesForm& form) {
    for (std::size_t i = 0; i < fields_.size(); ++i)
        if (fields_[i] && form.texts[i]) ShowText(i, ToWx(*form.texts[i]));
    kind_->SetSelection(form.kindEntry);
    callback_->SetValue(form.callback);
    especial_->SetValue(form.especial);
}

bool CPanelDades::UpdateControls() {
    if (!dades_ || !IsBuilt()) return false;
    ShowForm(FormOfDades(*dades_));
    return true;
}

bool CPanelDades::StoreControls() {
    if (!dades_ || !IsBuilt()) return false;
    DadesForm form;
    std::array<std::string, kDadesTextCount> typed;
    const DadesForm record = FormOfDades(*dades_);
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        if (!fields_[i]) continue;
        // A field the installer did not edit keeps the record's value: its text as shown may be
        // cut, or hold a character the record cannot carry.
        if (fields_[i]->GetValue() == shown_[i]) {
            form.texts[i] = record.texts[i];
            typed[i] = record.texts[i].value_or(std::string());
            continue;
        }
        bool lossless = true;
        typed[i] = FromWx(fields_[i]->GetValue(), &lossless);
        if (lossless) form.texts[i] = typed[i];
    }
    // With no entry chosen (a stored kind outside the list) the kind stays as it was.
    form.kindEntry = kind_->GetSelection();
    form.callback = callback_->GetValue();
    form.especial = especial_->GetValue();
    const DadesStoreResult result = StoreDadesForm(form, *dades_);
    // The record is edited in place: the installation must know it changed, or closing would
    // not ask to save.
    if (result.changed) MarkInstallationModified(this);
    if (result.refused.empty()) return true;
    // The refused fields show the record's values again, so the next store (the edit view stores
    // several times around one command) finds nothing to refuse: the installer is told once.
    const DadesForm stored = FormOfDades(*dades_);
    for (DadesText f : result.refused) {
        const auto i = static_cast<std::size_t>(f);
        if (fields_[i]) ShowText(i, ToWx(stored.texts[i].value_or(std::string())));
    }
    GetDialogs().Error(DadesRefusalText(typed, form, result, *dades_));
    return false;
}

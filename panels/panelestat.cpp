#include "panels/panelestat.h"

#include <wx/bmpbuttn.h>
#include <wx/button.h>
#include <wx/checklst.h>
#include <wx/font.h>
#include <wx/listctrl.h>
#include <wx/sizer.h>
#include <wx/statbmp.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/wrapsizer.h>

#include "datamodel/estat.h"
#include "panels/paneledit.h"
#include "panels/picturefile.h"
#include "panels/wxtext.h"

namespace {

const wxColour kBypassedColour(238, 238, 238);
const wxColour kAlarmColour(255, 170, 170);
const wxColour kDetectingColour(255, 221, 170);
const wxColour kTroubleColour(204, 204, 255);

wxFont ArialFont(int points) {
    return wxFont(points, wxFONTFAMILY_SWISS, wxFONTSTYLE_NORMAL, wxFONTWEIGHT_NORMAL, false, wxT("Arial"));
}

wxStaticBitmap* Icon(wxWindow* parent, const char* picture) {
    return new wxStaticBitmap(parent, wxID_ANY, LoadPicture(picture, true));
}

}  // namespace

CPanelEstat::CPanelEstat(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size, long style,
                         const wxString& name)
    : wxPanel(parent, id, pos, size == wxDefaultSize ? wxSize(350, 30) : size, style, name) {
    // The default size is where the panel starts; the sizer decides how much room it needs.
    SetMinSize(wxDefaultSize);
    zoneNames_ = MakeNames(nullptr, kZoneWord);
    areaNames_ = MakeNames(nullptr, kAreaWord);
    outputNames_ = MakeNames(nullptr, kOutputWord);
    Bind(wxEVT_BUTTON, &CPanelEstat::OnSyncClock, this, ID_SYNC_CLOCK);
    Bind(wxEVT_BUTTON, &CPanelEstat::OnSetClock, this, ID_SET_CLOCK);
    Bind(wxEVT_BUTTON, &CPanelEstat::OnBypassZones, this, ID_BYPASS_ZONES);
    Bind(wxEVT_BUTTON, &CPanelEstat::OnUnbypassZones, this, ID_UNBYPASS_ZONES);
    Bind(wxEVT_BUTTON, &CPanelEstat::OnArmAreas, this, ID_ARM_AREAS);
    Bind(wxEVT_BUTTON, &CPanelEstat::OnDisarmAreas, this, ID_DISARM_AREAS);
    Bind(wxEVT_BUTTON, &CPanelEstat::OnOutputsOn, this, ID_OUTPUTS_ON);
    Bind(wxEVT_BUTTON, &CPanelEstat::OnOutputsOff, this, ID_OUTPUTS_OFF);
    Bind(wxEVT_BUTTON, &CPanelEstat::OnPhoneTest, this, ID_PHONE_TEST);
}

// The controls are children of the panel and go with it; the record is left alone.
CPanelEstat::~CPanelEstat() = default;

bool CPanelEstat::SetNames(CGrup* zones, CGrup* areas, CGrup* outputs) {
    zoneNames_ = MakeNames(zones, kZoneWord);
    areaNames_ = MakeNames(areas, kAreaWord);
    outputNames_ = MakeNames(outputs, kOutputWord);
    return true;
}

bool CPanelEstat::SetEstat(CEstat* record) {
    record_ = record;
    CreateControls();
    return true;
}

void CPanelEstat::DeleteControls() {
    DestroyPanelControls(this);
    timeText_ = dateText_ = coverageText_ = nullptr;
    bars_.fill(nullptr);
    zoneList_ = nullptr;
    areaList_ = outputList_ = nullptr;
    warningIcons_.fill(nullptr);
    warningTexts_.fill(nullptr);
}

wxStaticText* CPanelEstat::Label(wxWindow* parent, const wxString& text) {
    auto* label = new wxStaticText(parent, wxID_ANY, text);
    label->SetFont(ArialFont(11));
    return label;
}

void CPanelEstat::CreateControls() {
    if (!record_) return;
    DeleteControls();
    full_ = record_->HasGeneral();

    auto* panel = new wxBoxSizer(wxVERTICAL);
    wxSizer* clockRow = CreateClockRow(full_);
    if (!full_) {
        UpdateControls();
        panel->Add(clockRow, wxSizerFlags(0).Expand().Border(wxALL, 2));
        SetSizer(panel);
        Layout();
        return;
    }

    zoneList_ = new wxListCtrl(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxLC_REPORT | wxLC_HRULES);
    wxSizer* zoneButtons = CreateButtonRow(wxT("Zonas seleccionadas:"), ID_BYPASS_ZONES, "icons/estat/omit.png",
                                           wxT("Omitir"), ID_UNBYPASS_ZONES, "icons/estat/noomit.png", wxT("Activar"), 4);
    wxButton* phoneTest = nullptr;
    if (record_->HasPhoneTest()) phoneTest = new wxButton(this, ID_PHONE_TEST, wxT("Enviar test telefónico"));

    areaList_ = new wxCheckListBox(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, 0, nullptr, wxLB_NEEDED_SB);
    wxSizer* areaButtons = CreateButtonRow(wxT("Areas seleccionadas:"), ID_ARM_AREAS, "icons/estat/armed.png",
                                           wxT("Conectar"), ID_DISARM_AREAS, "icons/estat/disarmed.png",
                                           wxT("Desconectar"), 3);
    outputList_ = new wxCheckListBox(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, 0, nullptr, wxLB_NEEDED_SB);
    wxSizer* outputButtons = CreateButtonRow(wxT("Salidas seleccionadas:"), ID_OUTPUTS_ON, "icons/estat/noomit.png",
                                             wxT("Activar"), ID_OUTPUTS_OFF, "icons/estat/omit.png",
                                             wxT("Desactivar"), 3);
    wxSizer* warnings = CreateWarningBox();

    // Loaded once every control exists, before the sizers are filled.
    UpdateControls();

    auto* zoneColumn = new wxBoxSizer(wxVERTICAL);
    zoneColumn->Add(zoneList_, wxSizerFlags(1).Expand().Border(wxBOTTOM, 2));
    zoneColumn->Add(zoneButtons, wxSizerFlags(0).Expand().Border(wxBOTTOM, 2));
    if (phoneTest) zoneColumn->Add(phoneTest, wxSizerFlags(0).Expand().Border(wxTOP | wxBOTTOM, 10));

    auto* areaColumn = new wxBoxSizer(wxVERTICAL);
    areaColumn->Add(areaList_, wxSizerFlags(1).Expand().Border(wxBOTTOM, 2));
    areaColumn->Add(areaButtons, wxSizerFlags(0).Expand().Border(wxBOTTOM, 10));
    areaColumn->Add(outputList_, wxSizerFlags(1).Expand().Border(wxBOTTOM, 2));
    areaColumn->Add(outputButtons, wxSizerFlags(0).Expand().Border(wxBOTTOM, 2));

    auto* mainRow = new wxBoxSizer(wxHORIZONTAL);
    mainRow->Add(zoneColumn, wxSizerFlags(1).Expand().Border(wxRIGHT, 10));
    mainRow->Add(areaColumn, wxSizerFlags(1).Expand());

    panel->Add(clockRow, wxSizerFlags(0).Expand().Border(wxALL, 2));
    panel->Add(mainRow, wxSizerFlags(1).Expand().Border(wxALL, 2));
    panel->Add(warnings, wxSizerFlags(0).Expand().Border(wxALL, 2));
    SetSizer(panel);
    Layout();
}

wxSizer* CPanelEstat::CreateClockRow(bool full) {
    timeText_ = new wxStaticText(this, wxID_ANY, wxEmptyString);
    timeText_->SetFont(ArialFont(12));
    dateText_ = new wxStaticText(this, wxID_ANY, wxEmptyString);
    dateText_->SetFont(ArialFont(12));

    // One row at the usual window widths (the buttons only as wide as their texts, so that it
    // fits beside a 150-pixel tree in a 1000-pixel window); on a narrower view the row wraps, the
    // coverage with its bars going below, instead of being cut.
    // The toolkit's default would stretch the last control of each line over the spare width.
    auto* row = new wxWrapSizer(wxHORIZONTAL, wxREMOVE_LEADING_SPACES);
    row->Add(Icon(this, "icons/estat/clock.png"), wxSizerFlags(0).Border(wxRIGHT, 5));
    row->Add(timeText_, wxSizerFlags(0).Expand().Border(wxRIGHT, 30));
    row->Add(Icon(this, "icons/estat/date.png"), wxSizerFlags(0).Border(wxRIGHT, 5));
    row->Add(dateText_, wxSizerFlags(0).Expand());
    row->Add(new wxButton(this, ID_SYNC_CLOCK, wxT("Sincronizar fecha y hora con el PC"), wxDefaultPosition,
                          wxDefaultSize, wxBU_EXACTFIT),
             wxSizerFlags(0).Border(wxLEFT | wxRIGHT, 5));
    row->Add(new wxButton(this, ID_SET_CLOCK, wxT("Cambiar fecha y hora"), wxDefaultPosition, wxDefaultSize,
                          wxBU_EXACTFIT),
             wxSizerFlags(0).Border(wxLEFT | wxRIGHT, 5));
    if (full) {
        auto* coverage = new wxBoxSizer(wxHORIZONTAL);
        coverageText_ = Label(this, wxEmptyString);
        coverage->Add(coverageText_, wxSizerFlags(0).Border(wxLEFT, 25));
        for (std::size_t i = 0; i < bars_.size(); ++i) {
            bars_[i] = Icon(this, "icons/estat/cover.png");
            coverage->Add(bars_[i], i == 0 ? wxSizerFlags(0).Border(wxLEFT, 10) : wxSizerFlags(0));
        }
        row->Add(coverage, wxSizerFlags(0).Expand());
    }
    return row;
}

wxSizer* CPanelEstat::CreateButtonRow(const wxString& caption, int firstId, const char* firstPicture,
                                      const wxString& firstLabel, int secondId, const char* secondPicture,
                                      const wxString& secondLabel, int lastBorder) {
    auto* row = new wxBoxSizer(wxHORIZONTAL);
    const wxSizerFlags middle = wxSizerFlags(0).CentreVertical();
    row->Add(Label(this, caption), wxSizerFlags(middle).Border(wxTOP | wxBOTTOM, 4));
    row->Add(new wxBitmapButton(this, firstId, LoadPicture(firstPicture, false), wxDefaultPosition, wxDefaultSize,
                                wxBU_AUTODRAW),
             wxSizerFlags(middle).Border(wxLEFT | wxRIGHT, 3));
    row->Add(Label(this, firstLabel), wxSizerFlags(middle).Border(wxTOP | wxBOTTOM, 4));
    row->Add(new wxBitmapButton(this, secondId, LoadPicture(secondPicture, false), wxDefaultPosition, wxDefaultSize,
                                wxBU_AUTODRAW),
             wxSizerFlags(middle).Border(wxLEFT | wxRIGHT, 3));
    row->Add(Label(this, secondLabel), wxSizerFlags(middle).Border(wxTOP | wxBOTTOM, lastBorder));
    return row;
}

wxSizer* CPanelEstat::CreateWarningBox() {
    auto* box = new wxStaticBoxSizer(wxVERTICAL, this, wxT("Mensajes de aviso"));
    wxWindow* parent = box->GetStaticBox();
    for (std::size_t bit = 0; bit < kWarnings.size(); ++bit) {
        warningIcons_[bit] = Icon(parent, kWarnings[bit].picture);
        warningTexts_[bit] = Label(parent, ToWx(kWarnings[bit].text));
        warningIcons_[bit]->Hide();
        warningTexts_[bit]->Hide();
        auto* row = new wxBoxSizer(wxHORIZONTAL);
        row->Add(warningIcons_[bit], wxSizerFlags(0).Expand().Border(wxALL, 4));
        row->Add(warningTexts_[bit], wxSizerFlags(1).Expand().Border(wxTOP | wxBOTTOM, 7));
        box->Add(row, wxSizerFlags(0).Expand());
    }
    // With every warning hidden the box keeps room for its title and its frame: laid out just as
    // tall as its title, the frame would get a negative inner height.
    int title = 0, side = 0;
    box->GetStaticBox()->GetBordersForSizer(&title, &side);
    box->SetMinSize(wxSize(-1, title + 2 * side + wxSizerFlags::GetDefaultBorder()));
    return box;
}

bool CPanelEstat::UpdateControls() {
    if (!record_) return false;
    if (timeText_) timeText_->SetLabel(ToWx(record_->GetTimeText()));
    if (dateText_) dateText_->SetLabel(ToWx(record_->GetDateText()));
    if (full_) {
        if (zoneList_) {
            zoneList_->ClearAll();
            FillZoneList();
        }
        if (areaList_) {
            wxArrayString items;
            for (int i = 0; i < record_->GetAreaCount(); ++i) items.Add(ToWx(AreaItemText(areaNames_, *record_, i)));
            areaList_->Set(items);
        }
        if (outputList_) {
            wxArrayString items;
            for (const std::string& item : OutputItems(outputNames_, *record_)) items.Add(ToWx(item));
            outputList_->Set(items);
        }
        const int status = record_->GetPanelStatus();
        for (std::size_t bit = 0; bit < kWarnings.size(); ++bit) {
            const bool on = (status >> bit & 1) != 0;
            if (warningIcons_[bit]) warningIcons_[bit]->Show(on);
            if (warningTexts_[bit]) warningTexts_[bit]->Show(on);
        }
        const bool coverage = record_->HasPpe();
        const int value = coverage ? record_->GetPpeValue() : 0;
        const int shown = coverage ? CoverageBars(value) : 0;
        for (std::size_t i = 0; i < bars_.size(); ++i) {
            if (bars_[i]) bars_[i]->Show(static_cast<int>(i) < shown);
        }
        if (coverageText_) coverageText_->SetLabel(coverage ? ToWx(CoverageText(value)) : wxString());
    }
    Layout();
    return true;
}

bool CPanelEstat::RefreshControls() {
    // Items stand by index (area i, output i, then the relays; zone rows by their zone), and a
    // bound record keeps its counts, so each pick goes back to the item it was made on.
    const std::vector<bool> areas = Ticked(areaList_);
    const std::vector<bool> outputs = Ticked(outputList_);
    const std::vector<bool> zones = SelectedZones();
    if (!UpdateControls()) return false;
    Retick(areaList_, areas);
    Retick(outputList_, outputs);
    if (zoneList_) {
        for (long row = 0; row < zoneList_->GetItemCount(); ++row) {
            const auto zone = static_cast<std::size_t>(zoneList_->GetItemData(row));
            if (zone < zones.size() && zones[zone])
                zoneList_->SetItemState(row, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
        }
    }
    return true;
}

void CPanelEstat::Retick(wxCheckListBox* list, const std::vector<bool>& ticked) {
    if (!list) return;
    for (unsigned i = 0; i < list->GetCount() && i < ticked.size(); ++i) {
        if (ticked[i]) list->Check(i);
    }
}

void CPanelEstat::FillZoneList() {
    if (!record_ || !zoneList_) return;
    zoneList_->InsertColumn(0, wxT("Zona"), wxLIST_FORMAT_LEFT);
    zoneList_->InsertColumn(1, wxT("Estado"), wxLIST_FORMAT_LEFT);
    for (int z = 0; z < record_->GetZoneCount(); ++z) {
        const long row = zoneList_->InsertItem(z, wxT("-"));
        zoneList_->SetItemData(row, z);
        zoneList_->SetItem(row, 0, ToWx(NameAt(zoneNames_, z, kZoneWord)));
        zoneList_->SetItem(row, 1, ToWx(ZoneStateText(*record_, z)));
        switch (ZoneRowColour(*record_, z)) {
            case ZoneColour::Bypassed: zoneList_->SetItemBackgroundColour(row, kBypassedColour); break;
            case ZoneColour::Alarm:
                zoneList_->SetItemBackgroundColour(row, kAlarmColour);
                zoneList_->SetItemFont(row, wxFont(9, wxFONTFAMILY_DEFAULT, wxFONTSTYLE_NORMAL, wxFONTWEIGHT_BOLD));
                break;
            case ZoneColour::Detecting: zoneList_->SetItemBackgroundColour(row, kDetectingColour); break;
            case ZoneColour::Trouble: zoneList_->SetItemBackgroundColour(row, kTroubleColour); break;
            case ZoneColour::Default: break;
        }
    }
    // Sized once the rows are in, so the widths follow the texts.
    zoneList_->SetColumnWidth(0, wxLIST_AUTOSIZE_USEHEADER);
    zoneList_->SetColumnWidth(1, wxLIST_AUTOSIZE_USEHEADER);
}

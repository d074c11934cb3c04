#include "panels/panelgrafic.h"

#include <wx/button.h>
#include <wx/combobox.h>
#include <wx/sizer.h>
#include <wx/textctrl.h>
#include <wx/toolbar.h>

#include "datamodel/estat.h"
#include "datamodel/files.h"
#include "panels/dialogs.h"
#include "panels/panelmapa.h"
#include "panels/paneledit.h"
#include "panels/picturefile.h"
#include "panels/wxtext.h"

namespace {
constexpr const char* kEnterEdit = "Entrar en modo de edición";
constexpr const char* kLeaveEdit = "Salir del modo de edición";
constexpr const char* kPageNames[] = {"Mapa 1", "Mapa 2", "Mapa 3", "Mapa 4", "Mosaico"};
constexpr const char* kPathRefused =
    "La ruta del plano tiene caracteres que el archivo de instalación no puede guardar: ";
constexpr int kToolSize = 22;
constexpr const char* kDeleteIcon = "icons/grafic/cancel.png";

struct ToolDef {
    int id;
    const char* tooltip;
    const char* longHelp;
    int kind;        // the kind the tool places (0: delete)
    bool separator;  // a separator follows
};
constexpr ToolDef kTools[] = {
    {CPanelGrafic::ID_Fire, "Fuego", "Detector de humos (fuego)", GraficKindFire, false},
    {CPanelGrafic::ID_Water, "Agua", "Detector de humedad (agua, inundaciones)", GraficKindWater, false},
    {CPanelGrafic::ID_Barrier, "Barrera", "Barrera", GraficKindBarrier, false},
    {CPanelGrafic::ID_Gas, "Gas", "Detector de gas", GraficKindGas, false},
    {CPanelGrafic::ID_Infrared, "Infrarojo", "Detector de intrusiones", GraficKindInfrared, false},
    {CPanelGrafic::ID_Contact, "Contacto", "Contacto", GraficKindContact, true},
    {CPanelGrafic::ID_Siren, "Sirena", "Sirena", GraficKindSiren, false},
    {CPanelGrafic::ID_Output, "Salida", "Salida normal o PGM", GraficKindOutput, false},
    {CPanelGrafic::ID_Relay, "Relé", "Salida de relé", GraficKindRelay, true},
    {CPanelGrafic::ID_Delete, "Borrar", "Borrar un componente", 0, false},
};

int KindOfTool(int id) {
    for (const ToolDef& tool : kTools)
        if (tool.id == id) return tool.kind;
    return 0;
}

}  // namespace

CPanelGrafic::CPanelGrafic(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size, long style,
                           const wxString& name)
    : wxPanel(parent, id, pos == wxDefaultPosition && size == wxDefaultSize ? wxPoint(0, 0) : pos,
              size == wxDefaultSize ? wxSize(350, 30) : size, style, name) {
    Bind(wxEVT_TOOL, &CPanelGrafic::OnAddSensor, this, ID_Fire, ID_Contact);
    Bind(wxEVT_TOOL, &CPanelGrafic::OnAddOutput, this, ID_Siren, ID_Output);
    Bind(wxEVT_TOOL, &CPanelGrafic::OnAddRelay, this, ID_Relay);
    Bind(wxEVT_TOOL, &CPanelGrafic::OnDelete, this, ID_Delete);
    Bind(wxEVT_BUTTON, &CPanelGrafic::OnBrowseMap, this, ID_Browse);
    Bind(wxEVT_BUTTON, &CPanelGrafic::OnToggleEditMode, this, ID_Edit);
    Bind(wxEVT_COMBOBOX, &CPanelGrafic::OnSelectMap, this, ID_Pages);
}

CPanelGrafic::~CPanelGrafic() {
    built_ = false;
    record_ = nullptr;
}

// ---- binding ----

bool CPanelGrafic::SetNames(CGrup* zones, CGrup* areas, CGrup* outputs) {
    plan::FillNames(zoneNames_, zones, "Zona");
    plan::FillNames(areaNames_, areas, "Area");
    plan::FillNames(outputNames_, outputs, "Salida");
    return true;
}

bool CPanelGrafic::SetComms(CAppCore* core) {
    core_ = core;
    return true;
}

bool CPanelGrafic::SetEstat(CEstat* record) {
    record_ = record;
    Build();
    return true;
}

bool CPanelGrafic::UpdateControls() {
    if (!record_) return false;
    for (CPanelMapa* canvas : canvases_)
        if (canvas) canvas->Refresh(true);
    return true;
}

bool CPanelGrafic::StoreControls() { return record_ != nullptr; }

void CPanelGrafic::Clear() {
    record_ = nullptr;
    built_ = false;
    for (CPanelMapa* canvas : canvases_)
        if (canvas) canvas->Unbind();
}

CPanelMapa* CPanelGrafic::GetCanvas(int k) const {
    if (k < 0 || k >= kCanvases) return nullptr;
    return canvases_[static_cast<std::size_t>(k)];
}

// ---- building ----

void CPanelGrafic::DestroyControls() {
    SetSizer(nullptr);  // deletes the sizers, not the windows
    grid_ = nullptr;
    planArea_ = nullptr;
    DestroyChildren();
    canvases_.fill(nullptr);
    toolBar_ = nullptr;
    pathBox_ = nullptr;
    browseButton_ = nullptr;
    editButton_ = nullptr;
    pages_ = nullptr;
}

void CPanelGrafic::Build() {
    if (!record_) return;
    built_ = false;
    DestroyControls();
    editMode_ = false;

    editButton_ = new wxButton(this, ID_Edit, ToWx(kEnterEdit));
    editButton_->Disable();
    wxArrayString choices;
    for (const char* page : kPageNames) choices.Add(ToWx(page));
    pages_ = new wxComboBox(this, ID_Pages, wxEmptyString, wxDefaultPosition, wxDefaultSize, choices,
                            wxCB_READONLY | wxCB_DROPDOWN);
    pages_->SetSelection(kMosaic);

    toolBar_ = new wxToolBar(this, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                             wxTB_VERTICAL | wxTB_FLAT | wxTB_NODIVIDER | wxNO_BORDER);
    toolBar_->SetToolBitmapSize(wxSize(kToolSize, kToolSize));
    for (const ToolDef& tool : kTools) {
        toolBar_->AddTool(tool.id, wxEmptyString, LoadPicture(tool.kind ? plan::IconFile(tool.kind, false) : kDeleteIcon, false), ToWx(tool.tooltip), wxITEM_NORMAL);
        toolBar_->SetToolLongHelp(tool.id, ToWx(tool.longHelp));
        if (tool.separator) toolBar_->AddSeparator();
    }
    toolBar_->Realize();
    toolBar_->Show(editMode_);

    for (int k = 0; k < kCanvases; ++k) {
        auto* canvas = new CPanelMapa(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxBORDER_SIMPLE,
                                      wxT("scrolledWindow"));
        canvas->SetMinSize(wxSize(120, 90));
        canvas->SetPage(k);
        canvas->SetGraphic(&record_->GetGrafic());
        canvas->SetEstat(record_);
        canvas->SetComms(core_);
        canvases_[static_cast<std::size_t>(k)] = canvas;
    }
    // Elements are edited on canvas 0 only; the other canvases must not keep an element that it
    // removed, nor miss one it added, even while hidden.
    canvases_[0]->SetChangedHandler([this] {
        for (int k = 1; k < kCanvases; ++k) canvases_[static_cast<std::size_t>(k)]->BuildItems();
    });
    for (int i = 0; i < plan::kNames; ++i) {
        const auto n = static_cast<std::size_t>(i);
        for (CPanelMapa* canvas : canvases_) canvas->SetTexts(zoneNames_[n], areaNames_[n], outputNames_[n], i);
    }

    pathBox_ = new wxTextCtrl(this, wxID_ANY, wxEmptyString, wxDefaultPosition, wxDefaultSize, wxBORDER_SUNKEN);
    browseButton_ = new wxButton(this, ID_Browse, wxT("Examinar..."));
    pathBox_->Show(editMode_);
    browseButton_->Show(editMode_);

    auto* top = new wxBoxSizer(wxHORIZONTAL);
    top->Add(editButton_, 0, wxALL, 2);
    top->Add(pages_, 0, wxALL, 2);
    auto* pictureRow = new wxBoxSizer(wxHORIZONTAL);
    pictureRow->Add(pathBox_, 3, wxEXPAND);
    pictureRow->Add(browseButton_, 1, wxEXPAND);
    planArea_ = new wxBoxSizer(wxVERTICAL);
    grid_ = new wxGridSizer(2, 2, 0);
    for (CPanelMapa* canvas : canvases_) grid_->Add(canvas, 1, wxEXPAND | wxALL, 2);
    planArea_->Add(grid_, 1, wxEXPAND);
    auto* column = new wxBoxSizer(wxVERTICAL);
    column->Add(planArea_, 1, wxEXPAND);
    column->Add(pictureRow, 0, wxEXPAND);
    auto* work = new wxBoxSizer(wxHORIZONTAL);
    work->Add(toolBar_, 0, wxLEFT | wxRIGHT, 5);
    work->Add(column, 1, wxEXPAND | wxLEFT | wxRIGHT, 5);
    auto* main = new wxBoxSizer(wxVERTICAL);
    main->Add(top, 0, wxEXPAND | wxALL, 2);
    main->Add(work, 1, wxEXPAND | wxALL, 2);
    SetSizer(main);
    built_ = true;
}

// ---- modes and pages ----

void CPanelGrafic::SetEditMode(bool on) {
    editMode_ = on;
    if (built_) {
        toolBar_->Show(on);
        editButton_->SetLabel(ToWx(on ? kLeaveEdit : kEnterEdit));
        browseButton_->Show(on);
        pathBox_->Show(on);
    }
    if (canvases_[0]) canvases_[0]->SetEditMode(on);
    Layout();
    Refresh(true);
}

void CPanelGrafic::OnToggleEditMode(wxCommandEvent&) { SetEditMode(!editMode_); }

void CPanelGrafic::OnSelectMap(wxCommandEvent&) {
    if (!built_) return;
    const int choice = pages_->GetSelection();
    if (choice >= 0 && choice < kCanvases)
        ShowPage(choice);
    else if (choice == kMosaic)
        ShowMosaic();
}

void CPanelGrafic::ShowPage(int page) {
    canvases_[0]->SetPage(page);
    for (int k = 1; k < kCanvases; ++k) canvases_[static_cast<std::size_t>(k)]->Hide();
    if (grid_) {
        for (CPanelMapa* canvas : canvases_) grid_->Detach(canvas);
        planArea_->Detach(grid_);
        delete grid_;
        grid_ = nullptr;
        planArea_->Add(canvases_[0], 1, wxEXPAND | wxALL, 5);
    }
    editButton_->Enable();
    Layout();
}

void CPanelGrafic::ShowMosaic() {
    for (int k = 0; k < kCanvases; ++k) canvases_[static_cast<std::size_t>(k)]->SetPage(k);
    for (int k = 1; k < kCanvases; ++k) canvases_[static_cast<std::size_t>(k)]->Show();
    if (!grid_) {
        planArea_->Detach(canvases_[0]);
        grid_ = new wxGridSizer(2, 2, 0);
        for (CPanelMapa* canvas : canvases_) grid_->Add(canvas, 1, wxEXPAND | wxALL, 2);
        planArea_->Add(grid_, 1, wxEXPAND);
    }
    editButton_->Disable();
    if (editMode_) SetEditMode(false);
    Layout();
}

// ---- tools ----

int CPanelGrafic::ChooseNumber(const std::string& question, const std::string& caption,
                               const plan::NameTable& table, int first, int count) {
    std::vector<std::string> choices;
    for (int n = 0; n < count; ++n) choices.push_back(plan::ChoiceText(table, first + n, n));
    // The number is the entry chosen, so equal names never bind another zone or output.
    const std::optional<int> chosen = GetDialogs().ChooseOne(question, caption, choices);
    if (!chosen || *chosen < 0 || *chosen >= count) return -1;
    return *chosen;
}

void CPanelGrafic::OnAddSensor(wxCommandEvent& event) {
    if (!record_ || !canvases_[0]) return;
    const int zone =
        ChooseNumber("¿A que zona desea asignar este sensor?", "Asignar zona", zoneNames_, 0, record_->GetZoneCount());
    if (zone >= 0) canvases_[0]->BeginPlaceZone(true, KindOfTool(event.GetId()), zone);
}

void CPanelGrafic::OnAddOutput(wxCommandEvent& event) {
    if (!record_ || !canvases_[0]) return;
    const int output = ChooseNumber("¿A que salida desea asignar este componente?", "Asignar salida", outputNames_, 0,
                                    record_->GetOutputCount());
    if (output >= 0) canvases_[0]->BeginPlaceOutput(true, KindOfTool(event.GetId()), output);
}

void CPanelGrafic::OnAddRelay(wxCommandEvent&) {
    if (!record_ || !canvases_[0]) return;
    // Relays follow the outputs in the output-name table.
    const int relay = ChooseNumber("¿A que relé desea asignar este componente?", "Asignar relé", outputNames_,
                                   record_->GetOutputCount(), record_->GetRelayCount());
    if (relay >= 0) canvases_[0]->BeginPlaceRelay(true, GraficKindRelay, relay);
}

void CPanelGrafic::OnDelete(wxCommandEvent&) {
    if (canvases_[0]) canvases_[0]->BeginDelete(true);
}

void CPanelGrafic::OnBrowseMap(wxCommandEvent&) {
    if (!built_) return;
    const std::optional<std::filesystem::path> chosen = GetDialogs().ChooseOpenPath("Mapa", "*.gif");
    if (!chosen) return;
    bool lossless = true;
    const std::string path = FromOsPath(*chosen, &lossless);
    if (!lossless) {
        // Stored as it is, the path would name another file when the installation is opened again.
        GetDialogs().Error(kPathRefused + path, "Error");
        return;
    }
    CPanelMapa* canvas = canvases_[0];
    const bool shown = canvas->SetBackground(path);
    pathBox_->SetValue(ToWx(path));
    MarkInstallationModified(this);
    if (!shown) GetDialogs().Error(canvas->GetPictureError(), "Error");
    Refresh(true);
}

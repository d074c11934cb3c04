#include "panels/panelmapa.h"

#include <cstdio>
#include <filesystem>
#include <set>
#include <system_error>

#include <wx/dcbuffer.h>
#include <wx/dcclient.h>
#include <wx/image.h>
#include <wx/intl.h>
#include <wx/log.h>
#include <wx/menu.h>
#include <wx/stattext.h>

#include "core/appcore.h"
#include "datamodel/estat.h"
#include "datamodel/files.h"
#include "panels/dialogs.h"
#include "panels/paneledit.h"
#include "panels/picturefile.h"
#include "panels/wxtext.h"

namespace fs = std::filesystem;

namespace {
constexpr const char* kSending = "Enviando...";
constexpr const char* kNoZone = "El elemento no está asignado a ninguna zona que se pueda omitir";
constexpr const char* kNoOutput = "El elemento no está asignado a ninguna salida de la central";
constexpr const char* kNoRelay = "El elemento no está asignado a ningún relé de la central";
// Steps of the dialogs: the switch and the three reads; the bypass frames, the status and
// outputs read of the zone command and the status read after it.
constexpr int kSwitchSteps = 13;
constexpr int kBypassSteps = 2 + 4 + 3;

// One line on stderr per file that failed, however often it is loaded again.
void ReportOnce(const std::string& what) {
    static std::set<std::string> reported;
    if (reported.insert(what).second) std::fprintf(stderr, "%s\n", what.c_str());
}

wxString OsPathToWx(const fs::path& path) { return wxString::FromUTF8(path.string().c_str()); }

wxColour LabelBackground(plan::LabelColour colour) {
    switch (colour) {
    case plan::LabelColour::LightGrey: return *wxLIGHT_GREY;
    case plan::LabelColour::Red: return *wxRED;
    case plan::LabelColour::Blue: break;
    }
    return *wxBLUE;
}
}  // namespace

wxBitmap LoadPanelPicture(const std::string& file) {
    std::error_code ec;
    if (!fs::is_regular_file(file, ec)) {
        ReportOnce("picture not found: " + file);
        return wxNullBitmap;
    }
    wxLogNull quiet;  // a bad file must not open the toolkit's log box
    wxImage image;
    if (!image.LoadFile(OsPathToWx(file), wxBITMAP_TYPE_PNG) || !image.IsOk()) {
        ReportOnce("picture not readable: " + file);
        return wxNullBitmap;
    }
    return wxBitmap(image);
}

CPanelMapa::CPanelMapa(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size, long style,
                       const wxString& name)
    : wxScrolledWindow(parent, id, pos == wxDefaultPosition && size == wxDefaultSize ? wxPoint(0, 0) : pos,
                       size == wxDefaultSize ? wxSize(350, 30) : size, style, name),
      timer_(this, ID_RepaintTimer) {
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    SetScrollRate(20, 20);
    Scroll(0, 0);
    Reset();
    Bind(wxEVT_PAINT, &CPanelMapa::OnPaint, this);
    Bind(wxEVT_LEFT_DOWN, &CPanelMapa::OnLeftDown, this);
    Bind(wxEVT_LEFT_UP, &CPanelMapa::OnLeftUp, this);
    Bind(wxEVT_RIGHT_DOWN, &CPanelMapa::OnRightDown, this);
    Bind(wxEVT_RIGHT_UP, &CPanelMapa::OnRightUp, this);
    Bind(wxEVT_TIMER, &CPanelMapa::OnTimer, this, ID_RepaintTimer);
    Bind(wxEVT_MENU, &CPanelMapa::OnBypass, this, ID_Bypass);
    Bind(wxEVT_MENU, &CPanelMapa::OnActivate, this, ID_On);
    Bind(wxEVT_MENU, &CPanelMapa::OnDeactivate, this, ID_Off);
}

CPanelMapa::~CPanelMapa() {
    timer_.Stop();
    Reset();
}

// ---- binding ----

bool CPanelMapa::SetGraphic(CGrafic* grafic) {
    grafic_ = grafic;
    if (!grafic_) {
        Reset();  // no pointer into a record that is gone may stay
        return true;
    }
    BuildItems();
    if (page_ >= 0) LoadBackground(grafic_->GetMapa(page_));
    return true;
}

bool CPanelMapa::SetEstat(CEstat* estat) {
    estat_ = estat;
    return true;
}

bool CPanelMapa::SetComms(CAppCore* core) {
    core_ = core;
    return true;
}

bool CPanelMapa::SetTexts(const std::string& zone, const std::string& area, const std::string& output, int index) {
    if (index < 0 || index >= plan::kNames) return false;
    const auto i = static_cast<std::size_t>(index);
    zoneNames_[i] = zone;
    areaNames_[i] = area;
    outputNames_[i] = output;
    return true;
}

bool CPanelMapa::SetPage(int page) {
    if (page < 0) return false;
    page_ = page;
    if (!grafic_) return true;
    LoadBackground(grafic_->GetMapa(page_));
    BuildItems();
    Refresh(true);
    return true;
}

bool CPanelMapa::SetEditMode(bool on) {
    editMode_ = on;
    return true;
}

void CPanelMapa::Unbind() {
    timer_.Stop();
    Reset();
    grafic_ = nullptr;
    estat_ = nullptr;
    core_ = nullptr;
    LoadBackground(std::string());
}

// ---- the picture ----

bool CPanelMapa::SetBackground(const std::string& path) {
    if (grafic_ && page_ >= 0) grafic_->SetMapa(path, page_);
    return LoadBackground(path);
}

bool CPanelMapa::LoadBackground(const std::string& path) {
    picture_ = wxNullBitmap;
    pictureError_.clear();
    hasPicture_ = !path.empty();
    if (!hasPicture_) return false;
    const fs::path os = ToOsPath(path);
    std::error_code ec;
    if (!fs::is_regular_file(os, ec)) {
        pictureError_ = "No se encuentra el plano " + path;
    } else {
        wxLogNull quiet;  // an unreadable file must not open the toolkit's log box on every load
        wxImage image;
        if (image.LoadFile(OsPathToWx(os), wxBITMAP_TYPE_GIF) && image.IsOk()) picture_ = wxBitmap(image);
        if (!picture_.IsOk()) pictureError_ = "No se puede leer el plano " + path;
    }
    if (!pictureError_.empty()) ReportOnce(pictureError_);
    return picture_.IsOk();
}

// ---- elements ----

GraficIconRef CPanelMapa::Icon(int kind, bool second) {
    const char* file = plan::IconFile(kind, second);
    if (!file) return nullptr;
    GraficIconRef& slot = icons_[static_cast<std::size_t>(kind * 2 + (second ? 1 : 0))];
    if (!slot) slot = std::make_shared<const GraficIcon>(GraficIcon{LoadPicture(file, false), file});
    return slot;
}

void CPanelMapa::BuildItems() {
    if (!grafic_) return;
    Reset();
    for (int i = 0; i < grafic_->GetCompGrafCount(); ++i) {
        CCompGraf* element = grafic_->GetCompGraf(i);
        if (!element || element->GetNumMapa() != page_) continue;
        const int kind = element->GetTipus();
        if (plan::IconFile(kind, false)) {
            element->SetBitmap(Icon(kind, false));
            element->SetBitmap2(Icon(kind, true));
        }
        items_.push_back(element);
    }
}

void CPanelMapa::Reset() {
    items_.clear();
    tool_ = ToolNone;
    dragging_ = false;
    deleteArmed_ = false;
    kindToPlace_ = 0;
    numberToPlace_ = 0;
    scale_ = 1.0;
    current_ = nullptr;
    DeleteLabel();
}

void CPanelMapa::ElementsChanged() {
    MarkInstallationModified(this);
    if (changed_) changed_();
}

// ---- tools ----

void CPanelMapa::Arm(bool on, int tool, int kind, int number) {
    if (!editMode_) return;
    if (on) {
        SetCursor(wxCursor(wxCURSOR_HAND));
        tool_ = tool;
        kindToPlace_ = kind;
        numberToPlace_ = number;
    } else {
        DefaultCursor();
        tool_ = ToolNone;
    }
}

void CPanelMapa::BeginPlaceZone(bool on, int kind, int zone) { Arm(on, ToolZone, kind, zone); }

void CPanelMapa::BeginPlaceOutput(bool on, int kind, int output) { Arm(on, ToolOutput, kind, output); }

void CPanelMapa::BeginPlaceRelay(bool on, int kind, int relay) { Arm(on, ToolRelay, kind, relay); }

void CPanelMapa::BeginDelete(bool on) {
    if (!editMode_) return;
    if (on)
        SetCursor(wxCursor(wxCURSOR_HAND));
    else
        DefaultCursor();
    tool_ = ToolNone;
    deleteArmed_ = on;
}

void CPanelMapa::DefaultCursor() { SetCursor(wxNullCursor); }

void CPanelMapa::DeleteLabel() {
    if (label_) label_->Destroy();
    label_ = nullptr;
}

// ---- drawing ----

bool CPanelMapa::Render(wxDC& dc, const wxSize& size) {
    dc.SetBackground(wxBrush(GetBackgroundColour()));
    dc.Clear();
    if (!hasPicture_) return false;
    scale_ = 1.0;
    if (picture_.IsOk()) {
        scale_ = plan::FitScale(picture_.GetWidth(), picture_.GetHeight(), size.x, size.y, 1.0);
    } else {
        // The plan cannot be shown: say so on the canvas itself, never in a box per paint.
        dc.SetTextForeground(wxColour(120, 120, 120));
        dc.DrawText(ToWx(pictureError_), 4, 4);
    }
    dc.SetUserScale(scale_, scale_);
    if (picture_.IsOk()) dc.DrawBitmap(picture_, 0, 0, false);
    dc.SetBrush(*wxTRANSPARENT_BRUSH);
    bool trouble = false;
    for (const CCompGraf* element : items_) {
        const plan::Look look = plan::LookOf(*element, editMode_);
        const GraficIconRef& icon = look.secondIcon ? element->GetBitmap2() : element->GetBitmap();
        const int x = element->GetPosX();
        const int y = element->GetPosY();
        int w = plan::kElementSize;
        int h = plan::kElementSize;
        if (icon && icon->bitmap.IsOk()) {
            w = icon->bitmap.GetWidth();
            h = icon->bitmap.GetHeight();
            dc.DrawBitmap(icon->bitmap, x, y, true);
        }
        const int cx = x + w / 2;
        const int cy = y + h / 2;
        if (look.cross) {
            dc.SetPen(*wxRED_PEN);
            dc.DrawLine(x, y, x + w, y + h);
            dc.DrawLine(x + w, y, x, y + h);
            trouble = true;
        }
        if (look.redCircles > 0) {
            dc.SetPen(*wxRED_PEN);
            dc.DrawCircle(cx, cy, plan::kRedRadius);
            if (look.redCircles > 1) dc.DrawCircle(cx, cy, plan::kAlarmRadius);
        }
        if (look.greenCircle) {
            dc.SetPen(*wxGREEN_PEN);
            dc.DrawCircle(cx, cy, plan::kGreenRadius);
        }
    }
    dc.SetUserScale(1.0, 1.0);
    return trouble;
}

void CPanelMapa::OnPaint(wxPaintEvent&) {
    wxAutoBufferedPaintDC dc(this);
    const bool trouble = Render(dc, GetClientSize());
    // Any element in trouble keeps the canvas repainting; edit mode never does.
    switch (plan::AfterPaint(hasPicture_, editMode_, trouble, timer_.IsRunning())) {
    case plan::TimerAction::Start: timer_.Start(kRepaintMs); break;
    case plan::TimerAction::Stop: timer_.Stop(); break;
    case plan::TimerAction::None: break;
    }
}

void CPanelMapa::OnTimer(wxTimerEvent&) { Refresh(true); }

// ---- mouse ----

plan::Point CPanelMapa::ToPicture(const wxPoint& window) const {
    return {plan::ToPicture(window.x, scale_), plan::ToPicture(window.y, scale_)};
}

CCompGraf* CPanelMapa::HitTest(const wxPoint& window) const {
    const int hit = plan::HitTest(items_, ToPicture(window));
    return hit < 0 ? nullptr : items_[static_cast<std::size_t>(hit)];
}

void CPanelMapa::OnLeftDown(wxMouseEvent& event) {
    if (!editMode_) {
        DrawStatePopup(event.GetX(), event.GetY());
        return;
    }
    const plan::Point at = ToPicture(event.GetPosition());
    if (tool_ == ToolNone) {
        CCompGraf* element = HitTest(event.GetPosition());
        if (!element) return;
        if (deleteArmed_) {
            std::erase(items_, element);
            if (current_ == element) current_ = nullptr;
            if (grafic_) grafic_->RemoveCompGraf(element);
            BeginDelete(false);
            Refresh(true);
            ElementsChanged();
        } else {
            dragging_ = true;
            current_ = element;
            SetCursor(wxCursor(wxCURSOR_HAND));
        }
        return;
    }
    if (!grafic_ || page_ < 0) return;
    auto element = std::make_unique<CCompGraf>();
    element->SetTipus(kindToPlace_);
    const plan::Point corner = plan::CornerFor(at);
    element->SetPos(corner.x, corner.y);
    element->SetNumMapa(page_);
    switch (tool_) {
    case ToolZone: element->SetZona(numberToPlace_); break;
    case ToolOutput: element->SetSortida(numberToPlace_); break;
    case ToolRelay: element->SetRele(numberToPlace_); break;
    default: break;
    }
    grafic_->AddCompGraf(std::move(element));
    if (estat_) estat_->UpdateGraphic();  // the new element shows the state already read
    BuildItems();
    BeginPlaceZone(false, 0, 0);
    Refresh(true);
    ElementsChanged();
}

void CPanelMapa::OnLeftUp(wxMouseEvent& event) {
    if (editMode_) {
        if (dragging_) {
            if (current_) {
                const plan::Point corner = plan::CornerFor(ToPicture(event.GetPosition()));
                const bool moved = corner.x != current_->GetPosX() || corner.y != current_->GetPosY();
                current_->SetPos(corner.x, corner.y);
                if (moved) MarkInstallationModified(this);
            }
            dragging_ = false;
            DefaultCursor();
            Refresh(true);
        }
        // Deleting is armed for one click, hit or miss.
        if (deleteArmed_) BeginDelete(false);
        return;
    }
    DeleteLabel();
    DefaultCursor();
}

void CPanelMapa::OnRightDown(wxMouseEvent& event) {
    if (dragging_) {
        dragging_ = false;  // the move is cancelled: the element stays where it was
        DefaultCursor();
        Refresh(true);
    } else if (tool_ != ToolNone) {
        BeginPlaceZone(false, 0, -1);
    } else if (deleteArmed_) {
        BeginDelete(false);
    } else if (editMode_) {
        DrawStatePopup(event.GetX(), event.GetY());
    }
}

void CPanelMapa::OnRightUp(wxMouseEvent& event) {
    DeleteLabel();
    DefaultCursor();
    if (editMode_) return;
    current_ = HitTest(event.GetPosition());
    if (!current_) return;
    const plan::MenuEntry entry = plan::MenuFor(*current_);
    int id = ID_Bypass;
    switch (entry.command) {
    case plan::Command::None: return;
    case plan::Command::Bypass: id = ID_Bypass; break;
    case plan::Command::On: id = ID_On; break;
    case plan::Command::Off: id = ID_Off; break;
    }
    wxMenu menu;
    const wxString text = wxGetTranslation(ToWx(entry.text));
    menu.Append(id, text, text);
    PopupMenu(&menu);
}

// ---- live mode ----

void CPanelMapa::DrawStatePopup(int x, int y) {
    current_ = HitTest(wxPoint(x, y));
    if (!current_) return;
    SetCursor(wxCursor(wxCURSOR_QUESTION_ARROW));
    DeleteLabel();
    label_ = new wxStaticText(this, wxID_ANY, wxEmptyString, wxPoint(x + 5, y + 5), wxSize(1, -1), wxBORDER_DOUBLE);
    label_->SetForegroundColour(*wxWHITE);
    label_->SetFont(wxFont(14, wxFONTFAMILY_SWISS, wxFONTSTYLE_NORMAL, wxFONTWEIGHT_NORMAL, false,
                           wxT("Times New Roman")));
    // Without a status record the relays are named as on a panel of four outputs.
    const int outputCount = estat_ ? estat_->GetOutputCount() : 4;
    const plan::Label text = plan::Describe(*current_, zoneNames_, outputNames_, outputCount);
    label_->SetBackgroundColour(LabelBackground(text.background));
    label_->SetLabelText(ToWx(text.text));
    // Created one pixel wide, the toolkit would wrap the text into that width: size it to the text.
    {
        wxClientDC dc(label_);
        dc.SetFont(label_->GetFont());
        wxCoord w = 0;
        wxCoord h = 0;
        dc.GetMultiLineTextExtent(label_->GetLabel(), &w, &h);
        const wxSize border = label_->GetWindowBorderSize();
        label_->SetSize(wxSize(w + border.x + 4, h + border.y + 4));
    }
    const wxSize canvas = GetClientSize();
    const wxSize size = label_->GetSize();
    wxPoint at(x + 5, y + 5);
    if (at.x + size.x > canvas.x) at.x = canvas.x - size.x - 1;
    if (at.y + size.y > canvas.y) at.y = canvas.y - size.y - 1;
    label_->Move(at);
}

void CPanelMapa::OnBypass(wxCommandEvent&) {
    if (!current_ || !core_ || !estat_) return;
    const int zones = estat_->GetZoneCount();
    const auto mask = plan::BypassMask(current_->GetZona(), zones);
    if (!mask) {
        GetDialogs().Error(kNoZone, "Error");
        return;
    }
    bool ok = false;
    std::string error;
    {
        // One dialog and the busy flag for the whole series, released on every path.
        CAppCore::CommandSeries series(*core_, kSending, kBypassSteps);
        ok = series.Started() && core_->SendZoneCommand(*mask, zones) && core_->ReceiveStatus(true);
        if (!ok) error = core_->GetLastError();
    }
    if (!ok) ShowCoreError(core_, error);
    Refresh(true);
}

void CPanelMapa::OnActivate(wxCommandEvent&) {
    if (!current_) return;
    SendOutput(current_->GetTipus() == GraficKindRelay ? current_->GetRele() : current_->GetSortida(), true);
}

void CPanelMapa::OnDeactivate(wxCommandEvent&) {
    if (!current_) return;
    SendOutput(current_->GetTipus() == GraficKindRelay ? current_->GetRele() : current_->GetSortida(), false);
}

void CPanelMapa::SendOutput(int number, bool on) {
    if (!core_ || !current_) return;
    const bool relay = current_->GetTipus() == GraficKindRelay;
    const int count = estat_ ? (relay ? estat_->GetRelayCount() : estat_->GetOutputCount()) : 0;
    // An element bound to nothing must not switch output 1 instead.
    if (number < 0 || number >= count) {
        GetDialogs().Error(relay ? kNoRelay : kNoOutput, "Error");
        return;
    }
    bool ok = false;
    std::string error;
    {
        CAppCore::CommandSeries series(*core_, kSending, kSwitchSteps);
        ok = series.Started() &&
             (relay ? core_->SendRelayCommand(number, on) : core_->SendOutputCommand(number, on)) &&
             core_->ReceiveStatus(true) && core_->ReceiveOutputs() && core_->ReceiveRelays();
        if (!ok) error = core_->GetLastError();
    }
    if (!ok) ShowCoreError(core_, error);
    Refresh(true);
}

#include "panels/paneledit.h"

#include <algorithm>

#include <wx/font.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

#include "panels/panelbitgrup.h"
#include "panels/panelcodi.h"
#include "panels/paneldades.h"
#include "panels/panelestat.h"
#include "panels/panelevents.h"
#include "panels/panelflashgrup.h"
#include "panels/panelgrafic.h"
#include "panels/panelmesura.h"
#include "panels/panelvr.h"
#include "panels/wxtext.h"

namespace {
// Every hosted panel is created the same way: child of the view, any id, default position and
// size, no border, named "scrolledWindow".
template <class Panel>
Panel* MakePanel(wxWindow* parent) {
    return new Panel(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxNO_BORDER, wxT("scrolledWindow"));
}

template <class Panel>
void DestroyPanel(Panel*& panel) {
    if (panel) panel->Destroy();
    panel = nullptr;
}
}  // namespace

CPanelEdit::CPanelEdit(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size, long style,
                       const wxString& name)
    : wxScrolledWindow(parent, id, pos, size == wxDefaultSize ? wxSize(400, 300) : size, style, name) {
    Init();
}

CPanelEdit::~CPanelEdit() { Clear(); }

void CPanelEdit::Init() {
    SetBackgroundColour(wxColour(255, 255, 255));
    SetSizer(new wxBoxSizer(wxVERTICAL));
    SetScrollRate(20, 20);
    Scroll(0, 0);
    Show(true);
    Refresh(true);
}

void CPanelEdit::SetHeading(const std::string& heading) {
    if (!heading_) {
        heading_ = new wxStaticText(this, wxID_ANY, wxEmptyString, wxDefaultPosition, wxDefaultSize,
                                    wxALIGN_CENTRE_HORIZONTAL | wxSIMPLE_BORDER);
        GetSizer()->Add(heading_, wxSizerFlags(0).Expand().Border(wxALL, 5));
    }
    heading_->SetLabel(ToWx(heading));
    heading_->SetFont(wxFont(14, wxFONTFAMILY_SWISS, wxFONTSTYLE_NORMAL, wxFONTWEIGHT_NORMAL, false, wxT("Arial")));
    GetSizer()->Layout();
    Refresh(true);
    FitInside();
}

void CPanelEdit::Stack(wxWindow* panel, int proportion, int borderSides) {
    // A panel's default size is where it starts, not its least: the least is what its sizer
    // needs, so that the view scrolls to every control instead of cutting the panel.
    panel->SetMinSize(wxDefaultSize);
    GetSizer()->Add(panel, wxSizerFlags(proportion).Expand().Border(borderSides, 5));
    Refit();
}

void CPanelEdit::Refit() {
    // The scrolled area follows what the panels need now (a reload may show warnings, rows or
    // columns), then the panels are laid out over it.
    FitInside();
    Layout();
}

void CPanelEdit::AddCodi(CCodi* codi) {
    auto* panel = MakePanel<CPanelCodi>(this);
    panel->SetCodi(codi);
    Stack(panel, 0, wxLEFT | wxRIGHT | wxBOTTOM);
    codis_.push_back(panel);
}

void CPanelEdit::AddMesura(CMesura* mesura) {
    auto* panel = MakePanel<CPanelMesura>(this);
    panel->SetMesura(mesura);
    Stack(panel, 0, wxALL);
    mesures_.push_back(panel);
}

void CPanelEdit::AddEstat(CEstat* estat, CAppCore* core, CGrup* zones, CGrup* areas, CGrup* outputs) {
    DestroyPanel(estat_);
    estat_ = MakePanel<CPanelEstat>(this);
    estat_->SetNames(zones, areas, outputs);
    estat_->SetEstat(estat);
    estat_->SetCore(core);
    Stack(estat_, 1, wxALL);
}

void CPanelEdit::AddGrafic(CEstat* estat, CAppCore* core, CGrup* zones, CGrup* areas, CGrup* outputs) {
    DestroyPanel(grafic_);
    grafic_ = MakePanel<CPanelGrafic>(this);
    grafic_->SetNames(zones, areas, outputs);
    grafic_->SetComms(core);
    grafic_->SetEstat(estat);
    Stack(grafic_, 1, wxALL);
}

void CPanelEdit::AddEvents(CEvents* events, CGrup* zones, CGrup* areas, CGrup* users) {
    DestroyPanel(events_);
    events_ = MakePanel<CPanelEvents>(this);
    events_->SetNames(zones, areas, users);
    events_->SetEvents(events);
    Stack(events_, 1, wxALL);
}

void CPanelEdit::AddBitGrup(CGrup* grup) {
    DestroyPanel(bitGrup_);
    bitGrup_ = MakePanel<CPanelBitGrup>(this);
    bitGrup_->SetGrup(grup);
    Stack(bitGrup_, 1, wxALL);
}

void CPanelEdit::AddFlashGrup(CGrupFlash* grup) {
    DestroyPanel(flashGrup_);
    flashGrup_ = MakePanel<CPanelFlashGrup>(this);
    flashGrup_->SetGrupFlash(grup);
    Stack(flashGrup_, 1, wxALL);
}

void CPanelEdit::AddVR(CEstat* estat) {
    DestroyPanel(vr_);
    vr_ = MakePanel<CPanelVR>(this);
    vr_->SetEstat(estat);
    Stack(vr_, 1, wxALL);
}

void CPanelEdit::AddDades(CDades* dades) {
    DestroyPanel(dades_);
    dades_ = MakePanel<CPanelDades>(this);
    dades_->SetDades(dades);
    Stack(dades_, 1, wxALL);
}

void CPanelEdit::TransferToPanels() { Reload(false); }

void CPanelEdit::RefreshPanels() { Reload(true); }

void CPanelEdit::Reload(bool keepPicks) {
    for (CPanelCodi* p : codis_) p->UpdateControls();
    for (CPanelMesura* p : mesures_) p->UpdateControls();
    if (estat_) {
        if (keepPicks) estat_->RefreshControls();
        else estat_->UpdateControls();
    }
    if (bitGrup_) bitGrup_->UpdateControls();
    if (vr_) vr_->UpdateControls();
    if (events_) events_->UpdateControls();
    if (dades_) dades_->UpdateControls();
    if (flashGrup_) flashGrup_->UpdateControls();
    if (grafic_) grafic_->UpdateControls();
    Refit();
}

void CPanelEdit::TransferFromPanels() {
    // A value a code refuses is simply not stored; the caller's operation goes on.
    for (CPanelCodi* p : codis_) p->StoreControls();
    for (CPanelMesura* p : mesures_) p->StoreControls();
    if (estat_) estat_->StoreControls();
    if (bitGrup_) bitGrup_->StoreControls();
    if (vr_) vr_->StoreControls();
    if (events_) events_->StoreControls();
    if (dades_) dades_->StoreControls();
    if (flashGrup_) flashGrup_->StoreControls();
    if (grafic_) grafic_->StoreControls();
}

void CPanelEdit::Clear() {
    for (CPanelCodi* p : codis_) p->Destroy();
    codis_.clear();
    for (CPanelMesura* p : mesures_) p->Destroy();
    mesures_.clear();
    DestroyPanel(estat_);
    DestroyPanel(bitGrup_);
    DestroyPanel(vr_);
    DestroyPanel(events_);
    DestroyPanel(dades_);
    DestroyPanel(flashGrup_);
    DestroyPanel(grafic_);
    DeleteHeading();
    wxSizer* sizer = GetSizer();
    if (sizer) {
        while (!sizer->IsEmpty()) sizer->Detach(0);
        sizer->Layout();
    }
    Layout();
    FitInside();
}

void CPanelEdit::DeleteHeading() {
    if (heading_) heading_->Destroy();
    heading_ = nullptr;
}

CDades* CPanelEdit::GetDades() { return dades_ ? dades_->GetDades() : nullptr; }

CCodi* CPanelEdit::GetCodi(int index) const {
    CPanelCodi* panel = GetCodiPanel(index);
    return panel ? panel->GetCodi() : nullptr;
}

CMesura* CPanelEdit::GetMesura(int index) const {
    CPanelMesura* panel = GetMesuraPanel(index);
    return panel ? panel->GetMesura() : nullptr;
}

CPanelCodi* CPanelEdit::GetCodiPanel(int index) const {
    return index >= 0 && index < CountCodis() ? codis_[static_cast<size_t>(index)] : nullptr;
}

CPanelMesura* CPanelEdit::GetMesuraPanel(int index) const {
    return index >= 0 && index < CountMesures() ? mesures_[static_cast<size_t>(index)] : nullptr;
}

CEstat* CPanelEdit::GetEstat() const { return estat_ ? estat_->GetEstat() : nullptr; }
CEstat* CPanelEdit::GetVR() const { return vr_ ? vr_->GetEstat() : nullptr; }
CGrup* CPanelEdit::GetBitGrup() const { return bitGrup_ ? bitGrup_->GetGrup() : nullptr; }
CEvents* CPanelEdit::GetEvents() const { return events_ ? events_->GetEvents() : nullptr; }
CGrupFlash* CPanelEdit::GetFlashGrup() const { return flashGrup_ ? flashGrup_->GetGrupFlash() : nullptr; }
CEstat* CPanelEdit::GetGrafic() const { return grafic_ ? grafic_->GetEstat() : nullptr; }

void CPanelEdit::MarkModified() {
    if (modified_) modified_();
}

void MarkInstallationModified(wxWindow* window) {
    for (wxWindow* w = window; w; w = w->GetParent()) {
        if (auto* view = dynamic_cast<CPanelEdit*>(w)) {
            view->MarkModified();
            return;
        }
    }
}

namespace {
// The view start, in scroll units, that shows the span [from, from + length) of a view whose
// start is start pixels and whose visible length is visible, moving as little as possible.
int StartShowing(int from, int length, int start, int visible, int unit) {
    if (from < start) return from / unit;
    if (from + length <= start + visible) return start / unit;
    const int lowest = (from + length - visible + unit - 1) / unit;  // the far edge in sight
    return std::min(lowest, from / unit);                            // the near edge stays in sight
}
}  // namespace

void ScrollIntoView(wxWindow* window, const wxRect& rect) {
    for (wxWindow* w = window ? window->GetParent() : nullptr; w; w = w->GetParent()) {
        auto* scrolled = dynamic_cast<wxScrollHelper*>(w);
        if (!scrolled) continue;
        int unitX = 0, unitY = 0, startX = 0, startY = 0;
        scrolled->GetScrollPixelsPerUnit(&unitX, &unitY);
        scrolled->GetViewStart(&startX, &startY);
        startX *= unitX;
        startY *= unitY;
        // The rectangle in the scrolled area's own (unscrolled) coordinates.
        const wxPoint at = w->ScreenToClient(rect.GetPosition()) + wxPoint(startX, startY);
        const wxSize client = w->GetClientSize();
        const int x = unitX > 0 ? StartShowing(at.x, rect.width, startX, client.x, unitX) : -1;
        const int y = unitY > 0 ? StartShowing(at.y, rect.height, startY, client.y, unitY) : -1;
        scrolled->Scroll(x, y);
        return;
    }
}

void DestroyPanelControls(wxWindow* panel) {
    if (wxSizer* sizer = panel->GetSizer()) sizer->Clear(true);
    panel->DestroyChildren();
}

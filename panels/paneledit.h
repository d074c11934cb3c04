// CPanelEdit: the right-hand pane of the main window, a vertically scrolling view that hosts the
// panels of the selected tree node. It holds no data of its own: the core clears it, gives it a
// heading and adds the panels of the node's kind, and makes it reload or store every hosted panel
// around its operations (the EditView seam).
#pragma once

#include <functional>
#include <vector>

#include <wx/scrolwin.h>

#include "core/views.h"

class wxStaticText;
class CPanelBitGrup;
class CPanelCodi;
class CPanelDades;
class CPanelEstat;
class CPanelEvents;
class CPanelFlashGrup;
class CPanelGrafic;
class CPanelMesura;
class CPanelVR;

class CPanelEdit : public wxScrolledWindow, public EditView {
public:
    CPanelEdit(wxWindow* parent, wxWindowID id = wxID_ANY, const wxPoint& pos = wxDefaultPosition,
               const wxSize& size = wxDefaultSize, long style = wxHSCROLL | wxVSCROLL,
               const wxString& name = wxT("scrolledWindow"));
    ~CPanelEdit() override;

    // ---- EditView ----
    void TransferFromPanels() override;
    void TransferToPanels() override;
    void RefreshPanels() override;
    void Clear() override;
    void SetHeading(const std::string& heading) override;
    CDades* GetDades() override;
    void AddDades(CDades* dades) override;
    void AddCodi(CCodi* codi) override;
    void AddBitGrup(CGrup* grup) override;
    void AddFlashGrup(CGrupFlash* grup) override;
    void AddMesura(CMesura* mesura) override;
    void AddVR(CEstat* estat) override;
    void AddEstat(CEstat* estat, CAppCore* core, CGrup* zones, CGrup* areas, CGrup* outputs) override;
    void AddGrafic(CEstat* estat, CAppCore* core, CGrup* zones, CGrup* areas, CGrup* outputs) override;
    void AddEvents(CEvents* events, CGrup* zones, CGrup* areas, CGrup* users) override;

    // The index of the code panel just added (AddCodi / AddMesura return nothing through the seam).
    int CountCodis() const { return static_cast<int>(codis_.size()); }
    int CountMesures() const { return static_cast<int>(mesures_.size()); }
    // Records of the hosted panels, or null (also for an index outside the list).
    CCodi* GetCodi(int index) const;
    CMesura* GetMesura(int index) const;
    CEstat* GetEstat() const;
    CEstat* GetVR() const;
    CGrup* GetBitGrup() const;
    CEvents* GetEvents() const;
    CGrupFlash* GetFlashGrup() const;
    CEstat* GetGrafic() const;

    // The hosted panels themselves (null when absent), for the window and its tests.
    CPanelCodi* GetCodiPanel(int index) const;
    CPanelMesura* GetMesuraPanel(int index) const;
    CPanelEstat* GetEstatPanel() const { return estat_; }
    CPanelBitGrup* GetBitGrupPanel() const { return bitGrup_; }
    CPanelVR* GetVRPanel() const { return vr_; }
    CPanelEvents* GetEventsPanel() const { return events_; }
    CPanelDades* GetDadesPanel() const { return dades_; }
    CPanelFlashGrup* GetFlashGrupPanel() const { return flashGrup_; }
    CPanelGrafic* GetGraficPanel() const { return grafic_; }
    wxStaticText* GetHeading() const { return heading_; }

    // Edits that change what the installation file stores (flash cells and file paths, site-plan
    // elements) call MarkModified; the window routes it to the core.
    void SetModifiedHandler(std::function<void()> handler) { modified_ = std::move(handler); }
    void MarkModified();

private:
    void Init();
    // Reloads every hosted panel; keepPicks: the status panel keeps its ticks and selection.
    void Reload(bool keepPicks);
    void DeleteHeading();
    void Refit();
    // Appends a hosted panel to the stack and refits the scrolled area.
    void Stack(wxWindow* panel, int proportion, int borderSides);

    wxStaticText* heading_ = nullptr;
    std::vector<CPanelCodi*> codis_;
    std::vector<CPanelMesura*> mesures_;
    CPanelEstat* estat_ = nullptr;
    CPanelBitGrup* bitGrup_ = nullptr;
    CPanelVR* vr_ = nullptr;
    CPanelEvents* events_ = nullptr;
    CPanelDades* dades_ = nullptr;
    CPanelFlashGrup* flashGrup_ = nullptr;
    CPanelGrafic* grafic_ = nullptr;
    std::function<void()> modified_;
};

// Deletes every control of a hosted panel: its sizer's contents (a titled box's sizer owns the
// box) and then every child window left.
void DestroyPanelControls(wxWindow* panel);

// Scrolls the nearest scrolled window above window (the edit view) the least that brings rect,
// in screen coordinates, into its client area; where rect is larger than that area, its left or
// top edge wins. Does nothing when no scrolled window holds window.
void ScrollIntoView(wxWindow* window, const wxRect& rect);

// Marks the installation modified through the edit view that hosts window (searched up its
// parents); does nothing when window is not inside one.
void MarkInstallationModified(wxWindow* window);

// CPanelGrafic: the panel of a component's "Gráfico" status view. It shows the component's four
// site-plan pages on four canvases (CPanelMapa), all four in a two-by-two mosaic or one chosen
// page in full; with one page shown, edit mode offers the tools to place sensors, sirens,
// outputs and relays on it, to delete them, and to choose the page's picture. Its record is the
// component's status (CEstat), whose site-plan record the canvases show and edit in place; every
// such edit marks the installation modified.
#pragma once

#include <array>

#include <wx/panel.h>

#include "panels/planlogic.h"

class wxBoxSizer;
class wxButton;
class wxComboBox;
class wxGridSizer;
class wxTextCtrl;
class wxToolBar;
class CAppCore;
class CEstat;
class CGrup;
class CPanelMapa;

class CPanelGrafic : public wxPanel {
public:
    // Ids of the tools and controls.
    enum : int {
        ID_Fire = wxID_HIGHEST + 1620,
        ID_Water,
        ID_Barrier,
        ID_Gas,
        ID_Infrared,
        ID_Contact,
        ID_Siren,
        ID_Output,
        ID_Relay,
        ID_Delete,
        ID_Browse,
        ID_Edit,
        ID_Pages,
    };
    static constexpr int kCanvases = 4;
    static constexpr int kMosaic = 4;  // the page chooser's last choice

    CPanelGrafic(wxWindow* parent, wxWindowID id = wxID_ANY, const wxPoint& pos = wxDefaultPosition,
                 const wxSize& size = wxDefaultSize, long style = wxTAB_TRAVERSAL,
                 const wxString& name = wxT("scrolledWindow"));
    ~CPanelGrafic() override;

    // ---- binding (before SetEstat: SetNames, SetComms) ----
    bool SetNames(CGrup* zones, CGrup* areas, CGrup* outputs);
    bool SetComms(CAppCore* core);
    // Binds the record and builds the controls.
    bool SetEstat(CEstat* record);
    // Repaints the canvases with the record's current element states.
    bool UpdateControls();
    // Stores nothing: every edit already went into the records.
    bool StoreControls();
    CEstat* GetEstat() const { return record_; }
    // Unbinds the record (and the canvases, which stop repainting).
    void Clear();

    void Build();
    void SetEditMode(bool on);
    void ClearBuilt() { built_ = false; }
    bool IsEditMode() const { return editMode_; }
    bool IsBuilt() const { return built_; }
    bool IsMosaic() const { return grid_ != nullptr; }

    // The controls, for the window and its tests (null before Build).
    CPanelMapa* GetCanvas(int k) const;
    wxToolBar* GetToolBar() const { return toolBar_; }
    wxButton* GetEditButton() const { return editButton_; }
    wxComboBox* GetPageChooser() const { return pages_; }
    wxTextCtrl* GetPathBox() const { return pathBox_; }
    const plan::NameTable& GetZoneNames() const { return zoneNames_; }
    const plan::NameTable& GetAreaNames() const { return areaNames_; }
    const plan::NameTable& GetOutputNames() const { return outputNames_; }

private:
    void OnAddSensor(wxCommandEvent& event);
    void OnAddOutput(wxCommandEvent& event);
    void OnAddRelay(wxCommandEvent& event);
    void OnDelete(wxCommandEvent& event);
    void OnBrowseMap(wxCommandEvent& event);
    void OnToggleEditMode(wxCommandEvent& event);
    void OnSelectMap(wxCommandEvent& event);

    void ShowPage(int page);
    void ShowMosaic();
    // Asks which of count numbers, named by table entries first + n, to bind; -1 when cancelled.
    int ChooseNumber(const std::string& question, const std::string& caption, const plan::NameTable& table,
                     int first, int count);
    void DestroyControls();

    CEstat* record_ = nullptr;
    CAppCore* core_ = nullptr;
    std::array<CPanelMapa*, kCanvases> canvases_{};
    wxToolBar* toolBar_ = nullptr;
    wxTextCtrl* pathBox_ = nullptr;
    wxButton* browseButton_ = nullptr;
    wxButton* editButton_ = nullptr;
    wxComboBox* pages_ = nullptr;
    wxBoxSizer* planArea_ = nullptr;
    wxGridSizer* grid_ = nullptr;
    bool editMode_ = false;
    bool built_ = false;
    plan::NameTable zoneNames_;
    plan::NameTable areaNames_;
    plan::NameTable outputNames_;
};

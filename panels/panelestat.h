// CPanelEstat: the live status monitor of one component. The panel clock always; with the
// component's general page also every zone with its state, the areas armed or not, the outputs
// and relays, the eight warnings of the panel status byte and the radio coverage. Its buttons
// command the component through the core (panelestat_commands.cpp) and reload the panel after
// each command. It only displays the status record, which the core's status reads fill.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include <wx/panel.h>

#include "panels/estatrows.h"

class wxCheckListBox;
class wxCommandEvent;
class wxListCtrl;
class wxSizer;
class wxStaticBitmap;
class wxStaticText;
class CAppCore;
class CGrup;
class CEstat;

class CPanelEstat : public wxPanel {
public:
    // The buttons' command ids.
    enum Command {
        ID_SYNC_CLOCK = wxID_HIGHEST + 1400,
        ID_SET_CLOCK,
        ID_BYPASS_ZONES,
        ID_UNBYPASS_ZONES,
        ID_ARM_AREAS,
        ID_DISARM_AREAS,
        ID_OUTPUTS_ON,
        ID_OUTPUTS_OFF,
        ID_PHONE_TEST,
    };

    // Created with the default size it takes 350 x 30 pixels.
    CPanelEstat(wxWindow* parent, wxWindowID id = wxID_ANY, const wxPoint& pos = wxDefaultPosition,
                const wxSize& size = wxDefaultSize, long style = wxTAB_TRAVERSAL,
                const wxString& name = wxT("scrolledWindow"));
    ~CPanelEstat() override;

    // The zone, area and output names from their alias groups (each may be null); called before
    // SetEstat so the first build shows them.
    bool SetNames(CGrup* zones, CGrup* areas, CGrup* outputs);
    void SetCore(CAppCore* core) { core_ = core; }
    // Binds the record (not owned) and builds the controls for it.
    bool SetEstat(CEstat* record);
    // Record to controls; false without a record. Rebuilds the zone rows and the list items (tick
    // marks and selection are cleared); the layout stays the one chosen at binding.
    bool UpdateControls();
    // The same load for a reload the installer did not ask for (the idle poll, a changed
    // status): the ticked areas and outputs and the selected zones stay as the installer left
    // them, for the command still to come.
    bool RefreshControls();
    // Stores nothing: the panel only displays. Whether a record is bound.
    bool StoreControls() { return record_ != nullptr; }
    CEstat* GetEstat() const { return record_; }
    // Forgets the record; the controls stay and later loads do nothing.
    void Clear() { record_ = nullptr; }
    void FillZoneList();

    // Commands (the buttons' handlers call these). A clock of nullopt is the PC's clock.
    void SendClock(const std::optional<PanelClock>& clock);
    void SetOutputs(bool on);

    const NameTable& GetZoneNames() const { return zoneNames_; }
    const NameTable& GetAreaNames() const { return areaNames_; }
    const NameTable& GetOutputNames() const { return outputNames_; }

    // The controls (null in the clock-only layout), for the window's tests and screenshots.
    wxStaticText* GetTimeText() const { return timeText_; }
    wxStaticText* GetDateText() const { return dateText_; }
    wxStaticText* GetCoverageText() const { return coverageText_; }
    wxStaticBitmap* GetCoverageBar(int i) const { return InRange(i, 4) ? bars_[static_cast<std::size_t>(i)] : nullptr; }
    wxListCtrl* GetZoneList() const { return zoneList_; }
    wxCheckListBox* GetAreaList() const { return areaList_; }
    wxCheckListBox* GetOutputList() const { return outputList_; }
    wxStaticBitmap* GetWarningIcon(int bit) const {
        return InRange(bit, 8) ? warningIcons_[static_cast<std::size_t>(bit)] : nullptr;
    }
    wxStaticText* GetWarningText(int bit) const {
        return InRange(bit, 8) ? warningTexts_[static_cast<std::size_t>(bit)] : nullptr;
    }

private:
    static bool InRange(int i, int n) { return i >= 0 && i < n; }

    void CreateControls();
    void DeleteControls();
    wxSizer* CreateClockRow(bool full);
    wxSizer* CreateButtonRow(const wxString& caption, int firstId, const char* firstPicture, const wxString& firstLabel,
                             int secondId, const char* secondPicture, const wxString& secondLabel, int lastBorder);
    wxSizer* CreateWarningBox();
    wxStaticText* Label(wxWindow* parent, const wxString& text);

    // ---- commands (panelestat_commands.cpp) ----
    void OnSyncClock(wxCommandEvent& event);
    void OnSetClock(wxCommandEvent& event);
    void OnBypassZones(wxCommandEvent& event);
    void OnUnbypassZones(wxCommandEvent& event);
    void OnArmAreas(wxCommandEvent& event);
    void OnDisarmAreas(wxCommandEvent& event);
    void OnOutputsOn(wxCommandEvent& event);
    void OnOutputsOff(wxCommandEvent& event);
    void OnPhoneTest(wxCommandEvent& event);
    void ZoneCommand(bool bypass);
    void AreaCommand(bool arm);
    void PhoneTest();
    // Runs body as one command series of the core (busy flag and one "Enviando..." dialog of
    // maximum steps, both released on every path), reloads the panel, then shows the errors
    // that body collected.
    template <class Body>
    void RunSeries(int maximum, Body body);
    std::vector<bool> Ticked(const wxCheckListBox* list) const;
    std::vector<bool> SelectedZones() const;
    static void Retick(wxCheckListBox* list, const std::vector<bool>& ticked);

    CEstat* record_ = nullptr;
    CAppCore* core_ = nullptr;
    NameTable zoneNames_;
    NameTable areaNames_;
    NameTable outputNames_;
    bool full_ = false;  // the layout chosen at binding

    wxStaticText* timeText_ = nullptr;
    wxStaticText* dateText_ = nullptr;
    wxStaticText* coverageText_ = nullptr;
    std::array<wxStaticBitmap*, 4> bars_{};
    wxListCtrl* zoneList_ = nullptr;
    wxCheckListBox* areaList_ = nullptr;
    wxCheckListBox* outputList_ = nullptr;
    std::array<wxStaticBitmap*, 8> warningIcons_{};
    std::array<wxStaticText*, 8> warningTexts_{};
};

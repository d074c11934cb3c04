// CPanelVR: the state of a component's radio devices as a read-only grid, one column per device
// (labelled zone.device) and four rows for the four flags the status record keeps per device.
// It binds the component's status record (not owned) and rebuilds the grid at every reload.
#pragma once

#include <wx/panel.h>

class wxBoxSizer;
class wxGrid;
class wxGridEvent;
class CEstat;

class CPanelVR : public wxPanel {
public:
    // Created with the default size it takes 300 x 150 pixels.
    CPanelVR(wxWindow* parent, wxWindowID id = wxID_ANY, const wxPoint& pos = wxDefaultPosition,
             const wxSize& size = wxDefaultSize, long style = wxTAB_TRAVERSAL,
             const wxString& name = wxT("scrolledWindow"));
    ~CPanelVR() override;

    // Binds the record and builds the grid.
    bool SetEstat(CEstat* record);
    // Rebuilds the grid from the record; false without a record.
    bool UpdateControls();
    // Stores nothing; whether a record is bound.
    bool StoreControls() { return record_ != nullptr; }
    CEstat* GetEstat() const { return record_; }
    // Forgets the record and deletes the grid.
    void Clear();
    void DeleteControls();

    // Null while no grid is shown (no record, or a record without zones).
    wxGrid* GetGrid() const { return grid_; }

private:
    void Build();
    // Keeps the cell the cursor moves to (arrow keys, a click) in sight.
    void OnCursorMoved(wxGridEvent& event);

    CEstat* record_ = nullptr;
    wxGrid* grid_ = nullptr;
    wxBoxSizer* sizer_ = nullptr;
};

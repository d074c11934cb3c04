// CPanelBitGrup: a bit group as one grid, a line per code and a cell per bit ("X" set, "-"
// clear). A double click, a right click or the space bar toggles bits; each toggle is written
// into its code at once.
#pragma once

#include <wx/panel.h>

#include "panels/bitgrid.h"

class CGrup;
class wxGrid;
class wxGridEvent;
class wxKeyEvent;

class CPanelBitGrup : public wxPanel {
public:
    CPanelBitGrup(wxWindow* parent, wxWindowID id = wxID_ANY, const wxPoint& pos = wxDefaultPosition,
                  const wxSize& size = wxDefaultSize, long style = wxTAB_TRAVERSAL,
                  const wxString& name = wxT("scrolledWindow"));
    ~CPanelBitGrup() override;

    // Binds the group (not owned) and builds the grid.
    bool SetGrup(CGrup* grup);
    CGrup* GetGrup() const { return grup_; }
    // Forgets the group and deletes the grid.
    void Clear();
    void Build();
    // Every cell from its code; false without a group or grid.
    bool UpdateControls();
    // Every toggle is already in the codes: nothing to store.
    bool StoreControls() { return true; }

    // Toggles the bit of one cell and shows what the code then holds.
    void ToggleBit(int row, int col);
    // Toggles every selected cell, or the given cell when nothing is selected.
    void ToggleSelection(int row, int col);

    wxGrid* GetGrid() const { return grid_; }
    const BitGridLayout& GetLayout() const { return layout_; }

private:
    void DeleteGrid();
    void ShowCell(int row, int col);
    void OnCellLeftDClick(wxGridEvent& event);
    void OnCellRightClick(wxGridEvent& event);
    void OnKeyDown(wxKeyEvent& event);

    CGrup* grup_ = nullptr;
    wxGrid* grid_ = nullptr;
    BitGridLayout layout_;
};

// CPanelFlashGrup: edits one flash group in the edit view. An element table is a grid, one row
// per element and one column per column of the table; a file group is a stack of rows, one per
// file: a web-server image row for the image, a file row for any other file.
#pragma once

#include <string>
#include <vector>

#include <wx/panel.h>

class CGrupFlash;
class CPanelFitxer;
class CPanelWebserver;
class wxGrid;
class wxGridEvent;

class CPanelFlashGrup : public wxPanel {
public:
    CPanelFlashGrup(wxWindow* parent, wxWindowID id = wxID_ANY, const wxPoint& pos = wxDefaultPosition,
                    const wxSize& size = wxDefaultSize, long style = wxTAB_TRAVERSAL,
                    const wxString& name = wxT("scrolledWindow"));
    ~CPanelFlashGrup() override;

    // Binds the group (not owned) and builds the grid or the rows; true.
    bool SetGrupFlash(CGrupFlash* grup);
    CGrupFlash* GetGrupFlash() const { return grup_; }
    // Grid cells, or every row, from the group; false without a group (or a table without grid).
    bool UpdateControls();
    // The cell being typed is committed first; then every cell the installer changed goes into
    // the table and shows the table's text again, and every row stores itself. False without a
    // group, without a grid for a table, when a cell was refused (it shows the table's value
    // again) or when a row refused its path.
    bool StoreControls();
    // Forgets the group and deletes the controls.
    void Clear();

    // The controls (null or empty while none is built), for the window's tests.
    wxGrid* GetGrid() const { return grid_; }
    const std::vector<CPanelFitxer*>& GetFileRows() const { return fitxers_; }
    const std::vector<CPanelWebserver*>& GetImageRows() const { return webservers_; }
    // The rows top to bottom, file and image rows as the group orders its files.
    const std::vector<wxWindow*>& GetRows() const { return rows_; }

private:
    void Build();
    void BuildTable();
    void BuildFiles();
    void DeleteControls();
    // A typed cell that program text cannot hold, or that its column would show as another
    // value, is refused before the grid keeps it.
    void OnCellChanging(wxGridEvent& event);
    // The box for a cell's text that is refused, or empty when the text is taken (kept: the
    // cell's value that stays).
    std::string CellRefusal(int row, int col, const std::string& text, bool lossless, const std::string& kept) const;
    void OnCellChanged(wxGridEvent& event);
    void ShowRefusal();

    CGrupFlash* grup_ = nullptr;
    wxGrid* grid_ = nullptr;
    std::vector<CPanelFitxer*> fitxers_;
    std::vector<CPanelWebserver*> webservers_;
    std::vector<wxWindow*> rows_;
    // A refused cell's message, shown once the grid has finished with the edit.
    std::string refusal_;
    wxSize initialMinSize_;
};

#include "panels/panelbitgrup.h"

#include <algorithm>

#include <wx/grid.h>
#include <wx/sizer.h>

#include "datamodel/codi.h"
#include "datamodel/grup.h"
#include "panels/wxtext.h"

namespace {
// Room on each side of a row label's text.
constexpr int kLabelMargin = 6;
}  // namespace

CPanelBitGrup::CPanelBitGrup(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size, long style,
                             const wxString& name)
    : wxPanel(parent, id, pos, size == wxDefaultSize ? wxSize(300, 150) : size, style, name) {
    SetSizer(new wxBoxSizer(wxVERTICAL));
}

CPanelBitGrup::~CPanelBitGrup() { DeleteGrid(); }

bool CPanelBitGrup::SetGrup(CGrup* grup) {
    grup_ = grup;
    Build();
    return true;
}

void CPanelBitGrup::Clear() {
    grup_ = nullptr;
    DeleteGrid();
}

void CPanelBitGrup::DeleteGrid() {
    if (grid_) grid_->Destroy();
    grid_ = nullptr;
    layout_ = BitGridLayout();
}

void CPanelBitGrup::Build() {
    if (!grup_) return;
    DeleteGrid();
    layout_ = BitGridLayout(*grup_);
    grid_ = new wxGrid(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxWANTS_CHARS);
    grid_->CreateGrid(layout_.Rows(), layout_.Cols(), wxGrid::wxGridSelectCells);
    for (int r = 0; r < layout_.Rows(); ++r) grid_->SetRowLabelValue(r, ToWx(layout_.RowLabels()[static_cast<std::size_t>(r)]));
    for (int c = 0; c < layout_.Cols(); ++c) grid_->SetColLabelValue(c, ToWx(layout_.ColLabels()[static_cast<std::size_t>(c)]));
    // Six pixels a character, or what the label font needs where that is wider, so no label is cut.
    int labelWidth = layout_.RowLabelWidth();
    const wxFont labelFont = grid_->GetLabelFont();
    for (const std::string& label : layout_.RowLabels()) {
        int width = 0;
        int height = 0;
        grid_->GetTextExtent(ToWx(label), &width, &height, nullptr, nullptr, &labelFont);
        labelWidth = std::max(labelWidth, width + 2 * kLabelMargin);
    }
    grid_->SetRowLabelSize(labelWidth);
    UpdateControls();
    grid_->SetDefaultCellAlignment(wxALIGN_CENTRE, wxALIGN_CENTRE);
    grid_->AutoSize();
    grid_->DisableDragGridSize();
    grid_->DisableDragRowSize();
    grid_->EnableEditing(false);
    // Grid events do not climb to the panel, and its keys never reach it: bound on the grid.
    grid_->Bind(wxEVT_GRID_CELL_LEFT_DCLICK, &CPanelBitGrup::OnCellLeftDClick, this);
    grid_->Bind(wxEVT_GRID_CELL_RIGHT_CLICK, &CPanelBitGrup::OnCellRightClick, this);
    grid_->Bind(wxEVT_KEY_DOWN, &CPanelBitGrup::OnKeyDown, this);
    // The grid scrolls within the panel, keeping its labels in sight, rather than stretching the
    // edit view.
    grid_->SetMinSize(GetMinSize());
    grid_->Refresh();
    GetSizer()->Add(grid_, wxSizerFlags(1).Expand());
    GetSizer()->Layout();
}

bool CPanelBitGrup::UpdateControls() {
    if (!grup_ || !grid_) return false;
    for (int row = 0; row < layout_.Rows(); ++row)
        for (int col = 0; col < layout_.Cols(); ++col) ShowCell(row, col);
    return true;
}

void CPanelBitGrup::ShowCell(int row, int col) {
    const auto cell = layout_.CellOf(row, col);
    if (!cell || !grid_ || row >= grid_->GetNumberRows() || col >= grid_->GetNumberCols()) return;
    CCodi* codi = grup_ ? grup_->GetCodi(cell->code) : nullptr;
    grid_->SetCellValue(row, col, codi ? ToWx(BitCellText(*codi, cell->bit)) : wxString());
}

void CPanelBitGrup::ToggleBit(int row, int col) {
    const auto cell = layout_.CellOf(row, col);
    if (!cell || !grup_) return;
    if (CCodi* codi = grup_->GetCodi(cell->code)) ToggleCodiBit(*codi, cell->bit);
    // Shown from the code, so a refused toggle shows the bit as it stayed.
    ShowCell(row, col);
}

void CPanelBitGrup::ToggleSelection(int row, int col) {
    if (!grup_ || !grid_) return;
    std::vector<GridBlock> blocks;
    for (const wxGridBlockCoords& b : grid_->GetSelectedBlocks())
        blocks.push_back({b.GetTopRow(), b.GetLeftCol(), b.GetBottomRow(), b.GetRightCol()});
    for (const GridCell& cell : CellsToToggle(blocks, {row, col})) ToggleBit(cell.row, cell.col);
}

void CPanelBitGrup::OnCellLeftDClick(wxGridEvent& event) {
    if (!grup_ || !grid_) return;
    ToggleBit(event.GetRow(), event.GetCol());
}

void CPanelBitGrup::OnCellRightClick(wxGridEvent& event) {
    // A right click does not move the grid cursor: with nothing selected the clicked cell is
    // the one meant.
    ToggleSelection(event.GetRow(), event.GetCol());
}

void CPanelBitGrup::OnKeyDown(wxKeyEvent& event) {
    if (event.GetKeyCode() != WXK_SPACE || !grup_ || !grid_) {
        event.Skip();
        return;
    }
    ToggleSelection(grid_->GetGridCursorRow(), grid_->GetGridCursorCol());
}

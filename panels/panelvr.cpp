#include "panels/panelvr.h"

#include <wx/grid.h>
#include <wx/sizer.h>

#include "datamodel/estat.h"
#include "panels/estatrows.h"
#include "panels/paneledit.h"
#include "panels/wxtext.h"

CPanelVR::CPanelVR(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size, long style,
                   const wxString& name)
    : wxPanel(parent, id, pos, size == wxDefaultSize ? wxSize(300, 150) : size, style, name) {
    sizer_ = new wxBoxSizer(wxVERTICAL);
    SetSizer(sizer_);
}

CPanelVR::~CPanelVR() { DeleteControls(); }

bool CPanelVR::SetEstat(CEstat* record) {
    record_ = record;
    Build();
    return true;
}

bool CPanelVR::UpdateControls() {
    if (!record_) return false;
    DeleteControls();
    Build();
    return true;
}

void CPanelVR::Clear() {
    record_ = nullptr;
    DeleteControls();
}

void CPanelVR::DeleteControls() {
    // Only a grid that is there is taken out (the sizer may be empty).
    if (!grid_) return;
    sizer_->Detach(grid_);
    grid_->Destroy();
    grid_ = nullptr;
}

void CPanelVR::Build() {
    if (!record_ || record_->GetZoneCount() <= 0) return;
    DeleteControls();
    const int devices = record_->GetRadioZoneCount();
    grid_ = new wxGrid(this, wxID_ANY, wxPoint(0, 0), wxSize(300, 150), wxWANTS_CHARS);
    grid_->CreateGrid(4, devices, wxGrid::wxGridSelectCells);
    static const wchar_t* const kRows[4] = {L"Activada", L"Fallo test", L"Batería baja", L"Avería"};
    for (int row = 0; row < 4; ++row) grid_->SetRowLabelValue(row, kRows[row]);
    grid_->SetRowLabelSize(wxGRID_AUTOSIZE);  // "Batería baja" whole

    const std::vector<std::string> labels = RadioColumnLabels(record_->GetZoneCount(), devices);
    for (int i = 0; i < devices; ++i) {
        const bool flags[4] = {record_->GetRadioFlag0(i), record_->GetRadioFlag1(i), record_->GetRadioFlag2(i),
                               record_->GetRadioFlag3(i)};
        for (int row = 0; row < 4; ++row) {
            grid_->SetCellValue(row, i, flags[row] ? wxT("X") : wxT("-"));
            grid_->SetCellAlignment(row, i, wxALIGN_CENTRE, wxALIGN_CENTRE);
        }
        grid_->SetColLabelValue(i, ToWx(labels[static_cast<std::size_t>(i)]));
    }
    grid_->AutoSizeColumns(true);
    grid_->DisableDragGridSize();
    grid_->DisableDragColSize();
    grid_->DisableDragRowSize();
    grid_->EnableEditing(false);
    grid_->ForceRefresh();
    // Whole, every device in sight: the edit view scrolls over a grid wider than the window
    // rather than the grid hiding devices behind a scroll bar of its own.
    grid_->SetMinSize(grid_->GetBestSize());
    // The grid never scrolls itself, so its own following of the cursor moves nothing: the
    // view around it follows the cursor instead.
    grid_->Bind(wxEVT_GRID_SELECT_CELL, &CPanelVR::OnCursorMoved, this);
    sizer_->Add(grid_, wxSizerFlags(1).Expand());
    sizer_->Layout();
}

void CPanelVR::OnCursorMoved(wxGridEvent& event) {
    event.Skip();
    if (!grid_) return;
    const wxRect cell = grid_->CellToRect(event.GetRow(), event.GetCol());
    const wxPoint at = grid_->GetGridWindow()->ClientToScreen(grid_->CalcScrolledPosition(cell.GetPosition()));
    ScrollIntoView(grid_, wxRect(at, cell.GetSize()));
}

#include "panels/panelflashgrup.h"

#include <algorithm>
#include <vector>

#include <wx/grid.h>
#include <wx/sizer.h>

#include "datamodel/codifit.h"
#include "datamodel/grupflash.h"
#include "datamodel/strings.h"
#include "panels/dialogs.h"
#include "panels/editrefusal.h"
#include "panels/flashtext.h"
#include "panels/paneledit.h"
#include "panels/panelfitxer.h"
#include "panels/panelwebserver.h"
#include "panels/wxtext.h"

namespace {
bool ColumnIsEditable(CCodi* column) {
    return column && column->IsEditable() && column->GetByteCount() > 0 && column->GetType() != CodiSortida;
}
}  // namespace

CPanelFlashGrup::CPanelFlashGrup(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size, long style,
                                 const wxString& name)
    : wxPanel(parent, id, pos, size == wxDefaultSize ? wxSize(300, 150) : size, style, name) {
    initialMinSize_ = GetMinSize();
    SetSizer(new wxBoxSizer(wxVERTICAL));
}

CPanelFlashGrup::~CPanelFlashGrup() { DeleteControls(); }

bool CPanelFlashGrup::SetGrupFlash(CGrupFlash* grup) {
    grup_ = grup;
    Build();
    return true;
}

void CPanelFlashGrup::Clear() {
    grup_ = nullptr;
    DeleteControls();
}

void CPanelFlashGrup::DeleteControls() {
    // The grid and every row are destroyed, so a rebuild leaves no stale control behind.
    DestroyPanelControls(this);
    grid_ = nullptr;
    fitxers_.clear();
    webservers_.clear();
    rows_.clear();
    refusal_.clear();
}

void CPanelFlashGrup::Build() {
    DeleteControls();
    if (!grup_) return;
    if (grup_->GetKind() == FlashGroupTable) {
        BuildTable();
    } else {
        BuildFiles();
    }
}

void CPanelFlashGrup::BuildTable() {
    SetMinSize(initialMinSize_);
    // A table whose size is not known yet has no element to show.
    const int rows = grup_->HasTable() && grup_->GetElements() > 0 ? grup_->GetElements() : 0;
    const int cols = grup_->GetColumnaCount();
    grid_ = new wxGrid(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxWANTS_CHARS);
    grid_->CreateGrid(rows, cols, wxGrid::wxGridSelectCells);
    for (int c = 0; c < cols; ++c) {
        grid_->SetColLabelValue(c, ToWx(grup_->GetColumna(c)));
        if (!ColumnIsEditable(grup_->GetColumnaAt(c))) {
            auto* attr = new wxGridCellAttr;
            attr->SetReadOnly();
            grid_->SetColAttr(c, attr);
        }
    }
    for (int i = 0; i < rows; ++i) grid_->SetRowLabelValue(i, ToWx(FlashRowLabel(i)));
    UpdateControls();
    grid_->SetRowLabelSize(100);
    grid_->SetDefaultCellAlignment(wxALIGN_RIGHT, wxALIGN_CENTRE);
    grid_->AutoSize();
    grid_->DisableDragGridSize();
    grid_->DisableDragRowSize();
    grid_->EnableEditing(true);
    grid_->Bind(wxEVT_GRID_CELL_CHANGING, &CPanelFlashGrup::OnCellChanging, this);
    grid_->Bind(wxEVT_GRID_CELL_CHANGED, &CPanelFlashGrup::OnCellChanged, this);
    GetSizer()->Add(grid_, wxSizerFlags(1).Expand());
    GetSizer()->Layout();
}

void CPanelFlashGrup::BuildFiles() {
    for (int i = 0; i < grup_->GetFitxerCount(); ++i) {
        CFitxer* fitxer = grup_->GetFitxer(i);
        if (!fitxer) continue;
        wxWindow* row = nullptr;
        if (fitxer->IsRom()) {
            auto* image = new CPanelWebserver(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxNO_BORDER,
                                              wxT("scrolledWindow"));
            webservers_.push_back(image);
            image->SetFitxer(fitxer);
            row = image;
        } else {
            auto* file = new CPanelFitxer(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxNO_BORDER,
                                          wxT("scrolledWindow"));
            fitxers_.push_back(file);
            file->SetFitxer(fitxer);
            row = file;
        }
        rows_.push_back(row);
        GetSizer()->Add(row, wxSizerFlags(0).Expand().Border(wxBOTTOM, 5));
    }
    // The stack is as tall as its rows: the edit view scrolls over it.
    SetMinSize(wxDefaultSize);
    GetSizer()->Layout();
}

bool CPanelFlashGrup::UpdateControls() {
    if (!grup_) return false;
    if (grup_->GetKind() == FlashGroupTable) {
        if (!grid_) return false;
        for (int i = 0; i < grid_->GetNumberRows(); ++i) {
            for (int c = 0; c < grid_->GetNumberCols(); ++c) grid_->SetCellValue(i, c, ToWx(grup_->GetCellText(i, c)));
        }
        return true;
    }
    for (CPanelFitxer* row : fitxers_) row->UpdateControls();
    for (CPanelWebserver* row : webservers_) row->UpdateControls();
    return true;
}

bool CPanelFlashGrup::StoreControls() {
    if (!grup_) return false;
    if (grup_->GetKind() != FlashGroupTable) {
        bool ok = true;
        for (CPanelFitxer* row : fitxers_) ok = row->StoreControls() && ok;
        for (CPanelWebserver* row : webservers_) ok = row->StoreControls() && ok;
        return ok;
    }
    if (!grid_) return false;
    // The cell being typed goes through the same check as any edit before the cells are read.
    if (grid_->IsCellEditControlEnabled()) grid_->DisableCellEditControl();
    ShowRefusal();
    bool changed = false;
    std::string refused;
    const int elementBytes = std::max(grup_->GetBytesElement(), 0);
    for (int i = 0; i < grid_->GetNumberRows(); ++i) {
        for (int c = 0; c < grid_->GetNumberCols(); ++c) {
            // Only the cells the installer changed are encoded again: the others keep the
            // panel's bytes as they came, even where the column would show them otherwise.
            bool lossless = true;
            const std::string text = FromWx(grid_->GetCellValue(i, c), &lossless);
            const std::string stored = grup_->GetCellText(i, c);
            if (text == stored) continue;
            // A text that reached the grid without its editor is checked here as an edit is.
            const std::string why = CellRefusal(i, c, text, lossless, stored);
            if (why.empty()) {
                const unsigned char* element = grup_->GetElementPtr(i);
                const std::vector<unsigned char> before(element, element ? element + elementBytes : element);
                if (grup_->SetCell(i, c, text) && element &&
                    !std::equal(before.begin(), before.end(), grup_->GetElementPtr(i)))
                    changed = true;
            } else if (refused.empty()) {
                refused = why;
            }
            // The cell shows what the table holds, so the next store finds nothing to store.
            grid_->SetCellValue(i, c, ToWx(grup_->GetCellText(i, c)));
        }
    }
    if (changed) MarkInstallationModified(this);
    if (refused.empty()) return true;
    GetDialogs().Error(refused);
    return false;
}

std::string CPanelFlashGrup::CellRefusal(int row, int col, const std::string& text, bool lossless,
                                         const std::string& kept) const {
    if (!lossless) {
        const std::string subject =
            "El valor de la columna \"" + grup_->GetColumna(col) + "\" en el elemento " + IntToString(row);
        return UnstorableText(subject, text, KeptAdvice(kept));
    }
    CCodi* column = grup_->GetColumnaAt(col);
    if (!column || text == kept || CodiShowsTyped(*column, text)) return std::string();
    return UnfitValueText(grup_->GetColumna(col) + ", elemento " + IntToString(row), text, CodiAcceptedText(*column),
                          kept);
}

void CPanelFlashGrup::OnCellChanging(wxGridEvent& event) {
    if (!grup_ || !grid_) return;
    // A text the column shows as the value typed is taken (its fill, letter case and leading
    // zeros aside); one the column would turn into another value, or that program text cannot
    // hold, is refused and the cell keeps its value.
    bool lossless = true;
    const std::string text = FromWx(event.GetString(), &lossless);
    const int row = event.GetRow();
    const int col = event.GetCol();
    std::string why = CellRefusal(row, col, text, lossless, FromWx(grid_->GetCellValue(row, col)));
    if (why.empty()) return;
    refusal_ = std::move(why);
    // The box waits until the grid has closed its editor, so it does not take the focus from an
    // editor that is still closing.
    event.Veto();
    CallAfter(&CPanelFlashGrup::ShowRefusal);
}

void CPanelFlashGrup::ShowRefusal() {
    if (refusal_.empty()) return;
    const std::string why = std::move(refusal_);
    refusal_.clear();
    GetDialogs().Error(why);
}

void CPanelFlashGrup::OnCellChanged(wxGridEvent& event) {
    MarkInstallationModified(this);
    event.Skip();
}

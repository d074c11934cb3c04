#include "panels/panelflashgrup.h"

CPanelFlashGrup::CPanelFlashGrup(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size, long style,
           const wxString& name)
    : wxPanel(parent, id, pos, size, style, name) {}

bool CPanelFlashGrup::SetGrupFlash(CGrupFlash* record) {
    record_ = record;
    return true;
}

bool CPanelFlashGrup::UpdateControls() { return record_ != nullptr; }

bool CPanelFlashGrup::StoreControls() { return record_ != nullptr; }

void CPanelFlashGrup::Clear() { record_ = nullptr; }

#include "panels/panelbitgrup.h"

CPanelBitGrup::CPanelBitGrup(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size, long style,
           const wxString& name)
    : wxPanel(parent, id, pos, size, style, name) {}

bool CPanelBitGrup::SetGrup(CGrup* record) {
    record_ = record;
    return true;
}

bool CPanelBitGrup::UpdateControls() { return record_ != nullptr; }

bool CPanelBitGrup::StoreControls() { return record_ != nullptr; }

void CPanelBitGrup::Clear() { record_ = nullptr; }

#include "panels/panelcodi.h"

CPanelCodi::CPanelCodi(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size, long style,
           const wxString& name)
    : wxPanel(parent, id, pos, size, style, name) {}

bool CPanelCodi::SetCodi(CCodi* record) {
    record_ = record;
    return true;
}

bool CPanelCodi::UpdateControls() { return record_ != nullptr; }

bool CPanelCodi::StoreControls() { return record_ != nullptr; }

void CPanelCodi::Clear() { record_ = nullptr; }

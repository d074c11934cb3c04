#include "panels/panelmesura.h"

CPanelMesura::CPanelMesura(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size, long style,
           const wxString& name)
    : wxPanel(parent, id, pos, size, style, name) {}

bool CPanelMesura::SetMesura(CMesura* record) {
    record_ = record;
    return true;
}

bool CPanelMesura::UpdateControls() { return record_ != nullptr; }

bool CPanelMesura::StoreControls() { return record_ != nullptr; }

void CPanelMesura::Clear() { record_ = nullptr; }

#include "panels/paneldades.h"

CPanelDades::CPanelDades(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size, long style,
           const wxString& name)
    : wxPanel(parent, id, pos, size, style, name) {}

bool CPanelDades::SetDades(CDades* record) {
    record_ = record;
    return true;
}

bool CPanelDades::UpdateControls() { return record_ != nullptr; }

bool CPanelDades::StoreControls() { return record_ != nullptr; }

void CPanelDades::Clear() { record_ = nullptr; }

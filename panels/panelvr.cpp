#include "panels/panelvr.h"

CPanelVR::CPanelVR(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size, long style,
           const wxString& name)
    : wxPanel(parent, id, pos, size, style, name) {}

bool CPanelVR::SetEstat(CEstat* record) {
    record_ = record;
    return true;
}

bool CPanelVR::UpdateControls() { return record_ != nullptr; }

bool CPanelVR::StoreControls() { return record_ != nullptr; }

void CPanelVR::Clear() { record_ = nullptr; }

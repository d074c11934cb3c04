#include "panels/panelestat.h"

CPanelEstat::CPanelEstat(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size, long style,
           const wxString& name)
    : wxPanel(parent, id, pos, size, style, name) {}

void CPanelEstat::SetNames(CGrup*, CGrup*, CGrup*) {}

void CPanelEstat::SetCore(CAppCore*) {}

bool CPanelEstat::SetEstat(CEstat* record) {
    record_ = record;
    return true;
}

bool CPanelEstat::UpdateControls() { return record_ != nullptr; }

bool CPanelEstat::StoreControls() { return record_ != nullptr; }

void CPanelEstat::Clear() { record_ = nullptr; }

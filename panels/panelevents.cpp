#include "panels/panelevents.h"

CPanelEvents::CPanelEvents(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size, long style,
           const wxString& name)
    : wxPanel(parent, id, pos, size, style, name) {}

void CPanelEvents::SetNames(CGrup*, CGrup*, CGrup*) {}

bool CPanelEvents::SetEvents(CEvents* record) {
    record_ = record;
    return true;
}

bool CPanelEvents::UpdateControls() { return record_ != nullptr; }

bool CPanelEvents::StoreControls() { return record_ != nullptr; }

void CPanelEvents::Clear() { record_ = nullptr; }

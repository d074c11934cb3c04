#include "panels/panelgrafic.h"

CPanelGrafic::CPanelGrafic(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size, long style,
           const wxString& name)
    : wxPanel(parent, id, pos, size, style, name) {}

void CPanelGrafic::SetNames(CGrup*, CGrup*, CGrup*) {}

void CPanelGrafic::SetComms(CAppCore*) {}

bool CPanelGrafic::SetEstat(CEstat* record) {
    record_ = record;
    return true;
}

bool CPanelGrafic::UpdateControls() { return record_ != nullptr; }

bool CPanelGrafic::StoreControls() { return record_ != nullptr; }

void CPanelGrafic::Clear() { record_ = nullptr; }

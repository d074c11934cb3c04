// CPanelFlashGrup: placeholder of the panel family (binds its record, shows nothing yet). Its own
// change replaces this file.
#pragma once

#include <wx/panel.h>

class CAppCore;
class CGrup;
class CGrupFlash;

class CPanelFlashGrup : public wxPanel {
public:
    CPanelFlashGrup(wxWindow* parent, wxWindowID id = wxID_ANY, const wxPoint& pos = wxDefaultPosition,
          const wxSize& size = wxDefaultSize, long style = wxTAB_TRAVERSAL,
          const wxString& name = wxT("scrolledWindow"));
    bool SetGrupFlash(CGrupFlash* record);
    bool UpdateControls();
    bool StoreControls();
    CGrupFlash* GetGrupFlash() const { return record_; }
    void Clear();

private:
    CGrupFlash* record_ = nullptr;
};

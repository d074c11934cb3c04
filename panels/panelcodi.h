// CPanelCodi: placeholder of the panel family (binds its record, shows nothing yet). Its own
// change replaces this file.
#pragma once

#include <wx/panel.h>

class CAppCore;
class CGrup;
class CCodi;

class CPanelCodi : public wxPanel {
public:
    CPanelCodi(wxWindow* parent, wxWindowID id = wxID_ANY, const wxPoint& pos = wxDefaultPosition,
          const wxSize& size = wxDefaultSize, long style = wxTAB_TRAVERSAL,
          const wxString& name = wxT("scrolledWindow"));
    bool SetCodi(CCodi* record);
    bool UpdateControls();
    bool StoreControls();
    CCodi* GetCodi() const { return record_; }
    void Clear();

private:
    CCodi* record_ = nullptr;
};

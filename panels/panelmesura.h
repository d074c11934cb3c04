// CPanelMesura: placeholder of the panel family (binds its record, shows nothing yet). Its own
// change replaces this file.
#pragma once

#include <wx/panel.h>

class CAppCore;
class CGrup;
class CMesura;

class CPanelMesura : public wxPanel {
public:
    CPanelMesura(wxWindow* parent, wxWindowID id = wxID_ANY, const wxPoint& pos = wxDefaultPosition,
          const wxSize& size = wxDefaultSize, long style = wxTAB_TRAVERSAL,
          const wxString& name = wxT("scrolledWindow"));
    bool SetMesura(CMesura* record);
    bool UpdateControls();
    bool StoreControls();
    CMesura* GetMesura() const { return record_; }
    void Clear();

private:
    CMesura* record_ = nullptr;
};

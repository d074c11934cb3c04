// CPanelDades: placeholder of the panel family (binds its record, shows nothing yet). Its own
// change replaces this file.
#pragma once

#include <wx/panel.h>

class CAppCore;
class CGrup;
class CDades;

class CPanelDades : public wxPanel {
public:
    CPanelDades(wxWindow* parent, wxWindowID id = wxID_ANY, const wxPoint& pos = wxDefaultPosition,
          const wxSize& size = wxDefaultSize, long style = wxTAB_TRAVERSAL,
          const wxString& name = wxT("scrolledWindow"));
    bool SetDades(CDades* record);
    bool UpdateControls();
    bool StoreControls();
    CDades* GetDades() const { return record_; }
    void Clear();

private:
    CDades* record_ = nullptr;
};

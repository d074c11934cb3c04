// CPanelEvents: placeholder of the panel family (binds its record, shows nothing yet). Its own
// change replaces this file.
#pragma once

#include <wx/panel.h>

class CAppCore;
class CGrup;
class CEvents;

class CPanelEvents : public wxPanel {
public:
    CPanelEvents(wxWindow* parent, wxWindowID id = wxID_ANY, const wxPoint& pos = wxDefaultPosition,
          const wxSize& size = wxDefaultSize, long style = wxTAB_TRAVERSAL,
          const wxString& name = wxT("scrolledWindow"));
    void SetNames(CGrup* zones, CGrup* areas, CGrup* users);
    bool SetEvents(CEvents* record);
    bool UpdateControls();
    bool StoreControls();
    CEvents* GetEvents() const { return record_; }
    void Clear();

private:
    CEvents* record_ = nullptr;
};

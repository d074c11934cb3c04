// CPanelVR: placeholder of the panel family (binds its record, shows nothing yet). Its own
// change replaces this file.
#pragma once

#include <wx/panel.h>

class CAppCore;
class CGrup;
class CEstat;

class CPanelVR : public wxPanel {
public:
    CPanelVR(wxWindow* parent, wxWindowID id = wxID_ANY, const wxPoint& pos = wxDefaultPosition,
          const wxSize& size = wxDefaultSize, long style = wxTAB_TRAVERSAL,
          const wxString& name = wxT("scrolledWindow"));
    bool SetEstat(CEstat* record);
    bool UpdateControls();
    bool StoreControls();
    CEstat* GetEstat() const { return record_; }
    void Clear();

private:
    CEstat* record_ = nullptr;
};

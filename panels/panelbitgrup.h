// CPanelBitGrup: placeholder of the panel family (binds its record, shows nothing yet). Its own
// change replaces this file.
#pragma once

#include <wx/panel.h>

class CAppCore;
class CGrup;
class CGrup;

class CPanelBitGrup : public wxPanel {
public:
    CPanelBitGrup(wxWindow* parent, wxWindowID id = wxID_ANY, const wxPoint& pos = wxDefaultPosition,
          const wxSize& size = wxDefaultSize, long style = wxTAB_TRAVERSAL,
          const wxString& name = wxT("scrolledWindow"));
    bool SetGrup(CGrup* record);
    bool UpdateControls();
    bool StoreControls();
    CGrup* GetGrup() const { return record_; }
    void Clear();

private:
    CGrup* record_ = nullptr;
};

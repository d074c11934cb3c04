// CPanelMesura: one row of the "Medidas Analógicas" and "Salidas" views of a component: the
// description of one analog measure or output on the left, its current value on the right. It
// binds one measure (not owned) and recomputes the value from the record's last raw reading at
// every reload.
#pragma once

#include <wx/panel.h>

class wxBoxSizer;
class wxStaticText;
class CMesura;

class CPanelMesura : public wxPanel {
public:
    // Created with the default size it takes 300 x 25 pixels.
    CPanelMesura(wxWindow* parent, wxWindowID id = wxID_ANY, const wxPoint& pos = wxDefaultPosition,
                 const wxSize& size = wxDefaultSize, long style = wxTAB_TRAVERSAL,
                 const wxString& name = wxT("scrolledWindow"));
    ~CPanelMesura() override;

    // Binds the record and builds the two labels.
    bool SetMesura(CMesura* record);
    // Recomputes and shows the value ("-" when it cannot be computed); false without a record.
    bool UpdateControls();
    // Stores nothing; always true.
    bool StoreControls() { return true; }
    CMesura* GetMesura() const { return record_; }
    // Forgets the record and deletes the labels.
    void Clear();
    void DeleteControls();

    wxStaticText* GetCaption() const { return caption_; }
    wxStaticText* GetValue() const { return value_; }

private:
    void Build();

    CMesura* record_ = nullptr;
    wxStaticText* caption_ = nullptr;
    wxStaticText* value_ = nullptr;
    wxBoxSizer* sizer_ = nullptr;
};

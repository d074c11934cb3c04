// The keypad pane below the splitters: reads or writes one programming code of any bus device
// by the device's bus address and the code's keypad number, without the code being part of a
// model. And the legend pane beside the edit view, which the core keeps for the window.
#pragma once

#include <wx/panel.h>

#include "core/views.h"
#include "datamodel/codi.h"
#include "datamodel/grup.h"

class CAppCore;
class wxBitmapButton;
class wxStaticText;
class wxTextCtrl;

class CPanelKeyPad : public wxPanel {
public:
    CPanelKeyPad(wxWindow* parent, wxWindowID id = wxID_ANY, const wxPoint& pos = wxDefaultPosition,
                 const wxSize& size = wxDefaultSize, long style = wxTAB_TRAVERSAL,
                 const wxString& name = wxT("scrolledWindow"));
    ~CPanelKeyPad() override;

    void SetCore(CAppCore* core) { core_ = core; }
    // Controls to record: the group's destination, the code's keypad number and value. False
    // before the controls exist.
    bool StoreControls();
    // Record to controls. False before the controls exist.
    bool UpdateControls();
    void EnableControls() { SetControlsEnabled(true); }
    void DisableControls() { SetControlsEnabled(false); }
    CGrup* GetGrup() { return &grup_; }
    CCodi* GetCodi() { return &codi_; }

    // The controls, for the window's tests.
    wxTextCtrl* AddressCtrl() const { return address_; }
    wxTextCtrl* KeyCodeCtrl() const { return keyCode_; }
    wxTextCtrl* ValueCtrl() const { return value_; }

    // The button handlers (a click on back / forward).
    void Receive();
    void Send();

private:
    void Build();
    void SetControlsEnabled(bool on);

    CGrup grup_;
    CCodi codi_;
    wxTextCtrl* address_ = nullptr;
    wxTextCtrl* keyCode_ = nullptr;
    wxTextCtrl* value_ = nullptr;
    wxBitmapButton* receive_ = nullptr;
    wxBitmapButton* send_ = nullptr;
    CAppCore* core_ = nullptr;
};

class CPanelLlegenda : public wxPanel, public LegendView {
public:
    CPanelLlegenda(wxWindow* parent, wxWindowID id = wxID_ANY, const wxPoint& pos = wxDefaultPosition,
                   const wxSize& size = wxDefaultSize, long style = wxTAB_TRAVERSAL,
                   const wxString& name = wxT("scrolledWindow"));
    void SetText(const wxString& text);
    void Clear();

private:
    wxStaticText* text_ = nullptr;
};

// CPanelMapa: the canvas of one site-plan page. It draws the page's picture scaled to fit, with
// an icon for every element placed on that page, marked by the element's live state (a red cross
// for trouble, red circles for detection and alarm, a green circle for an output switched on).
// In edit mode the installer places, moves and deletes elements with the mouse; in live mode a
// press on an element shows its information label and a right click offers its command (bypass
// or restore a zone, switch an output or relay), which the canvas sends through the core and
// follows with a status read. The site-plan panel (panelgrafic) owns four of them and binds them.
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <wx/bitmap.h>
#include <wx/scrolwin.h>
#include <wx/timer.h>

#include "datamodel/grafic.h"
#include "panels/planlogic.h"

class wxDC;
class wxStaticText;
class CAppCore;
class CEstat;

// An element icon as the canvas loaded it (the data model shares it between elements): the
// bitmap, invalid when its file could not be read, and the file it came from.
struct GraficIcon {
    wxBitmap bitmap;
    std::string file;
};

// A PNG of the program's pictures, relative to the working folder. A missing or unreadable file
// gives an invalid bitmap and one line on stderr (never a message box). The panels load through
// LoadPicture (picturefile.h), which builds on it.
wxBitmap LoadPanelPicture(const std::string& file);

class CPanelMapa : public wxScrolledWindow {
public:
    // Ids of the pop-up menu entries and of the repaint timer.
    enum : int {
        ID_Bypass = wxID_HIGHEST + 1600,
        ID_On,
        ID_Off,
        ID_RepaintTimer,
    };
    enum Tool : int { ToolNone = 0, ToolZone = 1, ToolOutput = 2, ToolRelay = 3 };
    static constexpr int kRepaintMs = 500;

    CPanelMapa(wxWindow* parent, wxWindowID id = wxID_ANY, const wxPoint& pos = wxDefaultPosition,
               const wxSize& size = wxDefaultSize, long style = wxHSCROLL | wxVSCROLL,
               const wxString& name = wxT("scrolledWindow"));
    ~CPanelMapa() override;

    // ---- binding (by the owner: SetPage, SetGraphic, SetEstat, SetComms, then SetTexts 0..31) ----
    bool SetGraphic(CGrafic* grafic);
    bool SetEstat(CEstat* estat);
    bool SetComms(CAppCore* core);
    // Entry index of the three name tables; false for an index outside 0..31.
    bool SetTexts(const std::string& zone, const std::string& area, const std::string& output, int index);
    // A negative page is refused. With a record the page's picture is loaded and its list rebuilt.
    bool SetPage(int page);
    int GetPage() const { return page_; }
    // Stores the flag only (no repaint, the tool state unchanged).
    bool SetEditMode(bool on);
    bool IsEditMode() const { return editMode_; }
    // Forgets the records, the core and the picture and stops the timer (the owner unbinds).
    void Unbind();

    // ---- the picture ----
    // Stores path (record text) as the picture of the canvas's page, then loads it.
    bool SetBackground(const std::string& path);
    // Loads the picture (record text, Windows separators allowed); an empty path leaves none. A
    // file that cannot be read still counts as a picture (drawn as an empty plan with a message).
    bool LoadBackground(const std::string& path);
    bool HasPicture() const { return hasPicture_; }
    bool IsPictureValid() const { return picture_.IsOk(); }
    // Why the picture could not be shown (record text), or empty.
    const std::string& GetPictureError() const { return pictureError_; }

    // ---- the element list of the page ----
    void BuildItems();
    void Reset();
    const std::vector<CCompGraf*>& GetItems() const { return items_; }
    // Called after the canvas added or removed an element of the record, so the owner rebuilds
    // the lists of its other canvases.
    void SetChangedHandler(std::function<void()> handler) { changed_ = std::move(handler); }

    // ---- edit-mode tools (they act only in edit mode) ----
    void BeginPlaceZone(bool on, int kind, int zone);
    void BeginPlaceOutput(bool on, int kind, int output);
    void BeginPlaceRelay(bool on, int kind, int relay);
    void BeginDelete(bool on);
    int GetTool() const { return tool_; }
    bool IsDeleteArmed() const { return deleteArmed_; }
    bool IsDragging() const { return dragging_; }

    // ---- live mode ----
    // Shows the information label of the element under window position (x, y).
    void DrawStatePopup(int x, int y);
    // Switches the current element's output or relay `number`, then reads the status, outputs
    // and relays, all under one "Enviando..." dialog that holds the busy flag.
    void SendOutput(int number, bool on);
    CCompGraf* GetCurrent() const { return current_; }
    wxStaticText* GetInfoLabel() const { return label_; }

    // Draws the page into dc for a canvas of the given size, as a paint does; sets the scale.
    // Returns whether an element in trouble was drawn (the canvas then repaints every 500 ms).
    bool Render(wxDC& dc, const wxSize& size);
    double GetScale() const { return scale_; }
    bool IsRepaintTimerRunning() const { return timer_.IsRunning(); }

private:
    void OnPaint(wxPaintEvent& event);
    void OnLeftDown(wxMouseEvent& event);
    void OnLeftUp(wxMouseEvent& event);
    void OnRightDown(wxMouseEvent& event);
    void OnRightUp(wxMouseEvent& event);
    void OnTimer(wxTimerEvent& event);
    void OnBypass(wxCommandEvent& event);
    void OnActivate(wxCommandEvent& event);
    void OnDeactivate(wxCommandEvent& event);

    plan::Point ToPicture(const wxPoint& window) const;
    CCompGraf* HitTest(const wxPoint& window) const;
    void Arm(bool on, int tool, int kind, int number);
    void DeleteLabel();
    void DefaultCursor();
    // The icon of a kind, loaded once per canvas.
    GraficIconRef Icon(int kind, bool second);
    void ElementsChanged();

    wxBitmap picture_;
    bool hasPicture_ = false;
    std::string pictureError_;
    CGrafic* grafic_ = nullptr;
    std::vector<CCompGraf*> items_;
    int page_ = -1;
    int tool_ = ToolNone;
    bool dragging_ = false;
    bool editMode_ = false;
    bool deleteArmed_ = false;
    int kindToPlace_ = 0;
    int numberToPlace_ = 0;
    double scale_ = 1.0;
    CCompGraf* current_ = nullptr;
    wxStaticText* label_ = nullptr;
    wxTimer timer_;
    CEstat* estat_ = nullptr;
    CAppCore* core_ = nullptr;
    plan::NameTable zoneNames_;
    plan::NameTable areaNames_;
    plan::NameTable outputNames_;
    std::array<GraficIconRef, 2 * (GraficKindRelay + 1)> icons_;
    std::function<void()> changed_;
};

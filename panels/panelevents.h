// CPanelEvents: the event list of a component's events node. It lists the events that the
// event-memory read stored in the component's CEvents, newest first unless reversed, filtered by
// class and (extended format) by account, with zone, area and user names; it exports the list as
// a CSV file, empties the stored events and sets the whole-memory flag that the next read
// consults. The list is virtual: rows are drawn from the record on demand, so a memory of
// thousands of events fills and re-filters at once.
#pragma once

#include <string>
#include <vector>

#include <wx/panel.h>

#include "panels/eventlist.h"

class wxBoxSizer;
class wxButton;
class wxCheckBox;
class wxListCtrl;
class wxTextCtrl;
class CGrup;
class CEvents;

class CPanelEvents : public wxPanel {
public:
    // The controls' ids (command events reach the panel's handlers through them).
    enum ControlId : int {
        ID_SHOW_ALARMS = wxID_HIGHEST + 1301,
        ID_SHOW_SUPERVISIONS,
        ID_SHOW_ONOFF,
        ID_SHOW_FAULTS,
        ID_SHOW_TESTS,
        ID_SHOW_OMISSIONS,
        ID_REVERSE_ORDER,
        ID_SHOW_PHONE_CALLS,
        ID_WHOLE_MEMORY,
        ID_FILTER_ACCOUNT,
        ID_ACCOUNT,
        ID_EXPORT,
        ID_EMPTY,
    };

    // Created with the default size, the panel takes 300 x 150 pixels.
    CPanelEvents(wxWindow* parent, wxWindowID id = wxID_ANY, const wxPoint& pos = wxDefaultPosition,
                 const wxSize& size = wxDefaultSize, long style = wxTAB_TRAVERSAL,
                 const wxString& name = wxT("scrolledWindow"));
    ~CPanelEvents() override;

    // The zone, area and user name groups (each may be null: default names).
    bool SetNames(CGrup* zones, CGrup* areas, CGrup* users);
    // Binds the record (not owned) and builds the controls from it.
    bool SetEvents(CEvents* record);
    // Refills the list from the record and shows its whole-memory flag; false when unbound.
    bool UpdateControls();
    // The list only shows: nothing to store. False when unbound.
    bool StoreControls();
    CEvents* GetEvents() const { return record_; }
    // Forgets the record and deletes the controls.
    void Clear();

    // Rebuilds every control from the bound record (nothing without one).
    void CreateControls();
    // Destroys every control the panel made.
    void DeleteControls();
    // Takes the account field's text and refills the list with the current filters.
    void FillList();

    // For the window and its tests: the list (null until built), the event shown in a row (-1
    // outside the rows), the filters in force, a control by its id.
    wxListCtrl* GetList() const { return list_; }
    int GetRowEvent(long row) const;
    const EventFilter& GetFilter() const { return filter_; }
    wxWindow* GetControl(ControlId id) const { return FindWindow(id); }
    // The text of the last failed export.
    const std::string& GetErrorText() const { return error_; }

    // What the list control asks for each visible row.
    wxString CellText(long row, long column) const;
    bool IsAlarm(long row) const;

private:
    void OnShowFlag(wxCommandEvent& event);
    void OnReceiveWholeMemory(wxCommandEvent& event);
    void OnExport(wxCommandEvent& event);
    void OnEmpty(wxCommandEvent& event);
    // The event of a row, or null.
    CEvent* RowEvent(long row) const;
    // Sizes a column to its widest text, and to at least its heading when one is given.
    void SizeColumn(int column, const std::string& heading);
    // The least width that shows a column's heading whole.
    int HeadingWidth(const std::string& heading) const;
    // The whole-memory box shows the record's flag.
    void ShowWholeMemory();

    std::string error_;
    wxListCtrl* list_ = nullptr;
    wxCheckBox* wholeMemory_ = nullptr;
    wxTextCtrl* account_ = nullptr;
    CEvents* record_ = nullptr;
    int format_ = 0;
    EventNames names_;
    EventFilter filter_;
    std::vector<int> shown_;  // event index of each row
};

// What the event list shows and exports, without a window: the name tables of zones, areas and
// users, the filters, the order of the rows, the text of each cell and the events CSV file.
// Texts are cp1252 like every program text.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "panels/estatrows.h"

class CEvent;
class CEvents;
class CGrup;

// The three name tables of the event list (32 entries each). Zones and areas count from 1 (zone
// n is entry n - 1), users from 0 (user n is entry n). A number outside the table, or on an
// entry without a name (past a short group's codes, or blank), is shown alone.
struct EventNames {
    EventNames() { Fill(nullptr, nullptr, nullptr); }
    // From the alias groups; a missing group gives "Zona 1", "Area 1", "Usuario 1" and so on.
    void Fill(const CGrup* zoneGroup, const CGrup* areaGroup, const CGrup* userGroup);

    NameTable zones;
    NameTable areas;
    NameTable users;
};

// The installer's choice of rows: one flag per event class, the account filter (extended
// format only) and the order.
struct EventFilter {
    bool alarms = true;        // class 1
    bool supervisions = true;  // class 2
    bool troubles = true;      // class 3
    bool openClose = true;     // class 4
    bool bypasses = true;      // class 5
    bool tests = true;         // class 6
    bool phoneCalls = true;    // class 7, listed only: the CSV never holds a phone call
    bool byAccount = false;
    std::string account;       // compared whole and case-sensitive with the event's account
    bool reverse = false;      // oldest first instead of newest first

    // Whether an event of this class passes the class flags (an unknown class never does).
    bool ShowsClass(int eventClass) const;
};

// The indices of the events to show, in row order: newest first unless reversed; with the
// account filter only for the extended format; forCsv leaves out every phone call.
std::vector<int> SelectEvents(const CEvents& events, const EventFilter& filter, bool forCsv);

// The column headings for a record format: 7 columns; 8 for formats 2 and 3 ("Abonado"); 10 for
// format 3 ("Linea receptor", "Numero receptor").
std::vector<std::string> EventHeadings(int format);

// Every text the type column (3) can show: each class's name as a new alarm and as its restore,
// and the telephone call's type.
std::vector<std::string> EventTypes();

// The text of one cell of an event's row. Columns 5 and 6 carry names (" : " and the name after
// the number) except in format 3; a phone call shows its own type and description, its number
// in column 5 and no area. A column the format does not have is empty.
std::string EventCell(CEvent& event, int column, int format, const EventNames& names);
// The whole row (one text per heading of the format).
std::vector<std::string> EventRow(CEvent& event, int format, const EventNames& names);
// The texts of one column over the given events, each different one once, with every digit
// written as '0': UI fonts draw all digits equally wide, so measuring these few shapes gives the
// width of the widest cell without measuring thousands of rows.
std::vector<std::string> ColumnShapes(CEvents& events, const std::vector<int>& indices, int column, int format,
                                      const EventNames& names);
// A row painted as an alarm: a new alarm, not its restore.
bool IsAlarmRow(const CEvent& event);

// The events CSV: the headings, then one line per event in the list's order and filters (never a
// phone call); every field followed by ";", the description between double quotes, zones and
// areas as numbers. Lines end with "\n" here; the file stores them as CR LF.
std::string FormatEventsCsv(CEvents& events, const EventFilter& filter);

// Writes the CSV to path (a path from the file dialog), replacing an old file only once the
// whole text is written. False with error set (cp1252: what failed, the file name and why) when
// the path holds characters cp1252 cannot write, the file cannot be created, or the writing
// fails; any old file is then intact.
bool WriteEventsCsv(const std::filesystem::path& path, CEvents& events, const EventFilter& filter,
                    std::string& error);

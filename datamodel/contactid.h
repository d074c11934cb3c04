// The Contact ID catalogue: every event code the panels report, with its Spanish text and its
// event class, and the index table that the panel's standard event records point into.
#pragma once

#include <array>
#include <cstddef>

// Event classes of the catalogue (the event list filters and colours by them).
enum EventClass : int {
    EventClassAlarm = 1,
    EventClassSupervision = 2,
    EventClassTrouble = 3,
    EventClassOpenClose = 4,
    EventClassBypass = 5,
    EventClassTest = 6,
    EventClassPhoneCall = 7,
};

struct ContactIdRow {
    int code;
    const char* text;  // cp1252
    int eventClass;
};

// 228 event codes followed by the end row {0, "No se encontró descripción", 1}, which answers
// every code the catalogue lacks.
inline constexpr std::size_t kContactIdRows = 229;
extern const std::array<ContactIdRow, kContactIdRows> ContactIdTable;

// The row of an event code: the first row with that code, else the end row.
const ContactIdRow& FindContactId(int code);

// The row for the three code digits of a Contact ID text ("133" of "1133"). A digit other than
// 0-9 gives the end row, so a hexadecimal digit never aliases a real code ("0A0" is not 100).
const ContactIdRow& FindContactIdDigits(char hundreds, char tens, char units);

// The 7-bit event index of a standard record selects one of 128 two-byte entries: the low nibble
// of byte 0 is the hundreds digit, byte 1 the tens and units in packed BCD. Entries 99 to 127
// carry no code (all zero), which leads to the catalogue's end row.
using ContactIdIndexEntry = std::array<unsigned char, 2>;
inline constexpr std::size_t kContactIdIndexEntries = 128;
extern const std::array<ContactIdIndexEntry, kContactIdIndexEntries> ContactIdIndexTable;

// The event list without a window: names, filters and order, the cells of each row, and the
// events CSV byte for byte.
#include <signal.h>
#include <sys/resource.h>

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "datamodel/codi.h"
#include "datamodel/events.h"
#include "datamodel/grup.h"
#include "panels/eventlist.h"
#include "support/temp_dir.h"

namespace {

using Strings = std::vector<std::string>;

struct Ev {
    const char* contactId;
    int zone;
    int area;
    const char* account = "";
};

// Appends events of the record's format at 17/03/2007 14:0i:05, i counting from 0; extended ones
// with receiver line 1 and number 2.
void Fill(CEvents& events, int format, const std::vector<Ev>& list) {
    events.SetTipus(format);
    for (const Ev& e : list) {
        auto event = std::make_unique<CEvent>();
        event->SetContactId(e.contactId);
        event->SetZone(e.zone);
        event->SetArea(e.area);
        event->SetDate("17/03/2007");
        event->SetTime("14:0" + std::to_string(events.GetCount() % 10) + ":05");
        if (format != EventFormatStandard) event->SetAbonat(e.account);
        if (format == EventFormatExtended) {
            event->SetLinia(1);
            event->SetNumero(2);
        }
        events.AddEvent(std::move(event));
    }
}

// A telephone call with time: incoming GSM audio, answered, number 912345678, at 12:00:00.
void AddPhoneCall(CEvents& events) {
    const unsigned char record[15] = {0xFE, 0x29, 0x91, 0x23, 0x45, 0x67, 0x8F, 0xFF,
                                      0x12, 0x11, 0x03, 0x07, 0x0C, 0x00, 0x00};
    auto call = std::make_unique<CEvent>();
    call->DecodePhoneCall(record, true);
    events.AddEvent(std::move(call));
}

Strings Column(CEvents& events, int column, const EventNames& names, const EventFilter& filter = {}) {
    Strings cells;
    for (int i : SelectEvents(events, filter, false))
        cells.push_back(EventCell(*events.GetEvent(i), column, events.GetTipus(), names));
    return cells;
}

// A name group of string codes.
struct Group {
    explicit Group(const Strings& values) : codis(values.size()) {
        for (std::size_t i = 0; i < values.size(); ++i) {
            codis[i].SetType(CodiString);
            codis[i].SetValue(values[i]);
            grup.AddCodi(&codis[i]);
        }
    }
    std::vector<CCodi> codis;
    CGrup grup;
};

// The headings in cp1252, spelled by their bytes.
const std::string kHeader = "Fecha;Hora;C\xF3" "digo;Tipo;Descripci\xF3" "n;Zona/Usuario;Area;";

TEST(EventListTest, NamesComeFromTheFirstThirtyTwoCodesAndNeverFromOutside) {
    Strings many;
    for (int i = 1; i <= 40; ++i) many.push_back("Z" + std::to_string(i));
    Group big(many), small({"Entrada", "   "});
    CEvents events;
    Fill(events, EventFormatStandard, {{"1130", -5, 1}, {"1130", 255, 1}, {"1130", 33, 1}, {"1130", 32, 1},
                                       {"1130", 2, 1}, {"1130", 1, 1}, {"1130", 0, 1}});
    const struct {
        const CGrup* zones;
        Strings column;  // zones 0, 1, 2, 32, 33, 255, -5 (newest first)
    } cases[] = {
        {nullptr, {"0", "1 : Zona 1", "2 : Zona 2", "32 : Zona 32", "33", "255", "-5"}},
        // Names as stored, padding blanks kept; an empty or blank name still follows " : ".
        {&big.grup, {"0", "1 : Z1              ", "2 : Z2              ", "32 : Z32             ", "33", "255", "-5"}},
        {&small.grup, {"0", "1 : Entrada         ", "2 :                 ", "32 : ", "33", "255", "-5"}},
    };
    for (const auto& c : cases) {
        EventNames names;
        names.Fill(c.zones, nullptr, nullptr);
        EXPECT_EQ(Column(events, 5, names), c.column);
    }
}

TEST(EventListTest, RowsNameUsersZonesAndAreasExceptInTheExtendedFormat) {
    CEvents events;
    Fill(events, EventFormatMixed, {{"1133", 5, 3, "1234"}, {"3401", 0, 0}, {"1401", 32, 40}, {"1401", -1, 1}});
    const EventNames names;
    EXPECT_EQ(EventRow(*events.GetEvent(0), EventFormatMixed, names),
              (Strings{"17/03/2007", "14:00:05", "1133", "Alarma", "Sabotaje", "5 : Zona 5", "3 : Area 3", "1234"}));
    // Users count from 0; numbers past the tables stand alone.
    EXPECT_EQ(Column(events, 5, names), (Strings{"-1", "32", "0 : Usuario 1", "5 : Zona 5"}));
    EXPECT_EQ(Column(events, 6, names), (Strings{"1 : Area 1", "40", "0", "3 : Area 3"}));
    EXPECT_TRUE(IsAlarmRow(*events.GetEvent(0)));
    EXPECT_FALSE(IsAlarmRow(*events.GetEvent(1)));
    // Widths are measured on the different shapes of a column, digits alike.
    EXPECT_EQ(ColumnShapes(events, {0, 1, 2, 3, 99}, 5, EventFormatMixed, names),
              (Strings{"0 : Zona 0", "0 : Usuario 0", "00", "-0"}));

    CEvents extended;
    Fill(extended, EventFormatExtended, {{"1401", 3, 2, "1234"}});
    AddPhoneCall(extended);
    EXPECT_EQ(EventRow(*extended.GetEvent(1), EventFormatExtended, names),
              (Strings{"17/03/2007", "12:00:00", "1900", "Llamada telef\xF3" "nica", "Incoming-GSM AUDIO-OK",
                       "912345678", "", "", "1", "2"}));
    EXPECT_EQ(EventRow(*extended.GetEvent(0), EventFormatExtended, names),
              (Strings{"17/03/2007", "14:00:05", "1401", "Desarmado", "Usuario ON/OFF", "3", "2", "1234", "1", "2"}));
    EXPECT_EQ(EventHeadings(EventFormatUnknown).size(), 7u);
}

TEST(EventListTest, FiltersAndOrderChooseTheRows) {
    CEvents events;  // classes 1 to 6, then a phone call (class 7)
    Fill(events, EventFormatExtended, {{"1130", 1, 1, "1234"}, {"1200", 2, 1, "1234"}, {"1301", 3, 1, "ABCD"},
                                       {"1401", 4, 1}, {"1570", 5, 1, "1234"}, {"1602", 6, 1, "1234"}});
    AddPhoneCall(events);
    const struct {
        void (*change)(EventFilter&);
        std::vector<int> list, csv;
    } cases[] = {
        {[](EventFilter&) {}, {6, 5, 4, 3, 2, 1, 0}, {5, 4, 3, 2, 1, 0}},
        {[](EventFilter& f) { f.reverse = true, f.alarms = false; }, {1, 2, 3, 4, 5, 6}, {1, 2, 3, 4, 5}},
        {[](EventFilter& f) { f.supervisions = f.troubles = f.tests = false; }, {6, 4, 3, 0}, {4, 3, 0}},
        {[](EventFilter& f) { f.openClose = f.bypasses = f.phoneCalls = false; }, {5, 2, 1, 0}, {5, 2, 1, 0}},
        {[](EventFilter& f) { f.byAccount = true, f.account = "ABCD"; }, {2}, {2}},  // the whole text
        {[](EventFilter& f) { f.byAccount = true; }, {6, 3}, {3}},  // empty field: events without account
        {[](EventFilter& f) { f.account = "ABCD"; }, {6, 5, 4, 3, 2, 1, 0}, {5, 4, 3, 2, 1, 0}},
    };
    for (const auto& c : cases) {
        EventFilter filter;
        c.change(filter);
        EXPECT_EQ(SelectEvents(events, filter, false), c.list);
        EXPECT_EQ(SelectEvents(events, filter, true), c.csv);
    }
    events.SetTipus(EventFormatMixed);  // no account filter outside the extended format
    EventFilter byAccount;
    byAccount.byAccount = true;
    EXPECT_EQ(SelectEvents(events, byAccount, false).size(), 7u);
}

TEST(EventListTest, CsvOfEachFormatByteForByte) {
    CEvents standard, mixed, extended, empty;
    Fill(standard, EventFormatStandard, {{"1133", 5, 3}, {"3401", 0, 1}, {"1602", 0, 1}});
    EventFilter noTests;
    noTests.tests = false;
    EXPECT_EQ(FormatEventsCsv(standard, noTests), kHeader + "\n"
                                                      "17/03/2007;14:01:05;3401;Armado;\"Usuario ON/OFF\";0;1;\n"
                                                      "17/03/2007;14:00:05;1133;Alarma;\"Sabotaje\";5;3;\n");
    // Numbers only, and never a phone call.
    Fill(mixed, EventFormatMixed, {{"1130", 4, 2, "0042"}, {"3130", 4, 2, "0042"}});
    AddPhoneCall(mixed);
    EXPECT_EQ(FormatEventsCsv(mixed, EventFilter{}), kHeader + "Abonado;\n"
                                                     "17/03/2007;14:01:05;3130;Restauracion;\"Robo\";4;2;0042;\n"
                                                     "17/03/2007;14:00:05;1130;Alarma;\"Robo\";4;2;0042;\n");
    Fill(extended, EventFormatExtended, {{"1401", 3, 2, "1234"}, {"1384", 7, 1, "5678"}});
    AddPhoneCall(extended);
    EventFilter reversed;
    reversed.reverse = true;
    EXPECT_EQ(FormatEventsCsv(extended, reversed),
              kHeader + "Abonado;Linea receptor;Numero receptor;\n"
                        "17/03/2007;14:00:05;1401;Desarmado;\"Usuario ON/OFF\";3;2;1234;1;2;\n"
                        "17/03/2007;14:01:05;1384;Aver\xED" "a;\"Bater\xED" "a baja en RF\";7;1;5678;1;2;\n");
    empty.SetTipus(EventFormatStandard);
    EXPECT_EQ(FormatEventsCsv(empty, EventFilter{}), kHeader + "\n");
}

TEST(EventListTest, CsvFileHasCrLfAndAFailedWriteKeepsTheOldFile) {
    TempDir dir;
    CEvents events;
    Fill(events, EventFormatStandard, {{"1133", 5, 3}});
    std::string error;
    ASSERT_TRUE(WriteEventsCsv(dir / "eventos", events, EventFilter{}, error)) << error;  // no extension added
    EXPECT_EQ(dir.Read("eventos"), kHeader + "\r\n17/03/2007;14:00:05;1133;Alarma;\"Sabotaje\";5;3;\r\n");

    EXPECT_FALSE(WriteEventsCsv(dir / "no" / "x.csv", events, EventFilter{}, error));
    EXPECT_EQ(error.rfind("No se pudo abrir el fichero para escritura: \n" + (dir / "no" / "x.csv").string(), 0), 0u);
    // A name cp1252 cannot hold is refused before anything is written.
    const std::filesystem::path odd = dir.Path() / std::filesystem::path(u8"eventos_\u2713.csv");
    EXPECT_FALSE(WriteEventsCsv(odd, events, EventFilter{}, error));
    EXPECT_EQ(error, "El nombre del fichero tiene caracteres que no se pueden usar: \n" + (dir / "eventos_?.csv").string());

    // A write failing half-way (a file size limit standing in for a full disk).
    dir.Write("old.csv", "old\r\n");
    Fill(events, EventFormatStandard, std::vector<Ev>(200, Ev{"1130", 1, 1}));
    struct rlimit saved {}, small {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const sighandler_t handler = signal(SIGXFSZ, SIG_IGN);
    small = saved;
    small.rlim_cur = 1024;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool written = WriteEventsCsv(dir / "old.csv", events, EventFilter{}, error);
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, handler);
    EXPECT_FALSE(written);
    EXPECT_EQ(error.rfind("No se pudo escribir el fichero: \n" + (dir / "old.csv").string() + "\n", 0), 0u) << error;
    EXPECT_EQ(dir.Read("old.csv"), "old\r\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 2);  // no temporary left
}

}  // namespace

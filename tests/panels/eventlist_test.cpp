// The event list without a window: name tables, filters and order, the cells of each row and the
// events CSV, byte for byte.
#include <signal.h>
#include <sys/resource.h>

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/report.h"
#include "datamodel/codi.h"
#include "datamodel/events.h"
#include "datamodel/grup.h"
#include "panels/eventlist.h"
#include "support/temp_dir.h"

namespace {

using Rows = std::vector<std::vector<std::string>>;

struct Ev {
    const char* contactId;
    int zone;
    int area;
    const char* account = "";
    int line = 0;
    int number = 0;
};

// A record of the given format holding the events, oldest first; every event at 17/03/2007,
// minute i.
void Fill(CEvents& events, int format, const std::vector<Ev>& list) {
    events.SetTipus(format);
    int minute = 0;
    for (const Ev& e : list) {
        auto event = std::make_unique<CEvent>();
        event->SetFormat(format);
        event->SetContactId(e.contactId);
        event->SetZone(e.zone);
        event->SetArea(e.area);
        event->SetDate("17/03/2007");
        event->SetTime("14:" + std::string(minute < 10 ? "0" : "") + std::to_string(minute) + ":05");
        if (format != EventFormatStandard) event->SetAbonat(e.account);
        if (format == EventFormatExtended) {
            event->SetLinia(e.line);
            event->SetNumero(e.number);
        }
        events.AddEvent(std::move(event));
        ++minute;
    }
}

// A telephone call of the record layout with time: incoming GSM audio, answered, to 912345678.
void AddPhoneCall(CEvents& events) {
    const unsigned char record[15] = {0xFE, 0x29, 0x91, 0x23, 0x45, 0x67, 0x8F, 0xFF,
                                      0x12, 0x11, 0x03, 0x07, 0x0C, 0x00, 0x00};
    auto call = std::make_unique<CEvent>();
    ASSERT_TRUE(call->DecodePhoneCall(record, true));
    events.AddEvent(std::move(call));
}

Rows ListRows(CEvents& events, const EventFilter& filter, const EventNames& names) {
    Rows rows;
    for (int i : SelectEvents(events, filter, false))
        rows.push_back(EventRow(*events.GetEvent(i), events.GetTipus(), names));
    return rows;
}

// A name group whose codes carry the given values.
struct Group {
    explicit Group(const std::vector<std::string>& values) {
        codis.resize(values.size());
        for (std::size_t i = 0; i < values.size(); ++i) {
            codis[i].SetType(CodiString);
            codis[i].SetValue(values[i]);
            grup.AddCodi(&codis[i]);
        }
    }
    std::vector<CCodi> codis;
    CGrup grup;
};

// The cp1252 headings, spelled by their bytes so the test does not depend on how it is compiled.
const std::string kHeader7 = "Fecha;Hora;C\xF3" "digo;Tipo;Descripci\xF3" "n;Zona/Usuario;Area;";

TEST(EventListTest, NameTablesHoldThirtyTwoEntriesAndNameNothingOutside) {
    EventNameTable defaults;
    defaults.Fill(nullptr, "Zona");
    ASSERT_NE(defaults.Find(0), nullptr);
    EXPECT_EQ(*defaults.Find(0), "Zona 1");
    EXPECT_EQ(*defaults.Find(31), "Zona 32");
    for (int outside : {-1, 32, 255, -2147483647 - 1}) EXPECT_EQ(defaults.Find(outside), nullptr) << outside;

    // A group longer than the table fills 32 entries; a shorter one leaves the rest unnamed.
    std::vector<std::string> many;
    for (int i = 0; i < 40; ++i) many.push_back("Z" + std::to_string(i));
    Group big(many);
    EventNameTable table;
    table.Fill(&big.grup, "Zona");
    EXPECT_EQ(*table.Find(31), big.codis[31].GetValue());
    EXPECT_EQ(table.Find(32), nullptr);
    Group small({"Entrada", ""});
    table.Fill(&small.grup, "Zona");
    EXPECT_EQ(*table.Find(0), small.codis[0].GetValue());
    EXPECT_NE(table.Find(1), nullptr);  // named, though empty
    EXPECT_EQ(table.Find(2), nullptr);
}

TEST(EventListTest, RowsCarryNamesOutsideTheExtendedFormat) {
    CEvents events;
    Fill(events, EventFormatMixed,
         {{"1133", 5, 3, "1234"},   // burglary tamper, zone 5, area 3
          {"3401", 0, 0, "1234"},   // armed by user 0, area 0
          {"1130", 0, 1, "1234"},   // alarm without a zone
          {"1130", 40, 33, "1234"}, // numbers past the tables
          {"1401", 32, 1, "1234"},  // user past the table
          {"1401", -1, 1, "1234"}});
    Group zones({"Puerta", "Ventana"});
    EventNames names;
    names.Fill(&zones.grup, nullptr, nullptr);
    const std::string puerta = zones.codis[0].GetValue();
    zones.codis[0].SetValue("Otra");  // the names are taken when the tables are filled
    events.GetEvent(0)->SetZone(1);

    const Rows expected = {
        {"17/03/2007", "14:05:05", "1401", "Desarmado", "Usuario ON/OFF", "-1", "1 : Area 1", "1234"},
        {"17/03/2007", "14:04:05", "1401", "Desarmado", "Usuario ON/OFF", "32", "1 : Area 1", "1234"},
        {"17/03/2007", "14:03:05", "1130", "Alarma", "Robo", "40", "33", "1234"},
        {"17/03/2007", "14:02:05", "1130", "Alarma", "Robo", "0", "1 : Area 1", "1234"},
        {"17/03/2007", "14:01:05", "3401", "Armado", "Usuario ON/OFF", "0 : Usuario 1", "0", "1234"},
        {"17/03/2007", "14:00:05", "1133", "Alarma", "Sabotaje", "1 : " + puerta, "3 : Area 3", "1234"},
    };
    EXPECT_EQ(ListRows(events, EventFilter{}, names), expected);
    EXPECT_EQ(EventHeadings(EventFormatMixed).back(), "Abonado");

    // Column widths are measured on the different shapes of the texts, digits counting alike.
    const std::vector<int> all = SelectEvents(events, EventFilter{}, false);
    EXPECT_EQ(ColumnShapes(events, all, 1, EventFormatMixed, names), std::vector<std::string>{"00:00:00"});
    EXPECT_EQ(ColumnShapes(events, all, 5, EventFormatMixed, names),
              (std::vector<std::string>{"-0", "00", "0", "0 : Usuario 0", "0 : " + puerta}));
    EXPECT_EQ(ColumnShapes(events, {0, 99}, 4, EventFormatMixed, names), std::vector<std::string>{"Sabotaje"});

    // Only a new alarm is painted; its restore and other classes are not.
    Fill(events, EventFormatMixed, {{"3130", 4, 1}, {"1301", 0, 1}});
    EXPECT_TRUE(IsAlarmRow(*events.GetEvent(0)));
    EXPECT_FALSE(IsAlarmRow(*events.GetEvent(6)));
    EXPECT_FALSE(IsAlarmRow(*events.GetEvent(7)));
}

TEST(EventListTest, ExtendedRowsShowNumbersReceiverAndPhoneCalls) {
    CEvents events;
    Fill(events, EventFormatExtended, {{"1401", 3, 2, "1234", 1, 2}});
    AddPhoneCall(events);
    const Rows expected = {
        {"17/03/2007", "12:00:00", "1900", "Llamada telef\xF3" "nica", "Incoming-GSM AUDIO-OK", "912345678", "", "",
         "1", "2"},
        {"17/03/2007", "14:00:05", "1401", "Desarmado", "Usuario ON/OFF", "3", "2", "1234", "1", "2"},
    };
    EXPECT_EQ(ListRows(events, EventFilter{}, EventNames{}), expected);
    EXPECT_EQ(EventHeadings(EventFormatExtended).size(), 10u);
    EXPECT_EQ(EventHeadings(EventFormatStandard).size(), 7u);
    EXPECT_EQ(EventHeadings(EventFormatUnknown).size(), 7u);
}

TEST(EventListTest, FiltersAndOrderChooseTheRows) {
    CEvents events;
    // One event of each class 1 to 6, then a phone call (class 7).
    Fill(events, EventFormatExtended,
         {{"1130", 1, 1, "1234"}, {"1200", 2, 1, "1234"}, {"1301", 3, 1, "ABCD"},
          {"1401", 4, 1, ""}, {"1570", 5, 1, "1234"}, {"1602", 6, 1, "1234"}});
    AddPhoneCall(events);
    struct Case {
        const char* name;
        void (*change)(EventFilter&);
        std::vector<int> list;
        std::vector<int> csv;
    } cases[] = {
        {"defaults: newest first", [](EventFilter&) {}, {6, 5, 4, 3, 2, 1, 0}, {5, 4, 3, 2, 1, 0}},
        {"reversed", [](EventFilter& f) { f.reverse = true; }, {0, 1, 2, 3, 4, 5, 6}, {0, 1, 2, 3, 4, 5}},
        {"no alarms", [](EventFilter& f) { f.alarms = false; }, {6, 5, 4, 3, 2, 1}, {5, 4, 3, 2, 1}},
        {"no supervisions", [](EventFilter& f) { f.supervisions = false; }, {6, 5, 4, 3, 2, 0}, {5, 4, 3, 2, 0}},
        {"no troubles", [](EventFilter& f) { f.troubles = false; }, {6, 5, 4, 3, 1, 0}, {5, 4, 3, 1, 0}},
        {"no openings", [](EventFilter& f) { f.openClose = false; }, {6, 5, 4, 2, 1, 0}, {5, 4, 2, 1, 0}},
        {"no bypasses", [](EventFilter& f) { f.bypasses = false; }, {6, 5, 3, 2, 1, 0}, {5, 3, 2, 1, 0}},
        {"no tests", [](EventFilter& f) { f.tests = false; }, {6, 4, 3, 2, 1, 0}, {4, 3, 2, 1, 0}},
        {"no phone calls", [](EventFilter& f) { f.phoneCalls = false; }, {5, 4, 3, 2, 1, 0}, {5, 4, 3, 2, 1, 0}},
        {"account ABCD", [](EventFilter& f) { f.byAccount = true, f.account = "ABCD"; }, {2}, {2}},
        {"account abcd: case counts", [](EventFilter& f) { f.byAccount = true, f.account = "abcd"; }, {}, {}},
        // The phone call has no account: an empty field keeps it and the opening without one.
        {"empty account", [](EventFilter& f) { f.byAccount = true; }, {6, 3}, {3}},
        {"account typed, filter off", [](EventFilter& f) { f.account = "ABCD"; }, {6, 5, 4, 3, 2, 1, 0},
         {5, 4, 3, 2, 1, 0}},
        {"every box off",
         [](EventFilter& f) {
             f.alarms = f.supervisions = f.troubles = f.openClose = f.bypasses = f.tests = f.phoneCalls = false;
         },
         {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EventFilter filter;
        c.change(filter);
        EXPECT_EQ(SelectEvents(events, filter, false), c.list);
        EXPECT_EQ(SelectEvents(events, filter, true), c.csv);
    }
    // The account filter belongs to the extended format only.
    events.SetTipus(EventFormatMixed);
    EventFilter byAccount;
    byAccount.byAccount = true;
    byAccount.account = "ABCD";
    EXPECT_EQ(SelectEvents(events, byAccount, false).size(), 7u);
    EXPECT_FALSE(EventFilter{}.ShowsClass(0));
    EXPECT_FALSE(EventFilter{}.ShowsClass(8));
}

TEST(EventListTest, CsvOfEachFormatByteForByte) {
    CEvents standard;
    Fill(standard, EventFormatStandard, {{"1133", 5, 3}, {"3401", 0, 1}, {"1602", 0, 1}});
    EventFilter noTests;
    noTests.tests = false;
    EXPECT_EQ(FormatEventsCsv(standard, noTests),
              kHeader7 + "\n"
              "17/03/2007;14:01:05;3401;Armado;\"Usuario ON/OFF\";0;1;\n"
              "17/03/2007;14:00:05;1133;Alarma;\"Sabotaje\";5;3;\n");

    // Names never reach the file, phone calls never do, whatever the list shows.
    CEvents mixed;
    Fill(mixed, EventFormatMixed, {{"1130", 4, 2, "0042"}, {"3130", 4, 2, "0042"}});
    AddPhoneCall(mixed);
    EXPECT_EQ(FormatEventsCsv(mixed, EventFilter{}),
              kHeader7 + "Abonado;\n"
              "17/03/2007;14:01:05;3130;Restauracion;\"Robo\";4;2;0042;\n"
              "17/03/2007;14:00:05;1130;Alarma;\"Robo\";4;2;0042;\n");

    CEvents extended;
    Fill(extended, EventFormatExtended, {{"1401", 3, 2, "1234", 1, 15}, {"1384", 7, 1, "5678", 0, 3}});
    AddPhoneCall(extended);
    EventFilter reversed;
    reversed.reverse = true;
    reversed.byAccount = true;
    reversed.account = "1234";
    EXPECT_EQ(FormatEventsCsv(extended, reversed),
              kHeader7 + "Abonado;Linea receptor;Numero receptor;\n"
              "17/03/2007;14:00:05;1401;Desarmado;\"Usuario ON/OFF\";3;2;1234;1;15;\n");
    // The trouble description carries its accents as cp1252 bytes.
    EXPECT_EQ(FormatEventsCsv(extended, EventFilter{}),
              kHeader7 + "Abonado;Linea receptor;Numero receptor;\n"
              "17/03/2007;14:01:05;1384;Aver\xED" "a;\"Bater\xED" "a baja en RF\";7;1;5678;0;3;\n"
              "17/03/2007;14:00:05;1401;Desarmado;\"Usuario ON/OFF\";3;2;1234;1;15;\n");

    // Nothing to write: the header alone.
    CEvents empty;
    empty.SetTipus(EventFormatStandard);
    EXPECT_EQ(FormatEventsCsv(empty, EventFilter{}), kHeader7 + "\n");
}

TEST(EventListTest, CsvFileIsWrittenWithCrLfAndFailuresKeepTheOldFile) {
    TempDir dir;
    CEvents events;
    Fill(events, EventFormatStandard, {{"1133", 5, 3}});
    std::string error;
    // The name as typed: no extension is added.
    ASSERT_TRUE(WriteEventsCsv(dir / "eventos", events, EventFilter{}, error)) << error;
    EXPECT_EQ(dir.Read("eventos"), kHeader7 + "\r\n17/03/2007;14:00:05;1133;Alarma;\"Sabotaje\";5;3;\r\n");
    EXPECT_FALSE(std::filesystem::exists(dir / "eventos.csv"));

    // A folder that does not exist: nothing can be created.
    EXPECT_FALSE(WriteEventsCsv(dir / "no" / "x.csv", events, EventFilter{}, error));
    EXPECT_EQ(error, "No se pudo abrir el fichero para escritura: \n" + (dir / "no" / "x.csv").string());

    // A path cp1252 cannot name is refused before anything is written.
    const std::filesystem::path odd = dir.Path() / std::filesystem::path(u8"eventos_\u2713.csv");
    EXPECT_FALSE(WriteEventsCsv(odd, events, EventFilter{}, error));
    EXPECT_EQ(error, "El nombre del fichero tiene caracteres que no se pueden usar: \n" + (dir / "eventos_?.csv").string());
    EXPECT_FALSE(std::filesystem::exists(odd));

    // A write that fails half-way (the file size limit stands in for a full disk) leaves the
    // old file whole.
    dir.Write("old.csv", "old contents\r\n");
    std::vector<Ev> many(200, Ev{"1130", 1, 1});
    Fill(events, EventFormatStandard, many);
    struct rlimit saved {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const sighandler_t oldHandler = signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 1024;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool written = WriteEventsCsv(dir / "old.csv", events, EventFilter{}, error);
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(written);
    EXPECT_EQ(error, "No se pudo escribir el fichero: \n" + (dir / "old.csv").string());
    EXPECT_EQ(dir.Read("old.csv"), "old contents\r\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 2);  // no temporary left
}

}  // namespace

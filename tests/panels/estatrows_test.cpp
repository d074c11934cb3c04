// The status panels' rows, masks, typed clock and radio labels, without a window.
#include <memory>

#include <gtest/gtest.h>

#include "datamodel/codi.h"
#include "datamodel/estat.h"
#include "datamodel/grup.h"
#include "datamodel/mesura.h"
#include "panels/estatrows.h"

namespace {

std::unique_ptr<CMesura> Switch(int type, int raw) {
    auto m = std::make_unique<CMesura>();
    m->SetTipus(type);
    m->SetRaw(raw);
    return m;
}

TEST(EstatRows, NameTablesNeverReachPastTheirThirtyTwoEntries) {
    const NameTable defaults = MakeNames(nullptr, kZoneWord);
    EXPECT_EQ(defaults[0], "Zona 1");
    EXPECT_EQ(defaults[31], "Zona 32");

    CGrup group;  // does not own its codes
    std::vector<std::unique_ptr<CCodi>> codis;
    for (const char* value : {"Entrada         ", "Salón", "Garaje"}) {
        codis.push_back(std::make_unique<CCodi>());
        codis.back()->SetValue(value);
        group.AddCodi(codis.back().get());
    }
    const NameTable named = MakeNames(&group, kAreaWord);
    EXPECT_EQ(named[1], "Salón");
    EXPECT_EQ(named[3], "");  // past the group's codes

    // Models may count more areas or outputs and relays than the table holds.
    EXPECT_EQ(NameAt(named, 2, kAreaWord), "Garaje");
    EXPECT_EQ(NameAt(named, 32, kAreaWord), "Area 33");
    EXPECT_EQ(NameAt(named, -1, kOutputWord), "Salida 0");

    CEstat estat(4);
    estat.SetAreaCount(40);
    estat.SetAreaStatus(0xFF);
    EXPECT_EQ(AreaItemText(named, estat, 0), "Entrada         : Conectada");  // as stored, padding kept
    EXPECT_EQ(AreaItemText(named, estat, 8), ": Desconectada");  // no name, no bit past the eighth
    EXPECT_EQ(AreaItemText(named, estat, 39), "Area 40: Desconectada");

    // Outputs then relays; relay names follow the outputs' (past 32: the default word).
    for (int i = 0; i < 31; ++i) estat.AddOutput(Switch(MesuraOutput, i == 2));
    estat.AddRelay(Switch(MesuraRelay, 1));
    estat.AddRelay(Switch(MesuraRelay, 0));
    const std::vector<std::string> items = OutputItems(MakeNames(nullptr, kOutputWord), estat);
    ASSERT_EQ(items.size(), 33u);
    EXPECT_EQ(items[0], "Salida 1: Desactivada");
    EXPECT_EQ(items[2], "Salida 3: Activada");
    EXPECT_EQ(items[31], "Salida 32: Activada");
    EXPECT_EQ(items[32], "Salida 33: Desactivada");
}

TEST(EstatRows, ZoneStateTextAndColourFollowTheirOwnOrders) {
    struct Case {
        bool omit, alarm, averia, detect;
        const char* text;
        ZoneColour colour;
    };
    const Case cases[] = {
        {true, true, false, false, "Omitida", ZoneColour::Bypassed},
        {false, true, false, true, "Alarma", ZoneColour::Alarm},
        {false, false, true, false, "Avería", ZoneColour::Trouble},
        {false, false, true, true, "Avería", ZoneColour::Detecting},
        {false, false, false, true, "Detectando", ZoneColour::Detecting},
        {false, false, false, false, "ok", ZoneColour::Default},
    };
    for (const Case& c : cases) {
        CEstat estat(16);
        if (c.omit) estat.SetZoneOmit(9);
        if (c.alarm) estat.SetZoneAlarm(9);
        if (c.averia) estat.SetZoneAveria(9);
        if (c.detect) estat.SetZoneDetect(9);
        EXPECT_EQ(ZoneStateText(estat, 9), c.text) << c.text;
        EXPECT_EQ(ZoneRowColour(estat, 9), c.colour) << c.text;
    }
}

TEST(EstatRows, CoverageBarsOnePerTwentyPercent) {
    const std::pair<int, int> cases[] = {{0, 0}, {19, 0}, {20, 1}, {59, 2}, {72, 3}, {80, 4}, {255, 4}};
    for (const auto& [value, bars] : cases) EXPECT_EQ(CoverageBars(value), bars) << value;
    EXPECT_EQ(CoverageText(57), "Cobertura: 57%");
}

TEST(EstatRows, ZoneMasksTakeOnlyZonesThatChange) {
    struct Case {
        int zones;
        std::vector<bool> selected;
        bool bypass;
        ZoneMask mask;
        int count;
    };
    const std::vector<bool> all(16, true);
    const Case cases[] = {
        {8, all, true, {0xDF, 0x00}, 7},        // zone 6 is bypassed already; 8 zones: one byte
        {8, all, false, {0x20, 0x00}, 1},       // restore takes only the bypassed one
        {9, all, true, {0xDF, 0x01}, 8},        // the ninth zone is bit 0 of the second byte
        {16, all, true, {0xDF, 0xFF}, 15},
        {16, {false, true}, true, {0x02, 0x00}, 1},
        {16, {false, false, false, false, false, true}, true, {0x00, 0x00}, 0},  // only a bypassed zone
        {0, all, true, {0x00, 0x00}, 0},       // no zones: an empty mask, never a short one
    };
    for (const Case& c : cases) {
        CEstat estat(c.zones);
        estat.SetZoneOmit(5);
        int count = -1;
        EXPECT_EQ(MakeZoneMask(estat, c.selected, c.bypass, count), c.mask) << c.zones;
        EXPECT_EQ(count, c.count) << c.zones;
    }
    EXPECT_EQ(MakeAreaMask(4, {true, false, true, true, true}), 0x0D);  // only the area count
    EXPECT_EQ(MakeAreaMask(12, std::vector<bool>(12, false)), 0);
    std::vector<bool> ninthOnly(12, false);
    ninthOnly[8] = true;
    EXPECT_EQ(MakeAreaMask(12, ninthOnly), 0);  // the mask has eight bits
}

TEST(EstatRows, TypedClockIsTwelveDigitsOfARealDateAndTime) {
    std::string error;
    EXPECT_EQ(ParseTypedClock("120000010107", error), (PanelClock{12, 0, 0, 1, 1, 7}));
    EXPECT_EQ(error, "");
    EXPECT_EQ(ParseTypedClock("235959290224", error), (PanelClock{23, 59, 59, 29, 2, 24}));  // leap year

    struct Bad {
        const char* typed;
        const char* why;  // what the message adds to the format text (empty: nothing)
    };
    const Bad bad[] = {
        {"12000001010", ""},    // eleven characters
        {"1200000101070", ""},  // thirteen
        {"ab0000010107", "cifras"},
        {"12 000010107", "cifras"},
        {"240000010107", "hora"},
        {"126000010107", "minutos"},
        {"120060010107", "segundos"},
        {"120000011307", "mes"},
        {"120000010007", "mes"},
        {"120000000107", "día"},
        {"120000310407", "día"},  // April has 30 days
        {"120000290223", "día"},  // not a leap year
    };
    for (const Bad& b : bad) {
        EXPECT_FALSE(ParseTypedClock(b.typed, error)) << b.typed;
        EXPECT_EQ(error.rfind(kBadClockFormat, 0), 0u) << b.typed;
        if (*b.why) EXPECT_NE(error.find(b.why), std::string::npos) << b.typed << ": " << error;
        else EXPECT_EQ(error, kBadClockFormat);
    }
}

TEST(EstatRows, RadioLabelsNameZoneAndDevice) {
    using Labels = std::vector<std::string>;
    const Labels pairs = RadioColumnLabels(16, 32);
    ASSERT_EQ(pairs.size(), 32u);
    EXPECT_EQ(Labels(pairs.begin(), pairs.begin() + 3), (Labels{"1.1", "1.2", "2.1"}));
    EXPECT_EQ(pairs.back(), "16.2");
    EXPECT_EQ(RadioColumnLabels(4, 3), (Labels{"1.1", "1.2", "1.3"}));  // fewer devices than zones
    EXPECT_EQ(RadioColumnLabels(16, 0), Labels{});
    EXPECT_EQ(RadioColumnLabels(0, 8), Labels{});
    EXPECT_EQ(RadioColumnLabels(16, 512).back(), "16.32");
}

}  // namespace

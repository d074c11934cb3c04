// Site-plan logic without a window: name tables, geometry, hit tests, how elements are drawn,
// their labels, menus and bypass masks.
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "datamodel/codi.h"
#include "datamodel/grafic.h"
#include "datamodel/grup.h"
#include "panels/planlogic.h"

namespace {

using plan::Point;

CCompGraf Element(int kind, int x = 0, int y = 0) {
    CCompGraf e;
    e.SetTipus(kind);
    e.SetPos(x, y);
    return e;
}

TEST(PlanNames, DefaultsFillAllEntriesAndGroupsNeverOverflowTheTable) {
    plan::NameTable zones;
    plan::FillNames(zones, nullptr, "Zona");
    EXPECT_EQ(zones[0], "Zona 1");
    EXPECT_EQ(zones[31], "Zona 32");

    // A group of 40 names fills the 32 entries, as stored: padded with blanks to 16 characters.
    std::vector<std::unique_ptr<CCodi>> codis;
    CGrup many;
    for (int i = 0; i < 40; ++i) {
        codis.push_back(std::make_unique<CCodi>());
        codis.back()->SetType(CodiString);
        codis.back()->SetValue("Nombre" + std::to_string(i));
        many.AddCodi(codis.back().get());
    }
    plan::FillNames(zones, &many, "Zona");
    EXPECT_EQ(zones[31], "Nombre31        ");
    EXPECT_EQ(zones[0], "Nombre0         ");
    // The element's label shows the name as stored too.
    CCompGraf contact = Element(GraficKindContact);
    contact.SetZona(3);
    EXPECT_EQ(plan::Describe(contact, zones, zones, 4).text, "Nombre3         : 4 \n Estado: ok \n Tipo: Contacto ");
}

TEST(PlanNames, EntriesOutsideTheTableShowTheNumberAlone) {
    plan::NameTable outputs;
    plan::FillNames(outputs, nullptr, "Salida");
    const struct {
        int entry, number;
        const char* shown;
    } cases[] = {{0, 0, "Salida 1"}, {31, 31, "Salida 32"}, {32, 32, "33"}, {-1, -1, "0"}, {255, 255, "256"},
                 {6, 2, "Salida 7"}};
    for (const auto& c : cases) {
        EXPECT_EQ(plan::ChoiceText(outputs, c.entry, c.number), c.shown) << c.entry;
        EXPECT_EQ(plan::NameAt(outputs, c.entry) != nullptr, c.entry >= 0 && c.entry < 32);
    }
}

TEST(PlanGeometry, PictureFitsItsCanvasAndClicksMapBack) {
    EXPECT_DOUBLE_EQ(plan::FitScale(800, 600, 400, 400, 1.0), 0.5);
    EXPECT_DOUBLE_EQ(plan::FitScale(320, 240, 640, 600, 1.0), 2.0);
    // Sizes that cannot give a scale keep the previous one (never zero, never a division by zero).
    EXPECT_DOUBLE_EQ(plan::FitScale(800, 600, 0, 400, 0.75), 0.75);
    EXPECT_DOUBLE_EQ(plan::FitScale(0, 0, 400, 400, 1.0), 1.0);
    EXPECT_DOUBLE_EQ(plan::FitScale(-1, -1, 400, 400, 1.0), 1.0);

    EXPECT_EQ(plan::ToPicture(100, 0.5), 200);
    EXPECT_EQ(plan::ToPicture(101, 2.0), 50);  // truncated
    EXPECT_EQ(plan::ToPicture(-3, 2.0), -1);   // toward zero
    EXPECT_EQ(plan::ToPicture(5, 0.0), 5);

    EXPECT_EQ(plan::CornerFor({200, 200}), (Point{189, 189}));
    // Near the picture's edge the element stays on it instead of getting an unset position.
    EXPECT_EQ(plan::CornerFor({5, 30}), (Point{0, 19}));
}

TEST(PlanGeometry, HitTestTakesTheFirstElementOfTheListOverItsWholeSquare) {
    CCompGraf a = Element(GraficKindWater, 100, 100);
    CCompGraf b = Element(GraficKindGas, 110, 110);  // overlaps a
    const std::vector<CCompGraf*> list{&a, &b};
    const struct {
        Point at;
        int hit;
    } cases[] = {{{100, 100}, 0}, {{122, 122}, 0}, {{115, 115}, 0}, {{123, 123}, 1},
                 {{132, 132}, 1}, {{133, 132}, -1}, {{99, 100}, -1}};
    for (const auto& c : cases) EXPECT_EQ(plan::HitTest(list, c.at), c.hit) << c.at.x << "," << c.at.y;
    EXPECT_EQ(plan::HitTest({}, {0, 0}), -1);
}

TEST(PlanDrawing, FirstRuleThatAppliesDecidesTheLook) {
    enum { Trouble = 1, Alarm = 2, Detect = 4, Active = 8 };
    const struct {
        int states;
        bool edit;
        bool second, cross;
        int red;
        bool green;
    } cases[] = {
        {Trouble | Alarm, false, false, true, 0, false},  // trouble wins over alarm
        {Alarm, false, true, false, 2, false},
        {Detect, false, false, false, 1, false},
        {Alarm | Detect, false, true, false, 2, false},
        {Active, false, true, false, 0, true},
        {0, false, false, false, 0, false},
        {Trouble | Alarm | Active, true, false, false, 0, false},  // edit mode: the normal icon
    };
    for (const auto& c : cases) {
        CCompGraf e = Element(GraficKindContact);
        e.SetAveria(c.states & Trouble);
        e.SetAlarm(c.states & Alarm);
        e.SetDetect(c.states & Detect);
        e.SetActive(c.states & Active);
        const plan::Look look = plan::LookOf(e, c.edit);
        EXPECT_EQ(look.secondIcon, c.second) << c.states;
        EXPECT_EQ(look.cross, c.cross) << c.states;
        EXPECT_EQ(look.redCircles, c.red) << c.states;
        EXPECT_EQ(look.greenCircle, c.green) << c.states;
    }
    EXPECT_STREQ(plan::IconFile(GraficKindInfrared, true), "icons/grafic/alarmainfraroig.png");
    EXPECT_STREQ(plan::IconFile(GraficKindRelay, false), "icons/grafic/sortidarele.png");
    EXPECT_EQ(plan::IconFile(0, false), nullptr);
    EXPECT_EQ(plan::IconFile(10, true), nullptr);
}

TEST(PlanDrawing, RepaintTimerRunsOnlyWhileTroubleIsShownLive) {
    using plan::TimerAction;
    const struct {
        bool picture, edit, trouble, running;
        TimerAction action;
    } cases[] = {
        {true, false, true, false, TimerAction::Start}, {true, false, true, true, TimerAction::None},
        {true, false, false, true, TimerAction::Stop},  {true, true, true, true, TimerAction::Stop},
        {true, true, true, false, TimerAction::None},   {false, false, true, true, TimerAction::None},
    };
    for (const auto& c : cases)
        EXPECT_EQ(plan::AfterPaint(c.picture, c.edit, c.trouble, c.running), c.action)
            << c.picture << c.edit << c.trouble << c.running;
}

TEST(PlanLabel, NameNumberStateAndType) {
    plan::NameTable zones, outputs;
    plan::FillNames(zones, nullptr, "Zona");
    plan::FillNames(outputs, nullptr, "Salida");

    CCompGraf water = Element(GraficKindWater);
    water.SetZona(0);
    water.SetAlarm(true);
    plan::Label label = plan::Describe(water, zones, outputs, 4);
    EXPECT_EQ(label.text, "Zona 1: 1 \n Estado: Alarma \n Tipo: Agua ");
    EXPECT_EQ(label.background, plan::LabelColour::Red);

    CCompGraf infrared = Element(GraficKindInfrared);
    infrared.SetZona(1);
    infrared.SetAveria(true);
    infrared.SetAlarm(true);  // trouble comes before alarm
    label = plan::Describe(infrared, zones, outputs, 4);
    EXPECT_EQ(label.text, "Zona 2: 2 \n Estado: Avería \n Tipo: Infrarojo ");
    EXPECT_EQ(label.background, plan::LabelColour::Red);

    water.SetOmit(true);  // bypass comes first
    label = plan::Describe(water, zones, outputs, 4);
    EXPECT_EQ(label.text, "Zona 1: 1 \n Estado: Omitida \n Tipo: Agua ");
    EXPECT_EQ(label.background, plan::LabelColour::LightGrey);

    CCompGraf siren = Element(GraficKindSiren);
    siren.SetSortida(2);
    siren.SetActive(true);
    label = plan::Describe(siren, zones, outputs, 4);
    EXPECT_EQ(label.text, "Salida 3: 3 \n Estado: Activada \n Tipo: Sirena ");
    EXPECT_EQ(label.background, plan::LabelColour::Red);

    // Relays are named after the outputs, whatever the number of outputs.
    CCompGraf relay = Element(GraficKindRelay);
    relay.SetRele(0);
    EXPECT_EQ(plan::Describe(relay, zones, outputs, 4).text, "Salida 5: 1 \n Estado: Inactivo \n Tipo: Relé ");
    EXPECT_EQ(plan::Describe(relay, zones, outputs, 6).text, "Salida 7: 1 \n Estado: Inactivo \n Tipo: Relé ");
    EXPECT_EQ(plan::Describe(relay, zones, outputs, 6).background, plan::LabelColour::Blue);
}

TEST(PlanLabel, ElementsTheTablesDoNotNameShowTheirNumberAlone) {
    plan::NameTable zones, outputs;
    plan::FillNames(zones, nullptr, "Zona");
    plan::FillNames(outputs, nullptr, "Salida");
    CCompGraf unbound = Element(GraficKindGas);  // zone -1
    EXPECT_EQ(plan::Describe(unbound, zones, outputs, 4).text, "0 \n Estado: ok \n Tipo: Gas ");
    CCompGraf far = Element(GraficKindFire);
    far.SetZona(200);
    EXPECT_EQ(plan::Describe(far, zones, outputs, 4).text, "201 \n Estado: ok \n Tipo: Fuego ");
    CCompGraf relay = Element(GraficKindRelay);
    relay.SetRele(28);  // entry 32 with four outputs
    EXPECT_EQ(plan::Describe(relay, zones, outputs, 4).text, "29 \n Estado: Inactivo \n Tipo: Relé ");
    CCompGraf output = Element(GraficKindOutput);  // output -1
    EXPECT_EQ(plan::Describe(output, zones, outputs, 4).text, "0 \n Estado: Desactivada \n Tipo: Salida ");
    CCompGraf none;  // kind 0
    EXPECT_EQ(plan::Describe(none, zones, outputs, 4).text, " Tipo: - ");
}

TEST(PlanCommands, MenuEntryByKindAndState) {
    const struct {
        int kind;
        bool omit, active;
        plan::Command command;
        const char* text;
    } cases[] = {
        {GraficKindWater, false, false, plan::Command::Bypass, "Omitir"},
        {GraficKindBarrier, true, false, plan::Command::Bypass, "Restaurar"},
        {GraficKindSiren, false, false, plan::Command::On, "Activar"},
        {GraficKindOutput, false, true, plan::Command::Off, "Desactivar"},
        {GraficKindRelay, false, true, plan::Command::Off, "Desactivar"},
        {GraficKindNone, false, false, plan::Command::None, ""},
    };
    for (const auto& c : cases) {
        CCompGraf e = Element(c.kind);
        e.SetOmit(c.omit);
        e.SetActive(c.active);
        const plan::MenuEntry entry = plan::MenuFor(e);
        EXPECT_EQ(entry.command, c.command) << c.kind;
        EXPECT_STREQ(entry.text, c.text) << c.kind;
    }
}

TEST(PlanCommands, BypassMaskReachesOnlyZonesTheCommandCanSend) {
    using Mask = std::array<unsigned char, 2>;
    EXPECT_EQ(plan::BypassMask(0, 8), (Mask{0x01, 0x00}));
    EXPECT_EQ(plan::BypassMask(7, 8), (Mask{0x80, 0x00}));
    EXPECT_EQ(plan::BypassMask(9, 16), (Mask{0x00, 0x02}));
    EXPECT_EQ(plan::BypassMask(15, 32), (Mask{0x00, 0x80}));
    // No zone, a zone the component lacks, or beyond the 16 the command carries: nothing to send
    // (an all-zero mask would change nothing and still report success).
    for (const auto& [zone, count] : std::vector<std::pair<int, int>>{{-1, 8}, {8, 8}, {16, 32}, {0, 0}})
        EXPECT_FALSE(plan::BypassMask(zone, count).has_value()) << zone << " of " << count;
}

}  // namespace

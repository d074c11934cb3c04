#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <tuple>
#include <vector>

#include "datamodel/estat.h"
#include "datamodel/mesura.h"

namespace {

using Bytes = std::vector<unsigned char>;

std::unique_ptr<CMesura> Mesura(int type, int offset, int raw) {
    auto mesura = std::make_unique<CMesura>();
    mesura->SetTipus(type);
    mesura->SetOffset(offset);
    mesura->SetRaw(raw);
    return mesura;
}

CMesura Computed(int type, float a, float b, int raw, const char* unit = "") {
    CMesura m;
    m.SetTipus(type);
    m.SetA(a);
    m.SetB(b);
    m.SetRaw(raw);
    m.SetUnitats(unit);
    EXPECT_TRUE(m.Compute()) << type;
    return m;
}

// Adds a site-plan element bound by bind (a setter of CCompGraf) and returns it.
CCompGraf* Place(CEstat& estat, bool (CCompGraf::*bind)(int), int number) {
    auto element = std::make_unique<CCompGraf>();
    (element.get()->*bind)(number);
    CCompGraf* placed = element.get();
    estat.GetGrafic().AddCompGraf(std::move(element));
    return placed;
}

}  // namespace

TEST(Estat, StatusAnswer) {
    CEstat estat(16);
    const Bytes reply = {0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x03, 0x80, 0x40, 0x00};
    ASSERT_TRUE(estat.SetFromReply(reply));
    for (int z = 0; z < 16; ++z) {
        EXPECT_EQ(estat.IsZoneDetect(z), z == 0 || z == 10) << z;
        EXPECT_EQ(estat.IsZoneAlarm(z), z == 1 || z == 11) << z;
        EXPECT_EQ(estat.IsZoneOmit(z), z == 4 || z == 13) << z;
        EXPECT_EQ(estat.IsZoneAveria(z), z == 6) << z;
    }
    EXPECT_EQ(estat.GetAreaStatus(), 0x03);
    EXPECT_EQ(estat.GetPanelStatus(), 0x80);

    // A short answer is refused and changes nothing.
    EXPECT_FALSE(estat.SetFromReply(std::span(reply).first(9)));
    EXPECT_TRUE(estat.IsZoneDetect(0));
}

TEST(Estat, ZonesStayInsideTheSixteenBitLayout) {
    CEstat estat(8);
    EXPECT_FALSE(estat.IsZoneDetect(8));
    EXPECT_FALSE(estat.SetZoneDetect(8));
    EXPECT_FALSE(estat.SetZoneAlarm(-1));
    EXPECT_TRUE(estat.SetZoneAveria(7));
    EXPECT_TRUE(estat.IsZoneAveria(7));

    // A model with 32 zones: the status layout has 16, so the count is bounded and zones 16
    // and above never read or write another bitmap.
    CEstat wide(32);
    EXPECT_EQ(wide.GetZoneCount(), 16);
    EXPECT_FALSE(wide.SetZoneCount(-1));
    ASSERT_TRUE(wide.SetFromReply(Bytes(10, 0xFF)));
    EXPECT_TRUE(wide.IsZoneDetect(15));
    EXPECT_FALSE(wide.IsZoneDetect(16));
    EXPECT_FALSE(wide.IsZoneAveria(31));
    EXPECT_FALSE(wide.SetZoneDetect(16));
}

TEST(Estat, ClockPointerAndReset) {
    CEstat estat(16);
    const Bytes clock = {0xB1, 0x00, 0x00, 9, 5, 7, 1, 2, 24};
    EXPECT_FALSE(estat.SetClock(std::span(clock).first(8)));
    ASSERT_TRUE(estat.SetClock(clock));
    EXPECT_EQ(estat.GetTimeText(), "09:05:07");
    EXPECT_EQ(estat.GetDateText(), "01/02/24");
    EXPECT_FALSE(estat.SetEventPointer(-3));
    EXPECT_TRUE(estat.SetEventPointer(42));
    EXPECT_FALSE(estat.SetScale(-0.5f) || estat.SetScale(std::nanf("")));
    EXPECT_TRUE(estat.SetScale(5.0f));
    estat.SetHasRadio(false);
    estat.SetHasPpe(true);
    estat.GetPpeCodi().SetType(CodiNibble6);
    estat.GetPpeCodi().SetValue("000050");
    estat.SetMainMesura(Mesura(5, 0, 1));
    estat.GetGrafic().AddCompGraf(std::make_unique<CCompGraf>());

    estat.Reset();
    EXPECT_EQ(estat.GetZoneCount(), 0);
    EXPECT_EQ(estat.GetEventPointer(), 0);
    EXPECT_EQ(estat.GetTimeText(), "00:00:00");
    EXPECT_EQ(estat.GetScale(), -1.0f);
    EXPECT_TRUE(estat.HasRadio());
    EXPECT_FALSE(estat.HasPpe());
    EXPECT_EQ(estat.GetMesuraCount(), 0);
    EXPECT_EQ(estat.GetGrafic().GetCompGrafCount(), 0);
    EXPECT_EQ(estat.GetPpeCodi().GetValue(), "000050");  // the coverage code is kept
}

TEST(Estat, CoverageValue) {
    CEstat estat(16);
    estat.GetPpeCodi().SetType(CodiNibble6);
    estat.GetPpeCodi().SetValue("000050");
    EXPECT_EQ(estat.GetPpeValue(), 0);  // no coverage code yet
    estat.SetHasPpe(true);
    EXPECT_EQ(estat.GetPpeValue(), 0x50);
    estat.GetPpeCodi().SetType(CodiNibble4);  // two bytes: no third byte to read
    EXPECT_EQ(estat.GetPpeValue(), 0);
}

TEST(Mesura, Formulas) {
    CMesura zone = Computed(1, 5.0f, 12.0f, 128, "Ohm");
    EXPECT_FLOAT_EQ(zone.GetValue(), 5789.4736f);
    EXPECT_EQ(zone.FormatText(), "5789.473633 Ohm");  // single precision, six decimals

    struct Case {
        int type;
        float a, b;
        int raw;
        const char* text;
    };
    // v = raw * A / 256 = 2.5 V with A = 5, raw 128.
    const Case cases[] = {
        {2, 5.0f, 12.0f, 128, "2200.000000 "},    // 2.5 * 2200 / (5 - 2.5)
        {3, 5.0f, 12.0f, 128, "7105.263184 "},    // 2.5 * 27000 / 9.5
        {4, 5.0f, 12.0f, 128, "32900.000000 "},   // 10.5 * 4700 / 1.5
        {5, 5.0f, -1.0f, 128, "13.526750 "},      // 2.5 * 5.4107
        {6, 5.0f, 12.0f, 128, "13.526750 "},
        {7, 5.0f, 12.0f, 128, "10.075000 "},      // 2.5 * 4.03
        {1, 5.0f, 2.5f, 128, "999.000000 "},      // B - v = 0
        {2, 5.0f, 12.0f, 256, "999.000000 "},     // A - v = 0
        {4, 5.0f, 10.5f, 128, "999.000000 "},     // B - 4.2 v = 0
        {10, -1.0f, -1.0f, 40, "72.000000 "},
        {10, -1.0f, -1.0f, 255, "0.000000 "},
        {10, -1.0f, -1.0f, 0, "100.000000 "},
        {10, -1.0f, -1.0f, 300, "0.000000 "},
        {8, -1.0f, -1.0f, 1, "Activada"},         // value -1
        {8, -1.0f, -1.0f, 0, "Desactivada"},      // value 0
        {9, -1.0f, -1.0f, 3, "Activada"},
    };
    for (const Case& c : cases) {
        CMesura m = Computed(c.type, c.a, c.b, c.raw);
        EXPECT_EQ(m.FormatText(), c.text) << c.type << " raw " << c.raw;
    }
    EXPECT_EQ(Computed(8, -1.0f, -1.0f, 1).GetValue(), -1.0f);

    CMesura main = Computed(5, 5.0f, -1.0f, 128);
    EXPECT_EQ(main.GetB(), main.GetValue());

    // Missing references or no type: the value stays -1 and the computation fails.
    EXPECT_FALSE(CMesura().SetTipus(11));
    for (auto [type, a, b] : {std::tuple{6, 5.0f, -1.0f}, {5, -1.0f, 12.0f}, {11, 5.0f, 12.0f}}) {
        CMesura m;
        m.SetTipus(type);
        m.SetA(a);
        m.SetB(b);
        m.SetRaw(128);
        EXPECT_FALSE(m.Compute()) << type;
        EXPECT_EQ(m.GetValue(), -1.0f) << type;
    }
}

TEST(Mesura, TemperatureCurve) {
    EXPECT_EQ(kTemperatureCurve[0], 100.0f);
    for (std::size_t i = 1; i < 255; ++i) EXPECT_LE(kTemperatureCurve[i], kTemperatureCurve[i - 1]) << i;
    EXPECT_EQ(kTemperatureCurve[254], -50.0f);
    EXPECT_EQ(kTemperatureCurve[255], 0.0f);
    EXPECT_EQ(kTemperatureCurve[185], 0.0f);
    EXPECT_EQ(kTemperatureCurve[21], 98.8f);
}

TEST(Mesura, TextIgnoresTheNumericLocale) {
    const char* previous = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = previous ? previous : "C";
    const bool spanish = std::setlocale(LC_NUMERIC, "es_ES.UTF-8") != nullptr ||
                         std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr;
    CMesura m = Computed(7, 5.0f, 12.0f, 128, "V");
    EXPECT_EQ(m.FormatText(), "10.075000 V");
    std::setlocale(LC_NUMERIC, saved.c_str());
    if (!spanish) GTEST_SKIP() << "no comma locale installed";
}

TEST(Estat, MeasurementLists) {
    CEstat estat(16);
    EXPECT_FALSE(estat.ComputeMesures());  // no main measurement
    estat.AddMesura(Mesura(1, 3, 128));
    estat.AddMesura(Mesura(6, 4, 128));
    EXPECT_EQ(estat.AddMesura(nullptr), -1);
    EXPECT_EQ(estat.GetMesura(2), nullptr);
    estat.SetMainMesura(Mesura(5, 7, 160));
    EXPECT_EQ(estat.GetMesuraCount(), 3);
    EXPECT_EQ(estat.GetMesura(2)->GetTipus(), 5);  // the index after the list: the main one
    EXPECT_EQ(estat.GetMesura(3), nullptr);
    EXPECT_EQ(estat.GetMesura(-1), nullptr);
    EXPECT_EQ(estat.FindMesura(4), estat.GetMesura(1));
    EXPECT_EQ(estat.FindMesura(7), estat.GetMesura(2));
    EXPECT_EQ(estat.FindMesura(9), nullptr);

    EXPECT_FALSE(estat.ComputeMesures());  // scale unset: the first measurement fails
    ASSERT_TRUE(estat.SetScale(5.0f));
    ASSERT_TRUE(estat.ComputeMesures());
    const float supply = estat.GetMesura(2)->GetValue();  // 160 * 5 / 256 * 5.4107
    EXPECT_FLOAT_EQ(supply, 16.9084375f);
    EXPECT_EQ(estat.GetMesura(0)->GetB(), supply);
    EXPECT_FLOAT_EQ(estat.GetMesura(0)->GetValue(), 2.5f * 22000.0f / (supply - 2.5f));

    estat.AddOutput(Mesura(8, 0, 1));
    estat.AddRelay(Mesura(9, 0, 0));
    EXPECT_EQ(estat.FindOutput(0), estat.GetOutput(0));
    EXPECT_EQ(estat.GetOutput(1), nullptr);
    EXPECT_EQ(estat.GetRelay(-1), nullptr);
    EXPECT_TRUE(estat.ComputeRelays());
    EXPECT_EQ(estat.FindRelay(0)->GetValue(), 0.0f);
}

TEST(Estat, SitePlanStates) {
    CEstat estat(16);
    CCompGraf* zone = Place(estat, &CCompGraf::SetZona, 10);
    CCompGraf* output = Place(estat, &CCompGraf::SetSortida, 0);
    CCompGraf* relay = Place(estat, &CCompGraf::SetRele, 3);  // no such relay: its state is left
    relay->SetActive(true);
    CCompGraf* beyond = Place(estat, &CCompGraf::SetZona, 20);
    beyond->SetDetect(true);

    estat.AddOutput(Mesura(8, 0, 0));
    ASSERT_TRUE(estat.ComputeOutputs());
    EXPECT_FALSE(output->IsActive());
    ASSERT_TRUE(estat.SetFromReply(Bytes{0x00, 0x00, 0x04, 0x04, 0x00, 0x00, 0, 0, 0x00, 0x04}));
    EXPECT_TRUE(zone->IsDetect());
    EXPECT_TRUE(zone->IsAlarm());
    EXPECT_FALSE(zone->IsOmit());
    EXPECT_TRUE(zone->IsAveria());
    EXPECT_FALSE(beyond->IsDetect());  // zones 16 and above read as not set
    EXPECT_TRUE(relay->IsActive());

    // The outputs' states follow a new output reading at once.
    estat.GetOutput(0)->SetRaw(1);
    ASSERT_TRUE(estat.ComputeOutputs());
    EXPECT_TRUE(output->IsActive());

    ASSERT_TRUE(estat.SetZoneOmit(10));
    EXPECT_TRUE(zone->IsOmit());
}

TEST(Estat, RadioFlags) {
    CEstat estat(16);
    EXPECT_FALSE(estat.SetRadioZoneCount(-8));
    ASSERT_TRUE(estat.SetRadioZoneCount(16));
    // Planes of two bytes: flag k of zone i is bit i % 8 of byte 2k + i / 8.
    ASSERT_TRUE(estat.SetRadioFlags(Bytes{0x01, 0x80, 0x02, 0x00, 0x00, 0x01, 0x00, 0x40}));
    EXPECT_TRUE(estat.GetRadioFlag0(0));
    EXPECT_TRUE(estat.GetRadioFlag0(15));
    EXPECT_TRUE(estat.GetRadioFlag1(1));
    EXPECT_TRUE(estat.GetRadioFlag2(8));
    EXPECT_TRUE(estat.GetRadioFlag3(14));
    EXPECT_FALSE(estat.GetRadioFlag3(15));
    EXPECT_FALSE(estat.GetRadioFlag0(16));
    EXPECT_FALSE(estat.GetRadioFlag0(-1));

    // A short answer sets what came and reads nothing beyond it.
    ASSERT_TRUE(estat.SetRadioZoneCount(12));
    EXPECT_FALSE(estat.SetRadioFlags(Bytes{0xFF, 0x0F, 0xFF}));
    EXPECT_TRUE(estat.GetRadioFlag0(11));
    EXPECT_TRUE(estat.GetRadioFlag1(7));
    EXPECT_FALSE(estat.GetRadioFlag1(8));
    EXPECT_FALSE(estat.GetRadioFlag3(0));

    ASSERT_TRUE(estat.SetRadioZoneCount(100000));
    EXPECT_EQ(estat.GetRadioZoneCount(), 512);
}

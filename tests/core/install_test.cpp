// The installation file: its text as the writer builds it (the bundled sample byte for byte, the
// optional lines, escaping and the round trip through the reader).
#include <gtest/gtest.h>

#include "core/report.h"
#include "datamodel/files.h"
#include "datamodel/instalacio.h"
#include "datamodel/xml.h"
#include "support/temp_dir.h"

namespace {

const std::filesystem::path kSource = ORVANE_SOURCE_DIR;

// Reads installation text into inst (models from the working folder's models/).
bool ParseInto(CInstalacio& inst, std::string text) {
    inst.Clear();
    XmlParser parser(&inst);
    return parser.Parse(text, 0, static_cast<long>(text.size()) - 1) && inst.IsOk();
}

bool LoadSample(CInstalacio& inst) {
    std::string text;
    return ReadJoinedLines(kSource / "samples" / "ejemplo.voski", text) && ParseInto(inst, text);
}

std::string Xml(CInstalacio& inst) {
    std::string out;
    AppendInstalacioXml(inst, out);
    return out;
}

std::string Xml(CModel& model) {
    std::string out;
    AppendComponentXml(model, out);
    return out;
}

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST(InstalacioWriterTest, SampleIsWrittenByteForByte) {
    ScopedWorkingDir cwd(kSource);
    CInstalacio inst;
    ASSERT_TRUE(LoadSample(inst)) << inst.GetError();
    std::string expected;
    ASSERT_TRUE(ReadWholeFile(kSource / "samples" / "ejemplo.voski", expected));
    EXPECT_EQ(WithCrLf(Xml(inst)), expected);
}

TEST(InstalacioWriterTest, MarkupInValuesReadsBackAsWritten) {
    ScopedWorkingDir cwd(kSource);
    CInstalacio inst;
    ASSERT_TRUE(LoadSample(inst));
    CDades dades = inst.GetDades();
    dades.SetNomInstal("A<B>&C \"D\"");
    dades.SetDireccio("</direccio><x>");
    inst.SetDades(dades);
    CModel& central = inst.GetCentral();
    ASSERT_TRUE(central.FindCode("602")->SetValue("<&>\"'"));
    const std::string code = central.FindCode("602")->GetValue();
    central.FindGrupFlash("F03")->FindFitxer("WEB")->SetPath("/home/u/<web>&.rom");
    central.GetEstat().GetGrafic().SetMapa("planos/a&b<c>.gif", 3);
    central.SetDescr("Central \"<1>\"");

    const std::string first = Xml(inst);
    EXPECT_TRUE(Contains(first, "<nominstal>A&lt;B&gt;&amp;C \"D\"</nominstal>"));
    CInstalacio back;
    ASSERT_TRUE(ParseInto(back, first)) << back.GetError();
    EXPECT_EQ(back.GetDades().GetNomInstal(), "A<B>&C \"D\"");
    EXPECT_EQ(back.GetDades().GetDireccio(), "</direccio><x>");
    EXPECT_EQ(back.GetCentral().FindCode("602")->GetValue(), code);
    EXPECT_EQ(back.GetCentral().FindGrupFlash("F03")->FindFitxer("WEB")->GetPath(), "/home/u/<web>&.rom");
    EXPECT_EQ(back.GetCentral().GetEstat().GetGrafic().GetMapa(3), "planos/a&b<c>.gif");
    EXPECT_EQ(back.GetCentral().GetDescr(), "Central \"<1>\"");
    EXPECT_EQ(Xml(back), first);
}

TEST(InstalacioWriterTest, ComponentTagCodesAndStatusLines) {
    CModel model;
    model.SetName("5");
    model.SetId("X");  // no version
    model.SetBusDir("05");
    model.SetDescr("Sin versión");
    auto codi = std::make_unique<CCodi>();
    codi->SetValue("1");
    model.AddCode(std::move(codi));
    model.GetEstat().SetZoneCount(16);
    model.GetEstat().SetZoneAlarm(15);
    model.GetEstat().SetAreaStatus(0x81);
    const std::string text = Xml(model);
    EXPECT_TRUE(Contains(text, "\t<component id=\"5\" model=\"X\" >\n\t\t<busdir>05</busdir>\n"
                               "\t\t<descr>Sin versión</descr>\n\t\t<codi>\n\t\t\t<val>1</val>\n"
                               "\t\t</codi>\n\t\t<estat>\n"
                               "\t\t\t<detectz>0000000000000000</detectz>\n"
                               "\t\t\t<alarmz>0000000000000001</alarmz>\n"))
        << text;
    EXPECT_TRUE(Contains(text, "<areast>10000001</areast>"));
    EXPECT_TRUE(Contains(text, "<stpanel>00000000</stpanel>"));

    CModel bare;
    bare.SetName("");
    EXPECT_EQ(Xml(bare).substr(0, 13), "\t<component >");
}

TEST(InstalacioWriterTest, SitePlanElementsAndEventsWriteOnlyTheirLines) {
    ScopedWorkingDir cwd(kSource);
    CInstalacio inst;
    ASSERT_TRUE(LoadSample(inst));
    CModel& central = inst.GetCentral();
    CGrafic& grafic = central.GetEstat().GetGrafic();
    grafic.Reset();
    auto element = std::make_unique<CCompGraf>();
    element->SetNumMapa(1);
    element->SetTipus(GraficKindSiren);
    element->SetPos(3, 4);
    grafic.AddCompGraf(std::move(element));

    CEvents& events = central.GetEvents();
    auto plain = std::make_unique<CEvent>();  // zone 0, standard record
    plain->SetContactId("1401");
    plain->SetArea(2);
    events.AddEvent(std::move(plain));
    auto extended = std::make_unique<CEvent>();
    extended->SetContactId("1130");
    extended->SetZone(7);
    extended->SetAbonat("1234");
    extended->SetLinia(2);
    extended->SetNumero(9);
    events.AddEvent(std::move(extended));

    const std::string text = Xml(central);
    EXPECT_TRUE(Contains(text, "\t\t\t\t<compgraf>\n\t\t\t\t\t<nummapa>1</nummapa>\n\t\t\t\t\t<tipus>7</tipus>\n"
                               "\t\t\t\t\t<posx>3</posx>\n\t\t\t\t\t<posy>4</posy>\n\t\t\t\t</compgraf>\n"));
    EXPECT_TRUE(Contains(text, "\t\t\t<event ord=\"3\">\n\t\t\t\t<hora></hora>\n\t\t\t\t<data></data>\n"
                               "\t\t\t\t<contactid>1401</contactid>\n\t\t\t\t<area>2</area>\n"
                               "\t\t\t</event>\n"))
        << text;
    EXPECT_TRUE(Contains(text, "<contactid>1130</contactid>\n\t\t\t\t<zona>7</zona>\n\t\t\t\t<area>0</area>\n"
                               "\t\t\t\t<abonat>1234</abonat>\n\t\t\t\t<linia>2</linia>\n"
                               "\t\t\t\t<numero>9</numero>\n"));
    // The phone call of the sample: its number under zona, no area.
    EXPECT_TRUE(Contains(text, "<zona>912345678</zona>\n\t\t\t\t<descphonecall>Outgoing-PSTN DATA-OK"
                               "</descphonecall>\n\t\t\t\t<abonat></abonat>\n\t\t\t</event>"));

    // A status record without the site-plan page has no grafic block.
    central.GetEstat().SetHasGrafic(false);
    EXPECT_FALSE(Contains(Xml(central), "grafic"));
}

TEST(InstalacioWriterTest, StoredFormEndsEveryLineWithCrLf) {
    EXPECT_EQ(WithCrLf("a\nb\n\n"), "a\r\nb\r\n\r\n");
    EXPECT_EQ(WithCrLf("abc"), "abc");
}

}  // namespace

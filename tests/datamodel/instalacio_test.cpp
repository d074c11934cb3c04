#include "datamodel/instalacio.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "datamodel/log.h"
#include "datamodel/strings.h"
#include "support/capture_log_sink.h"
#include "support/temp_dir.h"

namespace {

const char* kCentral = R"(<model id="C" versio="1"><descr>Central</descr><zones>16</zones><busdir>01</busdir>
<grup id="G"><descr>Claves</descr>
<codi id="000"><tipus>nibble4</tipus><eeprom>0000</eeprom><val>1111</val></codi>
<codi id="100"><tipus>decimal</tipus><eeprom>0002</eeprom><val>030</val></codi></grup>
<grup-flash id="F"><descr>Tabla</descr><elements>3</elements><bytes-element>3</bytes-element><addrbase>0800</addrbase>
<columna><descr>A</descr><tipus>nibble4</tipus><val>FFFF</val></columna><columna><descr>B</descr><tipus>decimal</tipus><val>000</val></columna></grup-flash>
<grup-flash id="W"><descr>Ficheros</descr><addrbase>0100</addrbase><fitxer id="LOGO"><descr>Logo</descr><index>1</index><sector>0</sector><long>1</long></fitxer></grup-flash>
<events><address>1800</address><maxevents>100</maxevents><bytesevent>8</bytesevent><tipus>q7rev</tipus></events>
</model>)";

const char* kKeypad = R"(<model id="K" versio="1.0"><descr>Teclado</descr><zones>2</zones><busdir>21</busdir>
<grup id="G"><descr>Teclado</descr><codi id="001"><tipus>nibble2</tipus><eeprom>0000</eeprom><val>00</val></codi></grup>
<grup-flash id="F"><descr>Otra tabla</descr><elements>2</elements><bytes-element>1</bytes-element>
<columna><descr>A</descr><tipus>nibble2</tipus><val>00</val></columna></grup-flash></model>)";

// A folder with the fixture models that becomes the working folder, and a loader that does
// what the core's opener does with an installation file's text.
class InstalacioTest : public ::testing::Test {
protected:
    InstalacioTest() : cwd_(dir_.Path()), log_(&sink_) {
        std::filesystem::create_directory(dir_ / "models");
        dir_.Write("models/C-1.xml", kCentral);
        dir_.Write("models/K-1.0.xml", kKeypad);
    }

    bool Load(const std::string& text) {
        inst_.Clear();
        inst_.SetLogTarget(&log_);
        std::string buffer = text;
        XmlParser parser(&inst_);
        return parser.Parse(buffer, 0, static_cast<long>(buffer.size()) - 1) && inst_.IsOk();
    }

    TempDir dir_;
    ScopedWorkingDir cwd_;
    CaptureLogSink sink_;
    CLog log_;
    CInstalacio inst_;
};

TEST_F(InstalacioTest, LoadsHeaderCentralAndComponentsInFileOrder) {
    ASSERT_TRUE(Load(R"(<instalacio><dades><nominstal>Chalet Pérez</nominstal><nomclient>Pérez &amp; Hijos &lt;S.L.&gt;</nomclient>
<telfconexio>910000001</telfconexio><tipusconexio>2</tipusconexio><baudrate>9600</baudrate><callback>yes</callback><especial>YES</especial>
<ipport>4000</ipport><ipcralnkdest>cra.example.com</ipcralnkdest></dades>
<component id="28" model="K" versio="1.0"><busdir>28</busdir><descr>Teclado del garaje</descr><codi id="001"><val>05</val></codi></component>
<component id="0" model="C" versio="1"><busdir>01</busdir><codi id="000"><val>2580</val></codi></component>
<component id="21" model="K" versio="1.0"><busdir>21</busdir></component></instalacio>)"));
    const CDades& d = inst_.GetDades();
    EXPECT_EQ(d.GetNomInstal(), "Chalet Pérez");
    EXPECT_EQ(d.GetNomClient(), "Pérez & Hijos <S.L.>");
    EXPECT_EQ(d.GetTipusConexio(), 2);
    EXPECT_EQ(d.GetBaudRate(), 9600);
    EXPECT_TRUE(d.GetCallback());
    EXPECT_FALSE(d.GetEspecial());  // only "yes" is true
    EXPECT_EQ(d.GetIpPort(), 4000);
    EXPECT_EQ(d.GetTelfConexio(), "910000001");

    EXPECT_EQ(inst_.GetCentral().GetName(), "0");
    EXPECT_EQ(inst_.GetCentral().GetId(), "C");
    EXPECT_EQ(inst_.GetInstallerCode(), "2580");
    ASSERT_EQ(inst_.GetComponentCount(), 2);
    EXPECT_EQ(inst_.GetComponent(0)->GetName(), "28");
    EXPECT_EQ(inst_.GetComponent(0)->GetBusDir(), "28");
    EXPECT_EQ(inst_.GetComponent(0)->GetDescr(), "Teclado del garaje");
    EXPECT_EQ(inst_.GetComponent(0)->FindCode("001")->GetValue(), "05");
    EXPECT_EQ(inst_.GetComponent(1)->GetName(), "21");
    EXPECT_TRUE(inst_.IsModified());  // the opener clears the marks after a good load
}

TEST_F(InstalacioTest, UnknownRecordsAreSkippedAndEchoedAsWritten) {
    ASSERT_TRUE(Load(R"(<instalacio><component id="0" model="C" versio="1">
<codi id="999"><val>12</val></codi><codi id="100"><val>45</val></codi>
<grup-flash id="NOPE"><fitxer id="LOGO"><nom>x.bin</nom></fitxer><element><col>1234</col></element></grup-flash>
<grup-flash id="W"><fitxer id="OTHER"><nom>y.bin</nom></fitxer><fitxer id="LOGO"><nom>logo.gif</nom></fitxer></grup-flash>
</component></instalacio>)"));
    EXPECT_EQ(inst_.GetCentral().FindCode("100")->GetValue(), "45");
    EXPECT_EQ(inst_.GetCentral().FindGrupFlash("W")->FindFitxer("LOGO")->GetPath(), "logo.gif");
    EXPECT_EQ(inst_.GetCentral().FindGrupFlash("F")->GetCellText(0, 0), "FFFF");
    const std::string& echo = sink_.Text();
    EXPECT_NE(echo.find("foundNode: codi atr: id=\"999\"\n"), std::string::npos);
    EXPECT_NE(echo.find("foundElement: val atr:  val: 12\n"), std::string::npos);
    EXPECT_EQ(echo.find("IGNORAR"), std::string::npos);
    EXPECT_EQ(echo.find('['), std::string::npos);  // no time stamps
}

TEST_F(InstalacioTest, TheEchoOfOneLoadIsBoundedAndEndsWithOneSummaryLine) {
    const std::string cut = "[...] El registro muestra solo las primeras 1000 líneas de la lectura del fichero.\n";
    auto lines = [](const std::string& text) { return std::count(text.begin(), text.end(), '\n'); };
    // Many unknown elements, then a long value: only the first lines are echoed, then the summary once.
    std::string text = "<instalacio>";
    for (int i = 0; i < 3000; ++i) text += "<x></x>";
    text += "<dades><nominstal>" + std::string(100000, 'n') + "</nominstal></dades></instalacio>";
    EXPECT_TRUE(Load(text));
    EXPECT_EQ(lines(sink_.Text()), CInstalacio::kMaxEchoLines + 1);
    EXPECT_TRUE(sink_.Text().ends_with("foundElement: x atr:  val: \n" + cut));
    EXPECT_EQ(inst_.GetDades().GetNomInstal(), std::string(100000, 'n'));  // the record keeps it whole
    // Each load has its own count; a long line is cut, and its value kept whole in the record.
    sink_.Clear();
    EXPECT_TRUE(Load("<instalacio><dades><nominstal>" + std::string(100000, 'n') + "</nominstal></dades></instalacio>"));
    const std::string echo = sink_.Text();
    EXPECT_EQ(lines(echo), 3);
    EXPECT_NE(echo.find("val: nnn"), std::string::npos);
    EXPECT_NE(echo.find("n [...]\n"), std::string::npos);
    EXPECT_LT(echo.size(), 2 * CInstalacio::kMaxEchoLineChars);
    EXPECT_EQ(echo.find(cut), std::string::npos);
}

TEST_F(InstalacioTest, FlashCellsFilesStatusPlansAndEvents) {
    dir_.Write("planos/logo.bin", std::string(10, 'x'));
    ASSERT_TRUE(Load(R"(<instalacio><component id="0" model="C" versio="1">
<grup-flash id="F"><element><col>12AB</col><col>7</col></element><element><col>00</col></element>
<element><col>1</col><col>2</col><col>3</col></element><element><col>9999</col></element></grup-flash>
<grup-flash id="W"><fitxer id="LOGO"><nom>planos\logo.bin</nom></fitxer></grup-flash>
<estat><detectz>0101</detectz><alarmz>00000000000000001</alarmz><omitz>1</omitz><averiaz>x1</averiaz>
<areast>10000001</areast><stpanel>11</stpanel><ppe>42</ppe>
<grafic><mapa num="0">plano.gif</mapa><mapa num="3">otro.gif</mapa><mapa num="4">fuera.gif</mapa>
<compgraf><nummapa>0</nummapa><tipus>4</tipus><posx>40</posx><posy>200</posy><area>1</area><zona>0</zona></compgraf>
<compgraf><nummapa>1</nummapa><tipus>12</tipus><posx>-5</posx><posy>3</posy><sortida>2</sortida><rele>-3</rele></compgraf></grafic></estat>
<events><myppe>250</myppe><event ord="0"><hora>08:15:02</hora><data>03/02/2025</data><contactid>3401</contactid><zona>2</zona><area>1</area></event>
<event ord="1"><hora>--:--:--</hora><data>--/--/--</data><contactid>1900</contactid><zona>0912345678</zona><descphonecall>Outgoing-PSTN DATA-OK</descphonecall><abonat></abonat></event></events>
</component></instalacio>)"));
    CModel& c = inst_.GetCentral();
    CGrupFlash* table = c.FindGrupFlash("F");
    EXPECT_EQ(table->GetCellText(0, 0), "12AB");
    EXPECT_EQ(table->GetCellText(0, 1), "007");
    EXPECT_EQ(table->GetCellText(1, 0), "00FF");
    EXPECT_EQ(table->GetCellText(1, 1), "000");  // the model's value stays where no col came
    EXPECT_EQ(table->GetCellText(2, 1), "002");  // a third column does not exist

    // A path written on Windows resolves here when it is relative.
    CFitxer* logo = c.FindGrupFlash("W")->FindFitxer("LOGO");
    EXPECT_EQ(logo->GetPath(), "planos\\logo.bin");
    EXPECT_EQ(logo->GetSize(), 11);  // 10 bytes and the end mark

    const CEstat& e = c.GetEstat();
    EXPECT_FALSE(e.IsZoneDetect(0));
    EXPECT_TRUE(e.IsZoneDetect(1));
    EXPECT_TRUE(e.IsZoneDetect(3));
    for (int z = 0; z < 16; ++z) EXPECT_FALSE(e.IsZoneAlarm(z)) << z;  // zone 16 does not exist
    EXPECT_TRUE(e.IsZoneOmit(0));
    EXPECT_TRUE(e.IsZoneAveria(1));
    EXPECT_EQ(e.GetAreaStatus(), 0x81);
    EXPECT_EQ(e.GetPanelStatus(), 0x03);
    EXPECT_EQ(e.GetEventPointer(), 42);

    const CGrafic& g = e.GetGrafic();
    EXPECT_EQ(g.GetMapa(0), "plano.gif");
    EXPECT_EQ(g.GetMapa(3), "otro.gif");
    ASSERT_EQ(g.GetCompGrafCount(), 2);
    const CCompGraf* contact = g.GetCompGraf(0);
    EXPECT_EQ(contact->GetTipus(), GraficKindContact);
    EXPECT_EQ(contact->GetPosY(), 200);
    EXPECT_EQ(contact->GetArea(), 1);
    EXPECT_EQ(contact->GetZona(), 0);
    EXPECT_EQ(g.GetCompGraf(1)->GetNumMapa(), 1);
    EXPECT_EQ(g.GetCompGraf(1)->GetSortida(), 2);

    const CEvents& ev = c.GetEvents();
    EXPECT_EQ(ev.GetMyPpe(), 50);
    ASSERT_EQ(ev.GetCount(), 2);
    EXPECT_EQ(ev.GetEvent(0)->GetContactId(), "3401");
    EXPECT_EQ(ev.GetEvent(0)->GetZone(), 2);
    EXPECT_EQ(ev.GetEvent(0)->GetArea(), 1);
    EXPECT_EQ(ev.GetEvent(0)->GetTime(), "08:15:02");
    EXPECT_TRUE(ev.GetEvent(1)->IsPhoneClass());
    EXPECT_EQ(ev.GetEvent(1)->GetPhoneNumber(), "0912345678");
    EXPECT_EQ(ev.GetEvent(1)->GetDescPhoneCall(), "Outgoing-PSTN DATA-OK");
}

TEST_F(InstalacioTest, MissingModelStopsTheLoadButTheEchoGoesOn) {
    EXPECT_FALSE(Load(R"(<instalacio><component id="0" model="C" versio="1"></component>
<component id="21" model="Z" versio="9"><codi id="001"><val>1</val></codi></component>
<component id="22" model="K" versio="1.0"><busdir>22</busdir></component></instalacio>)"));
    EXPECT_EQ(inst_.GetError(), "No se puede crear el modelo: Z-9");
    EXPECT_NE(sink_.Text().find("foundElement: busdir atr:  val: 22\n"), std::string::npos);
    EXPECT_EQ(inst_.GetComponentCount(), 1);  // the third was never read

    EXPECT_FALSE(Load(R"(<instalacio><component id="0" versio="1"><busdir>1</busdir></component></instalacio>)"));
    EXPECT_EQ(inst_.GetError(), "No se puede determinar el modelo");
    EXPECT_FALSE(Load(R"(<instalacio><component id="0" model="C" versio=""><busdir>1</busdir></component></instalacio>)"));
    EXPECT_EQ(inst_.GetError(), "No se puede determinar la versión");

    inst_.Clear();
    EXPECT_TRUE(inst_.IsOk());
    EXPECT_EQ(inst_.GetError(), "");
}

TEST_F(InstalacioTest, ElementsOutOfPlaceAreIgnored) {
    ASSERT_TRUE(Load(R"(<instalacio><codi id="000"><val>9</val></codi><grup-flash id="F"><element><col>1</col></element></grup-flash>
<estat><detectz>1</detectz><grafic><mapa num="0">a.gif</mapa><compgraf><tipus>4</tipus></compgraf></grafic></estat>
<events><myppe>3</myppe><event ord="0"><contactid>1130</contactid></event></events>
<component id="0" model="C" versio="1"><codi id="000"><val>2222</val></codi>
<grup-flash id="F"><element><col>AAAA</col></element></grup-flash></component>
<component id="21" model="K" versio="1.0"><element><col>77</col></element><element><col>66</col></element>
<grup-flash id="F"><element><col>01</col></element></grup-flash></component>
<component id="0" model="C" versio="1"><codi id="000"><val>3333</val></codi><grup-flash id="F"><element><col>BBBB</col></element></grup-flash>
<events><event ord="0"><contactid>1130</contactid></event></events></component></instalacio>)"));
    CModel& c = inst_.GetCentral();
    EXPECT_EQ(inst_.GetInstallerCode(), "2222");  // the second central is skipped
    EXPECT_EQ(c.FindGrupFlash("F")->GetCellText(0, 0), "AAAA");
    EXPECT_EQ(c.FindGrupFlash("F")->GetCellText(1, 0), "FFFF");  // the keypad's elements stay its own
    EXPECT_EQ(c.GetEvents().GetCount(), 0);
    EXPECT_EQ(c.GetEstat().GetGrafic().GetCompGrafCount(), 0);
    ASSERT_EQ(inst_.GetComponentCount(), 1);
    EXPECT_EQ(inst_.GetComponent(0)->FindGrupFlash("F")->GetCellText(0, 0), "01");
    EXPECT_EQ(inst_.GetComponent(0)->FindGrupFlash("F")->GetCellText(1, 0), "00");
}

TEST_F(InstalacioTest, CommandsModifiedFlagAndAccessCodes) {
    EXPECT_EQ(inst_.GetInstallerCode(), "8371");  // built in while the central has no such code
    EXPECT_EQ(inst_.GetCraLinkCode(), "C7D2");
    EXPECT_FALSE(inst_.InitCentral("0", "C", "1", "XY"));
    EXPECT_FALSE(inst_.IsModified());
    EXPECT_TRUE(inst_.InitCentral("0", "C", "1", "0"));
    EXPECT_EQ(inst_.GetCentral().GetBusDir(), "01");  // the model's own address
    EXPECT_EQ(inst_.GetInstallerCode(), "1111");
    EXPECT_EQ(inst_.GetCraLinkCode(), "C7D2");
    EXPECT_TRUE(inst_.IsModified());

    EXPECT_EQ(inst_.AddComponent("21", "K", "1.0"), 0);
    EXPECT_EQ(inst_.AddComponent("22", "K", "1.0"), 1);
    EXPECT_EQ(inst_.AddComponent("23", "K", "2"), -1);
    EXPECT_EQ(inst_.GetError(), "No se puede crear el modelo: K-2");
    EXPECT_EQ(inst_.GetComponentCount(), 2);
    EXPECT_TRUE(inst_.SetComponentBusdirByName("22", "2A"));
    EXPECT_EQ(inst_.GetComponent(1)->GetBusDir(), "2A");
    EXPECT_FALSE(inst_.SetComponentBusdirByName("99", "2A"));
    EXPECT_FALSE(inst_.SetComponentBusdir(1, "ZZ"));
    EXPECT_FALSE(inst_.SetComponentBusdir(5, "10"));

    inst_.ClearModified();
    EXPECT_FALSE(inst_.IsModified());
    inst_.GetComponent(0)->FindCode("001")->SetValue("33");
    EXPECT_TRUE(inst_.IsModified());
    inst_.GetComponent(0)->ClearModified();
    EXPECT_TRUE(inst_.IsModified());  // kept until the installation clears it

    EXPECT_FALSE(inst_.RemoveComponent(2));
    EXPECT_EQ(inst_.GetError(), "Out of range");
    EXPECT_FALSE(inst_.RemoveComponent(-1));
    EXPECT_TRUE(inst_.RemoveComponent(1));
    EXPECT_EQ(inst_.GetComponent(0)->GetName(), "21");
    EXPECT_FALSE(inst_.RemoveComponentById("22"));
    inst_.ClearModified();
    EXPECT_TRUE(inst_.RemoveComponentById("21"));
    EXPECT_TRUE(inst_.IsModified());

    CDades d;
    d.SetNomInstal("Nueva Instalación");
    d.SetBaudRate(9600);
    inst_.ClearModified();
    inst_.SetDades(d);
    EXPECT_TRUE(inst_.IsModified());
    inst_.ClearDades();
    EXPECT_EQ(inst_.GetDades().GetNomInstal() + IntToString(inst_.GetDades().GetBaudRate()), "19200");

    inst_.Clear();
    EXPECT_EQ(inst_.GetCentral().GetCodiCount(), 0);
    EXPECT_FALSE(inst_.IsModified());
}

}  // namespace

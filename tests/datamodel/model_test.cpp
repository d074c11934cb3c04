#include "datamodel/model.h"

#include <gtest/gtest.h>

#include <clocale>

#include "support/temp_dir.h"

namespace {

// A folder with models/ that becomes the working folder, as the program's folder is.
class ModelTest : public ::testing::Test {
protected:
    ModelTest() : cwd_(dir_.Path()) { std::filesystem::create_directory(dir_ / "models"); }

    // Writes models/<id>-<versio>.xml (the literal is cp1252, as the files are) and loads it.
    bool Load(CModel& m, const std::string& body, const std::string& id = "T",
              const std::string& versio = "1") {
        dir_.Write("models/" + id + "-" + versio + ".xml", body);
        m.SetId(id);
        m.SetVersio(versio);
        return m.Load();
    }

    TempDir dir_;
    ScopedWorkingDir cwd_;
};

const char* kFull = R"(<model id="T" versio="1">
	<descr>Central de prueba</descr><zones>16</zones><arees>4</arees><vrxzona>2</vrxzona><busdir>0001</busdir><buslocal>10</buslocal>
	<grup id="G1"><descr>Claves</descr>
		<codi id="000"><tipus>nibble4</tipus><eeprom>0000</eeprom><kpaddress>000</kpaddress><val>8371</val><descr>Código instalador</descr></codi>
		<subgrup id="G1A" type="bits" caract="girat"><descr>Opciones</descr><bitdescr bit="1">Anulable</bitdescr><bitdescr bit="9">Fuera</bitdescr>
			<codi id="010" caract="noedit"><tipus>bitmask</tipus><eeprom>0010</eeprom><val>1</val><bitdescr bit="2">Bit dos</bitdescr></codi>
			<intgrup id="G1AI" caract="seguits" distancia="4"><descr>Radio</descr>
				<codi id="020"><tipus>nibble6</tipus><eeprom>0020</eeprom><omplir>0x</omplir><val>ABC</val></codi>
				<codi id="021"><tipus>lstring</tipus><ram>0100</ram><offset>3</offset><kpaddress usuari="1">021</kpaddress><val>HOLA</val></codi>
			</intgrup>
		</subgrup>
	</grup>
	<grup id="G2" caract="norecv"><descr>Repetidos</descr><busdir>30</busdir>
		<codi id="000"><descr>Código instalador</descr></codi>
	</grup>
	<grup-flash id="F1"><descr>Tabla</descr><elements>3</elements><bytes-element>3</bytes-element><addrbase>0800</addrbase>
		<columna><descr>Teléfono</descr><tipus>nibble4</tipus><omplir>+0</omplir><val>12</val></columna>
		<columna><descr>Tipo</descr><tipus>sortida</tipus><val>05</val></columna>
	</grup-flash>
	<grup-flash id="F2"><descr>Ficheros</descr><busdir>30</busdir><addrbase>0100</addrbase>
		<fitxer id="WEB" caract="ROM"><descr>Web</descr><index>1</index><sector>0</sector><long>32</long></fitxer>
		<fitxer id="LOGO"><descr>Logo</descr><index>2</index><sector>32</sector><long>2</long></fitxer>
	</grup-flash>
	<estat><noviaradio/><notesttelefonic/>
		<grup id="S1" caract="nosend"><descr>Estado</descr><codi id="S01"><tipus>nibble2</tipus><ram>0200</ram></codi>
			<codi id="000"><descr>Otra vez</descr></codi></grup>
		<analogic><vdd>3.3</vdd></analogic>
		<tcvzona formula="A"><mesura><offset>0</offset><unitats>Ohm</unitats><descr>Zona 1</descr></mesura></tcvzona>
		<tcvzona formula="X"><mesura><offset>1</offset><descr>Sin fórmula</descr></mesura></tcvzona>
		<tcvmonitor><mesura><offset>2</offset><descr>Batería</descr></mesura><mesura formula="TEMP"><offset>3</offset><descr>Temperatura</descr></mesura></tcvmonitor>
		<sortides><mesura><offset>0</offset><descr>Sirena</descr></mesura><mesura formula="TEMP"><offset>1</offset><descr>Rara</descr></mesura></sortides>
		<reles><mesura><offset>0</offset><descr>Relé</descr></mesura></reles>
		<mesuraAC><offset>4</offset><unitats>V</unitats><descr>Red</descr></mesuraAC>
		<cobertura><tipus>nibble6</tipus><ram>0130</ram><val>000050</val></cobertura>
	</estat>
	<events><address>1800</address><maxevents>256</maxevents><bytesevent>8</bytesevent><tipus>q7rev_cid</tipus></events>
</model>)";

TEST_F(ModelTest, BuildsBothTreesCodesFlashGroupsStatusAndEvents) {
    // The real number is read the same under a locale whose decimal mark is a comma.
    const std::string savedLocale = std::setlocale(LC_NUMERIC, nullptr);
    std::setlocale(LC_NUMERIC, "es_ES.UTF-8");
    CModel m;
    ASSERT_TRUE(Load(m, kFull));
    std::setlocale(LC_NUMERIC, savedLocale.c_str());
    EXPECT_FLOAT_EQ(m.GetEstat().GetScale(), 3.3f);
    EXPECT_EQ(m.GetDescr(), "Central de prueba");
    EXPECT_EQ(m.GetBusDir(), "0001");
    EXPECT_EQ(m.GetBusLocal(), "10");

    // Codes listed in several groups and in both trees are one code; the coverage code is in no list.
    EXPECT_EQ(m.GetCodiCount(), 5);
    EXPECT_EQ(m.GetGrupCount(), 5);
    CCodi* installer = m.FindCode("000");
    ASSERT_NE(installer, nullptr);
    EXPECT_EQ(m.FindGrup("G2")->GetCodi(0), installer);
    EXPECT_EQ(m.FindGrup("S1")->GetCodi(1), installer);
    EXPECT_EQ(installer->GetDescr(), "Otra vez");  // a later Spanish text replaces

    CGrup* root = m.GetRootGrup();
    ASSERT_EQ(root->GetSubgrupCount(), 2);
    CGrup* options = root->GetSubgrup(0)->GetSubgrup(0);
    EXPECT_TRUE(options->IsBits() && options->GetGirat());
    EXPECT_EQ(options->GetBitName(0), "Anulable");
    CGrup* radio = options->GetSubgrup(0);
    EXPECT_EQ(radio->GetId(), "G1AI");
    EXPECT_TRUE(radio->IsSeguits());
    EXPECT_EQ(radio->GetDistancia(), 4);
    EXPECT_TRUE(m.FindGrup("G2")->IsNoRecv());
    EXPECT_EQ(m.FindGrup("G2")->GetDest(), "30");
    ASSERT_EQ(m.GetEstatRootGrup()->GetSubgrupCount(), 1);
    EXPECT_TRUE(m.GetEstatRootGrup()->GetSubgrup(0)->IsNoSend());

    CCodi* bits = m.FindCode("010");
    EXPECT_FALSE(bits->IsEditable());
    EXPECT_EQ(bits->GetValue(), "10000000");
    EXPECT_EQ(bits->GetOption(1), "Bit dos");
    EXPECT_EQ(m.FindCode("020")->GetValue(), "000ABC");  // two characters not starting with '+': in front
    CCodi* text = m.FindCode("021");
    EXPECT_EQ(text->GetAccess(), CodiRam);
    EXPECT_EQ(text->GetCodeNumber(), "0100");
    EXPECT_EQ(text->GetAddress(), 3);
    EXPECT_TRUE(text->IsUsuari());
    EXPECT_FALSE(installer->IsUsuari());
    EXPECT_EQ(text->GetDefaultValue(), "hola            ");

    ASSERT_EQ(m.GetFlashGrupCount(), 2);
    CGrupFlash* table = m.FindGrupFlash("F1");
    EXPECT_EQ(table->GetKind(), FlashGroupTable);
    EXPECT_EQ(table->GetParent(), root);
    EXPECT_EQ(table->GetColumna(0), "Teléfono");
    EXPECT_EQ(table->GetCellText(2, 0), "1200");  // "+0": fill '0' at the right
    EXPECT_EQ(table->GetColumnaAt(1)->GetType(), CodiNone);  // "sortida" is no column type
    CGrupFlash* files = m.FindGrupFlash("F2");
    EXPECT_EQ(files->GetKind(), FlashGroupFiles);
    EXPECT_EQ(files->GetDest(), "30");
    ASSERT_EQ(files->GetFitxerCount(), 2);
    EXPECT_TRUE(files->FindFitxer("WEB")->IsRom());
    CFitxer* logo = files->FindFitxer("LOGO");
    EXPECT_FALSE(logo->IsRom());
    EXPECT_EQ(logo->GetSector(), 32);
    EXPECT_EQ(logo->GetNom(), "Logo");

    const CEstat& estat = m.GetEstat();
    EXPECT_FALSE(estat.HasRadio());
    EXPECT_FALSE(estat.HasPhoneTest());
    EXPECT_TRUE(estat.HasGeneral());
    EXPECT_EQ(estat.GetAreaCount(), 4);
    EXPECT_EQ(estat.GetZoneCount(), 16);
    EXPECT_EQ(estat.GetRadioZoneCount(), 32);
    ASSERT_EQ(estat.GetMesuraCount(), 5);  // four measurements and the main one
    const int kinds[] = {MesuraZoneA, MesuraUnset, MesuraMonitor, MesuraTemperature, MesuraMain};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(estat.GetMesura(i)->GetTipus(), kinds[i]) << i;
    EXPECT_EQ(estat.GetMesura(4)->GetOffset(), 4);
    EXPECT_EQ(estat.GetMesura(0)->GetUnitats(), "Ohm");
    ASSERT_EQ(estat.GetOutputCount(), 2);
    EXPECT_EQ(estat.GetOutput(1)->GetTipus(), MesuraTemperature);  // "TEMP" inside sortides
    EXPECT_EQ(estat.GetRelayCount(), 1);
    EXPECT_TRUE(estat.HasPpe());
    EXPECT_EQ(estat.GetPpeValue(), 0x50);

    const CEvents& events = m.GetEvents();
    EXPECT_TRUE(events.IsAtAddress());
    EXPECT_EQ(events.GetAddress(), "1800");
    EXPECT_EQ(events.GetMaxEvents(), 256);
    EXPECT_EQ(events.GetBytesEvent(), 8);
    EXPECT_EQ(events.GetTipus(), EventFormatMixed);
}

TEST_F(ModelTest, TextsFollowTheLanguageRule) {
    CModel m;
    ASSERT_TRUE(Load(m, R"(<model id="T" versio="1">
<descr lang="en">English first</descr><descr lang="es">Español</descr><descr lang="en">English after</descr><descr lang="fr">Français</descr>
<grup id="G"><descr lang="en">Only English</descr><descr lang="de">Deutsch</descr>
<codi id="1"><tipus>nibble2</tipus><val>12</val><val lang="en">34</val><descr lang="en">Code</descr></codi>
<codi id="2"><tipus>nibble2</tipus><val lang="en">56</val></codi></grup></model>)"));
    EXPECT_EQ(m.GetDescr(), "Español");
    EXPECT_EQ(m.FindGrup("G")->GetName(), "Only English");
    EXPECT_EQ(m.FindCode("1")->GetValue(), "12");
    EXPECT_EQ(m.FindCode("1")->GetDescr(), "Code");
    EXPECT_EQ(m.FindCode("2")->GetValue(), "FF");  // an English value is never taken
}

TEST_F(ModelTest, LeavesBelongToTheLastStartedSection) {
    CModel m;
    ASSERT_TRUE(Load(m, R"(<model id="T" versio="1"><vrxzona>3</vrxzona><zones>8</zones>
<grup id="G"><descr>Grupo</descr><codi id="1"><tipus>nibble2</tipus></codi><busdir>44</busdir></grup></model>)"));
    EXPECT_FALSE(m.FindGrup("G")->HasDest());  // read as a leaf of the code
    EXPECT_EQ(m.GetEstat().GetRadioZoneCount(), 24);

    CModel n;
    ASSERT_TRUE(Load(n, "<model id=\"T\" versio=\"2\"><zones>8</zones><vrxzona>3</vrxzona></model>", "T", "2"));
    EXPECT_EQ(n.GetEstat().GetRadioZoneCount(), 24);
}

TEST_F(ModelTest, ModelElementKeepsTheIdentityWhenItsAttributesAreMissing) {
    CModel m;
    ASSERT_TRUE(Load(m, "<model><descr>Sin atributos</descr></model>", "A", "1.0"));
    EXPECT_EQ(m.GetId(), "A");
    EXPECT_EQ(m.GetVersio(), "1.0");
    CModel n;
    ASSERT_TRUE(Load(n, "<model id=\"B\" versio=\"\"><zones>1</zones></model>", "A", "2"));
    EXPECT_EQ(n.GetId(), "B");  // a given attribute still overwrites
    EXPECT_EQ(n.GetVersio(), "2");
}

TEST_F(ModelTest, ElementsOutOfPlaceAreSkippedWithTheirContent) {
    CModel m;
    ASSERT_TRUE(Load(m, R"(<model id="T" versio="1">
<codi id="X1"><tipus>nibble2</tipus><val>11</val></codi>
<subgrup id="SX"><descr>Sin grupo</descr><codi id="X2"><tipus>nibble2</tipus></codi><intgrup id="IX"><descr>x</descr><codi id="X3"><val>1</val></codi></intgrup></subgrup>
<columna><descr>Sin tabla</descr><val>1</val></columna>
<fitxer id="F"><descr>Sin grupo</descr><long>3</long></fitxer>
<grup id="G"><descr>Grupo</descr>
<intgrup id="IY"><descr>Sin subgrupo</descr><codi id="X4"><tipus>nibble2</tipus></codi></intgrup>
<codi id="1"><tipus>nibble2</tipus><val>AB</val></codi></grup>
<estat><subgrup id="SZ"><descr>Sin grupo de estado</descr><codi id="X5"><val>1</val></codi></subgrup></estat>
<grup id="G2"><descr>Después</descr><codi id="2"><tipus>nibble2</tipus></codi></grup></model>)"));
    EXPECT_EQ(m.GetCodiCount(), 2);
    EXPECT_EQ(m.GetGrupCount(), 2);
    EXPECT_EQ(m.FindGrup("G")->GetCodiCount(), 1);
    EXPECT_EQ(m.FindCode("1")->GetValue(), "AB");
    EXPECT_EQ(m.GetEstatRootGrup()->GetSubgrupCount(), 0);
    EXPECT_EQ(m.GetRootGrup()->GetSubgrupCount(), 2);  // the status flag ended with estat
    EXPECT_EQ(m.GetFlashGrupCount(), 0);
}

TEST_F(ModelTest, HostileNumbersAndIndicesAreRefused) {
    CModel m;
    ASSERT_TRUE(Load(m, R"(<model id="T" versio="1"><zones>2147483647</zones><vrxzona>2147483647</vrxzona><arees>-4</arees>
<busdir>XYZ</busdir><busdir>12</busdir><busdir>nope</busdir>
<grup id="G" distancia="-7"><descr>G</descr><subgrup id="S" type="bits"><descr>S</descr><bitdescr bit="0">cero</bitdescr><bitdescr bit="-3">neg</bitdescr><bitdescr>sin bit</bitdescr>
<codi id="1"><tipus>bitmask</tipus><offset>-2</offset><bitdescr bit="99">fuera</bitdescr><eeprom>G0</eeprom><omplir>abc</omplir></codi></subgrup></grup>
<grup-flash id="F"><elements>-3</elements><bytes-element>4</bytes-element><columna><tipus>nibble4</tipus><val>1</val></columna></grup-flash>
<estat><tcvzona formula="A"><mesura><offset>-1</offset></mesura></tcvzona><analogic><vdd>-3</vdd></analogic></estat>
<events><maxevents>-1</maxevents><bytesevent>-8</bytesevent></events></model>)"));
    EXPECT_EQ(m.GetBusDir(), "12");
    EXPECT_EQ(m.GetEstat().GetRadioZoneCount(), CEstat::kMaxRadioZones);
    EXPECT_EQ(m.GetEstat().GetAreaCount(), 0);
    EXPECT_EQ(m.FindGrup("G")->GetDistancia(), 0);
    for (int i = 0; i < 8; ++i) EXPECT_EQ(m.FindGrup("S")->GetBitName(i), "") << i;
    CCodi* codi = m.FindCode("1");
    EXPECT_EQ(codi->GetAddress(), 0);
    EXPECT_EQ(codi->GetCodeNumber(), "");
    EXPECT_TRUE(codi->IsFillAtRight());
    EXPECT_FALSE(m.FindGrupFlash("F")->HasTable());
    EXPECT_EQ(m.GetEvents().GetMaxEvents(), -1);
    EXPECT_FLOAT_EQ(m.GetEstat().GetScale(), -1.0f);
}

TEST_F(ModelTest, LoadFailsWithoutIdentityFileOrWellFormedText) {
    CModel m;
    EXPECT_FALSE(m.Load());  // no id, no version
    m.SetId("NADA");
    m.SetVersio("1");
    EXPECT_FALSE(m.Load());  // no file
    // An identity from an installation file names a file inside models/ and nothing else.
    dir_.Write("fuera-1.xml", kFull);
    m.SetId("../fuera");
    EXPECT_FALSE(m.Load());
    m.SetId("..\\fuera");
    EXPECT_FALSE(m.Load());
    // What was read before the reader gave up stays.
    CModel partial;
    EXPECT_FALSE(Load(partial, "<model id=\"T\" versio=\"1\"><descr>Rota</descr><grup id=\"G\"><descr>G</descr>"
                               "<codi id=\"1\"><tipus>nibble2</tipus></codi></grup></model><grup id=\"H\">"));
    EXPECT_EQ(partial.GetDescr(), "Rota");
    EXPECT_EQ(partial.GetCodiCount(), 1);
}

TEST_F(ModelTest, LoadingAgainAndClearingStartFromScratch) {
    CModel m;
    m.SetName("21");
    ASSERT_TRUE(Load(m, kFull));
    ASSERT_TRUE(m.Load());
    EXPECT_EQ(m.GetCodiCount(), 5);
    EXPECT_EQ(m.GetGrupCount(), 5);
    EXPECT_EQ(m.GetFlashGrupCount(), 2);
    EXPECT_EQ(m.GetEstat().GetMesuraCount(), 5);
    EXPECT_EQ(m.GetEstatRootGrup()->GetSubgrupCount(), 1);
    EXPECT_EQ(m.GetName(), "21");

    m.SetBusRemot("0A");
    m.Clear();
    EXPECT_EQ(m.GetCodiCount() + m.GetFlashGrupCount() + m.GetRootGrup()->GetSubgrupCount(), 0);
    EXPECT_EQ(m.GetEstat().GetMesuraCount(), 0);
    EXPECT_EQ(m.GetEvents().GetMaxEvents(), -1);
    EXPECT_EQ(m.GetName() + m.GetId() + m.GetVersio(), "");
    EXPECT_EQ(m.GetBusDir(), "0001");  // bus addresses stay
    EXPECT_EQ(m.GetBusRemot(), "0A");
}

TEST_F(ModelTest, ModifiedCountsOnlyTheProgrammingTree) {
    CModel m;
    ASSERT_TRUE(Load(m, kFull));
    m.ClearModified();  // the model's values count as changes until the installation clears them
    EXPECT_FALSE(m.IsModified());
    m.FindCode("S01")->SetValue("12");  // status tree only
    m.GetEstat().GetPpeCodi().SetValue("000001");
    EXPECT_FALSE(m.IsModified());
    m.FindCode("020")->SetValue("123456");
    EXPECT_TRUE(m.IsModified());
    m.ClearModified();
    EXPECT_FALSE(m.IsModified());

    EXPECT_FALSE(m.SetBusDir("G1"));
    EXPECT_FALSE(m.SetZones(-1));
    EXPECT_EQ(m.GetZones(), 16);
    EXPECT_EQ(m.GetCodi(m.GetCodiCount()), nullptr);
    EXPECT_EQ(m.GetGrupFlash(-1), nullptr);
    const unsigned char reply[10] = {0x01, 0, 0, 0, 0, 0, 0x03, 0, 0, 0};
    EXPECT_FALSE(m.SetEstatFrame(std::span<const unsigned char>(reply, 5)));
    EXPECT_TRUE(m.SetEstatFrame(reply));
    EXPECT_EQ(m.GetEstat().GetAreaStatus(), 0x03);
}

}  // namespace

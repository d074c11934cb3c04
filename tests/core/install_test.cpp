// The installation file and the core's installation commands: new, open, save, save as, close,
// add and remove components; the sample saved byte for byte, the optional lines, escaping and
// the round trip through the reader, failed opens and saves.
#include <gtest/gtest.h>

#include "core/installfile.h"
#include "core/report.h"
#include "core_harness.h"
#include "datamodel/files.h"
#include "datamodel/instalacio.h"

namespace {

const std::filesystem::path kSource = ORVANE_SOURCE_DIR;

std::string Xml(CModel& model) {
    std::string out;
    AppendComponentXml(model, out);
    return out;
}

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

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
    EXPECT_EQ(Xml(bare).substr(0, 13), "\t<component >");
}

class InstallTest : public CoreTest {
protected:
    std::string SamplePath() const { return (kSource / "samples" / "ejemplo.voski").string(); }
    std::string SampleBytes() const { return FileBytes(SamplePath()); }
    std::string Path(const std::string& name) const { return (dir / name).string(); }
    std::string FileBytes(const std::filesystem::path& path) const {
        std::string bytes;
        ReadWholeFile(path.is_absolute() ? path : dir.Path() / path, bytes);
        return bytes;
    }
    // Every sign of an open installation is gone.
    void ExpectNothingOpen() {
        EXPECT_TRUE(tree.nodes.empty());
        EXPECT_EQ(core->GetInstalacio().GetComponentCount(), 0);
        EXPECT_TRUE(core->GetInstalacio().GetCentral().GetId().empty());
        EXPECT_EQ(core->GetCurrentComponent(), nullptr);
        EXPECT_EQ(core->GetTreeIndex().GetRootItem(), kNoTreeItem);
    }
};

TEST_F(InstallTest, NewInstallationHasTheCentralAtZero) {
    ASSERT_TRUE(core->OpenInstalacio(SamplePath())) << core->GetLastError();
    core->SetCurrentComponent(core->GetInstalacio().GetComponent(0));
    const std::size_t mark = edit.calls.size();
    ASSERT_TRUE(core->NewInstalacio("VX16", "2.1")) << core->GetLastError();
    EXPECT_EQ(edit.CallsFrom(mark).front(), "Clear");
    EXPECT_EQ(core->GetCurrentComponent(), nullptr);
    EXPECT_EQ(core->GetTitle(), "Nueva Instalación");
    EXPECT_EQ(tree.Get(tree.root)->label, "Nueva Instalación");
    EXPECT_EQ(core->GetInstalacio().GetComponentCount(), 0);
    ASSERT_TRUE(core->SaveInstalacioAs(Path("nueva.voski"))) << core->GetLastError();
    const std::string file = FileBytes("nueva.voski");
    EXPECT_TRUE(file.starts_with("<instalacio>\r\n\t<dades>\r\n\t\t<nominstal>Nueva Instalación</nominstal>\r\n"));
    // The central is named "0"; its bus address is the one its model file gives (loaded after
    // the "0" the installation starts it with).
    EXPECT_TRUE(Contains(file, "\r\n\t<component id=\"0\" model=\"VX16\" versio=\"2.1\">\r\n\t\t<busdir>01</busdir>\r\n"));
    EXPECT_FALSE(core->IsModified());

    // A model that cannot be loaded leaves nothing open.
    EXPECT_FALSE(core->NewInstalacio("ZZ99", "1.0"));
    EXPECT_EQ(core->GetLastError(), "No se puede crear el modelo: ZZ99-1.0");
    ExpectNothingOpen();
}

TEST_F(InstallTest, TheSampleIsSavedByteForByte) {
    ASSERT_TRUE(core->OpenInstalacio(SamplePath())) << core->GetLastError();
    EXPECT_FALSE(core->IsModified());
    EXPECT_EQ(core->GetTitle(), "Chalet Pérez");
    EXPECT_EQ(tree.Get(tree.root)->label, "Chalet Pérez");
    EXPECT_TRUE(Contains(Log(), "foundNode: component atr: id=\"21\" model=\"TK40\" versio=\"1.0\""));
    ASSERT_TRUE(core->SaveInstalacioAs(Path("copia.voski")));
    EXPECT_EQ(FileBytes("copia.voski"), SampleBytes());
    EXPECT_EQ(core->GetInstalacio().GetFileName(), Path("copia.voski"));

    // Line feeds alone read the same as CR LF.
    std::string lf = SampleBytes();
    std::erase(lf, '\r');
    dir.Write("lf.voski", lf);
    ASSERT_TRUE(core->OpenInstalacio(Path("lf.voski"))) << core->GetLastError();
    EXPECT_EQ(core->GetInstalacio().GetFileName(), Path("lf.voski"));
    ASSERT_TRUE(core->SaveInstalacio());
    EXPECT_EQ(FileBytes("lf.voski"), SampleBytes());
}

TEST_F(InstallTest, SitePlanElementsAndEventsWriteOnlyTheirLines) {
    ASSERT_TRUE(core->OpenInstalacio(SamplePath()));
    CModel& central = core->GetInstalacio().GetCentral();
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
                               "\t\t\t\t<contactid>1401</contactid>\n\t\t\t\t<area>2</area>\n\t\t\t</event>\n"))
        << text;
    EXPECT_TRUE(Contains(text, "<contactid>1130</contactid>\n\t\t\t\t<zona>7</zona>\n\t\t\t\t<area>0</area>\n"
                               "\t\t\t\t<abonat>1234</abonat>\n\t\t\t\t<linia>2</linia>\n"
                               "\t\t\t\t<numero>9</numero>\n"));
    // The phone call of the sample: its number under zona, no area.
    EXPECT_TRUE(Contains(text, "<zona>912345678</zona>\n\t\t\t\t<descphonecall>Outgoing-PSTN DATA-OK"
                               "</descphonecall>\n\t\t\t\t<abonat></abonat>\n\t\t\t</event>"));
    central.GetEstat().SetHasGrafic(false);
    EXPECT_FALSE(Contains(Xml(central), "grafic"));
}

TEST_F(InstallTest, EditedValuesWithMarkupSurviveSaveAndOpen) {
    ASSERT_TRUE(core->OpenInstalacio(SamplePath()));
    CInstalacio& inst = core->GetInstalacio();
    CDades dades = inst.GetDades();
    dades.SetNomClient("Pérez <& Hijos> \"S.L.\"");
    dades.SetDireccio("</direccio><x>");
    inst.SetDades(dades);
    CModel& central = inst.GetCentral();
    central.FindCode("602")->SetValue("<&>\"'");
    central.FindGrupFlash("F03")->FindFitxer("WEB")->SetPath("/home/u/<web>&.rom");
    central.GetEstat().GetGrafic().SetMapa("planos/a&b<c>.gif", 3);
    central.SetDescr("Central \"<1>\"");
    inst.GetComponent(1)->GetEstat().SetZoneOmit(3);
    std::string before;
    core->WriteInstalacioXml(before);
    EXPECT_TRUE(Contains(before, "<nomclient>Pérez &lt;&amp; Hijos&gt; \"S.L.\"</nomclient>"));
    ASSERT_TRUE(core->SaveInstalacioAs(Path("editada.voski")));
    EXPECT_FALSE(core->IsModified());
    EXPECT_EQ(edit.Count("TransferFromPanels"), 1);

    ASSERT_TRUE(core->OpenInstalacio(Path("editada.voski"))) << core->GetLastError();
    std::string after;
    core->WriteInstalacioXml(after);
    EXPECT_EQ(after, before);  // every value read back decoded, written again escaped
    std::string one;
    core->WriteComponentXml(inst.GetComponent(1), one);
    EXPECT_TRUE(Contains(one, "<omitz>00010000</omitz>"));
}

TEST_F(InstallTest, FailedOpensLeaveNothingOpen) {
    std::string missingModel = SampleBytes();
    missingModel.replace(missingModel.find("model=\"TK40\""), 12, "model=\"TK99\"");
    const struct {
        const char* name;
        std::string bytes;  // no file when empty
        std::string error;
    } cases[] = {
        {"ausente.voski", "", "No se pudo abrir el fichero para lectura: \n" + Path("ausente.voski") + "\nNo existe el fichero o la carpeta."},
        {"cortado.voski", SampleBytes().substr(0, 700), "Formato XML incorrecto"},
        {"texto.voski", "no es una instalación\r\n", "Formato XML incorrecto"},
        {"vacio.voski", "\r\n", "Formato XML incorrecto"},
        {"config.voski", FileBytes(std::filesystem::path(ORVANE_SOURCE_DIR) / "samples" / "config.xml"),
         "El fichero no contiene ninguna instalación"},
        {"modelo.voski", missingModel, "No se puede crear el modelo: TK99-1.0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(core->OpenInstalacio(SamplePath()));
        core->SetCurrentComponent(&core->GetInstalacio().GetCentral());
        if (!c.bytes.empty()) dir.Write(c.name, c.bytes);
        const std::size_t mark = edit.calls.size();
        EXPECT_FALSE(core->OpenInstalacio(Path(c.name)));
        EXPECT_EQ(core->GetLastError(), c.error);
        EXPECT_EQ(edit.CallsFrom(mark).front(), "Clear");
        ExpectNothingOpen();
    }
}

TEST_F(InstallTest, LoadingAFileFirstDropsWhatPointedIntoTheOldInstallation) {
    ASSERT_TRUE(core->OpenInstalacio(SamplePath()));
    core->SetCurrentComponent(core->GetInstalacio().GetComponent(1));
    const std::size_t mark = edit.calls.size();
    ASSERT_TRUE(core->LoadInstalacioFile(SamplePath())) << core->GetLastError();
    EXPECT_EQ(edit.CallsFrom(mark), (std::vector<std::string>{"Clear"}));
    EXPECT_EQ(core->GetCurrentComponent(), nullptr);
    EXPECT_EQ(core->GetTreeIndex().GetItemCount(), 0);
    EXPECT_EQ(core->GetZonesAlias(), nullptr);
    EXPECT_EQ(core->GetInstalacio().GetComponentCount(), 2);
}

TEST_F(InstallTest, FailedSaveKeepsTheFileTheNameAndTheModifiedFlags) {
    ASSERT_TRUE(core->OpenInstalacio(SamplePath()));
    ASSERT_TRUE(core->SaveInstalacioAs(Path("buena.voski")));
    core->GetInstalacio().GetCentral().FindCode("011")->SetValue("9999");
    ASSERT_TRUE(core->IsModified());

    // A folder that does not exist: the file cannot be created. A folder in the target's place:
    // it cannot be replaced and nothing of it changes.
    std::filesystem::create_directory(dir / "carpeta.voski");
    dir.Write("carpeta.voski/dentro", "x");
    // A file its owner made read-only is not replaced, whoever saves.
    dir.Write("protegida.voski", "mine");
    std::filesystem::permissions(dir / "protegida.voski", std::filesystem::perms::owner_read);
    const struct {
        std::string path, error;
    } cases[] = {
        {Path("no/existe.voski"),
         "No se pudo abrir el fichero para escritura: \n" + Path("no/existe.voski") + "\nNo existe el fichero o la carpeta."},
        {Path("carpeta.voski"),
         "No se pudo abrir el fichero para escritura: \n" + Path("carpeta.voski") + "\nEs una carpeta, no un fichero."},
        {Path("protegida.voski"),
         "No se pudo abrir el fichero para escritura: \n" + Path("protegida.voski") + "\nEl fichero es de solo lectura."},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(core->SaveInstalacioAs(c.path));
        EXPECT_EQ(core->GetLastError(), c.error);
        EXPECT_EQ(core->GetInstalacio().GetFileName(), Path("buena.voski"));
        EXPECT_TRUE(core->IsModified());
    }
    EXPECT_EQ(dir.Read("carpeta.voski/dentro"), "x");
    EXPECT_EQ(dir.Read("protegida.voski"), "mine");
    EXPECT_EQ(FileBytes("buena.voski"), SampleBytes());

    core->GetInstalacio().SetFileName("");
    EXPECT_FALSE(core->SaveInstalacio());
    EXPECT_EQ(core->GetLastError(), "No se pudo abrir el fichero para escritura: \n");

    ASSERT_TRUE(core->SaveInstalacioAs(Path("buena.voski")));
    EXPECT_FALSE(core->IsModified());
    EXPECT_TRUE(Contains(FileBytes("buena.voski"), "<val>9999</val>"));
}

TEST(InstalacioWriterTest, OnlyWhatTheLoaderAcceptsFitsTheOpenCap) {
    // Stored with CR LF: a text one byte short of the cap plus its one line end is exactly the cap.
    const std::size_t cap = static_cast<std::size_t>(kMaxDataFileBytes);
    std::string error;
    EXPECT_TRUE(InstalacioFitsOpenCap(std::string(cap - 2, 'x') + "\n", error));
    EXPECT_EQ(error, "");
    EXPECT_FALSE(InstalacioFitsOpenCap(std::string(cap - 1, 'x') + "\n", error));
    EXPECT_EQ(error, "No se ha guardado la instalación: ocuparía 65 MB y el programa solo abre "
                     "instalaciones de hasta 64 MB.");
}

TEST_F(InstallTest, AnInstallationTooLargeToOpenAgainIsNotSaved) {
    // A model inside every per-table bound whose table alone writes past the cap: 65,536
    // elements of fourteen 16-character columns filled with '<' (written as four characters).
    std::string model = "<model id=\"GEN\" versio=\"1.0\"><descr>Generado</descr><zones>8</zones>"
                        "<grup id=\"1\"><descr>G</descr><codi id=\"000\"><tipus>nibble4</tipus>"
                        "<eeprom>0100</eeprom><val>1234</val></codi></grup>"
                        "<grup-flash id=\"T\"><descr>Tabla</descr><elements>65536</elements>"
                        "<bytes-element>224</bytes-element><addrbase>10000</addrbase>";
    std::string lessThans;
    for (int i = 0; i < 16; ++i) lessThans += "&lt;";
    for (int c = 0; c < 14; ++c) {
        model += "<columna><descr>C</descr><tipus>string</tipus><val>" + lessThans + "</val></columna>";
    }
    model += "</grup-flash></model>";
    dir.Write("models/GEN-1.0.xml", model);
    ASSERT_TRUE(core->NewInstalacio("GEN", "1.0")) << core->GetLastError();
    dir.Write("grande.voski", "antigua");

    EXPECT_FALSE(core->SaveInstalacioAs(Path("grande.voski")));
    EXPECT_EQ(core->GetLastError(), "No se ha guardado la instalación: ocuparía 68 MB y el programa solo abre "
                                    "instalaciones de hasta 64 MB.");
    EXPECT_EQ(FileBytes("grande.voski"), "antigua");
    EXPECT_TRUE(core->IsModified());
    EXPECT_EQ(core->GetInstalacio().GetFileName(), "");
}

TEST_F(InstallTest, AnEditOfTheInstallationDataMarksItModified) {
    ASSERT_TRUE(core->OpenInstalacio(SamplePath()));
    core->BuildTree();
    const TreeItemId datos = tree.Child(tree.root, "Datos");
    core->ShowTreeItem(datos);
    // Storing a data panel that changed nothing leaves the flags alone.
    core->ShowTreeItem(datos);
    EXPECT_FALSE(core->IsModified());
    edit.onStore = [&] {
        if (edit.dades) edit.dades->SetIpPort(edit.dades->GetIpPort() + 1);
    };
    core->ShowTreeItem(tree.root);
    EXPECT_TRUE(core->IsModified());
    core->GetInstalacio().ClearModified();
    core->ShowTreeItem(datos);
    const std::size_t mark = edit.calls.size();
    core->StoreAndClearPanel();
    EXPECT_EQ(edit.CallsFrom(mark), (std::vector<std::string>{"TransferFromPanels", "Clear"}));
    EXPECT_TRUE(core->IsModified());
}

TEST_F(InstallTest, AddComponentChecksTheBusAddress) {
    ASSERT_TRUE(core->NewInstalacio("VX16", "2.1"));
    core->GetInstalacio().ClearModified();
    core->SetLastError("");
    EXPECT_FALSE(core->AddComponent("", "1.0", "21"));
    EXPECT_EQ(core->GetLastError(), "");
    for (const char* bad : {"", "G1", "12345", "2 1"}) {
        EXPECT_FALSE(core->AddComponent("TK40", "1.0", bad)) << bad;
        EXPECT_EQ(core->GetLastError(), std::string("Dirección de bus incorrecta: ") + bad);
    }
    EXPECT_FALSE(core->AddComponent("TK99", "1.0", "21"));
    EXPECT_EQ(core->GetLastError(), "No se puede crear el modelo: TK99-1.0");
    EXPECT_EQ(core->GetInstalacio().GetComponentCount(), 0);
    EXPECT_FALSE(core->IsModified());

    ASSERT_TRUE(core->AddComponent("TK40", "1.0", "21")) << core->GetLastError();
    ASSERT_TRUE(core->AddComponent("EX08", "1.2", "2a"));
    CInstalacio& inst = core->GetInstalacio();
    ASSERT_EQ(inst.GetComponentCount(), 2);
    EXPECT_EQ(inst.GetComponent(0)->GetName(), "21");
    EXPECT_EQ(inst.GetComponent(1)->GetBusDir(), "2a");
    EXPECT_TRUE(core->IsModified());
    // An address a component (the central at 01 too) already has, written any way that reaches the
    // same device, is refused naming that component as the tree shows it; nothing is added.
    const std::vector<std::string> labels = tree.ChildLabels(tree.root);  // Datos, central, the two
    ASSERT_EQ(labels.size(), 4u);
    for (const auto& [busdir, holder] : std::vector<std::pair<const char*, std::string>>{
             {"21", labels[2]}, {"0021", labels[2]}, {"2A", labels[3]}, {"1", labels[1]}}) {
        EXPECT_FALSE(core->AddComponent("TK40", "1.0", busdir));
        EXPECT_EQ(core->GetLastError(), "La dirección de bus " + std::string(busdir) + " ya está ocupada por \"" +
                                            holder + "\".\nNo se ha añadido el componente.");
    }
    EXPECT_EQ(tree.ChildLabels(tree.root), labels);
}

TEST_F(InstallTest, DeleteComponentStoresAndClearsTheViewFirstAndCloseLeavesNothing) {
    ASSERT_TRUE(core->OpenInstalacio(SamplePath()));
    CInstalacio& inst = core->GetInstalacio();
    core->SetCurrentComponent(inst.GetComponent(0));
    const std::size_t mark = edit.calls.size();
    EXPECT_FALSE(core->DeleteComponent(2));
    EXPECT_EQ(core->GetLastError(), "Out of range");
    EXPECT_FALSE(core->DeleteComponent(-1));
    EXPECT_TRUE(edit.CallsFrom(mark).empty());
    EXPECT_EQ(core->GetCurrentComponent(), inst.GetComponent(0));

    ASSERT_TRUE(core->DeleteComponent(0));
    EXPECT_EQ(edit.CallsFrom(mark), (std::vector<std::string>{"TransferFromPanels", "Clear"}));
    EXPECT_EQ(core->GetCurrentComponent(), nullptr);
    EXPECT_TRUE(core->IsModified());
    EXPECT_EQ(tree.ChildLabels(tree.root),
              (std::vector<std::string>{"Datos", "Central VX16 (16 zonas)", "Expansor de 8 zonas EX08"}));

    // Closing: the view is cleared, nothing of the installation is left.
    CoreTestAccess::SetStatusPolling(*core, true);
    core->SetCurrentComponent(&inst.GetCentral());
    const std::size_t closeMark = edit.calls.size();
    core->CloseInstalacio();
    EXPECT_EQ(edit.CallsFrom(closeMark), (std::vector<std::string>{"Clear"}));
    EXPECT_FALSE(core->IsStatusPolling());
    ExpectNothingOpen();
    EXPECT_TRUE(inst.GetFileName().empty());
    EXPECT_FALSE(core->IsModified());
}

}  // namespace

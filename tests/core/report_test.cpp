// The programming report: its text for small models built by hand, and its export.
#include <gtest/gtest.h>

#include "core/report.h"
#include "core_harness.h"
#include "datamodel/files.h"
#include "datamodel/instalacio.h"

namespace {

std::string Report(CModel& model) {
    std::string out;
    AppendComponentReport(model, out);
    return out;
}

TEST(ReportTest, CodeLinesAlignValuesByDescriptionLength) {
    CModel model;
    model.SetId("VX16");
    model.SetVersio("2.1");
    model.SetBusDir("01");
    const struct {
        const char *kp, *value;
        std::string descr;
    } codes[] = {
        {"001", "A", "Siete c"},             // 7 characters: 6 tabs
        {"002", "B", "Ocho car"},            // 8: 5 tabs
        {"003", "C", "Quince caracter"},     // 15: 5 tabs
        {"004", "D", std::string(47, 'x')},  // 47: 1 tab
        {"005", "E", std::string(48, 'y')},  // 48: none
        {"006", "F", "Código ñ"},            // 8 cp1252 bytes: 5 tabs
    };
    for (const auto& c : codes) {
        auto codi = std::make_unique<CCodi>();
        codi->SetKpAddress(c.kp);
        codi->SetDescr(c.descr);
        codi->SetValue(c.value);
        model.AddCode(std::move(codi));
    }
    EXPECT_EQ(Report(model), "VX16 versión 2.1\nDirección bus: 01\n"
                             "001 - Siete c: \t\t\t\t\t\tA\n"
                             "002 - Ocho car: \t\t\t\t\tB\n"
                             "003 - Quince caracter: \t\t\t\t\tC\n"
                             "004 - " + std::string(47, 'x') + ": \tD\n"
                             "005 - " + std::string(48, 'y') + ": E\n"
                             "006 - Código ñ: \t\t\t\t\tF\n\n");
}

TEST(ReportTest, TitleAndFlashGroups) {
    CModel model;  // no id, no version: empty title line
    auto files = std::make_unique<CGrupFlash>();
    files->SetDescr("Ficheros");
    auto fitxer = std::make_unique<CFitxer>();
    fitxer->SetPath("web\\index.rom");
    files->AddFitxer(std::move(fitxer));
    files->AddFitxer(std::make_unique<CFitxer>());
    model.AddGrupFlash(std::move(files));
    auto table = std::make_unique<CGrupFlash>();
    table->SetDescr("Horarios");
    ASSERT_EQ(table->AddColumna(), 0);
    table->SetColumnaField(0, CodiNibble2);
    ASSERT_EQ(table->AddColumna(), 1);
    table->SetColumnaField(1, CodiDecimal);
    table->SetBytesElement(2);
    table->SetElements(2);
    ASSERT_TRUE(table->SetCell(1, 0, "A5"));
    ASSERT_TRUE(table->SetCell(1, 1, "7"));
    model.AddGrupFlash(std::move(table));
    auto empty = std::make_unique<CGrupFlash>();  // neither files nor elements
    empty->SetDescr("Vacío");
    model.AddGrupFlash(std::move(empty));
    EXPECT_EQ(Report(model), "\nDirección bus: \n"
                             "\nFlash: Ficheros\nFichero: web\\index.rom\nFichero: \n\n"
                             "\nFlash: Horarios\n\t00\t000\n\tA5\t007\n\n"
                             "\nFlash: Vacío\n\n"
                             "\n");
    CModel versionOnly;
    versionOnly.SetVersio("1.0");
    EXPECT_EQ(Report(versionOnly).substr(0, 13), " versión 1.0\n");
}

TEST(ReportTest, InstallationLinesThenComponentsThenFinalLine) {
    CInstalacio inst;
    CDades dades;
    dades.SetNomInstal("Chalet");
    dades.SetNomClient("Pérez & Hijos");
    dades.SetDireccio("Calle <Mayor>");
    dades.SetTelefon("910");
    dades.SetEmail("a@b");
    inst.SetDades(dades);
    inst.GetCentral().SetId("VX16");
    std::string out = "previo|";
    AppendReport(inst, out);
    EXPECT_EQ(out, "previo|Nombre de la instalación: Chalet\nNombre del cliente: Pérez & Hijos\n"
                   "Dirección del cliente: Calle <Mayor>\nNúmero de teléfono del cliente: 910\n"
                   "Email del cliente: a@b\n\nVX16\nDirección bus: \n\n\n");
}

TEST_F(CoreTest, ReportExportWritesCrLfKeepsTheModifiedFlagsAndReportsAFailedCreate) {
    ASSERT_TRUE(LoadSample());
    CInstalacio& inst = core->GetInstalacio();
    inst.GetCentral().FindCode("011")->SetValue("4321");
    ASSERT_TRUE(core->IsModified());
    const std::string path = (dir / "informe.txt").string();
    ASSERT_TRUE(core->ExportReport(path)) << core->GetLastError();
    EXPECT_EQ(edit.Count("TransferFromPanels"), 1);
    EXPECT_TRUE(core->IsModified());

    std::string text, stored;
    core->WriteReport(text);
    ASSERT_TRUE(ReadWholeFile(path, stored));
    EXPECT_EQ(stored, WithCrLf(text));
    EXPECT_TRUE(stored.starts_with("Nombre de la instalación: Chalet Pérez\r\n"));
    EXPECT_NE(stored.find("\r\n\r\nVX16 versión 2.1\r\nDirección bus: 01\r\n"), std::string::npos);
    EXPECT_NE(stored.find("\r\nTK40 versión 1.0\r\nDirección bus: 21\r\n"), std::string::npos);
    EXPECT_TRUE(stored.ends_with("\r\n\r\n\r\n"));
    std::string block = "viejo";
    core->WriteComponentReport(inst.GetComponent(1), block);
    EXPECT_TRUE(block.starts_with("EX08 versión 1.2\nDirección bus: 28\n"));
    EXPECT_NE(text.find(block), std::string::npos);
    core->WriteComponentReport(nullptr, block);
    EXPECT_TRUE(block.empty());

    const std::string nowhere = (dir / "no" / "informe.txt").string();
    EXPECT_FALSE(core->ExportReport(nowhere));
    EXPECT_EQ(core->GetLastError(),
              "No se pudo abrir el fichero para escritura: \n" + nowhere + "\nNo existe el fichero o la carpeta.");
}

}  // namespace

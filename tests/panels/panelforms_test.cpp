// The window-free logic of the code, bit-group and installation-data panels: titles, bit grid
// layout and toggles, and the installation-data form's store rules.
#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "datamodel/codi.h"
#include "datamodel/dades.h"
#include "datamodel/grup.h"
#include "panels/bitgrid.h"
#include "panels/codiform.h"
#include "panels/dadesform.h"

namespace {

std::unique_ptr<CCodi> MakeCodi(int type, const std::string& value, const std::string& kp = "",
                                const std::string& descr = "Hora", bool usuari = false) {
    auto codi = std::make_unique<CCodi>();
    codi->SetType(type);
    codi->SetKpAddress(kp);
    codi->SetDescr(descr);
    codi->SetUsuari(usuari);
    codi->SetEditable(true);
    codi->SetValue(value);
    codi->ClearModified();
    return codi;
}

TEST(CodiForm, TitleLeadsWithTheKeypadAddressAndMarksUserRows) {
    struct Row {
        int type;
        const char* kp;
        bool usuari;
        const char* title;
    } rows[] = {
        {CodiNibble4, "123", true, " u123 - Hora"},
        {CodiNibble4, "", false, " Hora"},
        {CodiNibble4, "", true, " uHora"},
        {CodiBitmask, "121", true, " 121 - Hora"},  // a box title never gets the user mark
    };
    for (const Row& r : rows) {
        auto codi = MakeCodi(r.type, "", r.kp, "Hora", r.usuari);
        EXPECT_EQ(CodiTitle(*codi), r.title) << r.title;
    }
}

class BitGridTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* names[] = {"A", "-", "C", "D", "E", "F", "G", "H"};
        for (int i = 0; i < 8; ++i) grup.SetBitName(i, names[i]);
        for (int i = 0; i < 3; ++i) {
            codis.push_back(MakeCodi(CodiBitmask, "00000000", std::to_string(121 + i), "Zona " + std::to_string(i + 1)));
            grup.AddCodi(codis.back().get());
        }
    }
    CGrup grup;
    std::vector<std::unique_ptr<CCodi>> codis;
};

TEST_F(BitGridTest, ABitNamedDashHasNoLineAndTheOthersKeepTheirBit) {
    BitGridLayout layout(grup);
    EXPECT_EQ(layout.Rows(), 3);
    EXPECT_EQ(layout.Cols(), 7);
    EXPECT_EQ(layout.ColLabels()[1], "C");
    EXPECT_EQ(layout.RowLabels()[0], "Zona 1 - [121]");
    EXPECT_EQ(layout.RowLabelWidth(), 6 * 14);
    ASSERT_TRUE(layout.CellOf(2, 1));
    EXPECT_EQ(layout.CellOf(2, 1)->code, 2);
    EXPECT_EQ(layout.CellOf(2, 1)->bit, 2);
    for (auto [r, c] : {std::pair{-1, 0}, {0, -1}, {3, 0}, {0, 7}}) EXPECT_FALSE(layout.CellOf(r, c)) << r << "," << c;
}

TEST_F(BitGridTest, RotatedCodesAreColumnsAndBitNamesTheRowLabels) {
    grup.SetGirat(true);
    BitGridLayout layout(grup);
    EXPECT_EQ(layout.Rows(), 7);
    EXPECT_EQ(layout.Cols(), 3);
    EXPECT_EQ(layout.RowLabelWidth(), 6);
    EXPECT_EQ(layout.CellOf(1, 2)->code, 2);
    EXPECT_EQ(layout.CellOf(1, 2)->bit, 2);
    EXPECT_EQ(layout.RowOf(2, 1), 1);
    EXPECT_EQ(layout.ColOf(2, 1), 2);
}

TEST_F(BitGridTest, AGroupWithEveryBitNamedDashHasNoBitLines) {
    for (int i = 0; i < 8; ++i) grup.SetBitName(i, "-");
    BitGridLayout layout(grup);
    EXPECT_EQ(layout.Cols(), 0);
    EXPECT_FALSE(layout.CellOf(0, 0));
}

TEST_F(BitGridTest, ToggleWritesTheCodeAndMarksIt) {
    CCodi& codi = *codis[0];
    EXPECT_EQ(BitCellText(codi, 2), "-");
    ASSERT_TRUE(ToggleCodiBit(codi, 2));
    EXPECT_EQ(codi.GetValue(), "00100000");
    EXPECT_TRUE(codi.IsModified());
    EXPECT_EQ(BitCellText(codi, 2), "X");
    EXPECT_FALSE(ToggleCodiBit(codi, 8));
    EXPECT_FALSE(ToggleCodiBit(codi, -1));
    EXPECT_EQ(codi.GetValue(), "00100000");
}

TEST(BitGrid, CellsToToggle) {
    EXPECT_EQ(CellsToToggle({}, {4, 5}), (std::vector<GridCell>{{4, 5}}));
    // Column by column, each cell once where two blocks overlap.
    EXPECT_EQ(CellsToToggle({{0, 0, 1, 1}, {1, 1, 1, 2}}, {9, 9}),
              (std::vector<GridCell>{{0, 0}, {1, 0}, {0, 1}, {1, 1}, {1, 2}}));
}

CDades SampleDades() {
    CDades d;
    d.SetNomInstal("Chalet Pérez");
    d.SetTipusConexio(6);
    d.SetIpPort(4000);
    d.SetBaudRate(19200);
    d.SetCallback(true);
    return d;
}

TEST(DadesForm, StoreRules) {
    struct Case {
        const char* what;
        std::function<void(DadesForm&)> edit;
        std::function<bool(const CDades&)> holds;
        bool changed;
        std::vector<DadesText> refused;
    } cases[] = {
        {"kind 3 leaves callback alone", [](DadesForm& f) { f.kindEntry = 3; },
         [](const CDades& d) { return d.GetTipusConexio() == 3 && d.GetCallback(); }, true, {}},
        {"no entry keeps the kind", [](DadesForm& f) { f.kindEntry = -1; },
         [](const CDades& d) { return d.GetTipusConexio() == 6; }, false, {}},
        {"empty port is 0", [](DadesForm& f) { f.texts[DadesIpPort] = ""; },
         [](const CDades& d) { return d.GetIpPort() == 0; }, true, {}},
        {"port past 65535 refused", [](DadesForm& f) { f.texts[DadesIpPort] = "70000"; },
         [](const CDades& d) { return d.GetIpPort() == 4000; }, false, {DadesIpPort}},
        {"negative port refused", [](DadesForm& f) { f.texts[DadesIpGprsPort] = "-1"; },
         [](const CDades& d) { return d.GetIpGprsPort() == 0; }, false, {DadesIpGprsPort}},
        {"blanks kept", [](DadesForm& f) { f.texts[DadesNomClient] = "  Ana  "; },
         [](const CDades& d) { return d.GetNomClient() == "  Ana  "; }, true, {}},
        {"text the file cannot carry refused", [](DadesForm& f) { f.texts[DadesNomInstal] = std::nullopt; },
         [](const CDades& d) { return d.GetNomInstal() == "Chalet Pérez"; }, false, {DadesNomInstal}},
        {"special-call tick", [](DadesForm& f) { f.especial = true; },
         [](const CDades& d) { return d.GetEspecial(); }, true, {}},
    };
    for (const Case& c : cases) {
        CDades d = SampleDades();
        DadesForm form = FormOfDades(d);
        c.edit(form);
        const DadesStoreResult r = StoreDadesForm(form, d);
        EXPECT_TRUE(c.holds(d)) << c.what;
        EXPECT_EQ(r.changed, c.changed) << c.what;
        EXPECT_EQ(r.refused, c.refused) << c.what;
    }
}

}  // namespace

TEST(DadesForm, RefusalTextNamesEachFieldTypedAndKept) {
    CDades d = SampleDades();
    d.SetIpGprsPort(0);
    std::array<std::string, kDadesTextCount> typed;
    DadesForm form = FormOfDades(d);
    typed[DadesIpGprsPort] = "65536";
    form.texts[DadesIpGprsPort] = "65536";
    typed[DadesEmail] = "?@x.es";
    form.texts[DadesEmail] = std::nullopt;
    const DadesStoreResult result = StoreDadesForm(form, d);
    EXPECT_EQ(DadesRefusalText(typed, form, result, d),
              "El valor \"?@x.es\" tiene caracteres que el campo \"Email del cliente\" no puede guardar.\n"
              "Se conserva el campo vacío.\n"
              "El valor \"65536\" no cabe en el campo \"Puerto TCP destino (GPRS)\": se espera un número de 0 a "
              "65535.\nSe conserva \"0\".");
    EXPECT_EQ(DadesRefusalText(typed, FormOfDades(d), StoreDadesForm(FormOfDades(d), d), d), "");
}

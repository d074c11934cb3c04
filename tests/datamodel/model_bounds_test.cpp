// Model files from elsewhere are read with bounds: sizes are checked before memory is taken, the
// identity names one file in models/, and a code is found by its id without a walk over the list.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "datamodel/instalacio.h"
#include "datamodel/model.h"
#include "support/temp_dir.h"

namespace {

class ModelBounds : public ::testing::Test {
protected:
    ModelBounds() : cwd_(dir_.Path()) { std::filesystem::create_directory(dir_ / "models"); }

    TempDir dir_;
    ScopedWorkingDir cwd_;
};

std::string Flash(const std::string& inside) {
    return "<model id=\"T\" versio=\"1\"><grup-flash id=\"F\">" + inside + "</grup-flash></model>";
}

std::string Columns(int count) {
    std::string text;
    for (int i = 0; i < count; ++i) text += "<columna><descr>c</descr><tipus>nibble2</tipus></columna>";
    return text;
}

}  // namespace

TEST_F(ModelBounds, SizesNoPanelHasRefuseTheModelWithAReason) {
    const struct {
        std::string body;
        std::string reason;  // empty: the model loads
    } cases[] = {
        {Flash("<elements>1000000</elements><bytes-element>4</bytes-element>"),
         "La tabla flash F tiene 1000000 elementos; el máximo es 65536."},
        {Flash("<bytes-element>100000</bytes-element><elements>60000</elements>"),
         "La tabla flash F ocupa 6000000000 bytes; el máximo es 16777216."},
        {Flash("<elements>60000</elements><bytes-element>2147483647</bytes-element>"),
         "La tabla flash F ocupa 128849018820000 bytes; el máximo es 16777216."},
        {Flash("<elements>4</elements>" + Columns(257)), "La tabla flash F tiene más de 256 columnas."},
        {Flash("<fitxer id=\"WEB\"><long>500000</long></fitxer>"),
         "El fichero flash WEB ocupa 500000 sectores; el máximo es 4096."},
        {Flash("<fitxer id=\"WEB\"><long>4096</long></fitxer>"), ""},
        {"<model id=\"T\" versio=\"1\"><events><maxevents>2000000000</maxevents></events></model>",
         "La memoria de eventos tiene 2000000000 eventos; el máximo es 65536."},
        // At the bounds the model loads.
        {Flash("<elements>65536</elements><bytes-element>256</bytes-element>" + Columns(256)), ""},
        {"<model id=\"T\" versio=\"1\"><events><maxevents>65536</maxevents></events></model>", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.body.substr(0, 120));
        dir_.Write("models/T-1.xml", c.body);
        CModel m;
        m.SetId("T");
        m.SetVersio("1");
        EXPECT_EQ(m.Load(), c.reason.empty());
        EXPECT_EQ(m.GetLoadError(), c.reason);
        // The installation reports the model's reason with its own text.
        CInstalacio inst;
        EXPECT_EQ(inst.AddComponent("21", "T", "1"), c.reason.empty() ? 0 : -1);
        EXPECT_EQ(inst.GetError(), c.reason.empty() ? "" : "No se puede crear el modelo: T-1\n" + c.reason);
    }
}

TEST_F(ModelBounds, AnIdentityNamesOneFileInTheModelsFolder) {
    dir_.Write("models/T-1.xml", "<model id=\"T\" versio=\"1\"><descr>Bien</descr></model>");
    std::filesystem::create_directory(dir_ / "models/dir-1.xml");
    const struct {
        std::string id, versio, reason;
    } cases[] = {
        {"T", "1", ""},
        // A NUL would end the file name early: "models/T-1.xml" would be read for this identity.
        {std::string("T-1.xml\0x", 9), "1", "El nombre del modelo no es válido."},
        {"T", std::string("1\0", 2), "El nombre del modelo no es válido."},
        {"../T", "1", "El nombre del modelo no es válido."},
        {"..", "1", "El nombre del modelo no es válido."},
        {"dir", "1", "Es una carpeta, no un fichero."},
        {"NADA", "1", ""},  // a missing file says enough by its name
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id);
        CModel m;
        m.SetId(c.id);
        m.SetVersio(c.versio);
        EXPECT_EQ(m.Load(), c.id == "T" && c.versio == "1");
        EXPECT_EQ(m.GetLoadError(), c.reason);
    }
}

TEST_F(ModelBounds, CodesAreFoundByIdTheFirstOfAnIdWinning) {
    CModel m;
    for (const char* id : {"010", "011", "010", ""}) {
        auto codi = std::make_unique<CCodi>();
        codi->SetId(id);
        m.AddCode(std::move(codi));
    }
    EXPECT_EQ(m.FindCode("010"), m.GetCodi(0));
    EXPECT_EQ(m.FindCode("011"), m.GetCodi(1));
    EXPECT_EQ(m.FindCode(""), m.GetCodi(3));
    EXPECT_EQ(m.FindCode("01"), nullptr);
    m.Clear();
    EXPECT_EQ(m.FindCode("010"), nullptr);
}

// The run-time data that ships with the program: every model in models/, the sample installation
// and the sample settings in samples/, read from the source tree.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "datamodel/config.h"
#include "datamodel/fitxer.h"
#include "datamodel/grupflash.h"
#include "datamodel/files.h"
#include "datamodel/instalacio.h"
#include "datamodel/modellist.h"
#include "datamodel/strings.h"
#include "support/temp_dir.h"

namespace {

const std::filesystem::path kSource = ORVANE_SOURCE_DIR;

struct Expected {
    const char* id;
    const char* versio;
    int codes;
    int groups;
    int flashGroups;
};

const Expected kModels[] = {
    {"EX08", "1.2", 20, 4, 0},
    {"TK40", "1.0", 17, 4, 0},
    {"VX16", "2.1", 160, 25, 3},
};

// The groups of a tree with the bus address their codes go to.
void CollectGroups(const CGrup* grup, const std::string& dest,
                   std::vector<std::pair<const CGrup*, std::string>>& out) {
    for (int i = 0; i < grup->GetSubgrupCount(); ++i) {
        const CGrup* child = grup->GetSubgrup(i);
        out.emplace_back(child, child->HasDest() ? child->GetDest() : dest);
        CollectGroups(child, dest, out);
    }
}

TEST(BundledTest, EveryModelIsOfferedAndLoadsWithAConsistentMemoryMap) {
    CModelList list;
    list.Scan((kSource / "models").string());
    list.BuildModels();
    ASSERT_EQ(list.GetModelCount(), 3);
    ScopedWorkingDir cwd(kSource);
    for (const Expected& e : kModels) {
        SCOPED_TRACE(e.id);
        ASSERT_EQ(list.GetVersionCount(e.id), 1);
        EXPECT_EQ(list.GetVersion(e.id, 0), e.versio);
        CModel m;
        m.SetId(e.id);
        m.SetVersio(e.versio);
        ASSERT_TRUE(m.Load());
        EXPECT_EQ(m.GetId() + "-" + m.GetVersio(), std::string(e.id) + "-" + e.versio);
        EXPECT_EQ(m.GetCodiCount(), e.codes);
        EXPECT_EQ(m.GetGrupCount(), e.groups);
        EXPECT_EQ(m.GetFlashGrupCount(), e.flashGroups);
        EXPECT_FALSE(m.GetDescr().empty());
        EXPECT_FALSE(m.GetBusDir().empty());

        // Every code is complete, and no two codes of one device and memory share a byte.
        std::vector<std::pair<const CGrup*, std::string>> groups;
        CollectGroups(m.GetRootGrup(), m.GetBusDir(), groups);
        CollectGroups(m.GetEstatRootGrup(), m.GetBusDir(), groups);
        std::map<std::tuple<std::string, int, int>, std::string> owner;
        std::set<const CCodi*> seen;
        for (const auto& [grup, dest] : groups) {
            EXPECT_FALSE(grup->GetName().empty()) << grup->GetId();
            for (int i = 0; i < grup->GetCodiCount(); ++i) {
                CCodi* c = grup->GetCodi(i);
                if (!seen.insert(c).second) continue;
                SCOPED_TRACE(c->GetId());
                EXPECT_TRUE(c->IsTypeSet());
                EXPECT_FALSE(c->GetDescr().empty());
                EXPECT_EQ(c->GetCodeNumber().size(), 4u);
                EXPECT_LE(HexStringToInt(c->GetCodeNumber()), 0x1FFF);
                EXPECT_EQ(c->GetKpAddress(), c->GetId());
                EXPECT_EQ(c->GetValue(), c->GetDefaultValue());
                int start = HexStringToInt(c->GetCodeNumber()) + c->GetAddress();
                for (int b = 0; b < c->GetByteCount(); ++b) {
                    auto key = std::make_tuple(dest, c->GetAccess(), start + b);
                    auto [it, fresh] = owner.emplace(key, c->GetId());
                    EXPECT_TRUE(fresh) << "shares a byte with " << it->second;
                }
            }
            if (grup->IsSeguits()) {
                int stride = grup->GetDistancia() ? grup->GetDistancia() : grup->GetCodi(0)->GetByteCount();
                EXPECT_LT(grup->GetCodiCount() * stride, 256) << grup->GetId();
            }
        }
        EXPECT_EQ(static_cast<int>(seen.size()), e.codes);
    }
}

TEST(BundledTest, CentralNamesItsZonesAreasOutputsAndUsers) {
    ScopedWorkingDir cwd(kSource);
    CInstalacio inst;
    ASSERT_TRUE(inst.InitCentral("0", "VX16", "2.1", "0"));
    CModel& c = inst.GetCentral();
    EXPECT_EQ(inst.GetInstallerCode(), "8371");
    EXPECT_EQ(inst.GetCraLinkCode(), "C7D2");

    // The alias groups that name zones, areas, outputs and users, and their sizes.
    const CGrup* alias = nullptr;
    for (int i = 0; i < c.GetRootGrup()->GetSubgrupCount(); ++i) {
        if (c.GetRootGrup()->GetSubgrup(i)->GetName() == "Alias") alias = c.GetRootGrup()->GetSubgrup(i);
    }
    ASSERT_NE(alias, nullptr);
    std::map<std::string, int> names;
    for (int i = 0; i < alias->GetSubgrupCount(); ++i) {
        names[alias->GetSubgrup(i)->GetName()] = alias->GetSubgrup(i)->GetCodiCount();
    }
    // The outputs' names are followed by the relays' names, in the status panel's order.
    EXPECT_EQ(names, (std::map<std::string, int>{{"Areas", 4}, {"Salidas", 6}, {"Usuarios", 8}, {"Zonas", 16}}));

    const CEstat& e = c.GetEstat();
    EXPECT_EQ(e.GetOutputCount(), 4);
    EXPECT_EQ(e.GetRelayCount(), 2);
    EXPECT_EQ(e.GetRadioZoneCount() % 8, 0);
    EXPECT_TRUE(e.HasPpe() && e.HasGrafic());
    for (int i = 0; i < e.GetMesuraCount(); ++i) {
        EXPECT_NE(e.FindMesura(i), nullptr) << i;  // one measurement per byte of the reading
        EXPECT_NE(e.GetMesura(i)->GetTipus(), MesuraUnset) << i;
    }
    EXPECT_TRUE(c.GetEvents().IsReadable());
    EXPECT_TRUE(c.FindGrupFlash("F03")->FindFitxer("WEB")->IsRom());

    // Every relay has a name after the outputs' names, and every box of a bitmask code a label.
    const CGrup* outputs = nullptr;
    for (int i = 0; i < alias->GetSubgrupCount(); ++i)
        if (alias->GetSubgrup(i)->GetName() == "Salidas") outputs = alias->GetSubgrup(i);
    ASSERT_NE(outputs, nullptr);
    ASSERT_EQ(outputs->GetCodiCount(), e.GetOutputCount() + e.GetRelayCount());
    for (int i = 0; i < outputs->GetCodiCount(); ++i)
        EXPECT_NE(outputs->GetCodi(i)->GetValue().find_first_not_of(' '), std::string::npos) << "name " << i;
    const CCodi* options = c.FindCode("507");
    ASSERT_NE(options, nullptr);
    for (int bit = 0; bit < 8; ++bit) EXPECT_NE(options->GetOption(bit), "") << "bit " << bit;
}

TEST(BundledTest, SampleInstallationLoads) {
    ScopedWorkingDir cwd(kSource);
    std::string text;
    ASSERT_TRUE(ReadJoinedLines(kSource / "samples" / "ejemplo.voski", text));
    CInstalacio inst;
    XmlParser parser(&inst);
    ASSERT_TRUE(parser.Parse(text, 0, static_cast<long>(text.size()) - 1));
    ASSERT_TRUE(inst.IsOk()) << inst.GetError();
    EXPECT_EQ(inst.GetDades().GetNomClient(), "Comercial Pérez & Hijos S.L.");
    ASSERT_EQ(inst.GetComponentCount(), 2);
    EXPECT_EQ(inst.GetComponent(0)->GetId(), "TK40");
    EXPECT_EQ(inst.GetComponent(1)->GetBusDir(), "28");

    CModel& c = inst.GetCentral();
    EXPECT_EQ(c.FindCode("602")->GetValue(), "Vestíbulo       ");
    EXPECT_EQ(c.FindGrupFlash("F01")->GetCellText(0, 0), "600123456FFFFFFF");
    EXPECT_EQ(c.FindGrupFlash("F02")->GetCellText(0, 1), "20:00");
    // Paths written with backslashes, relative to the program.
    // The logo fits the sectors reserved for it, so it can be uploaded whole.
    CFitxer* logo = c.FindGrupFlash("F03")->FindFitxer("LOGO");
    EXPECT_GT(logo->GetSize(), 0);
    EXPECT_EQ(logo->GetStatus(), FitxerStatus::Loaded);
    EXPECT_LT(std::filesystem::file_size(ToOsPath(logo->GetPath())),
              static_cast<std::uintmax_t>(logo->GetLong()) * CFitxer::kSectorSize);
    EXPECT_TRUE(std::filesystem::exists(ToOsPath(c.GetEstat().GetGrafic().GetMapa(0))));
    EXPECT_EQ(c.GetEstat().GetGrafic().GetCompGrafCount(), 4);
    EXPECT_TRUE(c.GetEstat().IsZoneDetect(2));
    EXPECT_EQ(c.GetEvents().GetCount(), 3);
    EXPECT_TRUE(c.GetEvents().GetEvent(2)->IsPhoneClass());
}

TEST(BundledTest, SampleSettingsReadBackUnchanged) {
    TempDir dir;
    std::string original;
    ASSERT_TRUE(ReadWholeFile(kSource / "samples" / "config.xml", original));
    dir.Write("config.xml", original);
    CConfig config;
    config.SetFolder(dir.Path());
    ASSERT_TRUE(config.Load()) << config.GetError();
    EXPECT_EQ(config.ToXml(), original);  // already in the layout the program writes
    config.SetTipusConexio(2);
    EXPECT_EQ(config.GetParam("ATTrucar"), "ATDT");
    EXPECT_EQ(config.GetUltim(0), "samples/ejemplo.voski");
}

}  // namespace

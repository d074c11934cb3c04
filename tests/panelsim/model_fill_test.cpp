// The simulated panel filled from the bundled models, read back through the frame layer as the
// core reads it: code bytes, code-address answers, status, measurements and the event memory.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "datamodel/instalacio.h"
#include "datamodel/model.h"
#include "datamodel/strings.h"
#include "model_fill.h"
#include "sim_wire.h"
#include "support/temp_dir.h"

using panelsim::Memory;
using panelsim::SimComponent;

namespace {

const std::filesystem::path kSource = ORVANE_SOURCE_DIR;

Bytes DefaultBytes(const CCodi& model) {
    CCodi c = model;
    c.RevertValue();
    const auto& raw = c.ToBytes();
    return Bytes(raw.begin(), raw.begin() + c.GetByteCount());
}

void LoadModel(const char* file, CModel& model) {
    std::string error;
    ASSERT_TRUE(panelsim::LoadModelFile((kSource / "models" / file).string(), model, error)) << error;
}

// The event memory of the component at dest, records 0 to count - 1, as the core reads it.
std::optional<Bytes> ReadEventRecords(SimWire& w, const std::string& dest, const CEvents& ev, int count) {
    const int size = ev.GetBytesEvent();
    const std::string base = ev.IsAtAddress() ? ev.GetAddress() : ev.GetFlash();
    if (!w.proto.BuildReadRecord(dest, base, ev.IsAtAddress(), 0, size, count)) return std::nullopt;
    if (ev.IsAtAddress()) return w.ReadBytes(size * count);
    if (!w.proto.Send()) return std::nullopt;
    Bytes data;
    while (static_cast<int>(data.size()) < size * count) {
        if (!w.proto.WaitAnswer(0xF0, 0xB0, 0xB1)) return std::nullopt;
        int n = 0;
        const unsigned char* p = w.proto.GetAnswer(n);
        data.insert(data.end(), p + 2, p + n);
    }
    data.resize(static_cast<std::size_t>(size * count));
    return data;
}

void ExpectEventsAsStored(const CEvents& read, const std::vector<panelsim::SimStoredEvent>& stored, int format) {
    ASSERT_EQ(read.GetCount(), static_cast<int>(stored.size()));
    for (int i = 0; i < read.GetCount(); ++i) {
        SCOPED_TRACE(i);
        const CEvent& e = *read.GetEvent(i);
        const auto& s = stored[static_cast<std::size_t>(i)];
        EXPECT_EQ(e.GetContactId(), s.contactId);
        EXPECT_NE(e.GetDescr(), ContactIdTable.back().text);  // a code the catalogue knows
        EXPECT_EQ(e.GetZone(), s.zone);
        EXPECT_EQ(e.GetArea(), s.area);
        EXPECT_EQ(e.GetFormat(), format);
        char time[16], date[16];
        std::snprintf(time, sizeof time, "%02d:%02d:%02d", s.time[0], s.time[1], s.time[2]);
        std::snprintf(date, sizeof date, "%02d/%02d/%d", s.time[3], s.time[4], s.time[5] + 2000);
        EXPECT_EQ(e.GetTime(), time);
        EXPECT_EQ(e.GetDate(), date);
    }
}

class CentralFill : public ::testing::Test {
protected:
    SimWire w;
    CModel model;
    panelsim::ModelFillReport report;
    void SetUp() override {
        LoadModel("VX16-2.1.xml", model);
        report = panelsim::FillFromModel(w.sim, 0x01, model);
    }
    // The component a code's bytes went to: its group's destination, else the central.
    SimComponent& Holder(const CCodi* c) {
        std::function<const CGrup*(const CGrup*)> find = [&](const CGrup* g) -> const CGrup* {
            for (int i = 0; i < g->GetCodiCount(); ++i)
                if (g->GetCodi(i) == c) return g;
            for (int i = 0; i < g->GetSubgrupCount(); ++i)
                if (const CGrup* in = find(g->GetSubgrup(i))) return in;
            return nullptr;
        };
        const CGrup* g = find(model.GetRootGrup());
        if (!g) g = find(model.GetEstatRootGrup());
        return g && g->HasDest() ? w.sim.Component(static_cast<std::uint8_t>(HexStringToInt(g->GetDest())))
                                 : w.sim.Central();
    }
};

TEST_F(CentralFill, CodesReadBackAsTheirEncodedDefaults) {
    // Every code's bytes are in place, those of the IP module's group at its own bus address
    // (the bundled models give no two codes of one component a shared byte).
    EXPECT_EQ(report.codes, model.GetCodiCount());
    EXPECT_TRUE(w.sim.Serves(0x30));
    for (int i = 0; i < model.GetCodiCount(); ++i) {
        const CCodi& c = *model.GetCodi(i);
        SCOPED_TRACE(c.GetId());
        const Bytes expected = DefaultBytes(c);
        EXPECT_EQ(Holder(&c).Code(c.GetAccess() == CodiRam ? Memory::Ram : Memory::Eeprom,
                                       static_cast<std::uint16_t>(HexStringToInt(c.GetCodeNumber())),
                                       c.GetAddress(), expected.size()),
                  expected);
    }
    // A few through the frame layer: a short and a long EEPROM code, a user code, a time of day,
    // and a RAM code with an offset.
    EXPECT_EQ(DefaultBytes(*model.FindCode("000")), Bytes({0x83, 0x71}));
    EXPECT_EQ(w.sim.Component(0x30).EepromBytes(0, 4), Bytes({0xC0, 0xA8, 0x01, 0x64}));
    for (const char* id : {"000", "011", "101", "506", "904"}) {
        SCOPED_TRACE(id);
        const CCodi& c = *model.FindCode(id);
        const Bytes expected = DefaultBytes(c);
        ASSERT_TRUE(w.proto.BuildRead("01", c.GetCodeNumber(), c.GetAccess() == CodiRam,
                                      static_cast<int>(expected.size()), c.GetAddress()));
        EXPECT_EQ(w.ReadBytes(static_cast<int>(expected.size())), expected);
    }
}

TEST_F(CentralFill, CodeAddressQueryDescribesTheCode) {
    EXPECT_GT(report.descriptors, 40);
    for (const char* id : {"000", "011", "101", "426"}) {
        SCOPED_TRACE(id);
        const CCodi& c = *model.FindCode(id);
        ASSERT_TRUE(w.proto.BuildCodiAddressQuery("01", c.GetKpAddress(), c.IsUsuari()));
        auto answer = w.Ask(kCmdCodiAddress, 0xB0, 0xB1);
        ASSERT_TRUE(answer);
        CCodi decoded;
        ASSERT_TRUE(decoded.SetFromDescriptor(*answer));
        EXPECT_EQ(decoded.GetAccess(), c.GetAccess());
        EXPECT_EQ(decoded.GetType(), c.GetType());
        EXPECT_EQ(decoded.GetCodeNumber(), c.GetCodeNumber());
    }
    // User code 011 asked as an ordinary code: the panel knows no such code.
    ASSERT_TRUE(w.proto.BuildCodiAddressQuery("01", "011", false));
    auto answer = w.Ask(kCmdCodiAddress, 0xB0, 0xB1);
    ASSERT_TRUE(answer);
    CCodi decoded;
    EXPECT_FALSE(decoded.SetFromDescriptor(*answer));
}

TEST(CodeDescriptor, EveryFormDecodesToWhatWasEncoded) {
    struct Case {
        int memory, type;
        unsigned address;
        const char* number;
    };
    const Case cases[] = {
        {CodiEeprom, CodiBitmask, 0x0123, "0123"},   {CodiEeprom, CodiBitmask, 0x0B10, "0B10"},
        {CodiEeprom, CodiDecimal, 0x07FF, "07FF"},   {CodiEeprom, CodiNibble2, 0x0032, "0032"},
        {CodiEeprom, CodiNibble4, 0x0010, "0010"},   {CodiEeprom, CodiNibble6, 0x0400, "0400"},
        {CodiEeprom, CodiNibble28, 0x0300, "0300"},  {CodiEeprom, CodiHoraQuart, 0x0290, "0290"},
        {CodiEeprom, CodiString, 0x17C0, "17C0"},    {CodiRam, CodiBitmask, 0x0223, "0223"},
        {CodiRam, CodiDecimal, 0x0114, "0114"},      {CodiRam, CodiNibble6, 0x0130, "0130"},
        {CodiRam, CodiHoraQuart, 0x0001, "0001"},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.number);
        auto d = panelsim::CodeDescriptor(k.memory, k.type, k.address);
        ASSERT_TRUE(d);
        CCodi c;
        ASSERT_TRUE(c.SetFromDescriptor(*d));
        EXPECT_EQ(c.GetAccess(), k.memory);
        EXPECT_EQ(c.GetType(), k.type);
        EXPECT_EQ(c.GetCodeNumber(), k.number);
    }
    // Nothing that would decode to another place or type.
    EXPECT_FALSE(panelsim::CodeDescriptor(CodiEeprom, CodiDecimal, 0x0800));
    EXPECT_FALSE(panelsim::CodeDescriptor(CodiEeprom, CodiBitmask, 0x1000));
    EXPECT_FALSE(panelsim::CodeDescriptor(CodiEeprom, CodiString, 0x0520));
    EXPECT_FALSE(panelsim::CodeDescriptor(CodiEeprom, CodiNibble8, 0x0020));
    EXPECT_FALSE(panelsim::CodeDescriptor(CodiRam, CodiNibble4, 0x0114));
    EXPECT_FALSE(panelsim::DescriptorKey("0F23", false));  // local codes are never asked
    EXPECT_EQ(panelsim::DescriptorKey("011", true), 0x0011u + panelsim::SimComponent::kUserCode);
}

TEST_F(CentralFill, StatusAndMeasurementsReadAsAPlausiblePanel) {
    CEstat& estat = model.GetEstat();
    ASSERT_TRUE(w.proto.BuildStatusRequest("01"));
    auto status = w.Ask(kCmdGeneralStatus);
    ASSERT_TRUE(status);
    ASSERT_TRUE(model.SetEstatFrame(*status));
    EXPECT_TRUE(estat.IsZoneDetect(1));
    EXPECT_TRUE(estat.IsZoneAlarm(3));
    EXPECT_TRUE(estat.IsZoneOmit(5));
    EXPECT_EQ(estat.GetAreaStatus(), 0x01);

    ASSERT_TRUE(w.proto.BuildReadClock("01"));
    EXPECT_EQ(w.ReadBytes(6), Bytes({10, 30, 0, 14, 6, 24}));

    ASSERT_TRUE(w.proto.BuildReadMesures("01", estat.GetMesuraCount()));
    auto raws = w.ReadBytes(estat.GetMesuraCount());
    ASSERT_TRUE(raws);
    for (int i = 0; i < estat.GetMesuraCount(); ++i) estat.FindMesura(i)->SetRaw((*raws)[static_cast<std::size_t>(i)]);
    ASSERT_TRUE(estat.ComputeMesures());
    for (int i = 0; i < estat.GetMesuraCount(); ++i) {
        const CMesura& m = *estat.GetMesura(i);
        SCOPED_TRACE(m.GetDescr());
        if (m.GetTipus() >= MesuraZoneA && m.GetTipus() <= MesuraZoneD) {
            EXPECT_NEAR(m.GetValue(), 2200, 150);
        } else if (m.GetTipus() == MesuraMain) {
            EXPECT_NEAR(m.GetValue(), 13.8, 0.1);
        } else if (m.GetTipus() == MesuraTemperature) {
            EXPECT_NEAR(m.GetValue(), 24, 1);
        }
    }
    ASSERT_TRUE(w.proto.BuildReadOutputs("01", estat.GetOutputCount()));
    EXPECT_EQ(w.ReadBytes(4), Bytes({0, 0, 1, 0}));
}

TEST_F(CentralFill, EventRecordsDecodeToTheEventsStored) {
    const CEvents& ev = model.GetEvents();
    const auto stored = panelsim::SampleEvents(panelsim::ModelFillOptions{}.clock);
    ASSERT_EQ(report.events, static_cast<int>(stored.size()));
    ASSERT_TRUE(w.proto.BuildReadEventPointer("01"));
    auto pointer = w.ReadBytes(3);
    ASSERT_TRUE(pointer);
    EXPECT_EQ((*pointer)[0], stored.size());  // a memory of 256 records: one byte

    auto records = ReadEventRecords(w, "01", ev, (*pointer)[0]);
    ASSERT_TRUE(records);
    CEvents read;
    read.SetBytesEvent(ev.GetBytesEvent());
    read.SetTipus(ev.GetTipus());
    ASSERT_EQ(read.DecodeRecords(*records), static_cast<int>(stored.size()));
    ExpectEventsAsStored(read, stored, EventFormatStandard);
    EXPECT_EQ(read.GetEvent(3)->GetClassName(), "Alarma");
    EXPECT_EQ(read.GetEvent(4)->GetClassName(), "Restauracion");
}

TEST(InstallationFill, EveryComponentAtItsBusAddress) {
    CInstalacio inst;
    std::string error;
    {
        ScopedWorkingDir cwd(kSource);  // where models/ is
        ASSERT_TRUE(panelsim::LoadInstallationFile((kSource / "samples" / "ejemplo.voski").string(), inst, error))
            << error;
    }
    SimWire w;
    std::vector<panelsim::ComponentFill> filled;
    ASSERT_TRUE(panelsim::FillFromInstallation(w.sim, inst, filled, error));
    ASSERT_EQ(filled.size(), 3u);
    EXPECT_EQ(filled[1].address, 0x21);
    EXPECT_EQ(filled[2].address, 0x28);

    // The keypad keeps its records in flash, in the extended format with time.
    const CModel& keypad = *inst.GetComponent(0);
    const CEvents& ev = keypad.GetEvents();
    ASSERT_FALSE(ev.IsAtAddress());
    ASSERT_EQ(ev.GetTipus(), EventFormatExtended);
    const auto stored = panelsim::SampleEvents(panelsim::ModelFillOptions{}.clock);
    auto records = ReadEventRecords(w, "21", ev, static_cast<int>(stored.size()));
    ASSERT_TRUE(records);
    CEvents read;
    read.SetBytesEvent(ev.GetBytesEvent());
    read.SetTipus(ev.GetTipus());
    ASSERT_EQ(read.DecodeRecords(*records), static_cast<int>(stored.size()));
    ExpectEventsAsStored(read, stored, EventFormatExtended);
    EXPECT_EQ(read.GetEvent(0)->GetAbonat(), "1234");

    // A keypad code read from its own bus address.
    const CCodi& keys = *keypad.FindCode("023");
    ASSERT_TRUE(w.proto.BuildRead("21", keys.GetCodeNumber(), false, 1, 0));
    EXPECT_EQ(w.ReadBytes(1), DefaultBytes(keys));
}

}  // namespace

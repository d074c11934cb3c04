#include "model_fill.h"

#include <algorithm>
#include <cmath>
#include <ctime>
#include <filesystem>
#include <functional>
#include <set>

#include "datamodel/codi.h"
#include "datamodel/contactid.h"
#include "datamodel/events.h"
#include "datamodel/files.h"
#include "datamodel/grup.h"
#include "datamodel/instalacio.h"
#include "datamodel/model.h"
#include "datamodel/strings.h"
#include "datamodel/xml.h"

namespace panelsim {

namespace {

// RAM variables the status reads address (see the README's memory map).
constexpr std::uint16_t kVarEventPointer = 0x0002;
constexpr std::uint32_t kEventPointerIndex = 0x13;
constexpr std::uint16_t kVarClock = 0x0003;
constexpr std::uint16_t kVarOutputs = 0x0006;
constexpr std::uint16_t kVarMesures = 0x0010;
constexpr std::uint16_t kVarRelays = 0x0032;

// A memory address as the request builders read it: left-padded to four hexadecimal digits,
// a non-hexadecimal character counting as 0; more digits only when the extra ones are zeros.
std::optional<unsigned> ParseAddress(std::string text) {
    if (text.empty()) return std::nullopt;
    if (text.size() > 4) {
        const std::size_t extra = text.size() - 4;
        for (std::size_t i = 0; i < extra; ++i)
            if (HexCharToValue(text[i]) != 0) return std::nullopt;
        text = text.substr(extra);
    }
    while (text.size() < 4) text.insert(text.begin(), '0');
    unsigned value = 0;
    for (char c : text) value = value << 4 | static_cast<unsigned>(HexCharToValue(c));
    return value;
}

std::uint8_t Bcd(int value) {
    return static_cast<std::uint8_t>((value / 10 % 10) << 4 | value % 10);
}

// Index of a Contact ID code in the table the standard records point into.
std::optional<std::uint8_t> StandardIndex(int code) {
    for (std::size_t i = 0; i < ContactIdIndexTable.size(); ++i) {
        const ContactIdIndexEntry& e = ContactIdIndexTable[i];
        const int entryCode = (e[0] & 0x0F) * 100 + (e[1] >> 4) * 10 + (e[1] & 0x0F);
        if (entryCode == code && (e[0] | e[1]) != 0) return static_cast<std::uint8_t>(i);
    }
    return std::nullopt;
}

bool ParseContactId(const std::string& text, char& qualifier, int& code) {
    if (text.size() != 4 || !IsDecimalString(text)) return false;
    qualifier = text[0];
    code = StringToInt(text.substr(1));
    return true;
}

void WriteFlashBytes(SimComponent& c, std::uint32_t byteAddress, std::span<const std::uint8_t> bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const std::uint32_t at = byteAddress + static_cast<std::uint32_t>(done);
        const auto block = static_cast<std::uint16_t>(at / 16);
        auto data = c.FlashBlock(block);
        std::size_t i = at % 16;
        for (; i < 16 && done < bytes.size(); ++i) data[i] = bytes[done++];
        c.SetFlashBlock(block, data);
    }
}

void SetZoneBit(std::array<std::uint8_t, 10>& status, std::size_t low, std::size_t high, int zone) {
    if (zone < 8)
        status[low] |= static_cast<std::uint8_t>(1 << zone);
    else
        status[high] |= static_cast<std::uint8_t>(1 << (zone - 8));
}

std::uint8_t RawFromVolts(double volts, double reference) {
    const double raw = std::round(volts * 256.0 / reference);
    return static_cast<std::uint8_t>(std::clamp(raw, 0.0, 255.0));
}

// A reading byte that gives a sensible value for the sensor type: a loop closed by its 2k2
// end-of-line resistor, 13.8 V mains, 13.6 V auxiliary supply, a 13.2 V battery, 24 degrees.
std::uint8_t PlausibleRaw(int type, double reference, double supply) {
    const double loop = 2200.0;
    switch (type) {
    case MesuraZoneA: return RawFromVolts(loop * supply / (22000.0 + loop), reference);
    case MesuraZoneB: return RawFromVolts(loop * reference / (2200.0 + loop), reference);
    case MesuraZoneC: return RawFromVolts(loop * supply / (27000.0 + loop), reference);
    case MesuraZoneD: return RawFromVolts(loop * supply / (4700.0 + loop) / 4.2, reference);
    case MesuraMain: return RawFromVolts(13.8 / 5.4107, reference);
    case MesuraSupply: return RawFromVolts(13.6 / 5.4107, reference);
    case MesuraMonitor: return RawFromVolts(13.2 / 4.03, reference);
    case MesuraTemperature: {
        std::size_t best = 0;
        for (std::size_t i = 0; i < kTemperatureCurve.size(); ++i)
            if (std::fabs(kTemperatureCurve[i] - 24.0f) < std::fabs(kTemperatureCurve[best] - 24.0f)) best = i;
        return static_cast<std::uint8_t>(best);
    }
    default: return 0;
    }
}

void FillStatus(SimComponent& c, const CModel& model, const SimClock& clock) {
    const CEstat& estat = model.GetEstat();
    const int zones = std::min(model.GetZones(), CEstat::kMaxZones);
    c.status.fill(0);
    if (zones > 1) SetZoneBit(c.status, 0, 2, 1);  // zone 2 open
    if (zones > 3) {
        SetZoneBit(c.status, 1, 3, 3);  // zone 4 in alarm memory (the burglary of the sample day)
        c.status[7] |= 0x80;            // "Memoria de alarmas"
    }
    if (zones > 5) SetZoneBit(c.status, 4, 5, 5);  // zone 6 bypassed
    if (estat.GetAreaCount() > 0) c.status[6] = 0x01;  // area 1 armed
    c.SetRam(kVarClock, 0, clock);

    // Measurements: the main supply first, the loops are computed against it.
    const double reference = estat.GetScale() > 0 ? estat.GetScale() : 5.0;
    double supply = 13.8;
    for (int i = 0; i < estat.GetMesuraCount(); ++i) {
        const CMesura* m = estat.GetMesura(i);
        if (m && m->GetTipus() == MesuraMain) {
            const std::uint8_t raw = PlausibleRaw(MesuraMain, reference, supply);
            supply = raw * reference / 256.0 * 5.4107;
        }
    }
    for (int i = 0; i < estat.GetMesuraCount(); ++i) {
        const CMesura* m = estat.GetMesura(i);
        if (!m) continue;
        const std::uint8_t raw = PlausibleRaw(m->GetTipus(), reference, supply);
        c.SetRam(kVarMesures, static_cast<std::uint32_t>(m->GetOffset()), std::span(&raw, 1));
    }
    // Outputs and relays: the third output and the first relay are on, the others off.
    for (int i = 0; i < estat.GetOutputCount(); ++i) {
        const std::uint8_t on = estat.GetOutput(i)->GetOffset() == 2 ? 1 : 0;
        c.SetRam(kVarOutputs, static_cast<std::uint32_t>(estat.GetOutput(i)->GetOffset()), std::span(&on, 1));
    }
    for (int i = 0; i < estat.GetRelayCount(); ++i) {
        const std::uint8_t on = estat.GetRelay(i)->GetOffset() == 0 ? 1 : 0;
        c.SetRam(kVarRelays, static_cast<std::uint32_t>(estat.GetRelay(i)->GetOffset()), std::span(&on, 1));
    }
    // Coverage code: its third byte is the level in percent.
    if (estat.HasPpe()) {
        CCodi ppe = estat.GetPpeCodi();
        ppe.RevertValue();
        const int count = ppe.GetByteCount();
        const auto number = ParseAddress(ppe.GetCodeNumber());
        if (number && count >= 3) {
            auto raw = ppe.ToBytes();
            raw[2] = 72;
            const std::span<const std::uint8_t> bytes(raw.data(), static_cast<std::size_t>(count));
            c.SetCode(ppe.GetAccess() == CodiRam ? Memory::Ram : Memory::Eeprom,
                      static_cast<std::uint16_t>(*number), ppe.GetAddress(), bytes);
        }
    }
}

void FillEvents(SimComponent& c, const CModel& model, const ModelFillOptions& options,
                ModelFillReport& report) {
    const CEvents& ev = model.GetEvents();
    if (!ev.IsReadable()) return;
    const auto base = ParseAddress(ev.IsAtAddress() ? ev.GetAddress() : ev.GetFlash());
    if (!base) return;
    const std::vector<SimStoredEvent> events = options.events ? *options.events : SampleEvents(options.clock);
    std::vector<std::vector<std::uint8_t>> records;
    for (const SimStoredEvent& e : events) {
        auto record = EventRecord(e, ev.GetTipus(), ev.GetBytesEvent(), options.account);
        if (!record.empty()) records.push_back(std::move(record));
    }
    // The newest records that fit, from record 0 on; the pointer names the next free record.
    const std::size_t capacity = static_cast<std::size_t>(ev.GetMaxEvents());
    if (records.size() > capacity) records.erase(records.begin(), records.end() - static_cast<long>(capacity));
    const std::uint32_t size = static_cast<std::uint32_t>(ev.GetBytesEvent());
    for (std::size_t i = 0; i < records.size(); ++i) {
        const std::uint32_t offset = static_cast<std::uint32_t>(i) * size;
        if (ev.IsAtAddress())
            c.SetEeprom(*base + offset, records[i]);
        else
            WriteFlashBytes(c, *base * 16 + offset, records[i]);
    }
    const int pointer = static_cast<int>(records.size() % capacity);
    // One byte for memories of up to 256 records, else low and high byte after it.
    const std::array<std::uint8_t, 3> bytes{static_cast<std::uint8_t>(pointer & 0xFF),
                                            static_cast<std::uint8_t>(pointer & 0xFF),
                                            static_cast<std::uint8_t>(pointer >> 8 & 0xFF)};
    c.SetRam(kVarEventPointer, kEventPointerIndex, bytes);
    report.events = static_cast<int>(records.size());
    report.eventPointer = pointer;
}

}  // namespace

std::vector<SimStoredEvent> SampleEvents(const SimClock& clock) {
    struct Spec {
        const char* contactId;
        int zone;
        int minutesBefore;
    };
    static const Spec kDay[] = {
        {"1301", 0, 300}, {"3301", 0, 290}, {"3401", 1, 180}, {"1130", 4, 95},
        {"3130", 4, 94},  {"1401", 1, 60},  {"1602", 0, 30},  {"3401", 2, 10},
    };
    std::vector<SimStoredEvent> out;
    for (const Spec& s : kDay) {
        std::tm t{};
        t.tm_hour = clock[0];
        t.tm_min = clock[1] - s.minutesBefore;
        t.tm_sec = clock[2];
        t.tm_mday = clock[3];
        t.tm_mon = clock[4] - 1;
        t.tm_year = clock[5] + 100;
        const std::time_t when = timegm(&t);  // normalises the minutes into hours and days
        std::tm n{};
        gmtime_r(&when, &n);
        SimStoredEvent e;
        e.contactId = s.contactId;
        e.zone = s.zone;
        e.area = 1;
        e.time = {static_cast<std::uint8_t>(n.tm_hour), static_cast<std::uint8_t>(n.tm_min),
                  static_cast<std::uint8_t>(n.tm_sec),  static_cast<std::uint8_t>(n.tm_mday),
                  static_cast<std::uint8_t>(n.tm_mon + 1), static_cast<std::uint8_t>(n.tm_year % 100)};
        out.push_back(e);
    }
    return out;
}

std::optional<std::array<std::uint8_t, 2>> CodeDescriptor(int memoryKind, int type, unsigned address) {
    const auto low = static_cast<std::uint8_t>(address & 0xFF);
    const auto digit = static_cast<std::uint8_t>(address >> 8);
    // Codes numbered "0" d b b with d of 0 to 7.
    auto plain = [&](std::uint8_t selector) -> std::optional<std::array<std::uint8_t, 2>> {
        if (address > 0x7FF) return std::nullopt;
        return std::array<std::uint8_t, 2>{static_cast<std::uint8_t>(selector | digit), low};
    };
    if (memoryKind == CodiRam) {
        switch (type) {
        case CodiBitmask: return plain(0x48);
        case CodiDecimal: return plain(0x50);
        case CodiNibble6: return plain(0x58);
        case CodiHoraQuart: return plain(0x68);
        default: return std::nullopt;
        }
    }
    if (memoryKind != CodiEeprom) return std::nullopt;
    switch (type) {
    case CodiBitmask:
        if (address <= 0x7FF) return plain(0x00);
        if (address <= 0xFFF) return std::array<std::uint8_t, 2>{static_cast<std::uint8_t>(0x30 | digit), low};
        return std::nullopt;
    case CodiDecimal: return plain(0x08);
    case CodiNibble2: return plain(0x10);
    case CodiNibble4: return plain(0x18);
    case CodiNibble6: return plain(0x20);
    case CodiNibble28: return plain(0x28);
    case CodiHoraQuart: return plain(0x30);
    case CodiString:
        // Strings are numbered "1" b b "0": byte 1 carries the middle two digits.
        if ((address & 0xF00F) != 0x1000) return std::nullopt;
        return std::array<std::uint8_t, 2>{0x40, static_cast<std::uint8_t>(address >> 4 & 0xFF)};
    default: return std::nullopt;
    }
}

std::optional<std::uint32_t> DescriptorKey(const std::string& kpAddress, bool userCode) {
    const auto id = ParseAddress(kpAddress);
    if (!id) return std::nullopt;
    const unsigned high = *id >> 8;
    // The query cannot carry bit 4 of the high byte (it marks user codes); 0x0F is a local code.
    if ((high & 0x10) || high == 0x0F) return std::nullopt;
    return *id + (userCode ? SimComponent::kUserCode : 0);
}

std::vector<std::uint8_t> EventRecord(const SimStoredEvent& e, int format, int recordSize,
                                      std::uint16_t account) {
    char qualifier = 0;
    int code = 0;
    if (!ParseContactId(e.contactId, qualifier, code)) return {};
    std::vector<std::uint8_t> r;
    if (format == EventFormatExtended) {
        if (recordSize < static_cast<int>(PanelEventRecord::kTimedSize) || e.area < 0 || e.area > 99 ||
            e.zone < 0 || e.zone > 999)
            return {};
        const int q = qualifier - '0';
        r = {static_cast<std::uint8_t>(account >> 8),
             static_cast<std::uint8_t>(account & 0xFF),
             0x18,  // message type of a Contact ID report
             static_cast<std::uint8_t>(q << 4 | code / 100),
             Bcd(code % 100),
             Bcd(e.area),
             static_cast<std::uint8_t>((e.zone / 100) << 4 | (e.zone / 10 % 10)),
             static_cast<std::uint8_t>((e.zone % 10) << 4),
             0x11,  // receiver line 1, number 1
             e.time[3], e.time[4], e.time[5], e.time[0], e.time[1], e.time[2]};
        if (r[0] == PanelEventRecord::kPhoneCall) return {};
    } else {
        // The standard layout (also what the mixed format keeps for records with a time).
        const auto index = StandardIndex(code);
        if (!index || (qualifier != '1' && qualifier != '3') ||
            recordSize < static_cast<int>(PanelEventRecord::kStandardSize) || e.zone < 0 || e.zone > 64 ||
            e.area < 1 || e.area > 16 || e.time[0] > 23)
            return {};
        r = {static_cast<std::uint8_t>((qualifier == '1' ? 0x80 : 0x00) | *index),
             static_cast<std::uint8_t>(e.zone == 0 ? 0xFF : e.zone - 1),
             e.time[0],
             e.time[1],
             e.time[2],
             e.time[3],
             static_cast<std::uint8_t>((e.area - 1) << 4 | (e.time[4] & 0x0F)),
             e.time[5]};
    }
    r.resize(static_cast<std::size_t>(recordSize), 0xFF);
    return r;
}

namespace {

// Places one code's default bytes and its code-address answer in the component.
void PlaceCode(SimComponent& component, const CCodi& model, ModelFillReport& report) {
    CCodi codi = model;  // a copy: the model keeps its current values
    const auto number = ParseAddress(codi.GetCodeNumber());
    const int access = codi.GetAccess();
    if (!number || (access != CodiRam && access != CodiEeprom)) return;
    codi.RevertValue();
    const int count = codi.GetByteCount();
    if (count > 0) {
        const auto& raw = codi.ToBytes();
        component.SetCode(access == CodiRam ? Memory::Ram : Memory::Eeprom, static_cast<std::uint16_t>(*number),
                          codi.GetAddress(),
                          std::span<const std::uint8_t>(raw.data(), static_cast<std::size_t>(count)));
        ++report.codes;
    }
    // The descriptor names where the code's bytes lie: for EEPROM that is the code number plus
    // its offset; a RAM code with an offset has no such address.
    if (access == CodiRam && codi.GetAddress() != 0) return;
    const auto key = DescriptorKey(codi.GetKpAddress(), codi.IsUsuari());
    const unsigned address = *number + static_cast<unsigned>(access == CodiEeprom ? codi.GetAddress() : 0);
    const auto descriptor = CodeDescriptor(access, codi.GetType(), address);
    if (key && descriptor) {
        component.descriptors[*key] = *descriptor;
        ++report.descriptors;
    }
}

std::optional<std::uint8_t> ParseBusAddress(const std::string& text) {
    if (text.empty() || text.size() > 2 || !IsHexString(text)) return std::nullopt;
    const int address = HexStringToInt(text);
    if (address > 0x3F) return std::nullopt;
    return static_cast<std::uint8_t>(address);
}

// Where a group's codes go: the group's own destination when it has one (subgroups do not
// inherit it), else the component itself.
using Router = std::function<SimComponent*(const std::string& dest)>;

void PlaceGroup(const CGrup* grup, SimComponent& own, const Router& route, std::set<const CCodi*>& seen,
                ModelFillReport& report) {
    SimComponent* target = &own;
    if (grup->HasDest()) target = route ? route(grup->GetDest()) : nullptr;
    for (int i = 0; i < grup->GetCodiCount(); ++i) {
        const CCodi* c = grup->GetCodi(i);
        if (!c || !seen.insert(c).second) continue;
        if (target)
            PlaceCode(*target, *c, report);
        else
            ++report.skipped;
    }
    for (int i = 0; i < grup->GetSubgrupCount(); ++i) PlaceGroup(grup->GetSubgrup(i), own, route, seen, report);
}

ModelFillReport Fill(SimComponent& component, const CModel& model, const ModelFillOptions& options,
                     const Router& route) {
    ModelFillReport report;
    std::set<const CCodi*> seen;
    PlaceGroup(model.GetRootGrup(), component, route, seen, report);
    PlaceGroup(model.GetEstatRootGrup(), component, route, seen, report);
    // Codes in no group are the component's own.
    for (int i = 0; i < model.GetCodiCount(); ++i)
        if (seen.insert(model.GetCodi(i)).second) PlaceCode(component, *model.GetCodi(i), report);
    FillStatus(component, model, options.clock);
    FillEvents(component, model, options, report);
    return report;
}

}  // namespace

ModelFillReport FillFromModel(SimComponent& component, const CModel& model, const ModelFillOptions& options) {
    return Fill(component, model, options, {});
}

ModelFillReport FillFromModel(PanelSim& sim, std::uint8_t address, const CModel& model,
                              const ModelFillOptions& options) {
    Router route = [&sim](const std::string& dest) -> SimComponent* {
        const auto bus = ParseBusAddress(dest);
        if (!bus) return nullptr;
        return *bus == 0 ? &sim.Central() : &sim.Component(*bus);  // 00 is the central's alias
    };
    return Fill(sim.Component(address), model, options, route);
}

bool LoadModelFile(const std::string& path, CModel& model, std::string& error) {
    std::string text;
    if (!ReadJoinedLines(std::filesystem::path(path), text)) {
        error = "cannot read " + path;
        return false;
    }
    if (!model.LoadFromText(std::move(text))) {
        error = "not a model file: " + path;
        return false;
    }
    return true;
}

bool LoadInstallationFile(const std::string& path, CInstalacio& installation, std::string& error) {
    installation.Clear();
    std::string text;
    if (!ReadJoinedLines(std::filesystem::path(path), text)) {
        error = "cannot read " + path;
        return false;
    }
    XmlParser parser(&installation);
    if (!parser.Parse(text, 0, static_cast<long>(text.size()) - 1)) {
        error = "not an installation file: " + path;
        return false;
    }
    if (!installation.IsOk()) {
        error = installation.GetError();
        return false;
    }
    return true;
}

std::optional<std::uint8_t> BusAddress(const CModel& model) { return ParseBusAddress(model.GetBusDir()); }

bool FillFromInstallation(PanelSim& sim, const CInstalacio& installation, std::vector<ComponentFill>& filled,
                          std::string& error, const ModelFillOptions& options) {
    filled.clear();
    const CModel& central = installation.GetCentral();
    filled.push_back({sim.CentralAddress(), &central, FillFromModel(sim, sim.CentralAddress(), central, options)});
    for (int i = 0; i < installation.GetComponentCount(); ++i) {
        const CModel* m = installation.GetComponent(i);
        const auto address = BusAddress(*m);
        if (!address) {
            error = "component " + m->GetName() + " has an unusable bus address \"" + m->GetBusDir() + "\"";
            return false;
        }
        filled.push_back({*address, m, FillFromModel(sim, *address, *m, options)});
    }
    return true;
}

}  // namespace panelsim

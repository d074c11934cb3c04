// Live state, commands and event memory: the general status with the panel clock and event
// pointer, the measures, outputs, relays and radio flags; arming and disarming areas, zone
// bypass, output and relay switching, the phone test; and the records of the panel's event
// memory written since the last read. Every request goes to the current component (the central
// when none is current).
#include <algorithm>
#include <string>
#include <vector>

#include "core/appcore.h"
#include "datamodel/estat.h"
#include "datamodel/events.h"
#include "datamodel/model.h"
#include "datamodel/strings.h"
#include "link/conexio.h"

namespace {

constexpr const char* kSending = "Enviando...";

// Bytes in one event-memory request.
constexpr int kEventChunkBytes = 64;
// A record read that brings nothing is sent again at most this many times.
constexpr int kRecordReadRepeats = 3;
// The status request goes out this long after the command that precedes it.
constexpr int kStatusDelayMs = 500;

// RAM variables of the fixed reads.
constexpr const char* kVarMesures = "0010";
constexpr const char* kVarOutputs = "0006";
constexpr const char* kVarRelays = "0032";
constexpr const char* kVarRadio = "0016";

}  // namespace

// The fixed RAM reads (clock, event pointer, measures, outputs, relays, radio) take 0xB1
// answers only; oneAnswer: the first answer only.
static CollectOptions FixedRead(bool oneAnswer) {
    CollectOptions options;
    options.oneAnswer = oneAnswer;
    options.commands = ExpectedAnswers{{kCmdNone, kCmdNone, kCmdWriteRam}};
    return options;
}

// A fixed read whose answer did not come in time leaves its values as they were; one stopped
// by Cancel or a lost link fails, so it never reports success with values it did not take.
static bool StoppedEarly(CProtocol& protocol, CollectEnd end) {
    return end == CollectEnd::Stopped && !protocol.TimedOut();
}

// Copies the frame layer's error into the core's and fails.
static bool FailFromProtocol(CAppCore& core) {
    core.SetLastError(core.GetProtocol().GetError());
    return false;
}

static bool NotConnected(CAppCore& core) {
    core.SetLastError(CAppCore::kNotConnected);
    return false;
}

std::string CAppCore::StatusSnapshot() {
    const CEstat& estat = UseCurrentComponent()->GetEstat();
    std::string out;
    for (int zone = 0; zone < CEstat::kMaxZones; ++zone) {
        out += static_cast<char>(estat.IsZoneDetect(zone) | estat.IsZoneAlarm(zone) << 1 |
                                 estat.IsZoneOmit(zone) << 2 | estat.IsZoneAveria(zone) << 3);
    }
    out += static_cast<char>(estat.GetAreaStatus());
    out += static_cast<char>(estat.GetPanelStatus());
    out.append(estat.GetClock().begin(), estat.GetClock().end());
    out += IntToString(estat.GetEventPointer()) + ";" + IntToString(estat.GetPpeValue()) + ";";
    for (auto [count, get] : {std::pair{estat.GetMesuraCount(), &CEstat::GetMesura},
                              {estat.GetOutputCount(), &CEstat::GetOutput}, {estat.GetRelayCount(), &CEstat::GetRelay}}) {
        for (int i = 0; i < count; ++i) {
            const CMesura* m = (estat.*get)(i);
            out += static_cast<char>(m ? m->GetRaw() : 0);
        }
    }
    for (int zone = 0; zone < estat.GetRadioZoneCount(); ++zone) {
        out += static_cast<char>(estat.GetRadioFlag0(zone) | estat.GetRadioFlag1(zone) << 1 |
                                 estat.GetRadioFlag2(zone) << 2 | estat.GetRadioFlag3(zone) << 3);
    }
    return out;
}

CAppCore::StatusWatch::StatusWatch(CAppCore& core) : core_(core), before_(core.StatusSnapshot()) {}

CAppCore::StatusWatch::~StatusWatch() {
    if (core_.statusChanged_ && core_.StatusSnapshot() != before_) core_.statusChanged_();
}

// Byte i of the answer goes to the reading of offset i; readings whose byte never came keep
// their value.
static void StoreReadings(const std::vector<unsigned char>& bytes, CMesura* (CEstat::*find)(int) const,
                          CEstat& estat) {
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (CMesura* m = (estat.*find)(static_cast<int>(i))) m->SetRaw(bytes[i]);
    }
}

// The shape of the measures, outputs, relays and radio reads: `count` bytes of a RAM variable,
// one request per 255 bytes (the first built by the read's own builder), the data of 0xB1
// answers from byte 3 on (oneAnswer: each request takes its first answer only). Nothing to read
// or nothing that came leaves the record as it was; what came is stored and the dialog advances.
template <typename BuildFirst, typename Store>
static bool ReceiveFixed(CAppCore& core, int count, const char* variable, bool oneAnswer, BuildFirst buildFirst,
                         Store store) {
    if (!core.IsConnected()) return NotConnected(core);
    if (count <= 0) return true;
    CProtocol& protocol = core.GetProtocol();
    const std::string dest = core.UseCurrentComponent()->GetBusDir();
    std::vector<unsigned char> out;
    for (int offset = 0; offset < count; offset += CAppCore::kMaxReadBytes) {
        const int part = std::min(CAppCore::kMaxReadBytes, count - offset);
        const bool built = offset == 0 ? buildFirst(dest, part) : protocol.BuildRead(dest, variable, true, part, offset);
        if (!built || !protocol.Send()) return FailFromProtocol(core);
        const CollectEnd end = protocol.CollectAnswers(out, static_cast<std::size_t>(part), FixedRead(oneAnswer));
        if (StoppedEarly(protocol, end)) return FailFromProtocol(core);
        // The answers stopped: keep what came.
        if (end != CollectEnd::Complete || out.size() < static_cast<std::size_t>(offset + part)) break;
    }
    if (out.empty()) return true;
    store(out);
    return core.ProgressStep(1, std::string());
}

bool CAppCore::ReceiveStatus(bool afterCommand) {
    if (!IsConnected()) return NotConnected(*this);
    StatusWatch watch(*this);
    CProtocol& protocol = GetProtocol();
    CModel* model = UseCurrentComponent();
    const std::string dest = model->GetBusDir();
    CEstat& estat = model->GetEstat();

    // After a command on the local cable the panel sends its status by itself.
    if (!(afterCommand && GetConexio().GetKind() == ConexioLocal)) {
        GetClock().SleepMs(kStatusDelayMs);
        if (!protocol.BuildStatusRequest(dest) || !protocol.Send()) return FailFromProtocol(*this);
    }
    if (!protocol.WaitAnswer(kCmdGeneralStatus, kCmdNone, kCmdNone)) return FailFromProtocol(*this);
    int length = 0;
    const unsigned char* answer = protocol.GetAnswer(length);
    if (!answer || length < static_cast<int>(CEstat::kReplyBytes)) {
        SetLastError(kBadValue);
        return false;
    }
    if (!model->SetEstatFrame(std::span<const unsigned char>(answer, CEstat::kReplyBytes))) {
        SetLastError(kBadAddress);
        return false;
    }
    if (!ProgressStep(1, std::string())) return false;

    // The clock (six bytes from answer byte 3 on): when no answer comes it is left as it was.
    if (!protocol.BuildReadClock(dest) || !protocol.Send()) return FailFromProtocol(*this);
    std::vector<unsigned char> reply(3);
    const CollectEnd clockEnd = protocol.CollectAnswers(reply, 6, FixedRead(true));
    if (StoppedEarly(protocol, clockEnd)) return FailFromProtocol(*this);
    if (clockEnd == CollectEnd::Complete) {
        if (!estat.SetClock(reply)) {
            SetLastError(kBadValue);
            return false;
        }
        if (!ProgressStep(1, std::string())) return false;
    }

    // The event pointer: one byte for a memory of up to 256 records, else two (low first). It is
    // kept as the panel reported it; the read of new records reduces it into the capacity.
    if (!protocol.BuildReadEventPointer(dest) || !protocol.Send()) return FailFromProtocol(*this);
    std::vector<unsigned char> bytes;
    const CollectEnd pointerEnd = protocol.CollectAnswers(bytes, 3, FixedRead(true));
    if (StoppedEarly(protocol, pointerEnd)) return FailFromProtocol(*this);
    if (pointerEnd == CollectEnd::Complete) {
        const CEvents& events = model->GetEvents();
        const bool oneByte = events.GetMaxEvents() <= 256;
        if (bytes.size() < 3) {
            SetLastError(kBadValue);
            return false;
        }
        const int pointer = oneByte ? bytes[0] : bytes[1] + 256 * bytes[2];
        if (!estat.SetEventPointer(pointer)) {
            SetLastError(kBadValue);
            return false;
        }
        GetLog().LogLine("Event Pointer: " + IntToString(pointer));
        if (!ProgressStep(1, std::string())) return false;
    }

    if (estat.HasPpe() && !ReceiveCodi(&estat.GetPpeCodi(), false)) return false;
    return true;
}

bool CAppCore::ReceiveMesures() {
    StatusWatch watch(*this);
    CEstat& estat = UseCurrentComponent()->GetEstat();
    return ReceiveFixed(
        *this, estat.GetMesuraCount(), kVarMesures, false,
        [this](const std::string& dest, int n) { return protocol_.BuildReadMesures(dest, n); },
        [&estat](const std::vector<unsigned char>& bytes) {
            StoreReadings(bytes, &CEstat::FindMesura, estat);
            estat.ComputeMesures();
        });
}

bool CAppCore::ReceiveOutputs() {
    StatusWatch watch(*this);
    CEstat& estat = UseCurrentComponent()->GetEstat();
    return ReceiveFixed(
        *this, estat.GetOutputCount(), kVarOutputs, true,
        [this](const std::string& dest, int n) { return protocol_.BuildReadOutputs(dest, n); },
        [&estat](const std::vector<unsigned char>& bytes) {
            StoreReadings(bytes, &CEstat::FindOutput, estat);
            estat.ComputeOutputs();
        });
}

bool CAppCore::ReceiveRelays() {
    StatusWatch watch(*this);
    CEstat& estat = UseCurrentComponent()->GetEstat();
    return ReceiveFixed(
        *this, estat.GetRelayCount(), kVarRelays, true,
        [this](const std::string& dest, int n) { return protocol_.BuildReadRelays(dest, n); },
        [&estat](const std::vector<unsigned char>& bytes) {
            StoreReadings(bytes, &CEstat::FindRelay, estat);
            estat.ComputeRelays();
        });
}

bool CAppCore::ReceiveRadio() {
    StatusWatch watch(*this);
    CEstat& estat = UseCurrentComponent()->GetEstat();
    // Four bit planes of count / 8 bytes: count / 2 bytes, none below two radio zones. Flags
    // whose byte did not come keep their value.
    return ReceiveFixed(
        *this, estat.GetRadioZoneCount() / 2, kVarRadio, false,
        [this](const std::string& dest, int n) { return protocol_.BuildReadRadio(dest, 2 * n); },
        [&estat](const std::vector<unsigned char>& bytes) { estat.SetRadioFlags(bytes); });
}

bool CAppCore::SendAreaCommand(unsigned char areaMask, bool arm) {
    if (!IsConnected()) return NotConnected(*this);
    BusyScope scope(*this, kSending, 5);
    RestartPollTimer();
    CProtocol& protocol = GetProtocol();
    const std::string dest = UseCurrentComponent()->GetBusDir();
    const bool built = arm ? protocol.BuildArmAreas(dest, areaMask) : protocol.BuildDisarmAreas(dest, areaMask);
    if (!built || !protocol.Send()) return FailFromProtocol(*this);
    if (!ProgressStep(1, std::string())) return false;
    return ReceiveStatus(true) && ReceiveOutputs();
}

bool CAppCore::SendZoneCommand(std::span<const unsigned char> zoneMask, int zoneCount) {
    if (!IsConnected()) return NotConnected(*this);
    const int frames = zoneCount > 8 ? 2 : 1;
    if (zoneMask.size() < static_cast<std::size_t>(frames)) {
        SetLastError(kBadValue);
        return false;
    }
    BusyScope scope(*this, kSending, frames + 4);
    RestartPollTimer();
    CProtocol& protocol = GetProtocol();
    const std::string dest = UseCurrentComponent()->GetBusDir();
    for (int i = 0; i < frames; ++i) {
        if (!protocol.BuildZoneCommand(dest, i, zoneMask[static_cast<std::size_t>(i)]) || !protocol.Send())
            return FailFromProtocol(*this);
        if (!ProgressStep(1, std::string())) return false;
    }
    return ReceiveStatus(true) && ReceiveOutputs();
}

// Switches output or relay n (below 0 sent as 0) of the current component.
static bool SendSwitch(CAppCore& core, bool relay, int n, bool on) {
    if (!core.IsConnected()) return NotConnected(core);
    CProtocol& protocol = core.GetProtocol();
    bool sent;
    {
        CAppCore::BusyScope busy(core);
        core.RestartPollTimer();
        const std::string dest = core.UseCurrentComponent()->GetBusDir();
        const int which = std::max(n, 0);
        const bool built = relay ? (on ? protocol.BuildRelayOn(dest, which) : protocol.BuildRelayOff(dest, which))
                                 : (on ? protocol.BuildOutputOn(dest, which) : protocol.BuildOutputOff(dest, which));
        sent = built && protocol.Send();
    }
    if (!sent) return FailFromProtocol(core);
    // The calling panel may have given the core a dialog for a series of commands.
    return core.ProgressStep(1, std::string());
}

bool CAppCore::SendOutputCommand(int output, bool on) { return SendSwitch(*this, false, output, on); }

bool CAppCore::SendRelayCommand(int relay, bool on) { return SendSwitch(*this, true, relay, on); }

bool CAppCore::SendPhoneTest() {
    if (!IsConnected()) return NotConnected(*this);
    CProtocol& protocol = GetProtocol();
    BusyScope busy(*this);
    if (!protocol.BuildPhoneTest(UseCurrentComponent()->GetBusDir()) || !protocol.Send())
        return FailFromProtocol(*this);
    return true;
}

// Builds the read of `count` records from record index `index`. Records at an address are read
// by bytes (data from answer byte 3). Records in flash are read by 16-byte blocks (data from
// answer byte 2); a record that does not start on a block boundary starts `lead` bytes into the
// first block, so the read begins at that block and asks for enough blocks to cover the records.
// False with the reason in the last error.
static bool BuildRecordRead(CAppCore& core, const std::string& dest, const CEvents& events, int index, int count,
                            int& lead) {
    CProtocol& protocol = core.GetProtocol();
    const int size = events.GetBytesEvent();
    lead = 0;
    if (events.IsAtAddress()) {
        if (protocol.BuildReadRecord(dest, events.GetAddress(), true, index, size, count)) return true;
        return FailFromProtocol(core);
    }
    const long long offset = static_cast<long long>(index) * size;
    lead = static_cast<int>(offset % CAppCore::kFlashBlockBytes);
    const long long block = static_cast<unsigned>(HexStringToInt(events.GetFlash())) + offset / CAppCore::kFlashBlockBytes;
    const int blocks = CAppCore::FlashBlocksFor(lead + static_cast<long long>(size) * count);
    if (block + blocks > 0x10000) {
        core.SetLastError(CAppCore::kBadAddress);
        return false;
    }
    if (protocol.BuildBlockRead(dest, IntToHexString(static_cast<int>(block)), blocks)) return true;
    return FailFromProtocol(core);
}

int CAppCore::NewEventRecords(const CEvents& events, int pointer, int& start, int passes[2]) {
    passes[0] = passes[1] = 0;
    start = 0;
    const int capacity = events.GetMaxEvents();
    if (capacity < 1) return 0;
    const int end = events.ReduceIndex(pointer);
    start = events.ReduceIndex(events.GetMyPpe());
    if (events.IsWholeMemory()) {
        start = end + 1;
        if (start >= capacity) start = 0;
    }
    // Wrapped: from start to the end of the memory, then from 0 to the write pointer.
    if (start > end) {
        passes[0] = capacity - start;
        passes[1] = end;
    } else {
        passes[0] = end - start;
    }
    return passes[0] + passes[1];
}

bool CAppCore::ReceiveEventLog() {
    if (!IsConnected()) return NotConnected(*this);
    RestartPollTimer();
    CModel* model = UseCurrentComponent();
    CEvents& events = model->GetEvents();
    if (!events.IsReadable()) {
        SetLastError(kBadValue);
        return false;
    }
    CProtocol& protocol = GetProtocol();
    const std::string dest = model->GetBusDir();
    const int size = events.GetBytesEvent();

    int start = 0;
    int passes[2];
    NewEventRecords(events, model->GetEstat().GetEventPointer(), start, passes);
    // The reads go from the read pointer, so it starts where the records to read begin.
    events.SetMyPpe(start);

    for (int remaining : passes) {
        while (remaining > 0) {
            const int chunk = remaining * size > kEventChunkBytes ? kEventChunkBytes / size : remaining;
            const int index = events.GetMyPpe();
            std::vector<unsigned char> buffer;
            int complete = 0;
            for (int repeats = 0;; ++repeats) {
                int lead = 0;
                if (!BuildRecordRead(*this, dest, events, index, chunk, lead)) return false;
                if (!protocol.Send()) return FailFromProtocol(*this);
                std::vector<unsigned char> raw;
                protocol.CollectAnswers(raw, static_cast<std::size_t>(lead + chunk * size));
                if (raw.size() > static_cast<std::size_t>(lead)) buffer.assign(raw.begin() + lead, raw.end());
                // Only records that came whole count; the rest are read again by the next request.
                complete = static_cast<int>(buffer.size()) / size;
                if (complete > 0) break;
                if (CheckCancel()) return false;
                if (repeats >= kRecordReadRepeats) return FailFromProtocol(*this);
            }
            buffer.resize(static_cast<std::size_t>(complete) * size);
            events.DecodeRecords(buffer);
            // The records read are kept in the installation file.
            MarkModified();
            events.SetMyPpe(index + complete);
            remaining -= complete;
            if (!ProgressStep(1, std::string())) return false;
        }
    }
    return true;
}

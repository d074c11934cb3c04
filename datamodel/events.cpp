#include "datamodel/events.h"

#include <cstdio>
#include <iterator>

#include "datamodel/strings.h"

int EventFormatFromName(std::string_view name) {
    if (name == "q7rev") return EventFormatStandard;
    if (name == "q7rev_cid") return EventFormatMixed;
    if (name == "contactid-extended") return EventFormatExtended;
    return EventFormatUnknown;
}

PanelEventRecord::Decoder PanelEventRecord::ChooseDecoder(std::span<const unsigned char> record,
                                                          int format) {
    if (record.size() < 3) return Skip;
    if (record[0] == 0xFF && record[1] == 0xFF && record[2] == 0xFF) return Skip;
    switch (format) {
    case EventFormatMixed:
        if (record[2] <= 23) return Standard;
        return record[0] != kPhoneCall ? OtherUntimed : PhoneCallUntimed;
    case EventFormatExtended:
        return record[0] != kPhoneCall ? OtherTimed : PhoneCallTimed;
    default:  // the standard layout, also for an unknown format
        return record[2] < 24 ? Standard : Skip;
    }
}

namespace {

// Two upper-case hexadecimal digits of a byte, high nibble first.
void AppendHexByte(std::string& text, unsigned char byte) {
    text += NibbleToHexChar(byte >> 4);
    text += NibbleToHexChar(byte & 0x0F);
}

const char* const kPhoneMedia[] = {"-PSTN AUDIO", "-PSTN DATA", "-GSM AUDIO",
                                   "-GSM DATA",   "-GSM FAX",   "-GSM SMS"};
const char* const kPhoneResults[] = {"-INI", "-OK", "-BUSY", "-FAIL", "-REJECT"};

constexpr std::size_t kPhoneDigits = 12;  // six packed-BCD bytes

}  // namespace

void CEvent::SetTimeAndDate(int hour, int minute, int second, int day, int month, int year) {
    char text[48];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", hour, minute, second);
    m_time = text;
    std::snprintf(text, sizeof text, "%02d/%02d/%d", day, month, year);
    m_date = text;
}

void CEvent::DecodeTail(std::span<const unsigned char> record, bool withTime) {
    m_format = withTime ? EventFormatExtended : EventFormatMixed;
    if (!withTime) {
        m_time = "--:--:--";
        m_date = "--/--/--";
        return;
    }
    m_linia = record[8] >> 4;
    m_numero = record[8] & 0x0F;
    SetTimeAndDate(record[12], record[13], record[14], record[9], record[10], record[11] + 2000);
}

bool CEvent::DecodeRecord(std::span<const unsigned char> record) {
    if (record.size() < PanelEventRecord::kStandardSize || record[0] == PanelEventRecord::kNoEvent)
        return false;
    const ContactIdIndexEntry& entry = ContactIdIndexTable[record[0] & 0x7F];
    std::string contactId(1, (record[0] & 0x80) ? '1' : '3');
    contactId += NibbleToHexChar(entry[0] & 0x0F);
    AppendHexByte(contactId, entry[1]);
    SetContactId(contactId);
    m_zone = record[1] == 0xFF ? 0 : (record[1] & 0x3F) + 1;
    SetTimeAndDate(record[2] & 0x1F, record[3] & 0x3F, record[4] & 0x3F, record[5] & 0x1F,
                   record[6] & 0x0F, record[7] + 2000);
    m_area = (record[6] >> 4) + 1;
    m_format = EventFormatStandard;
    return true;
}

bool CEvent::DecodePhoneCall(std::span<const unsigned char> record, bool withTime) {
    if (record.size() < PanelEventRecord::SizeOf(withTime)) return false;
    const unsigned char call = record[1];
    std::string description = (call & 0x08) ? "Incoming" : "Outgoing";
    const unsigned medium = call >> 4;
    if (medium < std::size(kPhoneMedia)) description += kPhoneMedia[medium];
    const unsigned result = call & 0x07;
    if (result < std::size(kPhoneResults)) description += kPhoneResults[result];

    char digits[kPhoneDigits + 1];
    BcdToDigits(record.data() + 2, 6, digits, sizeof digits, static_cast<int>(kPhoneDigits));

    m_class = EventClassPhoneCall;
    m_contactId = "1900";  // the catalogue's row is not looked up: the description stays empty
    m_alarm = 1;
    m_descr.clear();
    m_className = "PhoneCall";
    m_descPhoneCall = description;
    m_phoneNumber = digits;
    m_zone = StringToInt(m_phoneNumber);
    DecodeTail(record, withTime);
    return true;
}

bool CEvent::DecodeOtherRecord(std::span<const unsigned char> record, bool withTime) {
    if (record.size() < PanelEventRecord::SizeOf(withTime)) return false;
    std::string account;
    AppendHexByte(account, record[0]);
    AppendHexByte(account, record[1]);
    std::string contactId;
    AppendHexByte(contactId, record[3]);
    AppendHexByte(contactId, record[4]);
    SetContactId(contactId);
    m_abonat = account;
    m_area = (record[5] >> 4) * 10 + (record[5] & 0x0F);
    m_zone = (record[6] >> 4) * 100 + (record[6] & 0x0F) * 10 + (record[7] >> 4);
    DecodeTail(record, withTime);
    return true;
}

bool CEvent::Decode(std::span<const unsigned char> record, int format) {
    switch (PanelEventRecord::ChooseDecoder(record, format)) {
    case PanelEventRecord::Standard: return DecodeRecord(record);
    case PanelEventRecord::OtherUntimed: return DecodeOtherRecord(record, false);
    case PanelEventRecord::PhoneCallUntimed: return DecodePhoneCall(record, false);
    case PanelEventRecord::OtherTimed: return DecodeOtherRecord(record, true);
    case PanelEventRecord::PhoneCallTimed: return DecodePhoneCall(record, true);
    case PanelEventRecord::Skip: break;
    }
    return false;
}

bool CEvent::SetContactId(std::string_view text) {
    if (text.size() != 4) return false;
    m_contactId = text;
    m_alarm = text[0] == '1' ? 1 : 0;
    const ContactIdRow& row = FindContactIdDigits(text[1], text[2], text[3]);
    m_descr = row.text;
    m_class = row.eventClass;
    return true;
}

bool CEvent::SetFormat(int format) {
    if (format < EventFormatStandard || format > EventFormatExtended) return false;
    m_format = format;
    return true;
}

bool CEvent::SetTime(std::string_view text) {
    m_time = text;
    return true;
}

bool CEvent::SetDate(std::string_view text) {
    m_date = text;
    return true;
}

bool CEvent::SetZone(int zone) {
    m_zone = zone;
    return true;
}

bool CEvent::SetArea(int area) {
    m_area = area;
    return true;
}

bool CEvent::SetAbonat(std::string_view account) {
    m_abonat = account;
    if (m_format < EventFormatMixed) m_format = EventFormatMixed;
    return true;
}

bool CEvent::SetLinia(int line) {
    m_linia = line;
    m_format = EventFormatExtended;
    return true;
}

bool CEvent::SetNumero(int number) {
    m_numero = number;
    m_format = EventFormatExtended;
    return true;
}

bool CEvent::SetDescPhoneCall(std::string_view text) {
    m_descPhoneCall = text;
    return true;
}

bool CEvent::SetPhoneNumber(std::string_view digits) {
    if (!IsDecimalString(digits)) return false;
    m_phoneNumber = digits;
    m_zone = StringToInt(digits);
    return true;
}

std::string CEvent::GetZoneText() const {
    if (IsPhoneClass() && !m_phoneNumber.empty()) return m_phoneNumber;
    return IntToString(m_zone);
}

bool CEvent::SetZoneText(std::string_view text) {
    if (IsPhoneClass() && !text.empty() && IsDecimalString(text)) return SetPhoneNumber(text);
    m_zone = StringToInt(text);
    return true;
}

const char* CEvent::ClassName(int eventClass, bool alarm) {
    switch (eventClass) {
    case EventClassAlarm: return alarm ? "Alarma" : "Restauracion";
    case EventClassSupervision: return alarm ? "Supervisión" : "Supervisión (rest.)";
    case EventClassTrouble: return alarm ? "Avería" : "Restauracion";
    case EventClassOpenClose: return alarm ? "Desarmado" : "Armado";
    case EventClassBypass: return alarm ? "Omisión" : "Restauracion";
    case EventClassTest: return alarm ? "Test" : "Test (rest.)";
    // A telephone call reads the same freshly decoded and after a reload of the installation.
    case EventClassPhoneCall: return "PhoneCall";
    default: return nullptr;
    }
}

const std::string& CEvent::GetClassName() {
    if (const char* name = ClassName(m_class, m_alarm == 1)) m_className = name;
    return m_className;
}

void CEvents::Clear() {
    m_events.clear();
    m_wholeMemory = false;
}

int CEvents::AddEvent(std::unique_ptr<CEvent> event) {
    if (!event) return -1;
    m_events.push_back(std::move(event));
    return static_cast<int>(m_events.size()) - 1;
}

CEvent* CEvents::GetEvent(int index) {
    if (index < 0 || index >= GetCount()) return nullptr;
    return m_events[static_cast<std::size_t>(index)].get();
}

const CEvent* CEvents::GetEvent(int index) const {
    if (index < 0 || index >= GetCount()) return nullptr;
    return m_events[static_cast<std::size_t>(index)].get();
}

int CEvents::DecodeRecords(std::span<const unsigned char> buffer) {
    if (m_bytesEvent < 1 || static_cast<std::size_t>(m_bytesEvent) > PanelEventRecord::kMaxSize ||
        static_cast<std::size_t>(m_bytesEvent) > buffer.size())
        return -1;
    const std::size_t size = static_cast<std::size_t>(m_bytesEvent);
    int added = 0;
    for (std::size_t offset = 0; offset + size <= buffer.size(); offset += size) {
        const std::span<const unsigned char> record = buffer.subspan(offset, size);
        if (PanelEventRecord::ChooseDecoder(record, m_tipus) == PanelEventRecord::Skip) continue;
        // A record the format keeps is appended whatever its decoder returned: one the decoder
        // refused (a standard record with byte 0 = 0xFF) stays as a blank event in its place.
        auto event = std::make_unique<CEvent>();
        event->Decode(record, m_tipus);
        AddEvent(std::move(event));
        ++added;
    }
    return added;
}

void CEvents::SetAddress(std::string_view address) {
    m_address = address;
    m_atAddress = true;
}

void CEvents::SetFlash(std::string_view flash) {
    m_flash = flash;
    m_atAddress = false;
}

bool CEvents::SetMaxEvents(int capacity) {
    if (capacity < 0) return false;
    m_maxEvents = capacity;
    return true;
}

bool CEvents::SetBytesEvent(int recordSize) {
    if (recordSize < 0) return false;
    m_bytesEvent = recordSize;
    return true;
}

bool CEvents::SetTipus(int format) {
    m_tipus = format;
    return true;
}

bool CEvents::IsReadable() const {
    return m_maxEvents >= 1 && m_bytesEvent >= 1 &&
           static_cast<std::size_t>(m_bytesEvent) <= PanelEventRecord::kMaxSize;
}

int CEvents::ReduceIndex(int index) const {
    if (m_maxEvents < 1) return index;
    int reduced = index % m_maxEvents;
    if (reduced < 0) reduced += m_maxEvents;
    return reduced;
}

void CEvents::SetMyPpe(int pointer) { m_myPpe = ReduceIndex(pointer); }

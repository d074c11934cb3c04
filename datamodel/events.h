// The panel's event memory: its description from the model file (where it lies, how many records
// of what size and layout), the events read so far, and the decoders that turn one record of the
// memory into a CEvent described from the Contact ID catalogue.
#pragma once

#include <cstddef>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "datamodel/contactid.h"

// Layout of the records in a panel's event memory (the model's `tipus` of `events`).
enum EventFormat : int {
    EventFormatUnknown = 0,   // any other name; read as the standard layout
    EventFormatStandard = 1,  // "q7rev": standard 8-byte records
    EventFormatMixed = 2,     // "q7rev_cid": standard, telephone-call and extended records without time
    EventFormatExtended = 3,  // "contactid-extended": extended and telephone-call records with time
};

// The format of a model's format name; 0 for a name that is none of the three.
int EventFormatFromName(std::string_view name);

// The three record layouts and the choice of decoder for one record of a given format.
struct PanelEventRecord {
    static constexpr std::size_t kStandardSize = 8;   // standard record
    static constexpr std::size_t kUntimedSize = 8;    // telephone-call or extended, without time
    static constexpr std::size_t kTimedSize = 15;     // telephone-call or extended, with time
    static constexpr std::size_t kMaxSize = 64;       // a record read never carries more
    static constexpr unsigned char kNoEvent = 0xFF;   // byte 0 of a standard record holding nothing
    static constexpr unsigned char kPhoneCall = 0xFE; // byte 0 of a telephone-call record
    // Size of a telephone-call or extended record.
    static constexpr std::size_t SizeOf(bool withTime) { return withTime ? kTimedSize : kUntimedSize; }

    enum Decoder {
        Skip,              // empty record (first three bytes 0xFF), or dropped by the format
        Standard,          // CEvent::DecodeRecord
        OtherUntimed,      // CEvent::DecodeOtherRecord without time
        PhoneCallUntimed,  // CEvent::DecodePhoneCall without time
        OtherTimed,        // CEvent::DecodeOtherRecord with time
        PhoneCallTimed,    // CEvent::DecodePhoneCall with time
    };
    // Reads at most the first three bytes; a record of fewer than three bytes is skipped.
    static Decoder ChooseDecoder(std::span<const unsigned char> record, int format);
};

// One decoded event.
class CEvent {
public:
    CEvent() = default;

    // Every decoder takes the record with its length and refuses (false, nothing changed) a
    // record shorter than its layout.
    // Standard record; also refused when byte 0 is 0xFF (no event).
    bool DecodeRecord(std::span<const unsigned char> record);
    // Telephone-call record (byte 0 = 0xFE).
    bool DecodePhoneCall(std::span<const unsigned char> record, bool withTime);
    // Extended Contact ID record.
    bool DecodeOtherRecord(std::span<const unsigned char> record, bool withTime);
    // Decodes by the record format (PanelEventRecord::ChooseDecoder); false when the record is
    // skipped, dropped or refused, that is when it gives no event.
    bool Decode(std::span<const unsigned char> record, int format);

    // A 4-character Contact ID text: qualifier and 3-digit code. Sets the alarm flag (qualifier
    // '1') and takes description and class from the catalogue; false for any other length.
    bool SetContactId(std::string_view text);

    // Setters used by the installation loader.
    bool SetFormat(int format);  // 1, 2 or 3 only
    bool SetTime(std::string_view text);
    bool SetDate(std::string_view text);
    bool SetZone(int zone);
    bool SetArea(int area);
    // The account, line and number only exist in the extended formats, so a loaded event that
    // carries them is of that format (an account means format 2 at least, a receiver line or
    // number format 3): the installation then writes them back on the next save.
    bool SetAbonat(std::string_view account);
    bool SetLinia(int line);
    bool SetNumero(int number);
    bool SetDescPhoneCall(std::string_view text);
    // The digits of a telephone call's number (leading zeros kept); also sets the zone to the
    // digits read as a number (0 when they do not fit an int). False for a non-digit text.
    bool SetPhoneNumber(std::string_view digits);

    // What the installation keeps under `zona`: for a telephone call the digits of its number
    // (an int cannot hold 12 digits or leading zeros), for any other event the zone in decimal.
    // SetZoneText is the loader's inverse; it needs the Contact ID set first, as the file has it.
    std::string GetZoneText() const;
    bool SetZoneText(std::string_view text);

    const std::string& GetTime() const { return m_time; }
    const std::string& GetDate() const { return m_date; }
    const std::string& GetDescr() const { return m_descr; }
    const std::string& GetDescPhoneCall() const { return m_descPhoneCall; }
    const std::string& GetContactId() const { return m_contactId; }
    const std::string& GetPhoneNumber() const { return m_phoneNumber; }
    const std::string& GetAbonat() const { return m_abonat; }
    int GetZone() const { return m_zone; }
    int GetArea() const { return m_area; }
    int GetLinia() const { return m_linia; }
    int GetNumero() const { return m_numero; }
    int GetFormat() const { return m_format; }
    int GetClass() const { return m_class; }
    int GetAlarmFlag() const { return m_alarm; }

    // Sets the class-name field from class and alarm flag and returns it.
    const std::string& GetClassName();
    // The name of a class (1 to 7) as a new alarm or as its restore; null for any other class.
    static const char* ClassName(int eventClass, bool alarm);

    bool IsAlarmClass() const { return m_class == EventClassAlarm; }
    bool IsSupervisionClass() const { return m_class == EventClassSupervision; }
    bool IsAveriaClass() const { return m_class == EventClassTrouble; }
    bool IsArmClass() const { return m_class == EventClassOpenClose; }
    bool IsOmitClass() const { return m_class == EventClassBypass; }
    bool IsTestClass() const { return m_class == EventClassTest; }
    bool IsPhoneClass() const { return m_class == EventClassPhoneCall; }
    // A new alarm (not its restore).
    bool IsAlarm() const { return m_class == EventClassAlarm && m_alarm == 1; }

private:
    void SetTimeAndDate(int hour, int minute, int second, int day, int month, int year);
    // Format and time of a telephone-call or extended record: with time, bytes 8 to 14 give
    // receiver line and number, date and time; without, the time and date read as unknown.
    void DecodeTail(std::span<const unsigned char> record, bool withTime);

    int m_alarm = 0;
    std::string m_time;
    std::string m_date;
    std::string m_descr;
    std::string m_descPhoneCall;
    std::string m_contactId;
    std::string m_className;
    int m_zone = 0;
    int m_class = 0;
    int m_format = 0;
    std::string m_phoneNumber;
    std::string m_abonat;
    int m_area = 0;
    int m_linia = 0;
    int m_numero = 0;
};

// A component's event memory description and the events read or loaded so far.
class CEvents {
public:
    CEvents() = default;

    // Deletes every event and clears the whole-memory flag.
    void Clear();
    // Appends an event (a null one is refused with -1); returns its index.
    int AddEvent(std::unique_ptr<CEvent> event);
    CEvent* GetEvent(int index);
    const CEvent* GetEvent(int index) const;
    int GetCount() const { return static_cast<int>(m_events.size()); }

    // Decodes consecutive records of the record size from a buffer read from the panel, by the
    // record format, and appends an event for every record the format keeps, whatever its
    // decoder returned (a record the decoder refused gives a blank event); empty and dropped
    // records add nothing, a trailing partial record is ignored. Returns the number appended,
    // or -1 when the record size is unusable: below 1, above PanelEventRecord::kMaxSize or larger
    // than the buffer.
    int DecodeRecords(std::span<const unsigned char> buffer);

    void SetAddress(std::string_view address);
    void SetFlash(std::string_view flash);
    bool IsAtAddress() const { return m_atAddress; }
    const std::string& GetAddress() const { return m_address; }
    const std::string& GetFlash() const { return m_flash; }

    bool SetMaxEvents(int capacity);      // refuses negative values
    bool SetBytesEvent(int recordSize);   // refuses negative values
    bool SetTipus(int format);            // stores any value
    int GetMaxEvents() const { return m_maxEvents; }
    int GetBytesEvent() const { return m_bytesEvent; }
    int GetTipus() const { return m_tipus; }
    // Capacity of at least one record and a record size of 1 to 64 bytes: the memory can be read.
    bool IsReadable() const;

    // The read pointer, reduced into 0 ... capacity - 1 when the capacity is at least 1 (also
    // for a negative or oversize value); stored unchanged otherwise.
    void SetMyPpe(int pointer);
    int GetMyPpe() const { return m_myPpe; }
    // A record index reduced into 0 ... capacity - 1 the same way.
    int ReduceIndex(int index) const;

    // Set from the event list: the next read takes the whole memory, not just the new records.
    void SetWholeMemory(bool whole) { m_wholeMemory = whole; }
    bool IsWholeMemory() const { return m_wholeMemory; }

private:
    std::vector<std::unique_ptr<CEvent>> m_events;
    std::string m_address;
    std::string m_flash;
    int m_myPpe = 0;
    int m_bytesEvent = -1;
    int m_maxEvents = -1;
    int m_tipus = EventFormatStandard;
    bool m_atAddress = false;
    bool m_wholeMemory = false;
};

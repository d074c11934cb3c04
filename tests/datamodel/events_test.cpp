#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "datamodel/contactid.h"
#include "datamodel/events.h"

namespace {

using Bytes = std::vector<unsigned char>;

const Bytes kStandard = {0x8E, 0x04, 0x0E, 0x1E, 0x05, 0x11, 0x23, 0x07};
const Bytes kPhone = {0xFE, 0x29, 0x91, 0x23, 0x45, 0x67, 0x8F, 0xFF};
const Bytes kExtended = {0x12, 0x34, 0x18, 0x14, 0x01, 0x02, 0x00, 0x30};
// A timed call to twelve digits with leading zeros, line 5, number 10, 31/12/2024 23:59:09.
const Bytes kTimedCall = {0xFE, 0x77, 0x00, 0x34, 0x91, 0x23, 0x45, 0x67,
                          0x5A, 0x1F, 0x0C, 0x18, 0x17, 0x3B, 0x09};

// Every field of a decoded event on one line; account, receiver and call only when present.
std::string Summary(CEvent& e) {
    std::string text = e.GetContactId() + " " + e.GetDescr() + "|" + std::to_string(e.GetClass()) +
                       " " + e.GetClassName() + "|zone " + std::to_string(e.GetZone()) + " area " +
                       std::to_string(e.GetArea()) + "|" + e.GetTime() + " " + e.GetDate() +
                       "|format " + std::to_string(e.GetFormat());
    if (!e.GetAbonat().empty()) text += "|account " + e.GetAbonat();
    if (e.GetLinia() || e.GetNumero())
        text += "|line " + std::to_string(e.GetLinia()) + " number " + std::to_string(e.GetNumero());
    if (!e.GetPhoneNumber().empty()) text += "|call " + e.GetPhoneNumber() + " " + e.GetDescPhoneCall();
    return text;
}

}  // namespace

TEST(ContactId, CatalogueIsCompleteAndClassedByRule) {
    EXPECT_EQ(ContactIdTable.size(), 229u);
    const ContactIdRow& end = ContactIdTable.back();
    EXPECT_EQ(end.code, 0);
    EXPECT_STREQ(end.text, "No se encontró descripción");
    EXPECT_EQ(end.eventClass, 1);

    std::set<int> codes;
    int perHundred[10] = {};
    for (std::size_t i = 0; i + 1 < ContactIdTable.size(); ++i) {
        const ContactIdRow& row = ContactIdTable[i];
        EXPECT_TRUE(codes.insert(row.code).second) << "code listed twice: " << row.code;
        ++perHundred[row.code / 100];
        int expected = row.code / 100;
        if (row.code == 306 || row.code == 313) expected = 2;
        if (row.code == 700 || row.code == 701) expected = 6;
        if (row.code == 900) expected = 7;
        EXPECT_EQ(row.eventClass, expected) << row.code;
    }
    const int expectedPerHundred[10] = {0, 49, 7, 66, 48, 22, 33, 2, 0, 1};
    for (int h = 0; h < 10; ++h) EXPECT_EQ(perHundred[h], expectedPerHundred[h]) << h;
}

TEST(ContactId, LookupsKeepTheTextsAsCp1252) {
    EXPECT_STREQ(FindContactId(133).text, "Sabotaje");
    EXPECT_STREQ(FindContactId(100).text, "M\xE9" "dica");
    EXPECT_STREQ(FindContactId(124).text, "Coacci\xF3n \x96 Conexi\xF3n");
    EXPECT_STREQ(FindContactId(700).text, "Salida acivada");
    EXPECT_STREQ(FindContactId(654).text, "Sistema inactivo");
    EXPECT_STREQ(FindContactId(434).text, "Acceso DSM desviado");
    // Missing codes give the end row.
    for (int missing : {340, 530, 550, 610, 999, -1, 0}) {
        EXPECT_EQ(&FindContactId(missing), &ContactIdTable.back()) << missing;
    }
    EXPECT_EQ(&FindContactIdDigits('0', 'A', '0'), &ContactIdTable.back());
    EXPECT_EQ(FindContactIdDigits('1', '3', '3').code, 133);
}

TEST(ContactId, IndexTable) {
    EXPECT_EQ(ContactIdIndexTable[0], (ContactIdIndexEntry{0x01, 0x00}));
    EXPECT_EQ(ContactIdIndexTable[98], (ContactIdIndexEntry{0x06, 0x29}));
    for (std::size_t i = 99; i < ContactIdIndexTable.size(); ++i)
        EXPECT_EQ(ContactIdIndexTable[i], (ContactIdIndexEntry{0, 0})) << i;
}

TEST(Events, StandardRecord) {
    CEvent event;
    ASSERT_TRUE(event.DecodeRecord(kStandard));
    EXPECT_EQ(Summary(event), "1133 Sabotaje|1 Alarma|zone 5 area 3|14:30:05 17/03/2007|format 1");
    EXPECT_TRUE(event.IsAlarm());

    Bytes record = kStandard;
    record[0] = 0x0E;  // restore
    record[1] = 0xFF;  // no zone
    ASSERT_TRUE(event.DecodeRecord(record));
    EXPECT_EQ(Summary(event), "3133 Sabotaje|1 Restauracion|zone 0 area 3|14:30:05 17/03/2007|format 1");
    EXPECT_FALSE(event.IsAlarm());

    // Index 53 carries code 340, which the catalogue lacks; indices from 99 carry none.
    record[0] = 0x80 | 53;
    ASSERT_TRUE(event.DecodeRecord(record));
    EXPECT_EQ(event.GetContactId(), "1340");
    EXPECT_EQ(event.GetDescr(), "No se encontró descripción");
    EXPECT_EQ(event.GetClass(), 1);
    record[0] = 120;
    ASSERT_TRUE(event.DecodeRecord(record));
    EXPECT_EQ(event.GetContactId(), "3000");
    EXPECT_EQ(event.GetDescr(), "No se encontró descripción");

    // No event (byte 0 = 0xFF) and records shorter than 8 bytes are refused.
    record[0] = 0xFF;
    CEvent refused;
    EXPECT_FALSE(refused.DecodeRecord(record));
    EXPECT_FALSE(refused.DecodeRecord(std::span(kStandard).first(7)));
    EXPECT_EQ(refused.GetContactId(), "");
    EXPECT_EQ(refused.GetFormat(), 0);
}

TEST(Events, PhoneCallRecord) {
    CEvent event;
    ASSERT_TRUE(event.DecodePhoneCall(kPhone, false));
    EXPECT_EQ(Summary(event), "1900 |7 PhoneCall|zone 912345678 area 0|--:--:-- --/--/--|format 2"
                              "|call 912345678 Incoming-GSM AUDIO-OK");
    EXPECT_FALSE(event.DecodePhoneCall(kPhone, true));  // 8 bytes cannot hold the time

    // Twelve digits with leading zeros are kept as digits; the int zone does not overflow.
    // Medium 7 and result 7 add nothing to the description.
    ASSERT_TRUE(event.DecodePhoneCall(kTimedCall, true));
    EXPECT_EQ(Summary(event), "1900 |7 PhoneCall|zone 0 area 0|23:59:09 31/12/2024|format 3"
                              "|line 5 number 10|call 003491234567 Outgoing");
}

TEST(Events, ExtendedRecord) {
    CEvent event;
    ASSERT_TRUE(event.DecodeOtherRecord(kExtended, false));
    EXPECT_EQ(Summary(event), "1401 Usuario ON/OFF|4 Desarmado|zone 3 area 2|--:--:-- --/--/--|format 2"
                              "|account 1234");

    Bytes timed = kExtended;
    timed.insert(timed.end(), {0x21, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06});
    timed[3] = 0x34;  // restore
    timed[6] = 0x12;
    timed[7] = 0x3F;
    EXPECT_FALSE(event.DecodeOtherRecord(kExtended, true));
    ASSERT_TRUE(event.DecodeOtherRecord(timed, true));
    EXPECT_EQ(Summary(event), "3401 Usuario ON/OFF|4 Armado|zone 123 area 2|04:05:06 01/02/2003|format 3"
                              "|account 1234|line 2 number 1");

    // Hexadecimal code digits do not alias a real code ("10A0" is not 100 "Médica").
    timed[3] = 0x10;
    timed[4] = 0xA0;
    ASSERT_TRUE(event.DecodeOtherRecord(timed, true));
    EXPECT_EQ(event.GetContactId(), "10A0");
    EXPECT_EQ(event.GetDescr(), "No se encontró descripción");
}

TEST(Events, ContactIdTextAndClassNames) {
    CEvent event;
    EXPECT_FALSE(event.SetContactId("113"));
    EXPECT_FALSE(event.SetContactId("11330"));
    EXPECT_EQ(event.GetContactId(), "");
    const std::pair<const char*, const char*> names[] = {
        {"1130", "Alarma"},      {"3130", "Restauracion"}, {"1306", "Supervisión"},
        {"3306", "Supervisión (rest.)"}, {"1301", "Avería"}, {"3301", "Restauracion"},
        {"1401", "Desarmado"},   {"3401", "Armado"},       {"1570", "Omisión"},
        {"3570", "Restauracion"}, {"1601", "Test"},        {"3601", "Test (rest.)"},
        {"1900", "PhoneCall"},  // a reloaded phone call reads as a fresh one
    };
    for (const auto& [id, name] : names) {
        ASSERT_TRUE(event.SetContactId(id));
        EXPECT_EQ(event.GetClassName(), name) << id;
    }
    EXPECT_EQ(event.GetDescr(), "Evento telefónico");
    EXPECT_FALSE(event.SetFormat(0));
    EXPECT_FALSE(event.SetFormat(4));
    EXPECT_TRUE(event.SetFormat(3));
}

TEST(Events, DecoderChoiceByFormat) {
    using R = PanelEventRecord;
    EXPECT_EQ(R::ChooseDecoder(kStandard, 1), R::Standard);
    EXPECT_EQ(R::ChooseDecoder(kExtended, 1), R::Skip);  // byte 2 is 24 or more
    EXPECT_EQ(R::ChooseDecoder(kExtended, 7), R::Skip);
    EXPECT_EQ(R::ChooseDecoder(kStandard, 2), R::Standard);
    EXPECT_EQ(R::ChooseDecoder(kExtended, 2), R::OtherUntimed);
    EXPECT_EQ(R::ChooseDecoder(kPhone, 2), R::PhoneCallUntimed);
    EXPECT_EQ(R::ChooseDecoder(kStandard, 3), R::OtherTimed);
    EXPECT_EQ(R::ChooseDecoder(kPhone, 3), R::PhoneCallTimed);
    EXPECT_EQ(R::ChooseDecoder(Bytes{0xFF, 0xFF, 0xFF, 0x00}, 3), R::Skip);
    EXPECT_EQ(R::ChooseDecoder(Bytes{0x8E, 0x04}, 1), R::Skip);
    EXPECT_EQ(EventFormatFromName("q7rev"), 1);
    EXPECT_EQ(EventFormatFromName("q7rev_cid"), 2);
    EXPECT_EQ(EventFormatFromName("contactid-extended"), 3);
    EXPECT_EQ(EventFormatFromName("Q7REV"), 0);
}

TEST(Events, DecodeRecordsKeepsWhatTheFormatKeepsWhateverTheDecoderReturned) {
    const Bytes buffer = {0x8E, 0x04, 0x0E, 0x1E, 0x05, 0x11, 0x23, 0x07,   // event at 14:30:05
                          0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,   // empty
                          0xFF, 0x00, 0x05, 0x00, 0x00, 0x00, 0x00, 0x00,   // byte 0 = 0xFF, hour 5
                          0x0E, 0x04, 0x1E, 0x1E, 0x05, 0x11, 0x23, 0x07,   // byte 2 = 30
                          0x0E, 0xFF, 0x0E, 0x1E, 0x05, 0x11, 0x23, 0x07,   // restore
                          0x8E, 0x04, 0x0E};                                 // partial
    // Each event as its Contact ID ("" for a blank one: kept although its decoder refused it).
    struct Case {
        int format;
        std::vector<std::string> contactIds;
    } cases[] = {
        // Standard records with an hour below 24 are kept, the one with hour 30 dropped.
        {1, {"1133", "", "3133"}},
        // Byte 2 at most 23: the standard decoder; byte 2 = 30: an extended record without time.
        {2, {"1133", "", "1E05", "3133"}},
        // 15-byte layouts: every 8-byte record is kept, blank (its decoder refuses it).
        {3, {"", "", "", ""}},
        {0, {"1133", "", "3133"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("format " + std::to_string(c.format));
        CEvents events;
        events.SetTipus(c.format);
        EXPECT_EQ(events.DecodeRecords(buffer), -1);  // record size unset
        ASSERT_TRUE(events.SetBytesEvent(8));
        EXPECT_EQ(events.DecodeRecords(buffer), static_cast<int>(c.contactIds.size()));
        std::vector<std::string> got;
        for (int i = 0; i < events.GetCount(); ++i) got.push_back(events.GetEvent(i)->GetContactId());
        EXPECT_EQ(got, c.contactIds);
        EXPECT_EQ(events.GetEvent(events.GetCount()), nullptr);
        EXPECT_EQ(events.GetEvent(-1), nullptr);
    }
    // The blank event is the one a new event is: no time, no zone, no format.
    CEvents events;
    events.SetTipus(2);
    ASSERT_TRUE(events.SetBytesEvent(8));
    ASSERT_EQ(events.DecodeRecords(Bytes{0xFF, 0x00, 0x05, 0x00, 0x00, 0x00, 0x00, 0x00}), 1);
    const CEvent blank;
    EXPECT_EQ(events.GetEvent(0)->GetTime(), blank.GetTime());
    EXPECT_EQ(events.GetEvent(0)->GetZone(), 0);
    EXPECT_EQ(events.GetEvent(0)->GetFormat(), 0);

    EXPECT_TRUE(events.SetBytesEvent(0));
    EXPECT_EQ(events.DecodeRecords(buffer), -1);
    EXPECT_TRUE(events.SetBytesEvent(65));
    EXPECT_EQ(events.DecodeRecords(Bytes(130, 0x00)), -1);
    EXPECT_TRUE(events.SetBytesEvent(16));
    EXPECT_EQ(events.DecodeRecords(Bytes(8, 0x00)), -1);
    EXPECT_FALSE(events.SetBytesEvent(-1));
    EXPECT_EQ(events.GetBytesEvent(), 16);
}

TEST(Events, DescriptionAndPointer) {
    CEvents events;
    EXPECT_EQ(events.GetTipus(), 1);
    EXPECT_FALSE(events.IsReadable());
    events.SetMyPpe(250);
    EXPECT_EQ(events.GetMyPpe(), 250);
    ASSERT_TRUE(events.SetMaxEvents(200));
    events.SetMyPpe(250);
    EXPECT_EQ(events.GetMyPpe(), 50);
    events.SetMyPpe(-1);
    EXPECT_EQ(events.GetMyPpe(), 199);
    events.SetMyPpe(-2147483647 - 1);
    EXPECT_GE(events.GetMyPpe(), 0);
    EXPECT_LT(events.GetMyPpe(), 200);
    EXPECT_FALSE(events.SetMaxEvents(-5));
    EXPECT_EQ(events.GetMaxEvents(), 200);

    events.SetAddress("0100");
    EXPECT_TRUE(events.IsAtAddress());
    events.SetFlash("F000");
    EXPECT_FALSE(events.IsAtAddress());

    events.SetWholeMemory(true);
    events.AddEvent(std::make_unique<CEvent>());
    EXPECT_EQ(events.AddEvent(nullptr), -1);
    events.Clear();
    EXPECT_EQ(events.GetCount(), 0);
    EXPECT_FALSE(events.IsWholeMemory());
    EXPECT_EQ(events.GetMaxEvents(), 200);
}

// What the installation keeps of an event (the loader's setters, in the file's order) is enough
// to rebuild it, format included.
TEST(Events, InstallationFieldsSurviveReload) {
    CEvent call, extended;
    ASSERT_TRUE(call.DecodePhoneCall(kTimedCall, true));
    ASSERT_TRUE(extended.DecodeOtherRecord(kExtended, false));
    for (CEvent* event : {&call, &extended}) {
        CEvent loaded;
        loaded.SetTime(event->GetTime());
        loaded.SetDate(event->GetDate());
        loaded.SetContactId(event->GetContactId());
        loaded.SetZoneText(event->GetZoneText());
        if (event->IsPhoneClass()) {
            loaded.SetDescPhoneCall(event->GetDescPhoneCall());
        } else {
            loaded.SetArea(event->GetArea());
        }
        loaded.SetAbonat(event->GetAbonat());  // formats 2 and 3
        if (event->GetFormat() == 3) {
            loaded.SetLinia(event->GetLinia());
            loaded.SetNumero(event->GetNumero());
        }
        std::string expected = Summary(*event);
        // Only a loaded call looks up its catalogue text ("1900 " is followed by it).
        if (event->IsPhoneClass()) expected.insert(5, "Evento telefónico");
        EXPECT_EQ(Summary(loaded), expected);
    }
    EXPECT_FALSE(CEvent().SetPhoneNumber("12a"));
}

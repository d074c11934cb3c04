#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "datamodel/contactid.h"
#include "datamodel/events.h"

namespace {

using Bytes = std::vector<unsigned char>;

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
    EXPECT_EQ(perHundred[1], 49);
    EXPECT_EQ(perHundred[2], 7);
    EXPECT_EQ(perHundred[3], 66);
    EXPECT_EQ(perHundred[4], 48);
    EXPECT_EQ(perHundred[5], 22);
    EXPECT_EQ(perHundred[6], 33);
    EXPECT_EQ(perHundred[7], 2);
    EXPECT_EQ(perHundred[9], 1);
}

TEST(ContactId, LookupsKeepTheTextsAsCp1252) {
    EXPECT_STREQ(FindContactId(133).text, "Sabotaje");
    EXPECT_STREQ(FindContactId(100).text, "M\xE9" "dica");
    EXPECT_STREQ(FindContactId(124).text, "Coacci\xF3n \x96 Conexi\xF3n");
    EXPECT_STREQ(FindContactId(700).text, "Salida acivada");
    EXPECT_STREQ(FindContactId(654).text, "Sistema inactivo");
    EXPECT_STREQ(FindContactId(434).text, "Acceso DSM desviado");
    EXPECT_EQ(FindContactId(306).eventClass, 2);
    EXPECT_EQ(FindContactId(313).eventClass, 2);
    EXPECT_EQ(FindContactId(305).eventClass, 3);
    EXPECT_EQ(FindContactId(701).eventClass, 6);
    EXPECT_EQ(FindContactId(900).eventClass, 7);
    // Missing codes give the end row.
    for (int missing : {340, 530, 550, 610, 999, -1, 0}) {
        EXPECT_EQ(&FindContactId(missing), &ContactIdTable.back()) << missing;
    }
    EXPECT_EQ(&FindContactIdDigits('0', 'A', '0'), &ContactIdTable.back());
    EXPECT_EQ(FindContactIdDigits('1', '3', '3').code, 133);
}

TEST(ContactId, IndexTable) {
    EXPECT_EQ(ContactIdIndexTable[0], (ContactIdIndexEntry{0x01, 0x00}));
    EXPECT_EQ(ContactIdIndexTable[14], (ContactIdIndexEntry{0x01, 0x33}));
    EXPECT_EQ(ContactIdIndexTable[53], (ContactIdIndexEntry{0x03, 0x40}));
    EXPECT_EQ(ContactIdIndexTable[98], (ContactIdIndexEntry{0x06, 0x29}));
    for (std::size_t i = 99; i < ContactIdIndexTable.size(); ++i)
        EXPECT_EQ(ContactIdIndexTable[i], (ContactIdIndexEntry{0, 0})) << i;
}

TEST(Events, StandardRecord) {
    const Bytes record = {0x8E, 0x04, 0x0E, 0x1E, 0x05, 0x11, 0x23, 0x07};
    CEvent event;
    ASSERT_TRUE(event.DecodeRecord(record));
    EXPECT_EQ(event.GetContactId(), "1133");
    EXPECT_EQ(event.GetDescr(), "Sabotaje");
    EXPECT_EQ(event.GetClass(), 1);
    EXPECT_EQ(event.GetZone(), 5);
    EXPECT_EQ(event.GetTime(), "14:30:05");
    EXPECT_EQ(event.GetDate(), "17/03/2007");
    EXPECT_EQ(event.GetArea(), 3);
    EXPECT_EQ(event.GetFormat(), 1);
    EXPECT_EQ(event.GetClassName(), "Alarma");
    EXPECT_TRUE(event.IsAlarm());

    Bytes restore = record;
    restore[0] = 0x0E;
    restore[1] = 0xFF;
    CEvent restored;
    ASSERT_TRUE(restored.DecodeRecord(restore));
    EXPECT_EQ(restored.GetContactId(), "3133");
    EXPECT_EQ(restored.GetClassName(), "Restauracion");
    EXPECT_FALSE(restored.IsAlarm());
    EXPECT_EQ(restored.GetZone(), 0);

    // Index 53 carries code 340, which the catalogue lacks; indices from 99 carry none.
    Bytes unknown = record;
    unknown[0] = 0x80 | 53;
    CEvent e340;
    ASSERT_TRUE(e340.DecodeRecord(unknown));
    EXPECT_EQ(e340.GetContactId(), "1340");
    EXPECT_EQ(e340.GetDescr(), "No se encontró descripción");
    EXPECT_EQ(e340.GetClass(), 1);
    unknown[0] = 120;
    ASSERT_TRUE(e340.DecodeRecord(unknown));
    EXPECT_EQ(e340.GetContactId(), "3000");
    EXPECT_EQ(e340.GetDescr(), "No se encontró descripción");
}

TEST(Events, StandardRecordRefusals) {
    CEvent event;
    const Bytes empty = {0xFF, 0x04, 0x0E, 0x1E, 0x05, 0x11, 0x23, 0x07};
    EXPECT_FALSE(event.DecodeRecord(empty));
    const Bytes shortRecord = {0x8E, 0x04, 0x0E, 0x1E, 0x05, 0x11, 0x23};
    EXPECT_FALSE(event.DecodeRecord(shortRecord));
    EXPECT_FALSE(event.DecodeRecord({}));
    EXPECT_EQ(event.GetContactId(), "");
    EXPECT_EQ(event.GetFormat(), 0);
}

TEST(Events, PhoneCallRecord) {
    const Bytes record = {0xFE, 0x29, 0x91, 0x23, 0x45, 0x67, 0x8F, 0xFF};
    CEvent event;
    ASSERT_TRUE(event.DecodePhoneCall(record, false));
    EXPECT_EQ(event.GetDescPhoneCall(), "Incoming-GSM AUDIO-OK");
    EXPECT_EQ(event.GetPhoneNumber(), "912345678");
    EXPECT_EQ(event.GetZone(), 912345678);
    EXPECT_EQ(event.GetTime(), "--:--:--");
    EXPECT_EQ(event.GetDate(), "--/--/--");
    EXPECT_EQ(event.GetContactId(), "1900");
    EXPECT_EQ(event.GetDescr(), "");
    EXPECT_TRUE(event.IsPhoneClass());
    EXPECT_EQ(event.GetClassName(), "PhoneCall");
    EXPECT_EQ(event.GetFormat(), 2);
    EXPECT_FALSE(event.DecodePhoneCall(record, true));  // 8 bytes cannot hold the time

    // Twelve digits with leading zeros: kept as digits, the int zone does not overflow.
    const Bytes timed = {0xFE, 0x77, 0x00, 0x34, 0x91, 0x23, 0x45, 0x67,
                         0x5A, 0x1F, 0x0C, 0x18, 0x17, 0x3B, 0x09};
    CEvent call;
    ASSERT_TRUE(call.DecodePhoneCall(timed, true));
    EXPECT_EQ(call.GetDescPhoneCall(), "Outgoing");  // medium 7 and result 7 add nothing
    EXPECT_EQ(call.GetPhoneNumber(), "003491234567");
    EXPECT_EQ(call.GetZone(), 0);
    EXPECT_EQ(call.GetLinia(), 5);
    EXPECT_EQ(call.GetNumero(), 10);
    EXPECT_EQ(call.GetDate(), "31/12/2024");
    EXPECT_EQ(call.GetTime(), "23:59:09");
    EXPECT_EQ(call.GetFormat(), 3);
}

TEST(Events, ExtendedRecord) {
    const Bytes record = {0x12, 0x34, 0x18, 0x14, 0x01, 0x02, 0x00, 0x30};
    CEvent event;
    ASSERT_TRUE(event.DecodeOtherRecord(record, false));
    EXPECT_EQ(event.GetAbonat(), "1234");
    EXPECT_EQ(event.GetContactId(), "1401");
    EXPECT_EQ(event.GetClass(), 4);
    EXPECT_EQ(event.GetClassName(), "Desarmado");
    EXPECT_EQ(event.GetArea(), 2);
    EXPECT_EQ(event.GetZone(), 3);
    EXPECT_EQ(event.GetTime(), "--:--:--");
    EXPECT_EQ(event.GetFormat(), 2);

    Bytes timed = record;
    timed.insert(timed.end(), {0x21, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06});
    timed[3] = 0x34;  // restore
    timed[6] = 0x12;
    timed[7] = 0x3F;
    CEvent withTime;
    EXPECT_FALSE(withTime.DecodeOtherRecord(record, true));
    ASSERT_TRUE(withTime.DecodeOtherRecord(timed, true));
    EXPECT_EQ(withTime.GetClassName(), "Armado");
    EXPECT_EQ(withTime.GetZone(), 123);
    EXPECT_EQ(withTime.GetLinia(), 2);
    EXPECT_EQ(withTime.GetNumero(), 1);
    EXPECT_EQ(withTime.GetDate(), "01/02/2003");
    EXPECT_EQ(withTime.GetTime(), "04:05:06");
    EXPECT_EQ(withTime.GetFormat(), 3);

    // Hexadecimal code digits do not alias a real code ("10A0" is not 100 "Médica").
    timed[3] = 0x10;
    timed[4] = 0xA0;
    ASSERT_TRUE(withTime.DecodeOtherRecord(timed, true));
    EXPECT_EQ(withTime.GetContactId(), "10A0");
    EXPECT_EQ(withTime.GetDescr(), "No se encontró descripción");
}

TEST(Events, ContactIdTextAndClassNames) {
    CEvent event;
    EXPECT_FALSE(event.SetContactId("113"));
    EXPECT_FALSE(event.SetContactId("11330"));
    EXPECT_EQ(event.GetContactId(), "");
    ASSERT_TRUE(event.SetContactId("1306"));
    EXPECT_EQ(event.GetClassName(), "Supervisión");
    ASSERT_TRUE(event.SetContactId("3306"));
    EXPECT_EQ(event.GetClassName(), "Supervisión (rest.)");
    ASSERT_TRUE(event.SetContactId("1301"));
    EXPECT_EQ(event.GetClassName(), "Avería");
    ASSERT_TRUE(event.SetContactId("1570"));
    EXPECT_EQ(event.GetClassName(), "Omisión");
    ASSERT_TRUE(event.SetContactId("3601"));
    EXPECT_EQ(event.GetClassName(), "Test (rest.)");
    ASSERT_TRUE(event.SetContactId("1900"));  // a reloaded phone call
    EXPECT_EQ(event.GetDescr(), "Evento telefónico");
    EXPECT_EQ(event.GetClassName(), "PhoneCall");
    EXPECT_FALSE(event.SetFormat(0));
    EXPECT_FALSE(event.SetFormat(4));
    EXPECT_TRUE(event.SetFormat(3));
}

TEST(Events, DecoderChoiceByFormat) {
    using R = PanelEventRecord;
    const Bytes standard = {0x8E, 0x04, 0x0E, 0x1E, 0x05, 0x11, 0x23, 0x07};
    const Bytes late = {0x12, 0x34, 0x18, 0x14, 0x01, 0x02, 0x00, 0x30};
    const Bytes phone = {0xFE, 0x29, 0x91, 0x23, 0x45, 0x67, 0x8F, 0xFF};
    const Bytes empty = {0xFF, 0xFF, 0xFF, 0x00};
    EXPECT_EQ(R::ChooseDecoder(standard, 1), R::Standard);
    EXPECT_EQ(R::ChooseDecoder(late, 1), R::Skip);
    EXPECT_EQ(R::ChooseDecoder(late, 7), R::Skip);
    EXPECT_EQ(R::ChooseDecoder(standard, 2), R::Standard);
    EXPECT_EQ(R::ChooseDecoder(late, 2), R::OtherUntimed);
    EXPECT_EQ(R::ChooseDecoder(phone, 2), R::PhoneCallUntimed);
    EXPECT_EQ(R::ChooseDecoder(standard, 3), R::OtherTimed);
    EXPECT_EQ(R::ChooseDecoder(phone, 3), R::PhoneCallTimed);
    EXPECT_EQ(R::ChooseDecoder(empty, 3), R::Skip);
    EXPECT_EQ(R::ChooseDecoder(Bytes{0x8E, 0x04}, 1), R::Skip);
    EXPECT_EQ(EventFormatFromName("q7rev"), 1);
    EXPECT_EQ(EventFormatFromName("q7rev_cid"), 2);
    EXPECT_EQ(EventFormatFromName("contactid-extended"), 3);
    EXPECT_EQ(EventFormatFromName("Q7REV"), 0);
}

TEST(Events, DecodeRecordsAppendsOnlyEvents) {
    CEvents events;
    Bytes buffer = {0x8E, 0x04, 0x0E, 0x1E, 0x05, 0x11, 0x23, 0x07,   // event
                    0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,   // empty
                    0xFF, 0x00, 0x05, 0x00, 0x00, 0x00, 0x00, 0x00,   // refused (no event)
                    0x0E, 0x04, 0x1E, 0x1E, 0x05, 0x11, 0x23, 0x07,   // hour 30: dropped
                    0x0E, 0xFF, 0x0E, 0x1E, 0x05, 0x11, 0x23, 0x07,   // restore
                    0x8E, 0x04, 0x0E};                                 // partial
    EXPECT_EQ(events.DecodeRecords(buffer), -1);  // record size unset
    ASSERT_TRUE(events.SetBytesEvent(8));
    EXPECT_EQ(events.DecodeRecords(buffer), 2);
    ASSERT_EQ(events.GetCount(), 2);
    EXPECT_EQ(events.GetEvent(0)->GetContactId(), "1133");
    EXPECT_EQ(events.GetEvent(1)->GetContactId(), "3133");
    EXPECT_EQ(events.GetEvent(2), nullptr);
    EXPECT_EQ(events.GetEvent(-1), nullptr);

    // Format 3 needs 15 bytes a record: 8-byte records are refused, not read past their end.
    events.Clear();
    events.SetTipus(3);
    EXPECT_EQ(events.DecodeRecords(buffer), 0);
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
    EXPECT_EQ(events.GetMaxEvents(), -1);
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
    EXPECT_EQ(events.GetAddress(), "0100");
    EXPECT_EQ(events.GetFlash(), "F000");

    events.SetWholeMemory(true);
    events.AddEvent(std::make_unique<CEvent>());
    EXPECT_EQ(events.AddEvent(nullptr), -1);
    events.Clear();
    EXPECT_EQ(events.GetCount(), 0);
    EXPECT_FALSE(events.IsWholeMemory());
    EXPECT_EQ(events.GetMaxEvents(), 200);
}

// What the installation keeps of an event is enough to rebuild it on loading.
TEST(Events, InstallationFieldsSurviveReload) {
    const Bytes timed = {0xFE, 0x77, 0x00, 0x34, 0x91, 0x23, 0x45, 0x67,
                         0x5A, 0x1F, 0x0C, 0x18, 0x17, 0x3B, 0x09};
    CEvent call;
    ASSERT_TRUE(call.DecodePhoneCall(timed, true));
    CEvent loaded;
    loaded.SetTime(call.GetTime());
    loaded.SetDate(call.GetDate());
    loaded.SetContactId(call.GetContactId());
    loaded.SetZoneText(call.GetZoneText());
    loaded.SetDescPhoneCall(call.GetDescPhoneCall());
    loaded.SetAbonat(call.GetAbonat());
    loaded.SetLinia(call.GetLinia());
    loaded.SetNumero(call.GetNumero());
    EXPECT_EQ(loaded.GetPhoneNumber(), "003491234567");
    EXPECT_EQ(loaded.GetFormat(), 3);
    EXPECT_EQ(loaded.GetLinia(), 5);
    EXPECT_EQ(loaded.GetNumero(), 10);
    EXPECT_EQ(loaded.GetClassName(), call.GetClassName());

    // An extended event without time: the account brings back format 2.
    const Bytes record = {0x12, 0x34, 0x18, 0x14, 0x01, 0x02, 0x00, 0x30};
    CEvent extended;
    ASSERT_TRUE(extended.DecodeOtherRecord(record, false));
    CEvent reloaded;
    reloaded.SetContactId(extended.GetContactId());
    reloaded.SetZoneText(extended.GetZoneText());
    reloaded.SetAbonat(extended.GetAbonat());
    EXPECT_EQ(reloaded.GetFormat(), 2);
    EXPECT_EQ(reloaded.GetAbonat(), "1234");
    EXPECT_EQ(reloaded.GetZone(), 3);
    EXPECT_EQ(reloaded.GetPhoneNumber(), "");
    EXPECT_FALSE(reloaded.SetPhoneNumber("12a"));
}

// Feeds arbitrary bytes to the three event record decoders, to the decoder choice of every
// record format and to the catalogue lookup of the decoded Contact ID texts.
#include <cstddef>
#include <cstdint>
#include <span>

#include "datamodel/events.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    // The first two bytes choose the format and the record size, the rest is the memory read.
    const int format = data[0] % 5;
    const int recordSize = data[1] % 70;
    const std::span<const unsigned char> bytes(data + 2, size - 2);

    for (bool withTime : {false, true}) {
        CEvent phone;
        if (phone.DecodePhoneCall(bytes, withTime)) {
            phone.GetClassName();
            phone.GetZoneText();
        }
        CEvent other;
        if (other.DecodeOtherRecord(bytes, withTime)) other.GetClassName();
    }
    CEvent standard;
    if (standard.DecodeRecord(bytes)) standard.GetClassName();

    CEvents events;
    events.SetTipus(format);
    events.SetBytesEvent(recordSize);
    events.SetMaxEvents(recordSize);
    events.DecodeRecords(bytes);
    for (int i = 0; i < events.GetCount(); ++i) {
        CEvent* event = events.GetEvent(i);
        event->GetClassName();
        CEvent reloaded;
        reloaded.SetContactId(event->GetContactId());
        reloaded.SetZoneText(event->GetZoneText());
    }
    events.SetMyPpe(static_cast<int>(size) * (data[0] & 1 ? -1 : 1));
    return 0;
}

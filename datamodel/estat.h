// The last known live state of one component: zone bitmaps, area and panel status, the panel
// clock and event pointer, analog measurements, outputs and relays, radio-device flags, the
// coverage code, which status pages the component has, and its site plans.
#pragma once

#include <array>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "datamodel/codi.h"
#include "datamodel/grafic.h"
#include "datamodel/mesura.h"

class CEstat {
public:
    // The status answer: ten bytes, two 8-zone bytes per zone bitmap, so zones 0 to 15 only.
    static constexpr std::size_t kReplyBytes = 10;
    static constexpr int kMaxZones = 16;
    // The clock answer carries hour, minute, second, day, month and year from byte 3 on.
    static constexpr std::size_t kClockReplyBytes = 9;
    // The radio read takes at most 256 bytes: four bit planes of 512 zones.
    static constexpr int kMaxRadioZones = 512;

    explicit CEstat(int zoneCount = 0);

    // Everything back to its defaults (the coverage code keeps its value).
    void Reset();

    // Refuses a negative count; a count above the 16 zones of the status layout is stored as 16.
    bool SetZoneCount(int count);
    int GetZoneCount() const { return m_zoneCount; }
    bool SetAreaCount(int count);  // refuses negative values
    int GetAreaCount() const { return m_areaCount; }

    // Stores a status answer (at least 10 bytes; shorter is refused) and updates the site plans.
    bool SetFromReply(std::span<const unsigned char> reply);

    // False for a zone outside 0 ... zone count - 1 (and so for 16 and above).
    bool IsZoneDetect(int zone) const;
    bool IsZoneAlarm(int zone) const;
    bool IsZoneOmit(int zone) const;
    bool IsZoneAveria(int zone) const;
    // Set (never clear) the zone's bit and update the site plans; refuse a zone outside.
    bool SetZoneDetect(int zone);
    bool SetZoneAlarm(int zone);
    bool SetZoneOmit(int zone);
    bool SetZoneAveria(int zone);

    bool SetAreaStatus(int status);   // 0 to 255
    int GetAreaStatus() const { return m_status[8]; }
    bool SetPanelStatus(int status);  // 0 to 255
    int GetPanelStatus() const { return m_status[9]; }

    // The clock answer (at least 9 bytes; shorter is refused): its bytes 3 to 8.
    bool SetClock(std::span<const unsigned char> reply);
    const std::array<unsigned char, 6>& GetClock() const { return m_clock; }
    std::string GetTimeText() const;  // "hh:mm:ss"
    std::string GetDateText() const;  // "dd/mm/yy"

    bool SetEventPointer(int pointer);  // refuses negative values
    int GetEventPointer() const { return m_eventPointer; }

    bool SetScale(float scale);  // refuses values below 0
    float GetScale() const { return m_scale; }

    // Append (a null one is refused with -1) and return the index.
    int AddMesura(std::unique_ptr<CMesura> mesura);
    int AddOutput(std::unique_ptr<CMesura> output);
    int AddRelay(std::unique_ptr<CMesura> relay);
    void SetMainMesura(std::unique_ptr<CMesura> mesura);

    // The measurements plus the main measurement, which comes at index (number of measurements).
    int GetMesuraCount() const;
    CMesura* GetMesura(int index) const;
    CMesura* FindMesura(int offset) const;
    int GetOutputCount() const { return static_cast<int>(m_outputs.size()); }
    CMesura* GetOutput(int index) const;
    CMesura* FindOutput(int offset) const;
    int GetRelayCount() const { return static_cast<int>(m_relays.size()); }
    CMesura* GetRelay(int index) const;
    CMesura* FindRelay(int offset) const;

    // The main measurement first (with the scale), then every measurement with the scale and the
    // main value; false without a main measurement or at the first one that cannot be computed.
    bool ComputeMesures();
    // Compute every output (relay) and bring the site plans' active states up to date.
    bool ComputeOutputs();
    bool ComputeRelays();

    // Discards the flags and makes n entries of four clear flags; refuses a negative n and
    // stores at most 512.
    bool SetRadioZoneCount(int count);
    int GetRadioZoneCount() const { return static_cast<int>(m_radio.size()); }
    // Four bit planes of (n + 7) / 8 bytes each: flag k of radio zone i is bit i mod 8 of byte
    // k * plane + i / 8. Flags whose byte did not come are left as they were; false then.
    bool SetRadioFlags(std::span<const unsigned char> bytes);
    bool GetRadioFlag0(int zone) const { return RadioFlag(zone, 0); }
    bool GetRadioFlag1(int zone) const { return RadioFlag(zone, 1); }
    bool GetRadioFlag2(int zone) const { return RadioFlag(zone, 2); }
    bool GetRadioFlag3(int zone) const { return RadioFlag(zone, 3); }

    // The coverage code (model element `cobertura`): its third raw byte is the coverage level.
    void SetHasPpe(bool has) { m_hasPpe = has; }
    bool HasPpe() const { return m_hasPpe; }
    CCodi& GetPpeCodi() { return m_ppe; }
    const CCodi& GetPpeCodi() const { return m_ppe; }
    // 0 without a coverage code or when its type has fewer than three bytes.
    int GetPpeValue() const;

    // Which status pages the component has (all by default).
    void SetHasGeneral(bool has) { m_hasGeneral = has; }
    bool HasGeneral() const { return m_hasGeneral; }
    void SetHasOutputs(bool has) { m_hasOutputs = has; }
    bool HasOutputs() const { return m_hasOutputs; }
    void SetHasAnalog(bool has) { m_hasAnalog = has; }
    bool HasAnalog() const { return m_hasAnalog; }
    void SetHasRadio(bool has) { m_hasRadio = has; }
    bool HasRadio() const { return m_hasRadio; }
    void SetHasPhoneTest(bool has) { m_hasPhoneTest = has; }
    bool HasPhoneTest() const { return m_hasPhoneTest; }
    void SetHasGrafic(bool has) { m_hasGrafic = has; }
    bool HasGrafic() const { return m_hasGrafic; }

    CGrafic& GetGrafic() { return m_grafic; }
    const CGrafic& GetGrafic() const { return m_grafic; }

    // Site-plan states from the zone bits, the outputs and the relays.
    void UpdateGraphic();

private:
    // Index of the first byte of each zone bitmap in the status bytes.
    enum : std::size_t { kDetect = 0, kAlarm = 2, kOmit = 4, kAveria = 6 };
    bool ZoneBit(std::size_t bitmap, int zone) const;  // any zone 0 to 15, else false
    bool IsZone(std::size_t bitmap, int zone) const;   // also within the zone count
    bool SetZone(std::size_t bitmap, int zone);
    bool RadioFlag(int zone, int flag) const;

    std::array<unsigned char, kReplyBytes> m_status{};
    std::array<unsigned char, 6> m_clock{};
    int m_zoneCount = 0;
    int m_areaCount = 0;
    int m_eventPointer = 0;
    std::vector<std::unique_ptr<CMesura>> m_mesures;
    std::unique_ptr<CMesura> m_main;
    std::vector<std::unique_ptr<CMesura>> m_outputs;
    std::vector<std::unique_ptr<CMesura>> m_relays;
    float m_scale = -1.0f;
    std::vector<std::array<bool, 4>> m_radio;
    CCodi m_ppe;
    bool m_hasPpe = false;
    bool m_hasGeneral = true;
    bool m_hasOutputs = true;
    bool m_hasAnalog = true;
    bool m_hasRadio = true;
    bool m_hasPhoneTest = true;
    bool m_hasGrafic = true;
    CGrafic m_grafic;
};

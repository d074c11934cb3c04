#include "datamodel/estat.h"

#include <algorithm>
#include <cstdio>

CEstat::CEstat(int zoneCount) {
    Reset();
    SetZoneCount(zoneCount);
}

void CEstat::Reset() {
    m_main.reset();
    m_mesures.clear();
    m_outputs.clear();
    m_relays.clear();
    m_radio.clear();
    m_zoneCount = 0;
    m_areaCount = 0;
    m_status.fill(0);
    m_eventPointer = 0;
    m_clock.fill(0);
    m_scale = -1.0f;
    m_hasPpe = false;
    m_hasGeneral = m_hasOutputs = m_hasAnalog = m_hasRadio = m_hasPhoneTest = m_hasGrafic = true;
    m_grafic.Reset();
}

bool CEstat::SetZoneCount(int count) {
    if (count < 0) return false;
    m_zoneCount = std::min(count, kMaxZones);
    return true;
}

bool CEstat::SetAreaCount(int count) {
    if (count < 0) return false;
    m_areaCount = count;
    return true;
}

bool CEstat::SetFromReply(std::span<const unsigned char> reply) {
    if (reply.size() < kReplyBytes) return false;
    // The answer interleaves the bitmaps differently from how they are kept.
    m_status[kDetect] = reply[0];
    m_status[kAlarm] = reply[1];
    m_status[kDetect + 1] = reply[2];
    m_status[kAlarm + 1] = reply[3];
    m_status[kOmit] = reply[4];
    m_status[kOmit + 1] = reply[5];
    m_status[8] = reply[6];
    m_status[9] = reply[7];
    m_status[kAveria] = reply[8];
    m_status[kAveria + 1] = reply[9];
    UpdateGraphic();
    return true;
}

bool CEstat::ZoneBit(std::size_t bitmap, int zone) const {
    if (zone < 0 || zone >= kMaxZones) return false;
    return (m_status[bitmap + static_cast<std::size_t>(zone / 8)] >> (zone % 8)) & 1;
}

bool CEstat::IsZone(std::size_t bitmap, int zone) const {
    return zone < m_zoneCount && ZoneBit(bitmap, zone);
}

bool CEstat::SetZone(std::size_t bitmap, int zone) {
    if (zone < 0 || zone >= m_zoneCount || zone >= kMaxZones) return false;
    m_status[bitmap + static_cast<std::size_t>(zone / 8)] |= static_cast<unsigned char>(1u << (zone % 8));
    UpdateGraphic();
    return true;
}

bool CEstat::IsZoneDetect(int zone) const { return IsZone(kDetect, zone); }
bool CEstat::IsZoneAlarm(int zone) const { return IsZone(kAlarm, zone); }
bool CEstat::IsZoneOmit(int zone) const { return IsZone(kOmit, zone); }
bool CEstat::IsZoneAveria(int zone) const { return IsZone(kAveria, zone); }
bool CEstat::SetZoneDetect(int zone) { return SetZone(kDetect, zone); }
bool CEstat::SetZoneAlarm(int zone) { return SetZone(kAlarm, zone); }
bool CEstat::SetZoneOmit(int zone) { return SetZone(kOmit, zone); }
bool CEstat::SetZoneAveria(int zone) { return SetZone(kAveria, zone); }

bool CEstat::SetAreaStatus(int status) {
    if (status < 0 || status > 0xFF) return false;
    m_status[8] = static_cast<unsigned char>(status);
    return true;
}

bool CEstat::SetPanelStatus(int status) {
    if (status < 0 || status > 0xFF) return false;
    m_status[9] = static_cast<unsigned char>(status);
    return true;
}

bool CEstat::SetClock(std::span<const unsigned char> reply) {
    if (reply.size() < kClockReplyBytes) return false;
    std::copy_n(reply.begin() + 3, m_clock.size(), m_clock.begin());
    return true;
}

std::string CEstat::GetTimeText() const {
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", m_clock[0], m_clock[1], m_clock[2]);
    return text;
}

std::string CEstat::GetDateText() const {
    char text[16];
    std::snprintf(text, sizeof text, "%02d/%02d/%02d", m_clock[3], m_clock[4], m_clock[5]);
    return text;
}

bool CEstat::SetEventPointer(int pointer) {
    if (pointer < 0) return false;
    m_eventPointer = pointer;
    return true;
}

bool CEstat::SetScale(float scale) {
    if (!(scale >= 0.0f)) return false;  // also refuses NaN
    m_scale = scale;
    return true;
}

namespace {

int Append(std::vector<std::unique_ptr<CMesura>>& list, std::unique_ptr<CMesura> mesura) {
    if (!mesura) return -1;
    list.push_back(std::move(mesura));
    return static_cast<int>(list.size()) - 1;
}

CMesura* At(const std::vector<std::unique_ptr<CMesura>>& list, int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= list.size()) return nullptr;
    return list[static_cast<std::size_t>(index)].get();
}

CMesura* ByOffset(const std::vector<std::unique_ptr<CMesura>>& list, int offset) {
    for (const auto& mesura : list)
        if (mesura->GetOffset() == offset) return mesura.get();
    return nullptr;
}

}  // namespace

int CEstat::AddMesura(std::unique_ptr<CMesura> mesura) { return Append(m_mesures, std::move(mesura)); }
int CEstat::AddOutput(std::unique_ptr<CMesura> output) { return Append(m_outputs, std::move(output)); }
int CEstat::AddRelay(std::unique_ptr<CMesura> relay) { return Append(m_relays, std::move(relay)); }
void CEstat::SetMainMesura(std::unique_ptr<CMesura> mesura) { m_main = std::move(mesura); }

int CEstat::GetMesuraCount() const { return static_cast<int>(m_mesures.size()) + (m_main ? 1 : 0); }

CMesura* CEstat::GetMesura(int index) const {
    if (index == static_cast<int>(m_mesures.size())) return m_main.get();
    return At(m_mesures, index);
}

CMesura* CEstat::FindMesura(int offset) const {
    if (CMesura* found = ByOffset(m_mesures, offset)) return found;
    if (m_main && m_main->GetOffset() == offset) return m_main.get();
    return nullptr;
}

CMesura* CEstat::GetOutput(int index) const { return At(m_outputs, index); }
CMesura* CEstat::FindOutput(int offset) const { return ByOffset(m_outputs, offset); }
CMesura* CEstat::GetRelay(int index) const { return At(m_relays, index); }
CMesura* CEstat::FindRelay(int offset) const { return ByOffset(m_relays, offset); }

bool CEstat::ComputeMesures() {
    if (!m_main) return false;
    m_main->SetA(m_scale);
    m_main->Compute();
    const float supply = m_main->GetValue();
    for (const auto& mesura : m_mesures) {
        mesura->SetA(m_scale);
        mesura->SetB(supply);
        if (!mesura->Compute()) return false;
    }
    return true;
}

bool CEstat::ComputeOutputs() {
    for (const auto& output : m_outputs) output->Compute();
    UpdateGraphic();
    return true;
}

bool CEstat::ComputeRelays() {
    for (const auto& relay : m_relays) relay->Compute();
    UpdateGraphic();
    return true;
}

bool CEstat::SetRadioZoneCount(int count) {
    if (count < 0) return false;
    m_radio.assign(static_cast<std::size_t>(std::min(count, kMaxRadioZones)), {false, false, false, false});
    return true;
}

bool CEstat::SetRadioFlags(std::span<const unsigned char> bytes) {
    const std::size_t plane = (m_radio.size() + 7) / 8;
    bool complete = true;
    for (std::size_t zone = 0; zone < m_radio.size(); ++zone) {
        for (std::size_t flag = 0; flag < 4; ++flag) {
            const std::size_t at = flag * plane + zone / 8;
            if (at >= bytes.size()) {
                complete = false;
                continue;
            }
            m_radio[zone][flag] = (bytes[at] >> (zone % 8)) & 1;
        }
    }
    return complete;
}

bool CEstat::RadioFlag(int zone, int flag) const {
    if (zone < 0 || static_cast<std::size_t>(zone) >= m_radio.size()) return false;
    return m_radio[static_cast<std::size_t>(zone)][static_cast<std::size_t>(flag)];
}

int CEstat::GetPpeValue() const {
    if (!m_hasPpe || m_ppe.GetByteCount() < 3) return 0;
    CCodi code = m_ppe;  // encoding writes the code's raw bytes; keep the record unchanged
    return code.ToBytes()[2];
}

void CEstat::UpdateGraphic() {
    for (int i = 0; i < m_grafic.GetCompGrafCount(); ++i) {
        CCompGraf* element = m_grafic.GetCompGraf(i);
        if (element->GetZona() != -1) {
            const int zone = element->GetZona();
            element->SetDetect(ZoneBit(kDetect, zone));
            element->SetAlarm(ZoneBit(kAlarm, zone));
            element->SetOmit(ZoneBit(kOmit, zone));
            element->SetAveria(ZoneBit(kAveria, zone));
        } else if (element->GetSortida() != -1) {
            if (const CMesura* output = GetOutput(element->GetSortida()))
                element->SetActive(output->GetValue() != 0.0f);
        } else if (element->GetRele() != -1) {
            if (const CMesura* relay = GetRelay(element->GetRele()))
                element->SetActive(relay->GetValue() != 0.0f);
        }
    }
}

#include "datamodel/mesura.h"

#include <charconv>

// Non-increasing from 100 down to -50 degrees; the last entry reads 0.
constinit const std::array<float, 256> kTemperatureCurve = {
    /*   0 */ 100.0f, 100.0f, 100.0f, 100.0f, 100.0f, 100.0f, 100.0f, 100.0f,
    /*   8 */ 100.0f, 100.0f, 100.0f, 100.0f, 100.0f, 100.0f, 100.0f, 100.0f,
    /*  16 */ 100.0f, 100.0f, 100.0f, 100.0f, 100.0f, 98.8f, 95.0f, 92.2f,
    /*  24 */ 90.8f, 90.0f, 89.2f, 88.2f, 86.7f, 85.0f, 83.2f, 81.5f,
    /*  32 */ 80.0f, 79.0f, 78.0f, 77.0f, 76.0f, 75.0f, 74.0f, 73.0f,
    /*  40 */ 72.0f, 71.0f, 70.0f, 69.0f, 68.0f, 67.0f, 66.0f, 65.0f,
    /*  48 */ 64.1f, 63.4f, 62.7f, 62.1f, 61.4f, 60.7f, 60.0f, 59.3f,
    /*  56 */ 58.6f, 57.9f, 57.2f, 56.4f, 55.7f, 55.0f, 54.3f, 53.7f,
    /*  64 */ 53.1f, 52.5f, 51.8f, 51.1f, 50.6f, 50.0f, 49.3f, 48.9f,
    /*  72 */ 48.3f, 47.8f, 47.2f, 46.7f, 46.1f, 45.6f, 45.0f, 44.5f,
    /*  80 */ 44.0f, 43.5f, 43.0f, 42.5f, 42.0f, 41.5f, 41.0f, 40.5f,
    /*  88 */ 40.0f, 39.5f, 39.0f, 38.5f, 38.0f, 37.5f, 37.0f, 36.5f,
    /*  96 */ 36.0f, 35.5f, 35.0f, 34.6f, 34.2f, 33.8f, 33.4f, 32.9f,
    /* 104 */ 32.5f, 32.1f, 31.7f, 31.3f, 30.8f, 30.4f, 30.0f, 29.6f,
    /* 112 */ 29.2f, 28.8f, 28.4f, 27.9f, 27.5f, 27.1f, 26.7f, 26.3f,
    /* 120 */ 25.8f, 25.4f, 25.0f, 24.5f, 24.1f, 23.7f, 23.2f, 22.8f,
    /* 128 */ 22.4f, 22.0f, 21.7f, 21.3f, 21.0f, 20.7f, 20.3f, 20.0f,
    /* 136 */ 19.6f, 19.2f, 18.8f, 18.4f, 17.9f, 17.5f, 17.1f, 16.7f,
    /* 144 */ 16.3f, 15.8f, 15.4f, 15.0f, 14.6f, 14.2f, 13.8f, 13.4f,
    /* 152 */ 13.0f, 12.7f, 12.3f, 11.9f, 11.5f, 11.2f, 10.8f, 10.4f,
    /* 160 */ 10.0f, 9.6f, 9.2f, 8.8f, 8.4f, 8.0f, 7.7f, 7.3f,
    /* 168 */ 6.9f, 6.5f, 6.2f, 5.8f, 5.4f, 5.0f, 4.5f, 4.1f,
    /* 176 */ 3.7f, 3.3f, 2.9f, 2.4f, 2.0f, 1.6f, 1.3f, 0.8f,
    /* 184 */ 0.4f, 0.0f, -0.5f, -0.9f, -1.4f, -1.8f, -2.3f, -2.7f,
    /* 192 */ -3.2f, -3.6f, -4.0f, -4.5f, -5.0f, -5.5f, -6.0f, -6.5f,
    /* 200 */ -7.0f, -7.5f, -8.0f, -8.5f, -9.0f, -9.5f, -10.0f, -10.5f,
    /* 208 */ -11.1f, -11.7f, -12.2f, -12.8f, -13.3f, -13.9f, -14.4f, -15.0f,
    /* 216 */ -15.6f, -16.2f, -16.9f, -17.5f, -18.1f, -18.8f, -19.4f, -20.0f,
    /* 224 */ -20.7f, -21.4f, -22.1f, -22.8f, -23.7f, -24.4f, -25.0f, -25.8f,
    /* 232 */ -26.6f, -27.5f, -28.3f, -29.1f, -30.0f, -31.2f, -32.5f, -33.8f,
    /* 240 */ -35.0f, -36.3f, -37.5f, -38.8f, -40.0f, -42.0f, -45.0f, -50.0f,
    /* 248 */ -50.0f, -50.0f, -50.0f, -50.0f, -50.0f, -50.0f, -50.0f, 0.0f,
};

bool CMesura::SetOffset(int offset) {
    if (offset < 0) return false;
    m_offset = offset;
    return true;
}

bool CMesura::SetDescr(std::string_view descr) {
    m_descr = descr;
    return true;
}

bool CMesura::SetUnitats(std::string_view unit) {
    m_unit = unit;
    return true;
}

bool CMesura::SetRaw(int raw) {
    m_raw = raw;
    m_read = true;
    return true;
}

bool CMesura::SetTipus(int type) {
    if (type < MesuraZoneA || type > MesuraTemperature) {
        m_type = MesuraUnset;
        return false;
    }
    m_type = type;
    return true;
}

bool CMesura::SetA(float reference) {
    m_a = reference;
    return true;
}

bool CMesura::SetB(float supply) {
    m_b = supply;
    return true;
}

// The panel's formulas mix precisions on purpose: the resistor formulas of the zone loops are
// worked in single precision, the supply, monitor and 4.2-factor formulas in double; every value
// is kept as a float. The texts the installer knows depend on it (5789.473633, not 5789.473684).
bool CMesura::Compute() {
    m_value = -1.0f;
    const bool needsReferences =
        m_type != MesuraOutput && m_type != MesuraRelay && m_type != MesuraTemperature;
    if (needsReferences) {
        if (m_a == -1.0f) return false;
        if (m_type != MesuraMain && m_b == -1.0f) return false;
    }
    const float k = m_a / 256.0f;
    const float v = static_cast<float>(m_raw) * k;  // the reading in volts
    switch (m_type) {
    case MesuraZoneA: {
        const float divisor = m_b - v;
        m_value = divisor == 0.0f ? 999.0f : v * 22000.0f / divisor;
        break;
    }
    case MesuraZoneB: {
        const float divisor = m_a - v;
        m_value = divisor == 0.0f ? 999.0f : v * 2200.0f / divisor;
        break;
    }
    case MesuraZoneC: {
        const float divisor = m_b - v;
        m_value = divisor == 0.0f ? 999.0f : v * 27000.0f / divisor;
        break;
    }
    case MesuraZoneD: {
        const double scaled = 4.2 * v;
        const double divisor = m_b - scaled;
        m_value = divisor == 0.0 ? 999.0f : static_cast<float>(scaled * 4700.0 / divisor);
        break;
    }
    case MesuraMain:
        m_value = static_cast<float>(v * 5.4107);
        m_b = m_value;
        break;
    case MesuraSupply:
        m_value = static_cast<float>(v * 5.4107);
        break;
    case MesuraMonitor:
        m_value = static_cast<float>(v * 4.03);
        break;
    case MesuraOutput:
    case MesuraRelay:
        m_value = m_raw == 0 ? 0.0f : -1.0f;
        break;
    case MesuraTemperature:
        m_value = m_raw >= 0 && m_raw < 256 ? kTemperatureCurve[static_cast<std::size_t>(m_raw)] : 0.0f;
        break;
    default:
        return false;
    }
    return true;
}

const std::string& CMesura::FormatText() {
    if (m_type == MesuraOutput || m_type == MesuraRelay) {
        m_text = m_value != 0.0f ? "Activada" : "Desactivada";
        return m_text;
    }
    // As "%f" prints it, but with a point under any locale.
    char number[64];
    const auto result = std::to_chars(number, number + sizeof number, static_cast<double>(m_value),
                                      std::chars_format::fixed, 6);
    m_text.assign(number, result.ec == std::errc() ? result.ptr : number);
    m_text += ' ';
    m_text += m_unit;
    return m_text;
}

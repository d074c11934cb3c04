// One analog reading, output or relay of a component's status: the raw byte the panel reports,
// turned into a value by its sensor type and formatted for display.
#pragma once

#include <array>
#include <string>
#include <string_view>

// Sensor types of a measurement (from the model file).
enum MesuraType : int {
    MesuraUnset = -1,
    MesuraZoneA = 1,        // zone loop, formula "A"
    MesuraZoneB = 2,        // formula "B"
    MesuraZoneC = 3,        // formula "C"
    MesuraZoneD = 4,        // formula "D"
    MesuraMain = 5,         // the main supply measurement
    MesuraSupply = 6,
    MesuraMonitor = 7,
    MesuraOutput = 8,
    MesuraRelay = 9,
    MesuraTemperature = 10, // formula "TEMP"
};

// Degrees of the temperature sensor for each raw byte.
extern const std::array<float, 256> kTemperatureCurve;

class CMesura {
public:
    bool SetOffset(int offset);  // refuses negative values
    bool SetDescr(std::string_view descr);
    bool SetUnitats(std::string_view unit);
    bool SetRaw(int raw);
    // Accepts 1 to 10; any other value sets the type to -1 and returns false.
    bool SetTipus(int type);
    bool SetA(float reference);  // reference voltage; -1 while unset
    bool SetB(float supply);     // supply voltage; -1 while unset

    // Computes the value from the raw byte by the sensor type. The value is -1 and the result
    // false when the type is unknown or a reference it needs is unset.
    bool Compute();
    // "Activada" / "Desactivada" for outputs and relays; otherwise the value with six decimals
    // (a point, whatever the C locale), a space and the unit. Stored and returned.
    const std::string& FormatText();

    int GetOffset() const { return m_offset; }
    const std::string& GetDescr() const { return m_descr; }
    const std::string& GetUnitats() const { return m_unit; }
    int GetTipus() const { return m_type; }
    int GetRaw() const { return m_raw; }
    // Whether a raw byte was ever stored: a measure never read has no value to show.
    bool IsRead() const { return m_read; }
    float GetValue() const { return m_value; }
    const std::string& GetText() const { return m_text; }
    float GetA() const { return m_a; }
    float GetB() const { return m_b; }

private:
    int m_offset = 0;
    std::string m_descr;
    std::string m_unit;
    int m_type = MesuraUnset;
    int m_raw = 0;
    bool m_read = false;
    float m_value = -1.0f;
    std::string m_text;
    float m_a = -1.0f;
    float m_b = -1.0f;
};

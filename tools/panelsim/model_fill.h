// Filling the simulated panel from model files: every code's default value at its memory place,
// the answers to the code-address query, a plausible live status (zones, areas, clock,
// measurements, outputs, relays, coverage) and a few records in the event memory with the event
// pointer behind them. The protocol side of the simulation does not depend on this: it only sees
// the bytes put into its images.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "panelsim.h"

class CModel;
class CInstalacio;

namespace panelsim {

// hour, minute, second, day, month, year (two digits), plain numbers as the panel's clock.
using SimClock = std::array<std::uint8_t, 6>;

// One event to store in a component's event memory.
struct SimStoredEvent {
    std::string contactId;  // qualifier and three digits, e.g. "1130"
    int zone = 0;           // 0: no zone (a user number for openings and closings)
    int area = 1;
    SimClock time{};
};

// A short day of a central: mains lost and back, armed, a burglary and its restore, disarmed, a
// test report, armed again; oldest first, the last one a few minutes before the clock.
std::vector<SimStoredEvent> SampleEvents(const SimClock& clock);

struct ModelFillOptions {
    SimClock clock{10, 30, 0, 14, 6, 24};
    // Stored oldest first; null: SampleEvents(clock).
    std::optional<std::vector<SimStoredEvent>> events;
    // Account written into the extended records.
    std::uint16_t account = 0x1234;
};

struct ModelFillReport {
    int codes = 0;        // codes whose bytes were placed (here or at their group's destination)
    int skipped = 0;      // codes of a group addressed to another component, left out
    int descriptors = 0;  // code-address query answers
    int events = 0;       // event records written
    int eventPointer = 0;
};

// The answer to the code-address query that describes a code of this memory kind and value
// type at this memory address; none when no descriptor form carries it (RAM strings, 4-byte and
// longer nibble types other than nibble28, numbers beyond the form's digits).
std::optional<std::array<std::uint8_t, 2>> CodeDescriptor(int memoryKind, int type, unsigned address);

// The key under which SimComponent::descriptors answers a query for this keypad address; none
// for an empty or unusable address and for local codes (first byte 0x0F), which are never asked.
std::optional<std::uint32_t> DescriptorKey(const std::string& kpAddress, bool userCode);

// One record of recordSize bytes for the event memory format (EventFormat of the model), padded
// with 0xFF; empty when the event cannot be written in that format or size.
std::vector<std::uint8_t> EventRecord(const SimStoredEvent& event, int format, int recordSize,
                                      std::uint16_t account = 0x1234);

// Fills the component from the model: codes at their default values, descriptors, status and
// event memory. Codes of a group that names another bus address are left out. The caller
// decides whether the resulting EEPROM is the factory image (SimComponent::MarkEepromAsFactory).
ModelFillReport FillFromModel(SimComponent& component, const CModel& model,
                              const ModelFillOptions& options = {});
// The same for the component at address, with the codes of a group that names another bus
// address (a module behind the central) placed in the component there, created when missing.
ModelFillReport FillFromModel(PanelSim& sim, std::uint8_t address, const CModel& model,
                              const ModelFillOptions& options = {});

// Reads a model file given by its path. False with a reason when it cannot be read or parsed.
bool LoadModelFile(const std::string& path, CModel& model, std::string& error);

// Reads an installation file; its models are looked up as "models/<id>-<version>.xml" below the
// working folder, as the program does. False with a reason.
bool LoadInstallationFile(const std::string& path, CInstalacio& installation, std::string& error);

// The bus address of a model ("01"), or none when it is not a hexadecimal number up to 0x3F.
std::optional<std::uint8_t> BusAddress(const CModel& model);

// What was filled for one component of an installation.
struct ComponentFill {
    std::uint8_t address = 0;
    const CModel* model = nullptr;
    ModelFillReport report;
};

// Fills the simulation's central from the installation's central and every bus component at its
// bus address. False with a reason when a component's bus address is unusable (nothing after it
// is filled); filled lists what was filled, central first.
bool FillFromInstallation(PanelSim& sim, const CInstalacio& installation, std::vector<ComponentFill>& filled,
                          std::string& error, const ModelFillOptions& options = {});

}  // namespace panelsim

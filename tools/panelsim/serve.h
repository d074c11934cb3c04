// Running a simulated panel on a real descriptor (a TCP connection or a pseudo-terminal) on the
// real clock.
#pragma once

#include <atomic>
#include <cstddef>
#include <string>
#include <vector>

#include "panelsim.h"

namespace panelsim {

struct ServeOptions {
    bool verbose = false;                   // print every frame on the standard output
    bool pty = false;                       // the descriptor is a pseudo-terminal master
    const std::atomic<bool>* stop = nullptr;  // set from outside to end the loop
};

// Milliseconds on a steady clock.
std::int64_t SteadyMs();

// A TCP listener on 127.0.0.1 (port 0: any free port). Returns the descriptor, -1 on failure;
// boundPort receives the port.
int ListenLoopback(int port, int& boundPort);

// A pseudo-terminal master in raw mode; slavePath receives the device to open. -1 on failure.
int OpenPtyMaster(std::string& slavePath);

// Runs the simulation on one descriptor until the peer leaves (TCP), the simulation drops the
// connection, or stop is set. The simulation is told of the new connection first.
void Serve(int fd, PanelSim& sim, const ServeOptions& options);

// Accepts one connection after another on the listener and serves each, until stop is set.
void ServeTcp(int listener, PanelSim& sim, const ServeOptions& options);

// The command-line options that set the simulation's faults and answer forms (SimFaults), so
// that a program's fault handling can be tried by hand against the simulator.
enum class FaultOption { NotOne, Taken, Bad };
// When args[i] names one of them, takes it with its value (i then points at the value) into
// faults. Bad: a missing or unusable value, with the reason in error.
FaultOption TakeFaultOption(const std::vector<std::string>& args, std::size_t& i, SimFaults& faults,
                            std::string& error);
// Once every option is taken: false with the reason when a count lacks the delay it needs
// (--late-answers without --late-ms, --split-frames without --split-gap-ms).
bool CheckFaultOptions(const SimFaults& faults, std::string& error);
// The lines of --help that describe them.
std::string FaultOptionsHelp();

}  // namespace panelsim

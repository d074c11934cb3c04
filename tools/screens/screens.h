// Shots of the real window for the screenshot program (tools/screens.sh).
//
// Adding shots: put a file shots_<area>.cpp in this folder (CMake picks it up) and write one
// TEST_F(ScreenTest, <Name>) per picture. The body drives the window through its commands, as the
// window tests do (the fixture is WindowTest: the core on the virtual clock, the simulated panel
// in process, scripted dialogs), and ends with Shot("<area>-<state>"), which writes
// <area>-<state>.png and fails the shot when the file is missing or blank. ShotOfNextDialog
// photographs the next modal dialog the window opens (answered with Cancel).
// Each shot runs in a process of its own (CTest and tools/screens.sh do so): under a bare X
// server only the first frame of a process is reliably painted before the capture.
#pragma once

#include <string>

#include "window_harness.h"

class ScreenTest : public WindowTest {
protected:
    ScreenTest();
    // Lets the window paint, then writes it (with any dialog over it) as <name>.png.
    void Shot(const std::string& name);
    // Runs command id with the toolkit's own dialogs; the first modal dialog it opens is
    // photographed as <name>.png and answered with Cancel.
    void ShotOfNextDialog(int id, const std::string& name);
};

// The folder the pictures go to.
std::string ScreenshotFolder();

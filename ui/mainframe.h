// The main window. For now a bare frame with the program's title; the tree, the log pane and
// the edit view move in as they are built.
#pragma once

#include <wx/frame.h>

wxFrame* CreateMainFrame();

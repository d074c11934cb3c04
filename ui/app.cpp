// The program's entry: ordinary scroll bars, then the toolkit starts the application object
// (ui/startup.h).
#include "ui/scrollbars.h"
#include "ui/startup.h"

wxIMPLEMENT_APP_NO_MAIN(MyApp);

int main(int argc, char** argv) {
    PreferOrdinaryScrollBars();
    wxDISABLE_DEBUG_SUPPORT();
    return wxEntry(argc, argv);
}

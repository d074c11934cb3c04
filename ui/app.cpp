// The program's entry: the toolkit starts the application object (ui/startup.h).
#include "ui/startup.h"

wxIMPLEMENT_APP(MyApp);

// The window speaks Spanish whatever the system's language: the toolkit's own texts (stock
// buttons, the progress dialog's labels) come from its Spanish catalogue. Only the texts change:
// the C locale stays as it is, so numbers are written and read the same everywhere.
#pragma once

#include <wx/string.h>

// Loads the toolkit's Spanish catalogue for its own texts and has the stock buttons that GTK
// labels itself (OK, Cancel, Yes, No, Open, Save in the toolkit's dialogs) take their labels from
// it. False when the catalogue is not installed (the toolkit's texts then stay English).
bool UseSpanishToolkitTexts();

// A stock button's label in the window's language, with its mnemonic ("&Sí" for wxID_YES).
wxString StockButtonLabel(int id);

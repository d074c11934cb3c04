#include "ui/language.h"

#include <dlfcn.h>

#include <map>
#include <set>
#include <string>

#include <wx/stockitem.h>
#include <wx/translation.h>

namespace {
// GTK draws the labels of its stock buttons itself, translated through its own catalogue and the
// process's message locale, which the toolkit leaves at "C". GTK lets a program translate the
// labels of a stock domain: the labels go through the toolkit's catalogue instead. The GTK
// functions are looked up at run time (the process has GTK loaded through the toolkit), so the
// build needs no GTK headers; without them the labels stay as GTK draws them.
using TranslateFunc = const char* (*)(const char* path, void* data);
using SetTranslateFunc = void (*)(const char* domain, TranslateFunc func, void* data, void (*notify)(void*));
using StockLookup = int (*)(const char* stockId, void* item);

// GTK's stock labels ("_Cancel") and the stock ids whose labels the catalogue holds.
const std::map<std::string, int> kGtkStockIds = {
    {"_OK", wxID_OK},     {"_Cancel", wxID_CANCEL}, {"_Yes", wxID_YES},   {"_No", wxID_NO},
    {"_Open", wxID_OPEN}, {"_Save", wxID_SAVE},     {"_Close", wxID_CLOSE}, {"_Apply", wxID_APPLY},
    {"_Help", wxID_HELP},
};

const char* TranslateGtkStock(const char* path, void*) {
    // GTK does not own the returned text: every text handed out is kept for the process.
    static std::set<std::string> made;
    std::string label = path ? path : "";
    // Built-in labels carry a context before an EOT character.
    if (const auto eot = label.rfind('\004'); eot != std::string::npos) label.erase(0, eot + 1);
    const auto known = kGtkStockIds.find(label);
    std::string out = label;
    if (known != kGtkStockIds.end()) {
        wxString text = StockButtonLabel(known->second);
        text.Replace(wxT("_"), wxT("__"));
        text.Replace(wxT("&"), wxT("_"));
        out = text.utf8_string();
    }
    return made.insert(out).first->c_str();
}

void TranslateGtkStockButtons() {
    auto lookup = reinterpret_cast<StockLookup>(dlsym(RTLD_DEFAULT, "gtk_stock_lookup"));
    auto setFunc = reinterpret_cast<SetTranslateFunc>(dlsym(RTLD_DEFAULT, "gtk_stock_set_translate_func"));
    if (!lookup || !setFunc) return;
    // A lookup makes GTK register its own stock items (and its own translation) first, so ours
    // replaces it rather than being replaced.
    alignas(8) unsigned char item[64] = {};
    lookup("gtk-ok", item);
    setFunc("gtk30", &TranslateGtkStock, nullptr, nullptr);
}
}  // namespace

wxString StockButtonLabel(int id) {
    wxString label = wxGetStockLabel(id, wxSTOCK_FOR_BUTTON);
    // A catalogue may end a label with the typographic ellipsis, which the toolkit leaves on.
    label.EndsWith(wxString(wxUniChar(0x2026)), &label);
    return label;
}

bool UseSpanishToolkitTexts() {
    auto* translations = new wxTranslations;
    translations->SetLanguage(wxT("es"));
    const bool loaded = translations->AddStdCatalog();
    wxTranslations::Set(translations);
    TranslateGtkStockButtons();
    return loaded;
}

#include "panels/editrefusal.h"

namespace {
std::string Quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

std::string Kept(std::string_view kept) {
    return kept.empty() ? std::string("Se conserva el campo vacío.") : "Se conserva " + Quoted(kept) + ".";
}
}  // namespace

std::string UnholdableValueText(std::string_view field, std::string_view typed, std::string_view kept) {
    return "El valor " + Quoted(typed) + " tiene caracteres que el campo " + Quoted(field) + " no puede guardar.\n" +
           Kept(kept);
}

std::string UnfitValueText(std::string_view field, std::string_view typed, std::string_view rule,
                           std::string_view kept) {
    return "El valor " + Quoted(typed) + " no cabe en el campo " + Quoted(field) + ": " + std::string(rule) + ".\n" +
           Kept(kept);
}

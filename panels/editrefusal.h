// The texts that tell the installer a typed value was not stored: the value typed, the field, why,
// and the value the record keeps. Worded as the file rows and flash cells word theirs.
#pragma once

#include <string>
#include <string_view>

// A value holding characters the installation cannot keep ('?' where they were).
std::string UnholdableValueText(std::string_view field, std::string_view typed, std::string_view kept);
// A value outside what the field stores; rule says what it takes.
std::string UnfitValueText(std::string_view field, std::string_view typed, std::string_view rule,
                           std::string_view kept);

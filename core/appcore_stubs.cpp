// Operations not built yet: each says "No disponible" and fails. Whoever builds one removes it
// from here.
#include "core/appcore.h"

namespace {
constexpr const char* kNotAvailable = "No disponible";
}

// ---- connection ----

// ---- programming transfer ----

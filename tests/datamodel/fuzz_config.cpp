// Arbitrary bytes as the settings file, read by the settings' own reading rule, used the way the
// program uses it and written back. The text written reads back to the same settings, and reading
// it once more writes the same text again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "datamodel/config.h"

namespace {

// What loading a file does once its lines are joined: the settings emptied, then the reader.
bool Read(CConfig& config, std::string text) {
    config.Clear();
    XmlParser parser(&config);
    return parser.Parse(text, 0, static_cast<long>(text.size()) - 1);
}

// The lines joined without their ends (LF or CR LF), as the settings file is read.
std::string Joined(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\n') {
            if (!out.empty() && out.back() == '\r') out.pop_back();
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    CConfig config;
    Read(config, Joined(std::string(reinterpret_cast<const char*>(data), size)));
    if (!config.GetUltim(CConfig::kMaxUltims).empty()) std::abort();
    for (int kind = 0; kind <= 5; ++kind) {
        config.SetTipusConexio(kind);
        (void)config.GetParam("portcom");
        (void)config.GetParam("ATOk");
    }
    (void)config.GetOem("nom-programa");
    config.AddUltim(config.GetUltim(2));
    const std::string written = config.ToXml();

    CConfig again;
    if (!Read(again, Joined(written))) std::abort();
    for (int i = 0; i < CConfig::kMaxUltims; ++i) {
        if (again.GetUltim(i) != config.GetUltim(i)) std::abort();
    }
    const std::string rewritten = again.ToXml();
    CConfig third;
    if (!Read(third, Joined(rewritten)) || third.ToXml() != rewritten) std::abort();
    return 0;
}

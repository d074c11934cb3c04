// xmlbench [megabytes]: builds a model-like XML text of about that size (default 5) and times
// one parse of it with a subscriber that copies nothing.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "datamodel/xml.h"

namespace {
class Counter final : public XmlNotify {
public:
    void foundNode(std::string&, const std::string&) override { ++nodes; }
    void foundElement(std::string&, const std::string&, const std::string&) override { ++leaves; }
    void endNode(std::string&, const std::string&) override {}
    long nodes = 0;
    long leaves = 0;
};
}  // namespace

int main(int argc, char** argv) {
    const double megabytes = argc > 1 ? std::atof(argv[1]) : 5.0;
    const std::size_t target = static_cast<std::size_t>(megabytes * 1024 * 1024);
    std::string text = "<model id='A' versio='1.0'>";
    for (int g = 0; text.size() < target; ++g) {
        text += "<grup nom='Grupo " + std::to_string(g) + "'>";
        for (int s = 0; s < 10; ++s) {
            text += "<subgrup nom='s'><intgrup nom='i'>";
            for (int c = 0; c < 10; ++c) {
                text += "<codi id='" + std::to_string(c) +
                        "' tipus='d' ram='0' adreca='01A0'><text lang='es'>Código de prueba</text>"
                        "<valor>12</valor><opcio/></codi>";
            }
            text += "</intgrup></subgrup>";
        }
        text += "</grup>";
    }
    text += "</model>";
    Counter counter;
    XmlParser parser(&counter);
    const auto start = std::chrono::steady_clock::now();
    const bool ok = parser.Parse(text, 0, static_cast<long>(text.size()) - 1);
    const auto ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    std::printf("%s: %zu bytes, %ld nodes, %ld leaves in %.1f ms\n", ok ? "ok" : "FAILED", text.size(),
                counter.nodes, counter.leaves, ms);
    return ok ? 0 : 1;
}

// Arbitrary bytes into the XML reader and the attribute lookup. The subscriber reads every
// character it is handed and renames elements, as the loaders do.
#include <cstddef>
#include <cstdint>
#include <string>

#include "datamodel/xml.h"

namespace {
class Toucher final : public XmlNotify {
public:
    void foundNode(std::string& name, const std::string& attributes) override {
        Touch(name);
        Touch(attributes);
        (void)GetXmlAttribute(attributes, "id");
        (void)GetXmlAttribute(attributes, name);
        if (!name.empty() && name[0] == 'r') name = "IGNORAR";
    }
    void foundElement(std::string& name, const std::string& content,
                      const std::string& attributes) override {
        Touch(name);
        Touch(content);
        Touch(attributes);
        (void)GetXmlAttribute(attributes, "tipus");
    }
    void endNode(std::string& name, const std::string& attributes) override {
        Touch(name);
        Touch(attributes);
    }
    unsigned sum = 0;

private:
    void Touch(const std::string& text) {
        for (char c : text) sum += static_cast<unsigned char>(c);
    }
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string buffer(reinterpret_cast<const char*>(data), size);
    const std::string original = buffer;
    Toucher toucher;
    XmlParser parser(&toucher);
    const long last = static_cast<long>(buffer.size()) - 1;
    parser.Parse(buffer, 0, last);
    if (buffer != original) __builtin_trap();
    // Sub-ranges and indices that run past the buffer.
    if (size > 2) {
        const long from = data[0] % size;
        const long to = static_cast<long>(data[1]) + from - 64;
        parser.Parse(buffer, from, to);
        (void)XmlParser::FindString(buffer.substr(0, data[0] % 8), buffer, from, to);
    }
    XmlParser checker;
    checker.Parse(buffer, 0, last);
    // The first bytes as a name, the rest as an attribute text.
    const std::size_t split = size ? data[0] % (size < 16 ? size : 16) : 0;
    (void)GetXmlAttribute(buffer.substr(split), buffer.substr(0, split));
    return 0;
}

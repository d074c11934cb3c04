#include "datamodel/xml.h"

#include <cstring>

namespace {

// Index of the first c in buffer[from..to], or -1.
long FindChar(const std::string& buffer, char c, long from, long to) {
    if (from < 0 || from > to) return -1;
    const void* hit = std::memchr(buffer.data() + from, c, static_cast<std::size_t>(to - from + 1));
    return hit ? static_cast<long>(static_cast<const char*>(hit) - buffer.data()) : -1;
}

// "<!--" ... "-->" between lt and gt. Only characters of [lt, gt] are looked at.
bool IsComment(const std::string& buffer, long lt, long gt) {
    return gt - lt >= 4 && buffer[lt + 1] == '!' && buffer[lt + 2] == '-' && buffer[lt + 3] == '-' &&
           buffer[gt - 1] == '-' && buffer[gt - 2] == '-';
}

}  // namespace

long XmlParser::FindString(const std::string& pattern, const std::string& buffer, long from, long to) {
    const long length = static_cast<long>(pattern.size());
    if (length == 0 || to < from || length > to - from) return -1;
    // Never outside the buffer, whatever the caller passed.
    if (from < 0) from = 0;
    const long last = static_cast<long>(buffer.size()) - 1;
    if (to > last) to = last;
    if (to < from || length > to - from + 1) return -1;
    const void* hit = memmem(buffer.data() + from, static_cast<std::size_t>(to - from + 1),
                             pattern.data(), pattern.size());
    return hit ? static_cast<long>(static_cast<const char*>(hit) - buffer.data()) : -1;
}

bool XmlParser::Parse(std::string& buffer, long from, long to) {
    if (from < 0) return false;
    const long last = static_cast<long>(buffer.size()) - 1;
    if (to > last) to = last;
    return ParseRange(buffer, from, to, 0);
}

// Reads the elements of buffer[from..to], which stand at nesting level depth + 1.
bool XmlParser::ParseRange(const std::string& buffer, long from, long to, int depth) {
    long pos = from;
    for (;;) {
        const long lt = FindChar(buffer, '<', pos, to);
        if (lt < 0) break;  // the range is finished
        const long gt = FindChar(buffer, '>', lt, to);
        if (gt < 0) return false;

        // A comment is skipped; what follows it is read like anything else, so a comment may
        // also be the last markup of a range.
        if (IsComment(buffer, lt, gt)) {
            pos = gt + 1;
            continue;
        }

        // The name runs to the first space (only a space separates), the attribute text from
        // there to just before '>'.
        std::string name;
        std::string attributes;
        const long space = FindChar(buffer, ' ', lt + 1, gt - 1);
        if (space >= 0) {
            name.assign(buffer, static_cast<std::size_t>(lt + 1), static_cast<std::size_t>(space - lt - 1));
            attributes.assign(buffer, static_cast<std::size_t>(space + 1),
                              static_cast<std::size_t>(gt - space - 1));
        } else {
            name.assign(buffer, static_cast<std::size_t>(lt + 1), static_cast<std::size_t>(gt - lt - 1));
        }

        if (buffer[gt - 1] == '/') {
            // Self-closing: the slash belongs to the attribute text, or to the name without one.
            if (!attributes.empty()) {
                attributes.pop_back();
            } else if (!name.empty()) {
                name.pop_back();
            }
            if (subscriber_) subscriber_->foundElement(name, std::string(), attributes);
            pos = gt + 1;
        } else {
            // The end tag is built before the subscriber may rename the element.
            const std::string endTag = "</" + name + ">";
            const long end = FindString(endTag, buffer, gt, to);
            if (end < 0) return false;
            const long contentFrom = gt + 1;
            const long contentTo = end - 1;
            if (FindChar(buffer, '<', contentFrom, contentTo) < 0) {
                if (subscriber_) {
                    const std::string content(buffer, static_cast<std::size_t>(contentFrom),
                                              static_cast<std::size_t>(contentTo - contentFrom + 1));
                    subscriber_->foundElement(name, content, attributes);
                }
            } else {
                if (depth + 2 > kMaxDepth) return false;
                if (subscriber_) subscriber_->foundNode(name, attributes);
                if (!ParseRange(buffer, contentFrom, contentTo, depth + 1)) return false;
                if (subscriber_) subscriber_->endNode(name, attributes);
            }
            pos = end + static_cast<long>(endTag.size());
        }
        if (pos >= to) break;
    }
    // A range from the start of the buffer without a single '<' is no XML at all.
    return !(from == 0 && pos == 0);
}

std::string GetXmlAttribute(const std::string& attributes, const std::string& name) {
    const std::string text = " " + attributes;
    const std::string key = " " + name + "=";
    const std::size_t at = text.find(key);
    if (at == std::string::npos) return std::string();
    std::size_t start = at + key.size();
    char delimiter = ' ';
    if (start < text.size() && (text[start] == '"' || text[start] == '\'')) {
        delimiter = text[start];
        ++start;
    }
    std::size_t end = text.find(delimiter, start);
    if (end == std::string::npos) end = text.size();
    return text.substr(start, end - start);
}

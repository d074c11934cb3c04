// The program's own small XML reader, shared by the settings, model and installation loaders.
//
// The dialect: elements, the raw attribute text of a start tag, comments and self-closing tags.
// No declaration, processing instruction, document type, CDATA or namespace; content is passed
// raw (the loaders decode entities where they read values). The reader builds no tree: it walks
// one buffer by indices and reports what it finds to a subscriber.
//
// Rules the file formats rest on:
// - the first end tag of the same name closes an element, so an element cannot hold a
//   descendant of its own name;
// - text between sibling elements, before the first or after the last is skipped;
// - an element whose content holds a '<' is an element with children (its own text is lost);
// - a tag name ends at the first space only; names match exactly and case-sensitively;
// - several top-level elements are read one after the other.
#pragma once

#include <string>

// Receives what the reader finds. The tag name is the reader's own text: a subscriber may
// overwrite it, and endNode of the same element then receives the overwritten name.
class XmlNotify {
public:
    // Start of an element with children (its content holds a '<').
    virtual void foundNode(std::string& name, const std::string& attributes) = 0;
    // A leaf (content without '<') or a self-closing element (empty content).
    virtual void foundElement(std::string& name, const std::string& content,
                              const std::string& attributes) = 0;
    // End of an element reported by foundNode, after all its content.
    virtual void endNode(std::string& name, const std::string& attributes) = 0;

protected:
    ~XmlNotify() = default;
};

class XmlParser {
public:
    // Deeper nesting than this is refused (false), so a hostile file cannot exhaust the stack.
    static constexpr int kMaxDepth = 256;

    XmlParser() = default;
    explicit XmlParser(XmlNotify* subscriber) : subscriber_(subscriber) {}

    // Sets or replaces the subscriber; without one the reader only checks the structure.
    void SetSubscriber(XmlNotify* subscriber) { subscriber_ = subscriber; }

    // Reads buffer[from..to] (both inclusive; to is cut to the buffer's end). True when the range
    // was read to its end, false on a structural error: a '<' without '>', an element without its
    // end tag, nesting deeper than kMaxDepth, a negative from, or a range starting at 0 that holds
    // no '<' at all (an empty or plain-text file). Callbacks already made are not undone.
    // The buffer is left unchanged.
    bool Parse(std::string& buffer, long from, long to);

    // Index of the first occurrence of pattern that starts at or after from and ends at or before
    // to, or -1. Also -1 when the pattern is empty, when to < from, or when the pattern is longer
    // than to - from.
    static long FindString(const std::string& pattern, const std::string& buffer, long from, long to);

private:
    bool ParseRange(const std::string& buffer, long from, long to, int depth);

    XmlNotify* subscriber_ = nullptr;
};

// The value of the attribute name in a raw attribute text, or the empty text. The name must stand
// first or after a space and be followed directly by '='; a value starting with '"' or '\'' runs
// to the same quotation mark, any other to the next space (or to the end of the text). The first
// occurrence anywhere in the text wins. The value is returned raw (not entity-decoded).
std::string GetXmlAttribute(const std::string& attributes, const std::string& name);

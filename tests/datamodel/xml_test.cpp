#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "datamodel/xml.h"

namespace {

// Writes down every callback as "N:name|attrs", "E:name|content|attrs" or "X:name|attrs".
class Recorder final : public XmlNotify {
public:
    void foundNode(std::string& name, const std::string& attributes) override {
        events.push_back("N:" + name + "|" + attributes);
        if (name == renameFrom) name = "IGNORAR";
    }
    void foundElement(std::string& name, const std::string& content,
                      const std::string& attributes) override {
        events.push_back("E:" + name + "|" + content + "|" + attributes);
    }
    void endNode(std::string& name, const std::string& attributes) override {
        events.push_back("X:" + name + "|" + attributes);
    }
    std::vector<std::string> events;
    std::string renameFrom = "-";
};

using Events = std::vector<std::string>;

bool ParseAll(std::string text, Events* events = nullptr, const std::string& rename = "-") {
    Recorder recorder;
    recorder.renameFrom = rename;
    XmlParser parser(&recorder);
    const std::string before = text;
    bool ok = parser.Parse(text, 0, static_cast<long>(text.size()) - 1);
    EXPECT_EQ(text, before) << "the buffer must be left unchanged";
    if (events) *events = recorder.events;
    return ok;
}

std::string Nested(int depth) {
    std::string open, close;
    for (int i = 0; i < depth; ++i) {
        open += "<e" + std::to_string(i) + ">";
        close = "</e" + std::to_string(i) + ">" + close;
    }
    return open + "x" + close;
}

}  // namespace

TEST(XmlReader, WhatEachTextReports) {
    const struct {
        const char* text;
        Events events;
    } kCases[] = {
        {"<a x='1'/>", {"E:a||x='1'"}},
        {"<a x=\"1\" />", {"E:a||x=\"1\" "}},
        {"<a/>", {"E:a||"}},
        {"<a />", {"E:a||"}},
        {"<a></a>", {"E:a||"}},
        {"<a> b </a>", {"E:a| b |"}},
        {"<a>x>y &lt;&amp;</a>", {"E:a|x>y &lt;&amp;|"}},  // content is raw
        {"<a\tb k=v>1</a\tb>", {"E:a\tb|1|k=v"}},            // only a space ends the name
        {"<a><b>1</b>text<c>2</c></a>", {"N:a|", "E:b|1|", "E:c|2|", "X:a|"}},
        {"head<a>1</a> mid <b/>tail", {"E:a|1|", "E:b||"}},
        {"<a>lost<b/>lost</a>", {"N:a|", "E:b||", "X:a|"}},
        {"<g n='1'><s><i>1</i></s><t/></g>", {"N:g|n='1'", "N:s|", "E:i|1|", "X:s|", "E:t||", "X:g|n='1'"}},
        {"<!-- x --><a>1</a>", {"E:a|1|"}},
        {"<a><!--c--><b>1</b></a>", {"N:a|", "E:b|1|", "X:a|"}},
        // A comment as the last markup of a range is accepted.
        {"<a><b>1</b><!-- x --></a>", {"N:a|", "E:b|1|", "X:a|"}},
        {"<a>1</a><!-- fin -->", {"E:a|1|"}},
        {"<!---->", {}},
    };
    for (const auto& c : kCases) {
        Events events;
        EXPECT_TRUE(ParseAll(c.text, &events)) << c.text;
        EXPECT_EQ(events, c.events) << c.text;
    }
}

TEST(XmlReader, MalformedInputFails) {
    for (const char* text :
         {"", "solo texto > sin marcas", "<", "<a", "<a>", "<a>1", "<a>1</a", "</a>", "<a>1</A>",
          "<a>1</a >", "<a><a>1</a></a>", "<?xml version='1.0'?><a/>", "<!DOCTYPE a><a/>", "<a><b></a>",
          "<<>", "<!>", "<>", "<!-- a > b --><a/>", "<a/><!-- sin fin"}) {
        EXPECT_FALSE(ParseAll(text)) << text;
    }
    // Every truncation of a well-formed file fails.
    const std::string text =
        "<config><oem><nom-programa>Orvane</nom-programa></oem><ini><ultim>c:\\a.voski</ultim></ini>"
        "<!-- c --><conexions><modem><ATOk>OK</ATOk></modem></conexions></config>";
    ASSERT_TRUE(ParseAll(text));
    for (std::size_t n = 0; n < text.size(); ++n) EXPECT_FALSE(ParseAll(text.substr(0, n))) << n;
}

TEST(XmlReader, SubscriberMayRenameAnElement) {
    Events events;
    ASSERT_TRUE(ParseAll("<component id='9'><codi>1</codi></component><b/>", &events, "component"));
    EXPECT_EQ(events, (Events{"N:component|id='9'", "E:codi|1|", "X:IGNORAR|id='9'", "E:b||"}));
}

TEST(XmlReader, RangesAndBadIndices) {
    Recorder recorder;
    XmlParser parser(&recorder);
    std::string text = "xx<a>1</a><b>2</b>";
    // A sub-range is read on its own; one that does not start at 0 may hold no element.
    EXPECT_TRUE(parser.Parse(text, 2, 9));
    EXPECT_EQ(recorder.events, Events{"E:a|1|"});
    EXPECT_FALSE(parser.Parse(text, 0, 1));
    EXPECT_TRUE(parser.Parse(text, 1, 1));
    // An end index past the buffer is cut to its end; a negative start is refused.
    recorder.events.clear();
    EXPECT_TRUE(parser.Parse(text, 2, 1000000));
    EXPECT_EQ(recorder.events, (Events{"E:a|1|", "E:b|2|"}));
    EXPECT_FALSE(parser.Parse(text, -5, 9));
    EXPECT_FALSE(parser.Parse(text, 2, 8));  // stops inside an element
    std::string empty;
    EXPECT_FALSE(parser.Parse(empty, 0, 100));
    // Without a subscriber only the structure is checked.
    XmlParser checker;
    EXPECT_TRUE(checker.Parse(text, 2, 17));
    EXPECT_FALSE(checker.Parse(text, 2, 16));
}

TEST(XmlReader, NestingDepthIsBounded) {
    EXPECT_TRUE(ParseAll(Nested(XmlParser::kMaxDepth)));
    EXPECT_FALSE(ParseAll(Nested(XmlParser::kMaxDepth + 1)));
    std::string deep;
    for (int i = 0; i < 100000; ++i) deep += "<a>";
    EXPECT_FALSE(ParseAll(deep));  // no stack overflow
}

TEST(XmlReader, FindString) {
    const std::string buffer = "ab</a>cd</a>";
    EXPECT_EQ(XmlParser::FindString("</a>", buffer, 0, 11), 2);
    EXPECT_EQ(XmlParser::FindString("</a>", buffer, 3, 11), 8);
    EXPECT_EQ(XmlParser::FindString("</a>", buffer, 2, 5), -1);  // exactly fills the range
    EXPECT_EQ(XmlParser::FindString("</a>", buffer, 1, 5), 2);
    EXPECT_EQ(XmlParser::FindString("</a>", buffer, 3, 10), -1);  // would end past to
    EXPECT_EQ(XmlParser::FindString("", buffer, 0, 11), -1);
    EXPECT_EQ(XmlParser::FindString("a", buffer, 5, 4), -1);
    EXPECT_EQ(XmlParser::FindString("</a>", buffer, 4, 1000), 8);  // cut to the buffer
    EXPECT_EQ(XmlParser::FindString("ab", buffer, -3, 11), 0);
    EXPECT_EQ(XmlParser::FindString("x", std::string(), 0, 5), -1);
}

TEST(XmlAttribute, Values) {
    const std::string attributes = "id=12 versio='3.0' nom=\"Central A\"";
    EXPECT_EQ(GetXmlAttribute(attributes, "versio"), "3.0");
    EXPECT_EQ(GetXmlAttribute(attributes, "id"), "12");
    EXPECT_EQ(GetXmlAttribute(attributes, "nom"), "Central A");
    EXPECT_EQ(GetXmlAttribute(attributes, "Nom"), "");
    EXPECT_EQ(GetXmlAttribute("xid=5", "id"), "");
    EXPECT_EQ(GetXmlAttribute("id = 5", "id"), "");
    EXPECT_EQ(GetXmlAttribute("id='5", "id"), "5");
    EXPECT_EQ(GetXmlAttribute("id=\"", "id"), "");
    EXPECT_EQ(GetXmlAttribute("a=\"x&amp;y\"", "a"), "x&amp;y");  // raw
    // The first occurrence anywhere wins, even inside another attribute's quoted value.
    EXPECT_EQ(GetXmlAttribute("nom='a model=y b' model='Z'", "model"), "y");
}

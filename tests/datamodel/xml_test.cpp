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
        if (!renameTo.empty() && name == renameFrom) name = renameTo;
    }
    void foundElement(std::string& name, const std::string& content,
                      const std::string& attributes) override {
        events.push_back("E:" + name + "|" + content + "|" + attributes);
    }
    void endNode(std::string& name, const std::string& attributes) override {
        events.push_back("X:" + name + "|" + attributes);
    }
    std::vector<std::string> events;
    std::string renameFrom, renameTo;
};

using Events = std::vector<std::string>;

bool ParseAll(std::string text, Events* events = nullptr) {
    Recorder recorder;
    XmlParser parser(&recorder);
    const std::string before = text;
    bool ok = parser.Parse(text, 0, static_cast<long>(text.size()) - 1);
    EXPECT_EQ(text, before) << "the buffer must be left unchanged";
    if (events) *events = recorder.events;
    return ok;
}

Events Read(const std::string& text) {
    Events events;
    EXPECT_TRUE(ParseAll(text, &events)) << text;
    return events;
}

std::string Nested(int depth, bool closed = true) {
    std::string text;
    for (int i = 0; i < depth; ++i) text += "<e" + std::to_string(i) + ">";
    text += "x";
    if (closed) {
        for (int i = depth - 1; i >= 0; --i) text += "</e" + std::to_string(i) + ">";
    }
    return text;
}

}  // namespace

TEST(XmlReader, SelfClosingForms) {
    EXPECT_EQ(Read("<a x='1'/>"), Events{"E:a||x='1'"});
    EXPECT_EQ(Read("<a x=\"1\" />"), Events{"E:a||x=\"1\" "});
    EXPECT_EQ(Read("<a/>"), Events{"E:a||"});
    EXPECT_EQ(Read("<a />"), Events{"E:a||"});
}

TEST(XmlReader, LeavesKeepTheirContentRaw) {
    EXPECT_EQ(Read("<a></a>"), Events{"E:a||"});
    EXPECT_EQ(Read("<a> b </a>"), Events{"E:a| b |"});
    EXPECT_EQ(Read("<a>x>y &lt;&amp;</a>"), Events{"E:a|x>y &lt;&amp;|"});
    EXPECT_EQ(Read("<codi id=\"12\" tipus='b'>\t1\t</codi>"), Events{"E:codi|\t1\t|id=\"12\" tipus='b'"});
}

TEST(XmlReader, NodesSiblingsAndSkippedText) {
    EXPECT_EQ(Read("<a><b>1</b>text<c>2</c></a>"),
              (Events{"N:a|", "E:b|1|", "E:c|2|", "X:a|"}));
    // Text around top-level elements is skipped; several top-level elements are read in turn.
    EXPECT_EQ(Read("head<a k=v>1</a> mid <b/>tail"), (Events{"E:a|1|k=v", "E:b||"}));
    // Text beside child elements is lost; the element counts as one with children.
    EXPECT_EQ(Read("<a>lost<b/>lost</a>"), (Events{"N:a|", "E:b||", "X:a|"}));
    EXPECT_EQ(Read("<g n='1'><s><i>1</i></s><t/></g>"),
              (Events{"N:g|n='1'", "N:s|", "E:i|1|", "X:s|", "E:t||", "X:g|n='1'"}));
}

TEST(XmlReader, NamesEndAtTheFirstSpaceAndMatchExactly) {
    EXPECT_EQ(Read("<a\tb>1</a\tb>"), Events{"E:a\tb|1|"});
    EXPECT_FALSE(ParseAll("<a>1</A>"));
    EXPECT_FALSE(ParseAll("<a>1</a >"));
    // The first end tag of the same name closes, so a same-named descendant breaks the element.
    EXPECT_FALSE(ParseAll("<a><a>1</a></a>"));
}

TEST(XmlReader, SubscriberMayRenameAnElement) {
    Recorder recorder;
    recorder.renameFrom = "component";
    recorder.renameTo = "IGNORAR";
    XmlParser parser;
    parser.SetSubscriber(&recorder);
    std::string text = "<component id='9'><codi>1</codi></component><b/>";
    ASSERT_TRUE(parser.Parse(text, 0, static_cast<long>(text.size()) - 1));
    EXPECT_EQ(recorder.events,
              (Events{"N:component|id='9'", "E:codi|1|", "X:IGNORAR|id='9'", "E:b||"}));
}

TEST(XmlReader, Comments) {
    EXPECT_EQ(Read("<!-- x --><a>1</a>"), Events{"E:a|1|"});
    EXPECT_EQ(Read("<a><!--c--><b>1</b></a>"), (Events{"N:a|", "E:b|1|", "X:a|"}));
    // A comment as the last markup of a range is accepted.
    EXPECT_EQ(Read("<a><b>1</b><!-- x --></a>"), (Events{"N:a|", "E:b|1|", "X:a|"}));
    EXPECT_EQ(Read("<a>1</a><!-- fin -->"), Events{"E:a|1|"});
    EXPECT_EQ(Read("<a><!-- solo --></a>"), (Events{"N:a|", "X:a|"}));
    EXPECT_EQ(Read("<!---->"), Events{});
    // A comment ends at its first '>': one holding a '>' is not recognised.
    EXPECT_FALSE(ParseAll("<!-- a > b --><a/>"));
    EXPECT_FALSE(ParseAll("<a/><!-- sin fin"));
}

TEST(XmlReader, EmptyPlainAndTrailingText) {
    EXPECT_FALSE(ParseAll(""));
    EXPECT_FALSE(ParseAll("solo texto > sin marcas"));
    EXPECT_TRUE(ParseAll("<a>1</a>texto al final"));
    // Without a subscriber only the structure is checked.
    XmlParser parser;
    std::string good = "<a><b/></a>";
    std::string bad = "<a><b/>";
    EXPECT_TRUE(parser.Parse(good, 0, 10));
    EXPECT_FALSE(parser.Parse(bad, 0, 6));
}

TEST(XmlReader, MalformedInputFails) {
    for (const char* text : {"<", "<a", "<a>", "<a>1", "<a>1</a", "</a>", "<?xml version='1.0'?><a/>",
                             "<!DOCTYPE a><a/>", "<a><b></a>", "<a>1</b>", "<<>", "<!>", "<!-", "<>"}) {
        EXPECT_FALSE(ParseAll(text)) << text;
    }
}

TEST(XmlReader, EveryTruncationOfTheRootFails) {
    const std::string text =
        "<config><oem><nom-programa>Orvane</nom-programa></oem><ini><ultim>c:\\a.voski</ultim></ini>"
        "<!-- c --><conexions><modem><ATOk>OK</ATOk></modem></conexions></config>";
    ASSERT_TRUE(ParseAll(text));
    for (std::size_t n = 0; n < text.size(); ++n) {
        EXPECT_FALSE(ParseAll(text.substr(0, n))) << n;
    }
}

TEST(XmlReader, RangesAndBadIndices) {
    Recorder recorder;
    XmlParser parser(&recorder);
    std::string text = "xx<a>1</a><b>2</b>";
    // A sub-range is read on its own; one that does not start at 0 may hold no element.
    EXPECT_TRUE(parser.Parse(text, 2, 9));
    EXPECT_EQ(recorder.events, Events{"E:a|1|"});
    EXPECT_TRUE(parser.Parse(text, 0, 1) == false);
    EXPECT_TRUE(parser.Parse(text, 1, 1));
    // An end index past the buffer is cut to its end; a negative start is refused.
    recorder.events.clear();
    EXPECT_TRUE(parser.Parse(text, 2, 1000000));
    EXPECT_EQ(recorder.events, (Events{"E:a|1|", "E:b|2|"}));
    EXPECT_FALSE(parser.Parse(text, -5, 9));
    std::string empty;
    EXPECT_FALSE(parser.Parse(empty, 0, -1));
    EXPECT_FALSE(parser.Parse(empty, 0, 100));
    // A range that stops inside an element does not see its end tag.
    EXPECT_FALSE(parser.Parse(text, 2, 8));
}

TEST(XmlReader, NestingDepthIsBounded) {
    EXPECT_TRUE(ParseAll(Nested(XmlParser::kMaxDepth)));
    EXPECT_FALSE(ParseAll(Nested(XmlParser::kMaxDepth + 1)));
    EXPECT_FALSE(ParseAll(Nested(100000)));
    EXPECT_FALSE(ParseAll(Nested(100000, false)));
    std::string same;
    for (int i = 0; i < 100000; ++i) same += "<a>";
    EXPECT_FALSE(ParseAll(same));
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
    EXPECT_EQ(GetXmlAttribute("id=", "id"), "");
    EXPECT_EQ(GetXmlAttribute("id=\"", "id"), "");
    EXPECT_EQ(GetXmlAttribute("", "id"), "");
    EXPECT_EQ(GetXmlAttribute("a=\"x&amp;y\"", "a"), "x&amp;y");  // raw
    // The first occurrence anywhere wins, even inside another attribute's quoted value.
    EXPECT_EQ(GetXmlAttribute("nom='a model=y b' model='Z'", "model"), "y");
}

#include <gtest/gtest.h>

#include "platform/XmlReader.h"

namespace {

XmlDocument Sample() {
    // <rss><channel><title>T</title><item><title>A</title></item><item><title>B</title>
    // <link>L</link></item></channel><channel><title>second</title></channel></rss>
    XmlElement channel{"channel", "", {{"title", "T", {}},
                                       {"item", "", {{"title", "A", {}}}},
                                       {"item", "", {{"title", "B", {}}, {"link", "L", {}}}}}};
    XmlElement second{"channel", "", {{"title", "second", {}}}};
    XmlDocument doc;
    doc.parsed = true;
    doc.root = {"rss", "root text", {channel, second}};
    return doc;
}

}  // namespace

TEST(ElementPath, StepsByNameAndByPosition) {
    const XmlDocument doc = Sample();
    struct Case { std::string path; int count; std::string text; } cases[] = {
        {"@1", 2, "root text"},
        {"rss", 2, "root text"},                // the root by its own name
        {"@2", 0, ""},                          // the document has one root
        {"channel", 0, ""},                     // the first step is the root, not its child
        {"@1/channel", 3, ""},                  // the first channel of two
        {"@1/@2", 1, ""},
        {"@1/@2/title", 0, "second"},
        {"@1/channel/title", 0, "T"},
        {"@1/channel/@2/title", 0, "A"},
        {"@1/channel/@3/title", 0, "B"},
        {"@1/channel/@3/link", 0, "L"},
        {"@1/channel/@2/link", 0, ""},          // no such child
        {"@1/channel/@4/title", 0, ""},         // past the last child
        {"@1/channel/item/title", 0, "A"},      // the first item
        {"@1/channel/@0", 0, ""},
        {"@1/channel/@", 0, ""},
        {"@1/channel/@x", 0, ""},
        {"@1/channel/@-1", 0, ""},
        {"@1/channel/@99999999999999999999", 0, ""},
        {"@1/channel/", 0, ""},                 // empty step
        {"@1//channel", 0, ""},
        {"", 0, ""},
        {"@1/Channel", 0, ""},                  // names are case-sensitive
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ChildElementCount(doc, c.path), c.count) << c.path;
        EXPECT_EQ(ElementText(doc, c.path), c.text) << c.path;
    }
}

TEST(ElementPath, UnparsedDocumentSelectsNothing) {
    XmlDocument doc = Sample();
    doc.parsed = false;
    EXPECT_EQ(SelectElement(doc, "@1"), nullptr);
    EXPECT_EQ(ChildElementCount(doc, "@1/channel"), 0);
    EXPECT_EQ(ElementText(doc, "@1/channel/title"), "");
}

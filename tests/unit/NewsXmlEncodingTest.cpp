#include <gtest/gtest.h>

#include "platform/XmlEncoding.h"

TEST(XmlEncoding, ByteOrderMarkThenDeclarationThenUtf8) {
    using std::string;
    struct Case { const char* what; string bytes; unsigned codePage; size_t bom; bool declared; } cases[] = {
        {"utf-8 bom", "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"gbk\"?><a/>", 65001, 3, true},
        {"utf-16le bom", string("\xFF\xFE<\0a\0/\0>\0", 10), 1200, 2, true},
        {"utf-16be bom", string("\xFE\xFF\0<\0a\0/\0>", 10), 1201, 2, true},
        {"utf-16le, no bom", string("<\0?\0x\0m\0l\0", 10), 1200, 0, true},
        {"utf-16be, no bom", string("\0<\0?\0x\0m\0l", 10), 1201, 0, true},
        {"gbk", "<?xml version=\"1.0\" encoding=\"gbk\"?>\n<rss/>", 936, 0, true},
        {"GB2312 in capitals", "<?xml version=\"1.0\" encoding=\"GB2312\"?><rss/>", 936, 0, true},
        {"single quotes, spaces", "<?xml version='1.0' encoding = 'gb18030' ?><rss/>", 54936, 0, true},
        {"utf-8", "<?xml version=\"1.0\" encoding=\"UTF-8\"?><rss/>", 65001, 0, true},
        {"big5", "<?xml version=\"1.0\" encoding=\"Big5\"?><rss/>", 950, 0, true},
        {"unknown name", "<?xml version=\"1.0\" encoding=\"x-klingon\"?><rss/>", 0, 0, true},
        {"utf-16 named in 8-bit bytes", "<?xml version=\"1.0\" encoding=\"UTF-16\"?><rss/>", 0, 0, true},
        {"declaration without encoding", "<?xml version=\"1.0\"?><rss/>", 65001, 0, false},
        {"standalone only", "<?xml version=\"1.0\" standalone=\"yes\"?><rss/>", 65001, 0, false},
        {"no declaration", "<rss><title>encoding=\"gbk\"</title></rss>", 65001, 0, false},
        {"encoding outside the declaration", "<?xml version=\"1.0\"?><rss encoding=\"gbk\"/>", 65001, 0, false},
        {"not at the start", " <?xml version=\"1.0\" encoding=\"gbk\"?><rss/>", 65001, 0, false},
        {"<?xml-stylesheet is no declaration", "<?xml-stylesheet encoding=\"gbk\"?><rss/>", 65001, 0, false},
        {"unclosed declaration", "<?xml version=\"1.0\" encoding=\"gbk\"", 65001, 0, false},
        {"empty", "", 65001, 0, false},
    };
    for (const auto& c : cases) {
        const XmlByteEncoding e = DetectXmlEncoding(c.bytes);
        EXPECT_EQ(e.codePage, c.codePage) << c.what;
        EXPECT_EQ(e.bomBytes, c.bom) << c.what;
        EXPECT_EQ(e.declared, c.declared) << c.what;
    }
}

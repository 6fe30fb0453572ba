// The XML reader on real documents, parsed by the system's XmlLite.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <string>

#include "platform/XmlReader.h"
#include "platform/win32/WinText.h"
#include "platform/win32/WinXmlReader.h"

namespace {

// UTF-8 text in another code page (936: GBK, 54936: GB18030).
std::string Encode(const std::string& utf8, UINT codePage) {
    const std::wstring w = Utf8ToWide(utf8);
    const int n = WideCharToMultiByte(codePage, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(codePage, 0, w.data(), static_cast<int>(w.size()), out.data(), n, nullptr, nullptr);
    return out;
}

std::string Utf16Le(const std::string& utf8, bool bom) {
    const std::wstring w = Utf8ToWide(utf8);
    std::string out = bom ? std::string("\xFF\xFE", 2) : std::string();
    for (wchar_t c : w) {
        out.push_back(static_cast<char>(c & 0xFF));
        out.push_back(static_cast<char>((c >> 8) & 0xFF));
    }
    return out;
}

// A feed with its eight header elements, two posts and comments between them.
std::string Feed(const std::string& declaration) {
    return declaration +
           "<rss version=\"2.0\">\n"
           "<!-- generated -->\n"
           "<channel>\n"
           "  <title>Korvane 安全论坛</title><link>http://localhost/forum.php</link>\n"
           "  <description>最新主题</description><copyright>C</copyright><generator>G</generator>\n"
           "  <lastBuildDate>D</lastBuildDate><ttl>60</ttl>\n"
           "  <image><url>u</url><title>标志</title><link>http://localhost/</link></image>\n"
           "  <!-- the posts -->\n"
           "  <item>\n"
           "    <title>安全提示：伪装成发票的钓鱼邮件 &amp; 压缩包</title>\n"
           "    <link>http://localhost/forum.php?mod=viewthread&amp;tid=1040</link>\n"
           "    <description><![CDATA[<b>附件</b> & 脚本]]></description>\n"
           "  </item>\n"
           "  <!-- between the posts -->\n"
           "  <?forum-board page=\"2\"?>\n"
           "  <item><title>病毒库更新至 27830</title><link>http://localhost/t?a=1&amp;b=&#x4E2D;&#20013;</link></item>\n"
           "</channel>\n"
           "</rss>\n";
}

void ExpectFeed(const XmlDocument& doc, const char* what) {
    EXPECT_TRUE(doc.parsed) << what;
    EXPECT_EQ(doc.root.name, "rss") << what;
    EXPECT_EQ(ChildElementCount(doc, "@1/channel"), 10) << what;
    EXPECT_EQ(ElementText(doc, "@1/channel/title"), "Korvane 安全论坛") << what;
    EXPECT_EQ(ElementText(doc, "@1/channel/@8/title"), "标志") << what;
    EXPECT_EQ(ElementText(doc, "@1/channel/@9/title"), "安全提示：伪装成发票的钓鱼邮件 & 压缩包") << what;
    EXPECT_EQ(ElementText(doc, "@1/channel/@9/link"), "http://localhost/forum.php?mod=viewthread&tid=1040") << what;
    EXPECT_EQ(ElementText(doc, "@1/channel/@9/description"), "<b>附件</b> & 脚本") << what;
    EXPECT_EQ(ElementText(doc, "@1/channel/@10/title"), "病毒库更新至 27830") << what;
    EXPECT_EQ(ElementText(doc, "@1/channel/@10/link"), "http://localhost/t?a=1&b=中中") << what;
}

XmlDocument Parse(const std::string& bytes, bool* ok = nullptr) {
    WinXmlReader reader;
    XmlDocument doc;
    const bool result = reader.Parse(bytes, doc);
    if (ok) *ok = result;
    EXPECT_EQ(result, doc.parsed);
    return doc;
}

}  // namespace

TEST(XmlReader, DeclaredEncodingsGiveTheSameTexts) {
    struct Case { const char* what; std::string bytes; } cases[] = {
        {"gbk", Encode(Feed("<?xml version=\"1.0\" encoding=\"gbk\"?>\n"), 936)},
        {"GB2312", Encode(Feed("<?xml version=\"1.0\" encoding=\"GB2312\"?>\n"), 936)},
        // GB18030 where the system has it, else its two-byte part, GBK (as Wine 8).
        {"gb18030", Encode(Feed("<?xml version='1.0' encoding='gb18030' standalone='yes'?>\n"),
                           IsValidCodePage(54936) ? 54936 : 936)},
        {"utf-8", Feed("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n")},
        {"utf-8 without declaration", Feed("")},
        {"utf-8 bom", "\xEF\xBB\xBF" + Feed("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n")},
        {"utf-16 bom", Utf16Le(Feed("<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n"), true)},
        {"utf-16 without bom", Utf16Le(Feed("<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n"), false)},
    };
    for (const auto& c : cases) ExpectFeed(Parse(c.bytes), c.what);
}

TEST(XmlReader, UndeclaredBytesThatAreNotUtf8ReadAsTheSystemCodePage) {
    const std::string title = "\xB0\xB2\xC8\xAB";  // "安全" in GBK; not valid UTF-8
    const XmlDocument doc = Parse("<rss><channel><title>" + title + "</title></channel></rss>");
    ASSERT_TRUE(doc.parsed);
    EXPECT_EQ(ElementText(doc, "@1/channel/title"), WideToUtf8(AnsiToWide(title)));
}

TEST(XmlReader, CommentsAndProcessingInstructionsAreNoElements) {
    const XmlDocument doc = Parse(
        "<?xml version=\"1.0\"?><!-- a --><r><!-- b --><a/><?pi x?><b>t<!-- c -->u</b><!-- d --></r><!-- e -->");
    ASSERT_TRUE(doc.parsed);
    EXPECT_EQ(ChildElementCount(doc, "@1"), 2);
    EXPECT_EQ(ElementText(doc, "@1/@1"), "");
    EXPECT_EQ(ElementText(doc, "@1/@2"), "tu");
}

TEST(XmlReader, MalformedDocumentsLeaveAnEmptyTree) {
    const char* cases[] = {
        "",
        "   ",
        "not xml at all",
        "<rss><channel><item></channel></rss>",
        "<rss><channel>",
        "<rss/><rss/>",
        "<?xml version=\"1.0\" encoding=\"x-made-up\"?><rss/>",
        "<html><body>404 Not Found<br></body></html>",
        "\x1F\x8B\x08\x00garbage",
    };
    for (const char* bytes : cases) {
        bool ok = true;
        const XmlDocument doc = Parse(bytes, &ok);
        EXPECT_FALSE(ok) << bytes;
        EXPECT_EQ(ChildElementCount(doc, "@1/channel"), 0) << bytes;
        EXPECT_EQ(ElementText(doc, "@1"), "") << bytes;
    }
}

TEST(XmlReader, AWellFormedErrorPageParsesButHasNoChannel) {
    const XmlDocument doc = Parse(
        "<html><head><title>404 Not Found</title></head><body><h1>Not Found</h1></body></html>\n");
    EXPECT_TRUE(doc.parsed);
    EXPECT_EQ(ChildElementCount(doc, "@1/channel"), 0);
}

TEST(XmlReader, DocumentTypeDeclarationsAreRefused) {
    // Nested entity expansion: a billion "lol"s if the entities were expanded.
    const std::string laughs = [] {
        std::string s = "<?xml version=\"1.0\"?>\n<!DOCTYPE rss [\n<!ENTITY l0 \"lol\">\n";
        for (char i = '1'; i <= '9'; ++i) {
            const char entity[] = {'&', 'l', static_cast<char>(i - 1), ';', '\0'};
            s.append("<!ENTITY l").append(1, i).append(" \"");
            for (int j = 0; j < 10; ++j) s.append(entity);
            s.append("\">\n");
        }
        return s + "]>\n<rss><channel><title>&l9;</title></channel></rss>";
    }();
    const std::string external =
        "<?xml version=\"1.0\"?>\n<!DOCTYPE rss [<!ENTITY x SYSTEM \"file:///C:/windows/win.ini\">]>\n"
        "<rss><channel><title>&x;</title></channel></rss>";
    const std::string externalDtd =
        "<?xml version=\"1.0\"?>\n<!DOCTYPE rss SYSTEM \"http://127.0.0.1:9/evil.dtd\">\n"
        "<rss><channel><title>t</title></channel></rss>";
    for (const std::string* bytes : {&laughs, &external, &externalDtd}) {
        const auto start = std::chrono::steady_clock::now();
        bool ok = true;
        const XmlDocument doc = Parse(*bytes, &ok);
        const auto took = std::chrono::steady_clock::now() - start;
        EXPECT_FALSE(ok) << *bytes;
        EXPECT_EQ(ElementText(doc, "@1/channel/title"), "") << *bytes;
        EXPECT_LT(took, std::chrono::seconds(2)) << *bytes;
    }
}

TEST(XmlReader, NestingDeeperThanTheLimitIsRefused) {
    auto nested = [](unsigned depth) {
        std::string s;
        for (unsigned i = 0; i < depth; ++i) s += "<e>";
        s += "x";
        for (unsigned i = 0; i < depth; ++i) s += "</e>";
        return s;
    };
    bool ok = false;
    Parse(nested(100), &ok);
    EXPECT_TRUE(ok);
    Parse(nested(100000), &ok);
    EXPECT_FALSE(ok);
}

#include <gtest/gtest.h>

#include "app/Config.h"
#include "fakes/FakeApp.h"
#include "news/NewsList.h"
#include "platform/XmlReader.h"

namespace {

XmlElement Leaf(const std::string& name, const std::string& text) { return {name, text, {}}; }

XmlElement Item(const std::string& title, const std::string& link) {
    return {"item", "", {Leaf("title", title), Leaf("description", "text of " + title), Leaf("link", link)}};
}

// <rss><channel> with `headers` header elements, then the given posts.
XmlDocument Feed(int headers, const std::vector<XmlElement>& posts) {
    static const char* names[] = {"title", "link", "description", "copyright",
                                  "generator", "lastBuildDate", "ttl", "image"};
    XmlElement channel{"channel", "", {}};
    for (int i = 0; i < headers; ++i) {
        channel.children.push_back(Leaf(names[i % 8], "header " + std::to_string(i + 1)));
    }
    for (const auto& p : posts) channel.children.push_back(p);
    XmlDocument doc;
    doc.parsed = true;
    doc.root = {"rss", "", {channel}};
    return doc;
}

std::vector<XmlElement> Items(int n) {
    std::vector<XmlElement> items;
    for (int i = 1; i <= n; ++i) {
        items.push_back(Item("帖子 " + std::to_string(i), "http://localhost/forum.php?tid=" + std::to_string(i)));
    }
    return items;
}

using Rows = std::vector<std::vector<std::string>>;

Rows Walk(const XmlDocument& doc) {
    FakeWindow window;
    FillNewsList(doc, window);
    return window.newsRows;
}

}  // namespace

TEST(NewsList, OneRowPerPostAfterTheEightHeaderElements) {
    const Rows rows = Walk(Feed(8, Items(20)));
    ASSERT_EQ(rows.size(), 20u);
    for (int i = 0; i < 20; ++i) {
        // Rows 1 and later need k = 10, 11, ...: plain decimal positions.
        EXPECT_EQ(rows[i][0], "帖子 " + std::to_string(i + 1)) << i;
        EXPECT_EQ(rows[i][1], "http://localhost/forum.php?tid=" + std::to_string(i + 1)) << i;
    }
}

TEST(NewsList, EightOrFewerChildElementsGiveNoRow) {
    for (int headers : {8, 5, 0}) EXPECT_TRUE(Walk(Feed(headers, {})).empty()) << headers;
    EXPECT_TRUE(Walk(Feed(5, Items(3))).empty());  // 8 children in all: the posts count as header
}

TEST(NewsList, NinthElementThatIsNotAPostIsStillARow) {
    // <language> has no children; <image> has its own title and link.
    XmlDocument doc = Feed(8, Items(2));
    auto& channel = doc.root.children[0].children;
    channel.insert(channel.begin() + 8, Leaf("language", "zh-cn"));
    Rows rows = Walk(doc);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0], (std::vector<std::string>{"", ""}));
    EXPECT_EQ(rows[1][0], "帖子 1");

    XmlElement image{"image", "", {Leaf("url", "http://localhost/logo.gif"), Leaf("title", "标志"),
                                   Leaf("link", "http://localhost/")}};
    channel[8] = image;
    rows = Walk(doc);
    EXPECT_EQ(rows[0], (std::vector<std::string>{"标志", "http://localhost/"}));
}

TEST(NewsList, MissingTitleOrLinkGivesAnEmptyCell) {
    XmlElement noLink{"item", "", {Leaf("title", "无链接")}};
    XmlElement noTitle{"item", "", {Leaf("link", "http://localhost/x")}};
    XmlElement twoLinks{"item", "", {Leaf("link", "first"), Leaf("title", "两个"), Leaf("link", "second")}};
    const Rows rows = Walk(Feed(8, {noLink, noTitle, twoLinks}));
    const Rows expected = {{"无链接", ""}, {"", "http://localhost/x"}, {"两个", "first"}};
    EXPECT_EQ(rows, expected);
}

TEST(NewsList, DocumentWithoutChannelOrThatDidNotParseGivesNoRow) {
    XmlDocument noChannel = Feed(8, Items(3));
    noChannel.root.children[0].name = "feed";
    EXPECT_TRUE(Walk(noChannel).empty());

    XmlDocument unparsed = Feed(8, Items(3));
    unparsed.parsed = false;
    EXPECT_TRUE(Walk(unparsed).empty());

    // The channel is the root's first child named "channel", not its first child.
    XmlDocument later = Feed(8, Items(3));
    later.root.children.insert(later.root.children.begin(), XmlElement{"channel-info", "", Items(9)});
    EXPECT_EQ(Walk(later).size(), 3u);
}

TEST(NewsList, EachRowIsAppendedThenTitleThenLink) {
    FakeApp app;
    FillNewsList(Feed(8, Items(2)), app.window);
    const std::vector<std::string> expected = {
        "news row",
        "news cell 0,0=帖子 1",
        "news cell 0,1=http://localhost/forum.php?tid=1",
        "news row",
        "news cell 1,0=帖子 2",
        "news cell 1,1=http://localhost/forum.php?tid=2",
    };
    EXPECT_EQ(app.journal.entries, expected);
}

TEST(LoadNewsList, FetchesTheFeedAsAnOldBrowserAndParsesTheBody) {
    FakeApp app;
    app.feed.body = "<rss>...</rss>";
    app.xml.document = Feed(8, Items(4));
    LoadNewsList(app.ctx);
    ASSERT_EQ(app.feed.requests.size(), 1u);
    const FeedRequest& r = app.feed.requests[0];
    EXPECT_EQ(r.url, NewsFeedUrl());
    EXPECT_EQ(r.url, "http://localhost/forum.php?mod=rss");
    EXPECT_EQ(r.userAgent, "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)");
    EXPECT_EQ(r.accept, "*/*");
    EXPECT_EQ(r.maxBytes, kMaxFeedBytes);
    EXPECT_EQ(app.xml.parsed, std::vector<Bytes>{"<rss>...</rss>"});
    EXPECT_EQ(app.window.newsRows.size(), 4u);
    EXPECT_TRUE(app.messages.shown.empty());
}

TEST(LoadNewsList, BodyAboveTheBoundIsNotParsed) {
    struct Case { std::size_t size; bool parsed; } cases[] = {
        {0, true},
        {kMaxFeedBytes, true},
        {kMaxFeedBytes + 1, false},
    };
    for (const auto& c : cases) {
        FakeApp app;
        app.feed.body.assign(c.size, ' ');
        app.xml.document = Feed(8, Items(4));
        LoadNewsList(app.ctx);
        EXPECT_EQ(app.xml.parsed.size(), c.parsed ? 1u : 0u) << c.size;
        EXPECT_EQ(app.window.newsRows.size(), c.parsed ? 4u : 0u) << c.size;
        EXPECT_TRUE(app.messages.shown.empty()) << c.size;
    }
}

TEST(LoadNewsList, UnparsableBodyLeavesTheListEmptyWithoutMessage) {
    FakeApp app;
    app.feed.body = "<html><body>404 Not Found";
    LoadNewsList(app.ctx);  // the fake reader's document is unparsed
    EXPECT_EQ(app.xml.parsed.size(), 1u);
    EXPECT_TRUE(app.window.newsRows.empty());
    EXPECT_TRUE(app.messages.shown.empty());
}

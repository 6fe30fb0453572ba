// The forum news list on page 说明, filled at start-up from the test forum's feed.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Driver.h"

using namespace e2e;

namespace {

const std::string kFeedPath = "/forum.php?mod=rss";

struct Post {
    std::string title, link;
};

// The posts of the sample feed (sample/server/forum/rss.xml, GBK), as shown.
const std::vector<Post> kSamplePosts = {
    {"病毒库更新至 27830 (20230905)", "http://localhost/forum.php?mod=viewthread&tid=1046"},
    {"Korvane Scan 1.5.1.2 发布：修复隔离区恢复问题", "http://localhost/forum.php?mod=viewthread&tid=1045"},
    {"常见问题：扫描日志保存在哪里？", "http://localhost/forum.php?mod=viewthread&tid=1043"},
    {"安全提示：警惕伪装成发票的钓鱼邮件 & 压缩包", "http://localhost/forum.php?mod=viewthread&tid=1040"},
    {"论坛维护通知（9月2日凌晨）", "http://localhost/forum.php?mod=viewthread&tid=1038"},
    {"新手入门：如何手动升级病毒库", "http://localhost/forum.php?mod=viewthread&tid=1031"},
};

void ForgetEarlierRuns() {
    DeleteRegTree(HKEY_LOCAL_MACHINE, L"SOFTWARE\\KorvaneScan");
    server::Reset();
}

std::vector<Post> ListedPosts(const App& app) {
    std::vector<Post> posts;
    for (int row = 0; row < app.ListRowCount(); ++row) posts.push_back({app.ListCell(row, 0), app.ListCell(row, 1)});
    return posts;
}

void ExpectPosts(const App& app, const std::vector<Post>& expected) {
    const std::vector<Post> listed = ListedPosts(app);
    ASSERT_EQ(listed.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(listed[i].title, expected[i].title) << "row " << i;
        EXPECT_EQ(listed[i].link, expected[i].link) << "row " << i;
    }
}

// A feed in UTF-8 with its eight header elements, `items` posts and comments between them.
std::string Utf8Feed(int items, std::vector<Post>& posts) {
    std::string feed =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<rss version=\"2.0\"><channel>\n"
        "<title>论坛</title><link>http://localhost/</link><description>d</description>"
        "<copyright>c</copyright><generator>g</generator><lastBuildDate>l</lastBuildDate><ttl>60</ttl>"
        "<image><url>u</url><title>标志</title><link>http://localhost/</link></image>\n";
    for (int i = 1; i <= items; ++i) {
        const std::string n = std::to_string(i);
        posts.push_back({"帖子 " + n + " 病毒 & 木马", "http://localhost/forum.php?mod=viewthread&tid=" + n});
        feed += "<!-- post " + n + " -->\n<item><title>帖子 " + n + " 病毒 &amp; 木马</title>"
                "<link>http://localhost/forum.php?mod=viewthread&amp;tid=" + n + "</link>"
                "<description><![CDATA[<p>正文</p>]]></description></item>\n";
    }
    return feed + "</channel></rss>\n";
}

// Starts the program against the feed as the server now serves it and waits until
// start-up has ended.
void StartWithFeed(App& app, const wchar_t* runName) {
    ASSERT_TRUE(app.Launch(MakeRunFolder(runName)));
    ASSERT_TRUE(app.WaitIdle(60s));
}

}  // namespace

TEST(News, ListShowsTheFeedsPostsAfterAnHttp10Request) {
    ForgetEarlierRuns();
    App app;
    StartWithFeed(app, L"news sample");
    ExpectPosts(app, kSamplePosts);
    EXPECT_EQ(app.ListColumnTitles(), (std::vector<std::string>{"Lumor订阅(RSS)：", "地址"}));
    EXPECT_TRUE(app.OpenMessageBoxes().empty());

    // One request for the feed, the first thing start-up does.
    const auto log = server::Log();
    int feedRequests = 0;
    size_t feedAt = log.size(), versionAt = log.size();
    for (size_t i = 0; i < log.size(); ++i) {
        if (log[i].path == "/eset/Update/info.txt" && versionAt == log.size()) versionAt = i;
        if (log[i].path != kFeedPath) continue;
        ++feedRequests;
        feedAt = i;
        EXPECT_EQ(log[i].server, "forum");
        EXPECT_EQ(log[i].method, "GET");
        EXPECT_EQ(log[i].version, "HTTP/1.0");
        EXPECT_EQ(log[i].Header("User-Agent"), "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)");
        EXPECT_EQ(log[i].Header("Accept"), "*/*");
    }
    EXPECT_EQ(feedRequests, 1);
    EXPECT_LT(feedAt, versionAt) << "the news list is filled before the database versions are fetched";

    app.SelectPage(Page::Notes);
    Sleep(300);
    server::Screenshot("news-list");
}

TEST(News, FeedBodyCountsWhateverTheStatus) {
    ForgetEarlierRuns();
    server::Fault(kFeedPath, "status", "code=500");
    App app;
    StartWithFeed(app, L"news status 500");
    ExpectPosts(app, kSamplePosts);
}

TEST(News, Utf8FeedWithCommentsShowsTheSameTexts) {
    ForgetEarlierRuns();
    std::vector<Post> posts;
    server::SetBody(kFeedPath, Utf8Feed(20, posts));
    App app;
    StartWithFeed(app, L"news utf8");
    ExpectPosts(app, posts);
}

TEST(News, FeedsThatGiveNoRowsLeaveTheListEmptyAndStartUpGoesOn) {
    const std::string bomb = [] {
        std::string s = "<?xml version=\"1.0\"?>\n<!DOCTYPE rss [\n<!ENTITY a \"aaaaaaaaaa\">\n";
        const char* names = "abcdefgh";
        for (int i = 1; i < 8; ++i) {
            s.append("<!ENTITY ").append(1, names[i]).append(" \"");
            for (int j = 0; j < 10; ++j) s.append("&").append(1, names[i - 1]).append(";");
            s.append("\">\n");
        }
        return s + "]>\n<rss><channel><a/><b/><c/><d/><e/><f/><g/><h/><item><title>&h;</title></item></channel></rss>";
    }();
    struct Case {
        const wchar_t* name;
        const char* body;  // nullptr: the path answers 404
        const char* fault;
        const char* params;
    } cases[] = {
        {L"news 404", nullptr, nullptr, ""},
        {L"news oversized", nullptr, "big", "size=8000000"},
        {L"news not xml", "<html><body>论坛维护中<br></body></html>", nullptr, ""},
        {L"news entity bomb", bomb.c_str(), nullptr, ""},
        {L"news eight only",
         "<rss><channel><a/><b/><c/><d/><e/><f/><g/><item><title>t</title></item></channel></rss>", nullptr, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(U8(c.name));
        ForgetEarlierRuns();
        server::SetBody("/eset/Update/info.txt", "27830");
        if (c.body) {
            server::SetBody(kFeedPath, c.body);
        } else if (!c.fault) {
            server::Delete(kFeedPath);
        }
        if (c.fault) server::Fault(kFeedPath, c.fault, c.params);
        App app;
        StartWithFeed(app, c.name);
        EXPECT_EQ(app.ListRowCount(), 0);
        EXPECT_TRUE(app.OpenMessageBoxes().empty());
        EXPECT_EQ(server::Hits(kFeedPath), 1);
        EXPECT_EQ(app.Text("编辑框2"), "27830") << "start-up went on after the feed";
    }
}

// Runs under code page 936 and again under 1252: the feed's declared encoding
// decides how its titles read, not the system's code page.
TEST(CaptionsNews, GbkAndUtf8FeedsReadTheSameOnEveryCodePage) {
    ForgetEarlierRuns();
    {
        App app;
        StartWithFeed(app, L"news gbk any code page");
        ExpectPosts(app, kSamplePosts);
    }
    std::vector<Post> posts;
    server::SetBody(kFeedPath, Utf8Feed(3, posts));
    App app;
    StartWithFeed(app, L"news utf8 any code page");
    ExpectPosts(app, posts);
}

#include "news/NewsList.h"

#include <string>

#include "app/AppContext.h"
#include "app/Config.h"
#include "platform/FeedClient.h"
#include "platform/XmlReader.h"
#include "ui/WindowFields.h"

void LoadNewsList(AppContext& ctx) {
    const Bytes body = ctx.feed.Fetch({NewsFeedUrl(), kFeedUserAgent, kFeedAccept, kMaxFeedBytes});
    if (body.size() > kMaxFeedBytes) return;
    XmlDocument feed;
    ctx.xml.Parse(body, feed);  // a body that does not parse leaves an empty document
    FillNewsList(feed, ctx.window);
}

void FillNewsList(const XmlDocument& feed, WindowFields& window) {
    const int posts = ChildElementCount(feed, "@1/channel") - kChannelHeaderElements;
    for (int i = 1; i <= posts; ++i) {
        window.AppendNewsRow();
        const std::string element = "@1/channel/@" + std::to_string(i + kChannelHeaderElements);
        window.SetNewsCell(i - 1, 0, ElementText(feed, element + "/title"));
        window.SetNewsCell(i - 1, 1, ElementText(feed, element + "/link"));
    }
}

#pragma once
#include <cstddef>

struct AppContext;
struct WindowFields;
struct XmlDocument;

// How the feed is asked for: as a browser of the forum's own era asks.
inline constexpr const char* kFeedUserAgent = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)";
inline constexpr const char* kFeedAccept = "*/*";

// The largest feed that is parsed: 1 MiB. A forum's feed of its latest posts is a few
// dozen KB (a few hundred at most); a larger answer is not a feed, and it is neither
// read on nor parsed, so a broken or hostile server cannot stall or swell start-up.
inline constexpr std::size_t kMaxFeedBytes = 1024 * 1024;

// The channel's first eight child elements are its own header (title, link,
// description, ...); every later child element is one post.
inline constexpr int kChannelHeaderElements = 8;

// Fills the news list of page 说明 from the forum's RSS feed, once per run. Shows
// nothing on any failure: the list then stays empty.
void LoadNewsList(AppContext& ctx);

// Appends one row per post of the parsed feed: title in column 0, link in column 1.
void FillNewsList(const XmlDocument& feed, WindowFields& window);

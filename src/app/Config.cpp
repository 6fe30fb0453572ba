#include "app/Config.h"

#ifndef KORVANE_UPDATE_HOST
#define KORVANE_UPDATE_HOST "localhost"
#endif
#ifndef KORVANE_FORUM_HOST
#define KORVANE_FORUM_HOST "localhost"
#endif

const std::string& UpdateBase() {
    static const std::string s = std::string("http://") + KORVANE_UPDATE_HOST + ":81/eset/Update/";
    return s;
}
const std::string& ReleasePackageUrl() {
    static const std::string s = std::string("http://") + KORVANE_UPDATE_HOST + ":81/eset/Korvane_Scan.zip";
    return s;
}
const std::string& ForumBase() {
    static const std::string s = std::string("http://") + KORVANE_FORUM_HOST;
    return s;
}
const std::string& ForumHomePage() {
    static const std::string s = ForumBase() + "/";
    return s;
}
const std::string& NewsFeedUrl() {
    static const std::string s = ForumBase() + "/forum.php?mod=rss";
    return s;
}

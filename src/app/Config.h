#pragma once
#include <string>

// Addresses built from the two hosts chosen at build time (KORVANE_UPDATE_HOST,
// KORVANE_FORUM_HOST). Every place that reaches a server takes its address here.
const std::string& UpdateBase();          // "http://" + update host + ":81/eset/Update/"
const std::string& ReleasePackageUrl();   // "http://" + update host + ":81/eset/Korvane_Scan.zip"
const std::string& ForumBase();           // "http://" + forum host
const std::string& ForumHomePage();       // forum base + "/"
const std::string& NewsFeedUrl();         // forum base + "/forum.php?mod=rss"

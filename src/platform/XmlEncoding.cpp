#include "platform/XmlEncoding.h"

#include <algorithm>
#include <cctype>

namespace {

struct NamedCodePage {
    const char* name;
    unsigned codePage;
};

// Lower-case names. GB2312 documents are decoded as GBK, its superset, as every
// browser does: forum software labels GBK text "gb2312" more often than not.
constexpr NamedCodePage kCodePages[] = {
    {"utf-8", 65001},       {"utf8", 65001},
    {"gbk", 936},           {"gb2312", 936},        {"cp936", 936},       {"x-gbk", 936},
    {"windows-936", 936},   {"csgb2312", 936},      {"gb_2312-80", 936},  {"euc-cn", 936},
    {"gb18030", 54936},
    {"big5", 950},          {"cp950", 950},
    {"shift_jis", 932},     {"windows-31j", 932},   {"euc-jp", 20932},
    {"euc-kr", 949},        {"ks_c_5601-1987", 949},
    {"us-ascii", 20127},    {"ascii", 20127},
    {"iso-8859-1", 28591},  {"latin1", 28591},      {"windows-1252", 1252},
    {"windows-1250", 1250}, {"windows-1251", 1251}, {"koi8-r", 20866},
};

bool StartsWith(const Bytes& s, const char* prefix, std::size_t n) {
    return s.size() >= n && s.compare(0, n, prefix, n) == 0;
}

bool IsXmlSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// The value of the declaration's encoding pseudo-attribute, "" when it has none.
std::string DeclaredEncodingName(const Bytes& document) {
    if (!StartsWith(document, "<?xml", 5) || document.size() < 6 || !IsXmlSpace(document[5])) return {};
    const std::size_t end = document.find("?>");
    if (end == Bytes::npos) return {};
    const Bytes decl = document.substr(0, end);
    std::size_t pos = 5;
    while ((pos = decl.find("encoding", pos)) != Bytes::npos) {
        // Only as a pseudo-attribute name: preceded by a space, followed by '='.
        const bool atName = IsXmlSpace(decl[pos - 1]);
        std::size_t i = pos + 8;
        pos = i;
        if (!atName) continue;
        while (i < decl.size() && IsXmlSpace(decl[i])) ++i;
        if (i >= decl.size() || decl[i] != '=') continue;
        ++i;
        while (i < decl.size() && IsXmlSpace(decl[i])) ++i;
        if (i >= decl.size() || (decl[i] != '"' && decl[i] != '\'')) return {};
        const char quote = decl[i];
        const std::size_t close = decl.find(quote, i + 1);
        if (close == Bytes::npos) return {};
        return decl.substr(i + 1, close - i - 1);
    }
    return {};
}

}  // namespace

unsigned CodePageOfEncodingName(const std::string& name) {
    std::string lower = name;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    for (const auto& entry : kCodePages) {
        if (lower == entry.name) return entry.codePage;
    }
    return 0;
}

XmlByteEncoding DetectXmlEncoding(const Bytes& document) {
    XmlByteEncoding result;
    if (StartsWith(document, "\xEF\xBB\xBF", 3)) return {65001, 3, true, "UTF-8"};
    if (StartsWith(document, "\xFF\xFE", 2)) return {1200, 2, true, "UTF-16"};
    if (StartsWith(document, "\xFE\xFF", 2)) return {1201, 2, true, "UTF-16"};
    // UTF-16 without a byte order mark: the first character is '<'.
    if (StartsWith(document, "<\0?\0", 4)) return {1200, 0, true, "UTF-16"};
    if (StartsWith(document, "\0<\0?", 4)) return {1201, 0, true, "UTF-16"};

    result.name = DeclaredEncodingName(document);
    if (result.name.empty()) {
        result.codePage = 65001;  // no encoding declared: UTF-8
        return result;
    }
    result.declared = true;
    result.codePage = CodePageOfEncodingName(result.name);
    return result;
}

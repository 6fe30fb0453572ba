#pragma once
#include "platform/XmlReader.h"

// XmlReader over XmlLite (xmllite.dll, looked up at run time). The bytes are
// decoded here, in the encoding that their byte order mark or declaration names
// (UTF-8, GBK/GB2312, GB18030, Big5, UTF-16, ...), and handed to XmlLite as UTF-16,
// so that every Windows reads the same documents the same way. DTDs are refused,
// and with them every entity beyond the predefined ones.
struct WinXmlReader final : XmlReader {
    bool Parse(const Bytes& bytes, XmlDocument& document) override;
};

// Deepest element nesting accepted; a deeper document is not parsed.
inline constexpr unsigned kMaxXmlDepth = 256;

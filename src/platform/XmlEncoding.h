#pragma once
#include <cstddef>
#include <string>

#include "platform/Bytes.h"

// How the bytes of an XML document are to be decoded, found the way XML parsers
// find it: a byte order mark, else the encoding named in the XML declaration, else
// UTF-8.
struct XmlByteEncoding {
    unsigned codePage = 0;     // Windows code page (1200/1201: UTF-16 LE/BE); 0: unknown name
    std::size_t bomBytes = 0;  // length of the byte order mark before the text
    bool declared = false;     // given by a byte order mark or a declaration, not assumed
    std::string name;          // the encoding name as the declaration writes it
};

XmlByteEncoding DetectXmlEncoding(const Bytes& document);

// The Windows code page of an encoding name (case-insensitive), 0 when unknown.
// The names are those that documents in single- and double-byte encodings use.
unsigned CodePageOfEncodingName(const std::string& name);

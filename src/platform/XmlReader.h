#pragma once
#include <string>
#include <vector>

#include "platform/Bytes.h"

// An element of a parsed XML document. Names and texts are UTF-8, whatever the
// document's own encoding was.
struct XmlElement {
    std::string name;                 // the qualified name as written ("title", "dc:creator")
    std::string text;                 // character data directly inside, references decoded
    std::vector<XmlElement> children; // child elements in document order (no comments, no PIs)
};

// A parsed document: one root element, or nothing when the bytes did not parse.
struct XmlDocument {
    bool parsed = false;
    XmlElement root;
};

// The system's XML parser. Documents come from the network: no DTD is processed,
// no entity is expanded beyond the predefined ones and the character references,
// nothing outside the bytes is ever read.
struct XmlReader {
    virtual ~XmlReader() = default;
    // Parses the bytes in their declared encoding. False, and an empty document,
    // when they are not a well-formed document that the parser accepts.
    virtual bool Parse(const Bytes& bytes, XmlDocument& document) = 0;
};

// Element paths: steps separated by "/". A step is a name, selecting the first
// child element with that name, or "@" and a decimal number N >= 1, selecting the
// N-th child element. Steps start from the document itself, whose only child
// element is the root: "@1" is the root whatever its name. A path that cannot be
// followed selects nothing.
const XmlElement* SelectElement(const XmlDocument& document, const std::string& path);
// The number of child elements of the selected element; 0 when nothing is selected.
int ChildElementCount(const XmlDocument& document, const std::string& path);
// The text of the selected element; empty when nothing is selected.
std::string ElementText(const XmlDocument& document, const std::string& path);

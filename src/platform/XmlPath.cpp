// Element paths over a parsed document (see XmlReader.h).
#include <cstddef>

#include "platform/XmlReader.h"

namespace {

// The 1-based position that an "@N" step names, 0 when the step is not one.
std::size_t PositionStep(const std::string& step) {
    if (step.size() < 2 || step[0] != '@') return 0;
    std::size_t n = 0;
    for (std::size_t i = 1; i < step.size(); ++i) {
        const char c = step[i];
        if (c < '0' || c > '9') return 0;
        n = n * 10 + static_cast<std::size_t>(c - '0');
        if (n > 100000000) return 0;  // more children than any document has
    }
    return n;
}

const XmlElement* FollowStep(const std::vector<XmlElement>& children, const std::string& step) {
    if (step.empty()) return nullptr;
    if (step[0] == '@') {
        const std::size_t n = PositionStep(step);
        return (n >= 1 && n <= children.size()) ? &children[n - 1] : nullptr;
    }
    for (const XmlElement& child : children) {
        if (child.name == step) return &child;
    }
    return nullptr;
}

}  // namespace

const XmlElement* SelectElement(const XmlDocument& document, const std::string& path) {
    if (!document.parsed) return nullptr;
    const XmlElement* selected = nullptr;  // nullptr here: the document node itself
    std::size_t begin = 0;
    for (;;) {
        const std::size_t slash = path.find('/', begin);
        const std::string step = path.substr(begin, slash == std::string::npos ? std::string::npos : slash - begin);
        if (selected) {
            selected = FollowStep(selected->children, step);
        } else {
            // The document node has exactly one child element: the root.
            const bool root = step.empty() ? false
                             : step[0] == '@' ? PositionStep(step) == 1
                                              : step == document.root.name;
            selected = root ? &document.root : nullptr;
        }
        if (!selected || slash == std::string::npos) return selected;
        begin = slash + 1;
    }
}

int ChildElementCount(const XmlDocument& document, const std::string& path) {
    const XmlElement* element = SelectElement(document, path);
    return element ? static_cast<int>(element->children.size()) : 0;
}

std::string ElementText(const XmlDocument& document, const std::string& path) {
    const XmlElement* element = SelectElement(document, path);
    return element ? element->text : std::string();
}

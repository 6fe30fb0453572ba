// The news walk (FillNewsList) and the element paths behind it (SelectElement,
// ChildElementCount, ElementText) over a fuzzed element tree.
//
// Input: a document in a forgiving tag notation, which this harness turns into the
// element tree that the XML reader would hand over: "<name ...>" opens an element,
// "</...>" closes the open one, "<name/>" is an empty element, other characters are
// the open element's text, "<?...?>" and "<!...>" are skipped; tags left open are
// closed at the end, and only the first top-level element counts. Input without
// any element gives a document that did not parse. After a line "%%", every
// further line is an element path to look up.
//
// Properties: the news list gets max(0, children of the channel - 8) rows; row r
// is appended before its cells are set, title before link, and holds the title
// and link texts of the channel's (r + 9)-th child element (empty where missing);
// nothing else of the window is touched; every looked-up path selects what an
// independent walk of the tree selects, and the count and text answers agree.
#include <algorithm>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "news/NewsList.h"
#include "platform/XmlReader.h"
#include "ui/WindowFields.h"

namespace {

constexpr int kMaxDepth = 64;
constexpr int kMaxElements = 4000;

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Builds the tree from the tag notation described above.
XmlDocument BuildTree(const std::string& text) {
    XmlDocument doc;
    std::vector<XmlElement*> open;  // open elements, innermost last
    int elements = 0;
    bool rootDone = false;
    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] != '<') {
            if (!open.empty()) open.back()->text += text[i];
            ++i;
            continue;
        }
        const std::size_t close = text.find('>', i);
        const std::size_t end = close == std::string::npos ? text.size() : close;
        const std::string tag = text.substr(i + 1, end - i - 1);
        i = close == std::string::npos ? text.size() : close + 1;
        if (tag.empty() || tag[0] == '?' || tag[0] == '!') continue;
        if (tag[0] == '/') {
            if (!open.empty()) open.pop_back();
            continue;
        }
        std::size_t nameEnd = 0;
        while (nameEnd < tag.size() && !IsSpace(tag[nameEnd]) && tag[nameEnd] != '/') ++nameEnd;
        const bool selfClosing = tag.back() == '/';
        XmlElement element{tag.substr(0, nameEnd), "", {}};
        if (open.empty()) {
            if (rootDone) continue;  // a second top-level element: not part of the document
            doc.parsed = true;
            doc.root = std::move(element);
            rootDone = true;
            if (!selfClosing) open.push_back(&doc.root);
        } else {
            if (elements >= kMaxElements || static_cast<int>(open.size()) >= kMaxDepth) continue;
            ++elements;
            open.back()->children.push_back(std::move(element));
            if (!selfClosing) open.push_back(&open.back()->children.back());
        }
        // Pointers into a parent's children stay valid: only the innermost open
        // element gets new children.
    }
    return doc;
}

// An independent walk of an element path, step by step.
const XmlElement* ReferenceSelect(const XmlDocument& doc, const std::string& path) {
    if (!doc.parsed) return nullptr;
    std::vector<std::string> steps;
    std::size_t begin = 0;
    for (;;) {
        const std::size_t slash = path.find('/', begin);
        if (slash == std::string::npos) {
            steps.push_back(path.substr(begin));
            break;
        }
        steps.push_back(path.substr(begin, slash - begin));
        begin = slash + 1;
    }
    const XmlElement* current = nullptr;
    for (std::size_t s = 0; s < steps.size(); ++s) {
        const std::string& step = steps[s];
        std::vector<const XmlElement*> candidates;
        if (s == 0) {
            candidates.push_back(&doc.root);
        } else {
            for (const XmlElement& child : current->children) candidates.push_back(&child);
        }
        current = nullptr;
        if (step.empty()) return nullptr;
        if (step[0] == '@') {
            const std::string digits = step.substr(1);
            if (digits.empty() || !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
                return nullptr;
            unsigned long long n = 0;
            for (char c : digits) n = std::min<unsigned long long>(n * 10 + (c - '0'), 1ull << 40);
            if (n < 1 || n > candidates.size()) return nullptr;
            current = candidates[n - 1];
        } else {
            for (const XmlElement* c : candidates) {
                if (c->name == step) {
                    current = c;
                    break;
                }
            }
            if (!current) return nullptr;
        }
    }
    return current;
}

// The first child element named `name`, or none.
const XmlElement* FirstNamed(const XmlElement& parent, const std::string& name) {
    for (const XmlElement& child : parent.children) {
        if (child.name == name) return &child;
    }
    return nullptr;
}

struct RecordingWindow : WindowFields {
    struct Call {
        int row;     // -1: AppendNewsRow
        int column;
        std::string text;
    };
    std::vector<Call> calls;

    std::string ReadText(TextField) override { return Touched("ReadText"), std::string(); }
    void ReplaceText(TextField, const std::string&) override { Touched("ReplaceText"); }
    void ReplaceTextBytes(TextField, const Bytes&) override { Touched("ReplaceTextBytes"); }
    bool IsSelected(Choice) override { return Touched("IsSelected"), false; }
    void DisableRestoreButton() override { Touched("DisableRestoreButton"); }
    void SetProgressPosition(int) override { Touched("SetProgressPosition"); }
    void AppendNewsRow() override { calls.push_back({-1, -1, {}}); }
    void SetNewsCell(int row, int column, const std::string& text) override { calls.push_back({row, column, text}); }

    static void Touched(const char* what) {
        std::fprintf(stderr, "the news walk called %s\n", what);
        FUZZ_CHECK(false, "the news walk touches only the news list");
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    std::size_t split = input.find("\n%%\n");
    const std::string markup = input.substr(0, split);
    const std::string pathLines = split == std::string::npos ? std::string() : input.substr(split + 4);

    const XmlDocument doc = BuildTree(markup);
    RecordingWindow window;
    FillNewsList(doc, window);

    // The expected rows, read straight off the tree.
    const XmlElement* channel = doc.parsed ? FirstNamed(doc.root, "channel") : nullptr;
    const int children = channel ? static_cast<int>(channel->children.size()) : 0;
    const int rows = std::max(0, children - kChannelHeaderElements);
    FUZZ_CHECK(window.calls.size() == static_cast<std::size_t>(rows) * 3, "max(0, children - 8) rows, two cells each");
    for (int r = 0; r < rows; ++r) {
        const XmlElement& post = channel->children[r + kChannelHeaderElements];
        const XmlElement* title = FirstNamed(post, "title");
        const XmlElement* link = FirstNamed(post, "link");
        const auto& append = window.calls[3 * r];
        const auto& first = window.calls[3 * r + 1];
        const auto& second = window.calls[3 * r + 2];
        FUZZ_CHECK(append.row == -1, "each row is appended before its cells are set");
        FUZZ_CHECK(first.row == r && first.column == 0, "then the title cell of that row");
        FUZZ_CHECK(second.row == r && second.column == 1, "then the link cell of that row");
        FUZZ_CHECK(first.text == (title ? title->text : std::string()), "the title is the post's first title");
        FUZZ_CHECK(second.text == (link ? link->text : std::string()), "the link is the post's first link");
    }

    // Element paths from the input, against the independent walk.
    std::size_t begin = 0;
    int looked = 0;
    while (begin <= pathLines.size() && looked++ < 64 && split != std::string::npos) {
        std::size_t eol = pathLines.find('\n', begin);
        if (eol == std::string::npos) eol = pathLines.size();
        const std::string path = pathLines.substr(begin, eol - begin);
        begin = eol + 1;
        const XmlElement* expected = ReferenceSelect(doc, path);
        FUZZ_CHECK(SelectElement(doc, path) == expected, "a path selects what the tree walk selects");
        FUZZ_CHECK(ChildElementCount(doc, path) == (expected ? static_cast<int>(expected->children.size()) : 0),
                   "the child count of the selected element, 0 when none");
        FUZZ_CHECK(ElementText(doc, path) == (expected ? expected->text : std::string()),
                   "the text of the selected element, empty when none");
    }
    return 0;
}

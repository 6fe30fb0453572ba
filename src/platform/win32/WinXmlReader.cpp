#include "platform/win32/WinXmlReader.h"

#include <windows.h>
#include <objidl.h>
#include <shlwapi.h>
#include <xmllite.h>

#include <string>
#include <vector>

#include "platform/XmlEncoding.h"
#include "platform/win32/WinSystemLibrary.h"
#include "platform/win32/WinText.h"

namespace {

// Owns one COM interface pointer.
template <typename T>
class ComRef {
public:
    ComRef() = default;
    ~ComRef() {
        if (p_) p_->Release();
    }
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;
    T* get() const { return p_; }
    T** put() { return &p_; }
    T* operator->() const { return p_; }

private:
    T* p_ = nullptr;
};

using CreateXmlReaderFn = HRESULT(WINAPI*)(REFIID, void**, IMalloc*);

// xmllite.dll has no import library in every tool set: it is looked up once and
// stays loaded for the rest of the run.
CreateXmlReaderFn CreateXmlReaderEntry() {
    static const CreateXmlReaderFn entry = [] {
        HMODULE dll = LoadSystemLibrary(L"xmllite.dll");
        return dll ? reinterpret_cast<CreateXmlReaderFn>(reinterpret_cast<void*>(GetProcAddress(dll, "CreateXmlReader")))
                   : nullptr;
    }();
    return entry;
}

bool DecodeWith(UINT codePage, DWORD flags, const char* data, int size, std::wstring& out) {
    if (size == 0) {
        out.clear();
        return true;
    }
    const int n = MultiByteToWideChar(codePage, flags, data, size, nullptr, 0);
    if (n <= 0) return false;
    out.assign(static_cast<size_t>(n), L'\0');
    return MultiByteToWideChar(codePage, flags, data, size, out.data(), n) == n;
}

// The document as UTF-16 text, in the encoding its bytes declare.
bool DecodeDocument(const Bytes& bytes, std::wstring& text) {
    const XmlByteEncoding encoding = DetectXmlEncoding(bytes);
    if (encoding.codePage == 0) return false;  // an encoding this reader does not know
    const char* data = bytes.data() + encoding.bomBytes;
    const size_t size = bytes.size() - encoding.bomBytes;
    if (size > 0x7FFFFFFF) return false;
    if (encoding.codePage == 1200 || encoding.codePage == 1201) {
        const bool bigEndian = encoding.codePage == 1201;
        text.assign(size / 2, L'\0');
        for (size_t i = 0; i + 1 < size; i += 2) {
            const auto lo = static_cast<unsigned char>(data[bigEndian ? i + 1 : i]);
            const auto hi = static_cast<unsigned char>(data[bigEndian ? i : i + 1]);
            text[i / 2] = static_cast<wchar_t>(lo | (hi << 8));
        }
        return true;
    }
    const int n = static_cast<int>(size);
    if (!encoding.declared) {
        // Nothing declared: UTF-8 by the rules of XML. Documents that are not valid
        // UTF-8 were written in the system's own code page; read them as such.
        if (DecodeWith(CP_UTF8, MB_ERR_INVALID_CHARS, data, n, text)) return true;
        return DecodeWith(CP_ACP, 0, data, n, text);
    }
    UINT codePage = encoding.codePage;
    // GB18030 needs its own tables, which not every system has; its two-byte part
    // is GBK, which holds every character a Chinese forum writes.
    if (codePage == 54936 && !IsValidCodePage(54936)) codePage = 936;
    return DecodeWith(codePage, 0, data, n, text);
}

// The text is decoded already: the declaration, which names the encoding of the
// bytes, no longer applies to it and is removed before the parser sees the text.
void RemoveXmlDeclaration(std::wstring& text) {
    if (text.compare(0, 5, L"<?xml") != 0 || text.size() < 6) return;
    const wchar_t after = text[5];
    if (after != L' ' && after != L'\t' && after != L'\r' && after != L'\n') return;
    const size_t end = text.find(L"?>");
    if (end != std::wstring::npos) text.erase(0, end + 2);
}

bool ReadTree(IXmlReader* reader, XmlElement& root) {
    std::vector<XmlElement*> open;  // the chain of elements whose end tag is still to come
    bool haveRoot = false;
    XmlNodeType type = XmlNodeType_None;
    HRESULT hr;
    while ((hr = reader->Read(&type)) == S_OK) {
        switch (type) {
            case XmlNodeType_Element: {
                const WCHAR* name = nullptr;
                UINT nameLength = 0;
                if (FAILED(reader->GetQualifiedName(&name, &nameLength))) return false;
                XmlElement* element = nullptr;
                if (open.empty()) {
                    if (haveRoot) return false;
                    haveRoot = true;
                    element = &root;
                } else {
                    open.back()->children.emplace_back();
                    element = &open.back()->children.back();
                }
                element->name = WideToUtf8(std::wstring(name, nameLength));
                if (!reader->IsEmptyElement()) {
                    if (open.size() >= kMaxXmlDepth) return false;
                    open.push_back(element);
                }
                break;
            }
            case XmlNodeType_EndElement:
                if (open.empty()) return false;
                open.pop_back();
                break;
            case XmlNodeType_Text:
            case XmlNodeType_CDATA:
            case XmlNodeType_Whitespace:
                if (!open.empty()) {
                    const WCHAR* value = nullptr;
                    UINT valueLength = 0;
                    if (FAILED(reader->GetValue(&value, &valueLength))) return false;
                    open.back()->text += WideToUtf8(std::wstring(value, valueLength));
                }
                break;
            default:  // declaration, comments, processing instructions
                break;
        }
    }
    return hr == S_FALSE && haveRoot && open.empty();
}

}  // namespace

bool WinXmlReader::Parse(const Bytes& bytes, XmlDocument& document) {
    document = XmlDocument{};

    std::wstring text;
    if (!DecodeDocument(bytes, text)) return false;
    RemoveXmlDeclaration(text);
    text.insert(text.begin(), L'\xFEFF');  // the parser reads the bytes below as UTF-16

    const CreateXmlReaderFn create = CreateXmlReaderEntry();
    if (!create) return false;
    ComRef<IXmlReader> reader;
    if (FAILED(create(__uuidof(IXmlReader), reinterpret_cast<void**>(reader.put()), nullptr))) return false;
    // Without DTD processing nothing can name a file or an address to read, and no
    // entity can expand: a document with a DTD fails as a whole.
    if (FAILED(reader->SetProperty(XmlReaderProperty_DtdProcessing, DtdProcessing_Prohibit))) return false;
    reader->SetProperty(XmlReaderProperty_XmlResolver, 0);
    reader->SetProperty(XmlReaderProperty_MaxElementDepth, kMaxXmlDepth);

    ComRef<IStream> stream;
    *stream.put() = SHCreateMemStream(reinterpret_cast<const BYTE*>(text.data()),
                                      static_cast<UINT>(text.size() * sizeof(wchar_t)));
    if (!stream.get() || FAILED(reader->SetInput(stream.get()))) return false;

    XmlDocument parsed;
    if (!ReadTree(reader.get(), parsed.root)) return false;
    parsed.parsed = true;
    document = std::move(parsed);
    return true;
}

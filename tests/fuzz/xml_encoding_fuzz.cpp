// DetectXmlEncoding and CodePageOfEncodingName: how the feed's bytes are to be
// decoded, sniffed from the first bytes of a document that came from the network.
//
// Input: byte 0 chooses the mode, the rest is the payload.
//   even: the payload is the document as it arrived.
//   odd:  the payload is an encoding name (up to the first zero byte) and a tail;
//         the harness writes a declaration naming it, with the quote and the
//         blanks around '=' taken from byte 0, in front of the tail.
//
// Properties: a byte order mark is reported only when the document starts with
// it, with its true length; without a declaration the answer is UTF-8; a declared
// name is the text between the quotes of the declaration's encoding
// pseudo-attribute, in front of the first "?>", and its code page is
// CodePageOfEncodingName(name), which ignores letter case; a declaration the
// harness wrote is read back exactly.
#include <algorithm>
#include <cctype>
#include <string>

#include "FuzzSupport.h"
#include "platform/XmlEncoding.h"

namespace {

bool StartsWith(const std::string& s, const std::string& prefix) { return s.compare(0, prefix.size(), prefix) == 0; }

std::string Cased(std::string s, bool upper) {
    for (char& c : s) c = static_cast<char>(upper ? std::toupper(static_cast<unsigned char>(c))
                                                  : std::tolower(static_cast<unsigned char>(c)));
    return s;
}

void CheckAnswer(const Bytes& document, const XmlByteEncoding& found) {
    FUZZ_CHECK(found.bomBytes <= document.size(), "the byte order mark lies within the document");
    if (found.bomBytes == 3) {
        FUZZ_CHECK(StartsWith(document, "\xEF\xBB\xBF") && found.codePage == 65001, "UTF-8 mark");
    } else if (found.bomBytes == 2) {
        FUZZ_CHECK((StartsWith(document, "\xFF\xFE") && found.codePage == 1200) ||
                       (StartsWith(document, "\xFE\xFF") && found.codePage == 1201),
                   "UTF-16 mark, with its byte order");
    } else {
        FUZZ_CHECK(found.bomBytes == 0, "a mark is 2 or 3 bytes");
        FUZZ_CHECK(!StartsWith(document, "\xEF\xBB\xBF") && !StartsWith(document, "\xFF\xFE") &&
                       !StartsWith(document, "\xFE\xFF"),
                   "a document that starts with a mark has it reported");
    }
    if (!found.declared) {
        FUZZ_CHECK(found.codePage == 65001 && found.name.empty(), "nothing declared: UTF-8");
        return;
    }
    if (found.bomBytes != 0 || found.codePage == 1200 || found.codePage == 1201) return;
    // Declared in the XML declaration.
    FUZZ_CHECK(!found.name.empty(), "a declared name is not empty");
    FUZZ_CHECK(StartsWith(document, "<?xml"), "only a document that opens with a declaration declares");
    const std::size_t declEnd = document.find("?>");
    FUZZ_CHECK(declEnd != Bytes::npos, "the declaration is closed");
    const std::string decl = document.substr(0, declEnd);
    const std::size_t word = decl.find("encoding");
    FUZZ_CHECK(word != std::string::npos, "a declared name follows the word encoding");
    const bool doubleQuoted = decl.find('"' + found.name + '"', word) != std::string::npos &&
                              found.name.find('"') == std::string::npos;
    const bool singleQuoted = decl.find('\'' + found.name + '\'', word) != std::string::npos &&
                              found.name.find('\'') == std::string::npos;
    FUZZ_CHECK(doubleQuoted || singleQuoted, "the name is the text between a pair of quotes of the declaration");
    FUZZ_CHECK(found.codePage == CodePageOfEncodingName(found.name), "the code page of that name");
    FUZZ_CHECK(CodePageOfEncodingName(Cased(found.name, true)) == CodePageOfEncodingName(Cased(found.name, false)),
               "names are matched whatever their letter case");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::uint8_t mode = data[0];
    const Bytes payload(reinterpret_cast<const char*>(data + 1), size - 1);

    if (!(mode & 1)) {
        CheckAnswer(payload, DetectXmlEncoding(payload));
        return 0;
    }

    // A declaration of our own, read back.
    const std::size_t zero = payload.find('\0');
    const std::string name = payload.substr(0, zero);
    const std::string tail = zero == std::string::npos ? std::string() : payload.substr(zero + 1);
    const char quote = (mode & 2) ? '\'' : '"';
    if (name.empty() || name.find(quote) != std::string::npos || name.find("?>") != std::string::npos) return 0;
    const std::string before = (mode & 4) ? " " : "";
    const std::string after = (mode & 8) ? "\t" : "";
    const Bytes document = "<?xml version=\"1.0\" encoding" + before + "=" + after + quote + name + quote + "?>" + tail;
    const XmlByteEncoding found = DetectXmlEncoding(document);
    CheckAnswer(document, found);
    FUZZ_CHECK(found.declared && found.bomBytes == 0, "a written declaration is found");
    FUZZ_CHECK(found.name == name, "the written name is read back exactly");
    return 0;
}

// The counter's readers of hostile files: plain text in any encoding, and
// .docx/.odt documents down to their zip entries and XML.
#include "count/DocumentText.h"
#include "count/Encoding.h"
#include "tests/fuzz/FuzzCheck.h"

#include <string>

// Input: a selector byte, then the bytes of a text file.
void FuzzEncoding(const uint8_t* data, size_t size)
{
    FuzzReader in{data, size};
    const uint8_t pick = in.Byte();
    const unsigned char* text = in.p;
    const size_t n = in.left;

    const TextEncoding detected = DetectTextEncoding(text, n);
    FUZZ_CHECK(detected != TextEncoding::Utf8 || IsValidUtf8(text, n));
    const TextEncoding encodings[] = {detected, TextEncoding::SingleByte, TextEncoding::Utf8,
                                      TextEncoding::Utf8Bom, TextEncoding::Utf16Le, TextEncoding::Utf16Be};
    const TextEncoding encoding = encodings[pick % 6];
    std::string out = "kept";
    AppendAs1252(text, n, encoding, out);
    // Appends only, and never more characters than there were bytes.
    FUZZ_CHECK(out.compare(0, 4, "kept") == 0);
    FUZZ_CHECK(out.size() - 4 <= n);
    if (encoding == TextEncoding::SingleByte)
        FUZZ_CHECK(out.compare(4, std::string::npos, reinterpret_cast<const char*>(text), n) == 0);

    // Plain ASCII passes through UTF-8 unchanged.
    bool ascii = true;
    for (size_t i = 0; i < n && ascii; ++i)
        ascii = text[i] < 0x80;
    std::string utf8;
    AppendUtf8As1252(text, n, utf8);
    FUZZ_CHECK(utf8.size() <= n);
    if (ascii)
        FUZZ_CHECK(utf8.size() == n && std::equal(utf8.begin(), utf8.end(), text));
}

// Input: a selector byte, then a whole document or the XML of its main part.
void FuzzDocuments(const uint8_t* data, size_t size)
{
    FuzzReader in{data, size};
    const uint8_t pick = in.Byte();
    const char* bytes = reinterpret_cast<const char*>(in.p);
    const size_t n = in.left;
    std::string out = "kept", error, xml;
    bool ok = false;
    switch (pick % 4) {
    case 0: ok = DocxXmlText(bytes, n, out, error); break;
    case 1: ok = OdtXmlText(bytes, n, out, error); break;
    case 2: ok = ExtractDocumentText(DocumentKind::Docx, in.p, n, xml, out, error); break;
    default: ok = ExtractDocumentText(DocumentKind::Odt, in.p, n, xml, out, error); break;
    }
    FUZZ_CHECK(out.compare(0, 4, "kept") == 0);
    // A refused document says why.
    FUZZ_CHECK(ok || !error.empty());
}

#include "count/DocumentText.h"

#include "count/Encoding.h"
#include "count/XmlReader.h"
#include "count/ZipReader.h"

#include <cstdlib>
#include <cstring>

namespace {

bool EndsWithIgnoringCase(const char* text, const char* suffix)
{
    size_t n = strlen(text), m = strlen(suffix);
    if (n < m)
        return false;
    for (size_t i = 0; i < m; ++i) {
        char c = text[n - m + i];
        if (c >= 'A' && c <= 'Z')
            c = (char)(c - 'A' + 'a');
        if (c != suffix[i])
            return false;
    }
    return true;
}

bool Damaged(const std::string& reason, std::string& error)
{
    error = reason;
    return false;
}

const char kBadReference[] = "damaged XML (broken character reference)";

// Skips the subtree of a start tag just read; false when the XML is damaged.
bool SkipSubtree(XmlReader& xml, const XmlToken& start)
{
    if (start.kind != XmlToken::StartTag)
        return true;
    int depth = 1;
    XmlToken t;
    while (depth && xml.Next(t)) {
        if (t.kind == XmlToken::StartTag)
            ++depth;
        else if (t.kind == XmlToken::EndTag)
            --depth;
    }
    return depth == 0;
}

} // namespace

DocumentKind DocumentKindOf(const char* path)
{
    if (EndsWithIgnoringCase(path, ".docx"))
        return DocumentKind::Docx;
    if (EndsWithIgnoringCase(path, ".odt"))
        return DocumentKind::Odt;
    return DocumentKind::PlainText;
}

bool DocxXmlText(const char* data, size_t size, std::string& out, std::string& error)
{
    XmlReader xml(data, size);
    XmlToken t;
    int paragraphs = 0;
    int runDepth = 0;     // inside w:r
    int textDepth = 0;    // inside w:t
    while (xml.Next(t)) {
        switch (t.kind) {
        case XmlToken::StartTag:
        case XmlToken::EmptyTag:
            if (t.Is("mc:Fallback")) {
                if (!SkipSubtree(xml, t))
                    return Damaged(xml.Error(), error);
            } else if (t.Is("w:p")) {
                if (paragraphs++)
                    out += "\r\n";
            } else if (t.Is("w:r")) {
                runDepth += t.kind == XmlToken::StartTag;
            } else if (t.Is("w:t")) {
                textDepth += t.kind == XmlToken::StartTag;
            } else if (runDepth) {
                if (t.Is("w:tab"))
                    out += '\t';
                else if (t.Is("w:br") || t.Is("w:cr"))
                    out += "\r\n";
                else if (t.Is("w:noBreakHyphen"))
                    out += '-';
            }
            break;
        case XmlToken::EndTag:
            if (t.Is("w:r"))
                runDepth -= runDepth > 0;
            else if (t.Is("w:t"))
                textDepth -= textDepth > 0;
            break;
        case XmlToken::Text:
            if (textDepth && !AppendXmlTextAs1252(t.body, t.bodyLength, out))
                return Damaged(kBadReference, error);
            break;
        case XmlToken::CData:
            if (textDepth)
                AppendUtf8As1252((const unsigned char*)t.body, t.bodyLength, out);
            break;
        }
    }
    if (xml.Failed())
        return Damaged(xml.Error(), error);
    return true;
}

bool OdtXmlText(const char* data, size_t size, std::string& out, std::string& error)
{
    XmlReader xml(data, size);
    XmlToken t;
    int paragraphs = 0;
    int paragraphDepth = 0;
    bool blankBefore = true;   // a collapsible blank would be dropped here
    std::string piece;
    while (xml.Next(t)) {
        switch (t.kind) {
        case XmlToken::StartTag:
        case XmlToken::EmptyTag:
            if (t.Is("office:annotation") || t.Is("text:note") || t.Is("text:tracked-changes") ||
                t.Is("office:annotation-end") || t.Is("svg:title") || t.Is("svg:desc")) {
                if (!SkipSubtree(xml, t))
                    return Damaged(xml.Error(), error);
            } else if (t.Is("text:p") || t.Is("text:h")) {
                if (paragraphs++)
                    out += "\r\n";
                paragraphDepth += t.kind == XmlToken::StartTag;
                blankBefore = true;
            } else if (paragraphDepth) {
                if (t.Is("text:s")) {
                    std::string count;
                    long n = 1;
                    if (XmlAttribute(t, "text:c", count)) {
                        n = strtol(count.c_str(), nullptr, 10);
                        if (n < 1 || n > 65535)
                            return Damaged("damaged XML (space count)", error);
                    }
                    out.append((size_t)n, ' ');
                    blankBefore = false;
                } else if (t.Is("text:tab")) {
                    out += '\t';
                    blankBefore = false;
                } else if (t.Is("text:line-break")) {
                    out += "\r\n";
                    blankBefore = false;
                }
            }
            break;
        case XmlToken::EndTag:
            if (t.Is("text:p") || t.Is("text:h"))
                paragraphDepth -= paragraphDepth > 0;
            break;
        case XmlToken::Text:
        case XmlToken::CData:
            if (!paragraphDepth)
                break;
            piece.clear();
            if (t.kind == XmlToken::CData)
                AppendUtf8As1252((const unsigned char*)t.body, t.bodyLength, piece);
            else if (!AppendXmlTextAs1252(t.body, t.bodyLength, piece))
                return Damaged(kBadReference, error);
            for (char c : piece) {
                if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
                    if (!blankBefore)
                        out += ' ';
                    blankBefore = true;
                } else {
                    out += c;
                    blankBefore = false;
                }
            }
            break;
        }
    }
    if (xml.Failed())
        return Damaged(xml.Error(), error);
    return true;
}

bool ExtractDocumentText(DocumentKind kind, const unsigned char* data, size_t size,
                         std::string& xml, std::string& out, std::string& error)
{
    ZipReader zip;
    if (!zip.Open(data, size, error))
        return false;
    const char* part = kind == DocumentKind::Docx ? "word/document.xml" : "content.xml";
    if (!zip.Extract(part, xml, error))
        return false;
    std::string why;
    bool ok = kind == DocumentKind::Docx ? DocxXmlText(xml.data(), xml.size(), out, why)
                                         : OdtXmlText(xml.data(), xml.size(), out, why);
    if (!ok)
        error = why + " in " + part;
    return ok;
}

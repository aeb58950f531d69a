#include "count/XmlReader.h"

#include "count/Encoding.h"

#include <cstdint>
#include <cstring>

namespace {

inline bool IsXmlSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

inline bool IsNameEnd(char c)
{
    return IsXmlSpace(c) || c == '/' || c == '>';
}

const char* FindText(const char* p, const char* end, const char* what)
{
    size_t n = strlen(what);
    for (; (size_t)(end - p) >= n; ++p) {
        p = (const char*)memchr(p, what[0], (size_t)(end - p));
        if (!p || (size_t)(end - p) < n)
            return nullptr;
        if (memcmp(p, what, n) == 0)
            return p;
    }
    return nullptr;
}

} // namespace

bool XmlReader::Fail(const char* reason)
{
    error_ = reason;
    p_ = end_;
    return false;
}

// At the end of the data: the end of the document, or a damaged one.
bool XmlReader::Finish()
{
    if (!error_.empty())
        return false;
    if (!open_.empty())
        return Fail("damaged XML (document ends inside an element)");
    if (!sawRoot_)
        return Fail("damaged XML (no root element)");
    return false;
}

// Text up to the next tag.
XmlReader::Step XmlReader::ReadText(XmlToken& token)
{
    const char* lt = (const char*)memchr(p_, '<', (size_t)(end_ - p_));
    const char* stop = lt ? lt : end_;
    token.kind = XmlToken::Text;
    token.body = p_;
    token.bodyLength = (size_t)(stop - p_);
    token.name = nullptr;
    token.nameLength = 0;
    p_ = stop;
    if (!open_.empty())
        return Step::Token;
    // Only white space may stand outside the root element.
    for (size_t i = 0; i < token.bodyLength; ++i)
        if (!IsXmlSpace(token.body[i])) {
            Fail("damaged XML (text outside the root element)");
            return Step::Stop;
        }
    return Step::Skipped;
}

// "<?" or "<!": a comment, processing instruction or document type is
// skipped, CDATA is a token. q is just past the '<'.
XmlReader::Step XmlReader::ReadMarkup(const char* q, XmlToken& token)
{
    const char* close;
    size_t skip;
    if ((size_t)(end_ - q) >= 3 && memcmp(q, "!--", 3) == 0) {
        close = FindText(q + 3, end_, "-->");
        skip = 3;
    } else if ((size_t)(end_ - q) >= 8 && memcmp(q, "![CDATA[", 8) == 0) {
        close = FindText(q + 8, end_, "]]>");
        if (!close || open_.empty()) {
            Fail(!close ? "damaged XML (unterminated CDATA)" : "damaged XML (text outside the root element)");
            return Step::Stop;
        }
        token.kind = XmlToken::CData;
        token.body = q + 8;
        token.bodyLength = (size_t)(close - (q + 8));
        p_ = close + 3;
        return Step::Token;
    } else if (*q == '?') {
        close = FindText(q, end_, "?>");
        skip = 2;
    } else {
        close = FindText(q, end_, ">");   // a document type without internal subset
        skip = 1;
    }
    if (!close) {
        Fail("damaged XML (unterminated markup)");
        return Step::Stop;
    }
    p_ = close + skip;
    return Step::Skipped;
}

// A start, end or empty tag; q is just past the '<'.
bool XmlReader::ReadTag(const char* q, XmlToken& token)
{
    bool isEnd = q < end_ && *q == '/';
    if (isEnd)
        ++q;
    const char* name = q;
    while (q < end_ && !IsNameEnd(*q))
        ++q;
    if (q == name || q >= end_)
        return Fail("damaged XML (broken tag)");
    size_t nameLength = (size_t)(q - name);
    // The tag ends at the first '>' outside quoted attribute values.
    const char* body = q;
    char quote = 0;
    for (; q < end_; ++q) {
        if (quote) {
            if (*q == quote)
                quote = 0;
        } else if (*q == '"' || *q == '\'')
            quote = *q;
        else if (*q == '>' || *q == '<')
            break;
    }
    if (q >= end_ || *q != '>')
        return Fail("damaged XML (unterminated tag)");
    bool empty = !isEnd && q > body && q[-1] == '/';
    token.name = name;
    token.nameLength = nameLength;
    token.body = body;
    token.bodyLength = (size_t)(q - body) - (empty ? 1 : 0);
    p_ = q + 1;
    if (isEnd) {
        if (open_.empty() || open_.back().second != nameLength ||
            memcmp(open_.back().first, name, nameLength) != 0)
            return Fail("damaged XML (elements do not nest)");
        open_.pop_back();
        token.kind = XmlToken::EndTag;
    } else {
        if (open_.empty() && sawRoot_)
            return Fail("damaged XML (a second root element)");
        sawRoot_ = true;
        if (empty)
            token.kind = XmlToken::EmptyTag;
        else {
            open_.emplace_back(name, nameLength);
            token.kind = XmlToken::StartTag;
        }
    }
    return true;
}

bool XmlReader::Next(XmlToken& token)
{
    for (;;) {
        if (p_ >= end_)
            return Finish();
        const char* q = p_ + 1;
        Step step;
        if (*p_ != '<')
            step = ReadText(token);
        else if (q < end_ && (*q == '?' || *q == '!'))
            step = ReadMarkup(q, token);
        else
            return ReadTag(q, token);
        if (step != Step::Skipped)
            return step == Step::Token;
    }
}

bool AppendXmlTextAs1252(const char* text, size_t length, std::string& out)
{
    const char* p = text;
    const char* end = text + length;
    while (p < end) {
        const char* amp = (const char*)memchr(p, '&', (size_t)(end - p));
        const char* stop = amp ? amp : end;
        AppendUtf8As1252((const unsigned char*)p, (size_t)(stop - p), out);
        if (!amp)
            break;
        const char* semi = (const char*)memchr(amp, ';', (size_t)(end - amp));
        if (!semi || semi - amp > 12)
            return false;
        std::string name(amp + 1, semi);
        uint32_t cp = 0;
        if (name == "lt")
            cp = '<';
        else if (name == "gt")
            cp = '>';
        else if (name == "amp")
            cp = '&';
        else if (name == "quot")
            cp = '"';
        else if (name == "apos")
            cp = '\'';
        else if (name.size() >= 2 && name[0] == '#') {
            bool hex = name[1] == 'x';
            size_t i = hex ? 2 : 1;
            if (i >= name.size())
                return false;
            for (; i < name.size(); ++i) {
                char c = name[i];
                int digit;
                if (c >= '0' && c <= '9')
                    digit = c - '0';
                else if (hex && c >= 'a' && c <= 'f')
                    digit = c - 'a' + 10;
                else if (hex && c >= 'A' && c <= 'F')
                    digit = c - 'A' + 10;
                else
                    return false;
                cp = cp * (hex ? 16 : 10) + (uint32_t)digit;
                if (cp > 0x10FFFF)
                    return false;
            }
            if (cp == 0)
                return false;
        } else
            return false;
        out += (char)CodePointTo1252(cp);
        p = semi + 1;
    }
    return true;
}

bool XmlAttribute(const XmlToken& tag, const char* qualifiedName, std::string& value)
{
    const char* p = tag.body;
    const char* end = tag.body + tag.bodyLength;
    size_t n = strlen(qualifiedName);
    while (p < end) {
        while (p < end && IsXmlSpace(*p))
            ++p;
        const char* name = p;
        while (p < end && *p != '=' && !IsXmlSpace(*p))
            ++p;
        size_t nameLength = (size_t)(p - name);
        while (p < end && (IsXmlSpace(*p) || *p == '='))
            ++p;
        if (p >= end || (*p != '"' && *p != '\''))
            return false;
        char quote = *p++;
        const char* v = p;
        while (p < end && *p != quote)
            ++p;
        if (p >= end)
            return false;
        if (nameLength == n && memcmp(name, qualifiedName, n) == 0) {
            value.clear();
            return AppendXmlTextAs1252(v, (size_t)(p - v), value);
        }
        ++p;
    }
    return false;
}

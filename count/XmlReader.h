// A small pull reader for the XML of office documents: tags, attributes,
// text, CDATA; comments, processing instructions and the document type are
// skipped. It checks that the elements nest, which is what tells a damaged
// document from a sound one; it does not validate beyond that.
#ifndef QT_COUNT_XMLREADER_H
#define QT_COUNT_XMLREADER_H

#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

struct XmlToken {
    enum Kind { StartTag, EndTag, EmptyTag, Text, CData } kind = Text;
    const char* name = nullptr;    // tags: qualified name, as written
    size_t nameLength = 0;
    const char* body = nullptr;    // tags: the attributes; Text/CData: the raw text
    size_t bodyLength = 0;

    template <size_t N>
    bool Is(const char (&qualifiedName)[N]) const
    {
        return nameLength == N - 1 && memcmp(name, qualifiedName, N - 1) == 0;
    }
};

class XmlReader {
public:
    // A UTF-8 byte order mark in front of the document is skipped.
    XmlReader(const char* data, size_t size) : p_(data), end_(data + size)
    {
        if (size >= 3 && memcmp(data, "\xEF\xBB\xBF", 3) == 0)
            p_ += 3;
    }

    // The next token; false at the end of the document or on an error.
    bool Next(XmlToken& token);
    // After Next returned false: whether the document was damaged, and why.
    bool Failed() const { return !error_.empty(); }
    const std::string& Error() const { return error_; }

private:
    // What one step of Next did: gave a token, skipped something, or ended.
    enum class Step { Token, Skipped, Stop };

    bool Fail(const char* reason);
    bool Finish();
    Step ReadText(XmlToken& token);
    Step ReadMarkup(const char* q, XmlToken& token);
    bool ReadTag(const char* q, XmlToken& token);

    const char* p_;
    const char* end_;
    std::vector<std::pair<const char*, size_t>> open_;
    bool sawRoot_ = false;
    std::string error_;
};

// Decodes the entities and character references of raw text and appends its
// Windows-1252 form. False on an unknown or broken reference.
bool AppendXmlTextAs1252(const char* text, size_t length, std::string& out);

// The value of an attribute of a tag (entities decoded, in 1252); false when
// it is missing.
bool XmlAttribute(const XmlToken& tag, const char* qualifiedName, std::string& value);

#endif

// The source is read line by line; text lines gather into a paragraph until
// a blank line, a list item or a directive ends it.
#include "tools/HelpSource.h"

#include "tools/HelpFormat.h"

#include <map>

namespace hlp {

namespace {

std::string Trim(const std::string& s)
{
    size_t b = s.find_first_not_of(" \t");
    if (b == std::string::npos)
        return std::string();
    size_t e = s.find_last_not_of(" \t");
    return s.substr(b, e - b + 1);
}

bool ValidName(const std::string& name)
{
    if (name.empty())
        return false;
    for (unsigned char c : name)
        if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '.'))
            return false;
    return true;
}

std::string Lower(std::string s)
{
    for (char& c : s)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return s;
}

// Strings are stored 0-terminated and shown on one line: no control bytes.
bool HasControlBytes(const std::string& text)
{
    for (unsigned char c : text)
        if (c < 0x20)
            return true;
    return false;
}

const char kNoControlBytes[] = "control characters are not allowed in text";

// "**text**" at i: a bold span; moves i past it.
bool ParseBold(const std::string& text, size_t& i, std::vector<Span>& spans, std::string& error)
{
    size_t close = text.find("**", i + 2);
    if (close == std::string::npos || close == i + 2) {
        error = "unclosed or empty **bold**";
        return false;
    }
    spans.push_back(Span{Span::Bold, text.substr(i + 2, close - i - 2), std::string()});
    i = close + 2;
    return true;
}

// "[[name|text]]" at i: a jump; moves i past it.
bool ParseJump(const std::string& text, size_t& i, std::vector<Span>& spans, std::string& error)
{
    size_t close = text.find("]]", i + 2);
    std::string inner = close == std::string::npos ? std::string() : text.substr(i + 2, close - i - 2);
    size_t bar = inner.find('|');
    if (bar == std::string::npos || bar == 0 || bar + 1 == inner.size()) {
        error = "a jump is written [[name|text]]";
        return false;
    }
    spans.push_back(Span{Span::Link, inner.substr(bar + 1), inner.substr(0, bar)});
    i = close + 2;
    return true;
}

bool ParseSpans(const std::string& text, std::vector<Span>& spans, std::string& error)
{
    if (HasControlBytes(text)) {
        error = kNoControlBytes;
        return false;
    }
    std::string plain;
    auto flush = [&] {
        if (!plain.empty())
            spans.push_back(Span{Span::Text, plain, std::string()});
        plain.clear();
    };
    for (size_t i = 0; i < text.size();) {
        bool bold = text.compare(i, 2, "**") == 0;
        if (bold || text.compare(i, 2, "[[") == 0) {
            flush();
            if (!(bold ? ParseBold(text, i, spans, error) : ParseJump(text, i, spans, error)))
                return false;
        } else {
            plain += text[i++];
        }
    }
    flush();
    return true;
}

// One pass over the source. Each method that can fail returns false with the
// error set, naming the line it concerns.
class SourceParser {
public:
    SourceParser(Document& doc, std::string& error) : doc_(doc), error_(error) {}

    bool Parse(const std::string& source)
    {
        size_t start = 0;
        while (start <= source.size()) {
            size_t nl = source.find('\n', start);
            std::string line = source.substr(start, nl == std::string::npos ? std::string::npos : nl - start);
            start = nl == std::string::npos ? source.size() + 1 : nl + 1;
            ++lineNo_;
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            if (!Line(line))
                return false;
        }
        if (!FlushParagraph())
            return false;
        lineNo_ = 0;
        return CheckDocument() && CheckTopicNames() && CheckJumps();
    }

private:
    bool Fail(const std::string& why)
    {
        error_ = "line " + std::to_string(lineNo_) + ": " + why;
        return false;
    }

    bool Line(const std::string& line)
    {
        if (!line.empty() && line[0] == '#')
            return true;
        if (!line.empty() && line[0] == '.')
            return FlushParagraph() && Directive(line);
        std::string text = Trim(line);
        if (text.empty())
            return FlushParagraph();
        if (text.compare(0, 2, "- ") == 0) {
            if (!FlushParagraph())
                return false;
            item_ = true;
            paraLine_ = lineNo_;
            para_ = Trim(text.substr(2));
            return true;
        }
        if (para_.empty())
            paraLine_ = lineNo_;
        para_ += para_.empty() ? text : " " + text;
        return true;
    }

    // Ends the paragraph gathered so far, if any, and adds it to the topic.
    bool FlushParagraph()
    {
        if (para_.empty())
            return true;
        if (doc_.topics.empty()) {
            lineNo_ = paraLine_;
            return Fail("text before the first .topic");
        }
        Paragraph p;
        p.style = item_ ? Paragraph::Item : Paragraph::Body;
        std::string why;
        if (!ParseSpans(para_, p.spans, why)) {
            lineNo_ = paraLine_;
            return Fail(why);
        }
        doc_.topics.back().paragraphs.push_back(p);
        para_.clear();
        item_ = false;
        return true;
    }

    bool Directive(const std::string& line)
    {
        size_t sp = line.find_first_of(" \t");
        std::string word = line.substr(0, sp);
        std::string rest = sp == std::string::npos ? std::string() : Trim(line.substr(sp));
        if (word != ".topic" && HasControlBytes(rest))
            return Fail(kNoControlBytes);
        if (word == ".title")
            doc_.title = rest;
        else if (word == ".copyright")
            doc_.copyright = rest;
        else if (word == ".topic")
            return StartTopic(rest);
        else
            return Fail("unknown directive " + word);
        return true;
    }

    // ".topic NAME TITLE": a new topic whose first paragraph is its title.
    bool StartTopic(const std::string& rest)
    {
        size_t split = rest.find_first_of(" \t");
        Topic t;
        t.name = rest.substr(0, split);
        t.title = split == std::string::npos ? std::string() : Trim(rest.substr(split));
        if (!ValidName(t.name))
            return Fail("a topic name takes letters, digits, '_' and '.' only");
        if (t.title.empty())
            return Fail("topic " + t.name + " has no title");
        if (HasControlBytes(t.title))
            return Fail(kNoControlBytes);
        Paragraph heading;
        heading.style = Paragraph::Heading;
        heading.spans.push_back(Span{Span::Text, t.title, std::string()});
        t.paragraphs.push_back(heading);
        doc_.topics.push_back(t);
        return true;
    }

    bool CheckDocument()
    {
        if (doc_.topics.empty())
            return Fail("no topics");
        if (doc_.title.empty())
            return Fail("no .title");
        return true;
    }

    // Every topic needs a hash of its own, and none may be 0, which a viewer
    // reads as the contents page.
    bool CheckTopicNames()
    {
        for (const Topic& t : doc_.topics) {
            if (ContextHash(t.name) == 0)
                return Fail("topic name " + t.name + " cannot be told from the contents page");
            auto seen = hashes_.emplace(ContextHash(t.name), t.name);
            if (!seen.second)
                return Fail("topic names " + seen.first->second + " and " + t.name + " clash");
        }
        return true;
    }

    bool CheckJumps()
    {
        for (const Topic& t : doc_.topics)
            for (const Paragraph& p : t.paragraphs)
                for (const Span& s : p.spans)
                    if (s.kind == Span::Link) {
                        auto it = hashes_.find(ContextHash(s.target));
                        if (it == hashes_.end() || Lower(it->second) != Lower(s.target))
                            return Fail("topic " + t.name + " jumps to unknown topic " + s.target);
                    }
        return true;
    }

    Document& doc_;
    std::string& error_;
    std::string para_;          // the paragraph gathered so far
    bool item_ = false;         // ... is a list item
    size_t lineNo_ = 0, paraLine_ = 0;
    std::map<int32_t, std::string> hashes_; // topic name by hash
};

} // namespace

bool ParseSource(const std::string& source, Document& doc, std::string& error)
{
    doc = Document();
    return SourceParser(doc, error).Parse(source);
}

} // namespace hlp

// Help file writer and reader. Layout notes are kept next to the code that
// produces each structure; all numbers in the file are little-endian.
#include "tools/HelpFile.h"

#include <algorithm>
#include <cstring>

namespace hlp {

namespace {

// ---- constants of the layout --------------------------------------------

const uint32_t kFileMagic = 0x00035F3F;
const uint16_t kSystemMagic = 0x036C;
const uint16_t kSystemMinor = 21;       // the 3.1 layout
const uint16_t kSystemFlagsLz77 = 4;    // LZ77 topic blocks of 4 KB
const uint16_t kBTreeMagic = 0x293B;
const uint32_t kNone = 0xFFFFFFFF;

const size_t kTopicBlockSize = 4096;
const size_t kBlockHeaderSize = 12;
const size_t kLinkHeaderSize = 21;
const size_t kTopicHeaderSize = 28;
// Each block stores its data as literal-only LZ77: groups of one flag byte
// and eight literals. 453 full groups and one of six literals fill the 4084
// bytes after the block header exactly, so every block but the last holds
// 3630 bytes of topic data and topic positions stay simple to compute.
const size_t kBlockData = 453 * 8 + 6;
// Readers look at least this far into the last block.
const size_t kLastBlockMinimum = 64;

enum RecordType : uint8_t { kTopicHeader = 0x02, kText = 0x20 };

enum FontIndex : uint16_t { kFontBody = 0, kFontHeading = 1, kFontBold = 2 };

// Paragraph setting bits and the commands of the character stream.
const uint16_t kSpaceAbove = 0x0002, kSpaceBelow = 0x0004, kLeftIndent = 0x0010,
               kFirstIndent = 0x0040, kBorder = 0x0100, kTabs = 0x0200;
const uint8_t kCmdFont = 0x80, kCmdLineBreak = 0x81, kCmdParagraphEnd = 0x82, kCmdTab = 0x83,
              kCmdJump = 0xE3, kCmdHotspotEnd = 0x89, kCmdEnd = 0xFF;

// ---- little-endian output ----------------------------------------------

struct Bytes {
    std::vector<uint8_t> v;

    void u8(unsigned x) { v.push_back(static_cast<uint8_t>(x)); }
    void u16(unsigned x) { u8(x & 0xFF); u8((x >> 8) & 0xFF); }
    void u32(uint32_t x) { u16(x & 0xFFFF); u16(x >> 16); }
    void text(const std::string& s) { v.insert(v.end(), s.begin(), s.end()); }
    void textz(const std::string& s) { text(s); u8(0); }
    void append(const std::vector<uint8_t>& b) { v.insert(v.end(), b.begin(), b.end()); }
    void set32(size_t at, uint32_t x)
    {
        for (int k = 0; k < 4; ++k)
            v[at + k] = static_cast<uint8_t>(x >> (8 * k));
    }
    // Compressed forms: the low bit of the first byte says whether the long
    // form follows. Only the short forms are written; callers keep values small.
    bool cshort(int x)     // signed, -64..63 in one byte, else two
    {
        if (x >= -64 && x < 64) { u8((x + 64) * 2); return true; }
        if (x >= -16384 && x < 16384) { u16((x + 16384) * 2 + 1); return true; }
        return false;
    }
    bool cushort(unsigned x)
    {
        if (x < 128) { u8(x * 2); return true; }
        if (x < 32768) { u16(x * 2 + 1); return true; }
        return false;
    }
    bool clong(long x)     // signed, two-byte form only
    {
        if (x < -16384 || x >= 16384)
            return false;
        u16(static_cast<unsigned>((x + 16384) * 2));
        return true;
    }
};

uint16_t Get16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t Get32(const uint8_t* p) { return Get16(p) | (static_cast<uint32_t>(Get16(p + 2)) << 16); }

// ---- B+ trees -------------------------------------------------------------

// A tree small enough for one leaf page, which is then also the root.
bool SingleLeafTree(uint16_t flags, uint16_t pageSize, const char* structure,
                    const std::vector<std::vector<uint8_t>>& entries, Bytes& out, std::string& error)
{
    size_t used = 8;
    for (const auto& e : entries)
        used += e.size();
    if (used > pageSize) {
        error = "too many entries for one B+ tree page";
        return false;
    }
    out.u16(kBTreeMagic);
    out.u16(flags);
    out.u16(pageSize);
    char name[16] = {};
    std::strncpy(name, structure, sizeof name - 1);
    for (char c : name)
        out.u8(static_cast<uint8_t>(c));
    out.u16(0);       // must be zero
    out.u16(0);       // page splits
    out.u16(0);       // root page
    out.u16(0xFFFF);  // must be -1
    out.u16(1);       // total pages
    out.u16(1);       // levels
    out.u32(static_cast<uint32_t>(entries.size()));
    // The leaf: free bytes, entries, previous and next leaf.
    out.u16(static_cast<unsigned>(pageSize - used));
    out.u16(static_cast<unsigned>(entries.size()));
    out.u16(0xFFFF);
    out.u16(0xFFFF);
    for (const auto& e : entries)
        out.append(e);
    out.v.resize(out.v.size() + (pageSize - used), 0);
    return true;
}

// ---- the source ------------------------------------------------------------

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
        if (text.compare(i, 2, "**") == 0) {
            size_t close = text.find("**", i + 2);
            if (close == std::string::npos || close == i + 2) {
                error = "unclosed or empty **bold**";
                return false;
            }
            flush();
            spans.push_back(Span{Span::Bold, text.substr(i + 2, close - i - 2), std::string()});
            i = close + 2;
        } else if (text.compare(i, 2, "[[") == 0) {
            size_t close = text.find("]]", i + 2);
            std::string inner = close == std::string::npos ? std::string() : text.substr(i + 2, close - i - 2);
            size_t bar = inner.find('|');
            if (bar == std::string::npos || bar == 0 || bar + 1 == inner.size()) {
                error = "a jump is written [[name|text]]";
                return false;
            }
            flush();
            spans.push_back(Span{Span::Link, inner.substr(bar + 1), inner.substr(0, bar)});
            i = close + 2;
        } else {
            plain += text[i++];
        }
    }
    flush();
    return true;
}

// ---- topic records ----------------------------------------------------------

struct Record {
    uint8_t type = 0;
    Bytes data1;          // LinkData1 after the 21-byte link header
    Bytes data2;          // LinkData2: the title, or the text strings
    uint32_t textLength = 0; // characters a viewer counts for the record
    size_t topic = 0;
    size_t pos = 0;       // offset in the uncompressed topic stream
    size_t Size() const { return kLinkHeaderSize + data1.v.size() + data2.v.size(); }
};

uint32_t TopicPos(size_t pos)
{
    return static_cast<uint32_t>(((pos / kBlockData) << 14) + pos % kBlockData + kBlockHeaderSize);
}

bool EncodeParagraph(const Paragraph& para, Record& rec, std::string& error)
{
    uint16_t base = para.style == Paragraph::Heading ? kFontHeading : kFontBody;
    Bytes commands;
    Bytes& strings = rec.data2;
    std::string current;
    auto command = [&](std::initializer_list<uint8_t> bytes) {
        strings.textz(current);
        current.clear();
        for (uint8_t b : bytes)
            commands.u8(b);
    };
    auto font = [&](uint16_t f) { command({kCmdFont, static_cast<uint8_t>(f), static_cast<uint8_t>(f >> 8)}); };

    font(base);
    if (para.style == Paragraph::Item)
        current = "\x95 "; // a bullet in the Western code page
    for (const Span& s : para.spans) {
        switch (s.kind) {
        case Span::Text:
            current += s.text;
            break;
        case Span::Bold:
            font(kFontBold);
            current = s.text;
            font(base);
            break;
        case Span::Link: {
            uint32_t h = static_cast<uint32_t>(ContextHash(s.target));
            command({kCmdJump, static_cast<uint8_t>(h), static_cast<uint8_t>(h >> 8),
                     static_cast<uint8_t>(h >> 16), static_cast<uint8_t>(h >> 24)});
            current = s.text;
            command({kCmdHotspotEnd});
            break;
        }
        }
    }
    command({kCmdParagraphEnd});
    command({kCmdEnd});

    // Paragraph settings, in half points.
    uint16_t bits = 0;
    Bytes values;
    switch (para.style) {
    case Paragraph::Heading:
        bits = kSpaceAbove | kSpaceBelow;
        values.cshort(4);
        values.cshort(16);
        break;
    case Paragraph::Body:
        bits = kSpaceAbove;
        values.cshort(12);
        break;
    case Paragraph::Item:
        bits = kSpaceAbove | kLeftIndent | kFirstIndent;
        values.cshort(6);
        values.cshort(28);
        values.cshort(-12);
        break;
    }

    rec.type = kText;
    rec.textLength = static_cast<uint32_t>(strings.v.size());
    if (!rec.data1.clong(static_cast<long>(strings.v.size())) || !rec.data1.cushort(rec.textLength)) {
        error = "paragraph too long";
        return false;
    }
    rec.data1.u8(0x00);     // unknown, written as the compilers do
    rec.data1.u8(0x80);
    rec.data1.u16(0);       // paragraph id
    rec.data1.u16(bits);
    rec.data1.append(values.v);
    rec.data1.append(commands.v);
    return true;
}

// Literal-only LZ77: a zero flag byte before every eight bytes.
void StoreLiterals(const uint8_t* data, size_t size, Bytes& out)
{
    for (size_t i = 0; i < size; i += 8) {
        out.u8(0);
        out.v.insert(out.v.end(), data + i, data + std::min(size, i + 8));
    }
}

// ---- reading helpers ------------------------------------------------------

struct Cursor {
    const uint8_t* p;
    const uint8_t* end;
    bool ok = true;

    bool Need(size_t n) { if (static_cast<size_t>(end - p) < n) ok = false; return ok; }
    unsigned u8() { if (!Need(1)) return 0; return *p++; }
    unsigned u16() { if (!Need(2)) return 0; unsigned x = Get16(p); p += 2; return x; }
    uint32_t u32() { if (!Need(4)) return 0; uint32_t x = Get32(p); p += 4; return x; }
    int cshort()
    {
        if (!Need(1)) return 0;
        if (*p & 1) return static_cast<int>(u16()) / 2 - 16384;
        return static_cast<int>(u8()) / 2 - 64;
    }
    unsigned cushort()
    {
        if (!Need(1)) return 0;
        if (*p & 1) return u16() / 2;
        return u8() / 2;
    }
    long clong()
    {
        if (!Need(1)) return 0;
        if (*p & 1) return static_cast<long>(u32() / 2) - 0x40000000L;
        return static_cast<long>(u16() / 2) - 16384;
    }
};

struct InternalFile {
    const uint8_t* data = nullptr; // after the 9-byte file header
    size_t size = 0;
};

bool OpenInternal(const std::vector<uint8_t>& file, uint32_t offset, InternalFile& out, std::string& error)
{
    if (offset > file.size() || file.size() - offset < 9) {
        error = "internal file header out of range";
        return false;
    }
    uint32_t reserved = Get32(&file[offset]);
    uint32_t used = Get32(&file[offset + 4]);
    if (static_cast<uint64_t>(used) + 9 > reserved || static_cast<uint64_t>(offset) + reserved > file.size()) {
        error = "internal file sizes out of range";
        return false;
    }
    out.data = &file[offset + 9];
    out.size = used;
    return true;
}

// Calls leaf(cursor) for every entry of a B+ tree, in order.
template <typename Leaf>
bool WalkTree(const InternalFile& f, Leaf leaf, std::string& error)
{
    if (f.size < 38 || Get16(f.data) != kBTreeMagic) {
        error = "bad B+ tree header";
        return false;
    }
    size_t pageSize = Get16(f.data + 4);
    unsigned page = Get16(f.data + 26);
    unsigned pages = Get16(f.data + 30);
    unsigned levels = Get16(f.data + 32);
    uint32_t total = Get32(f.data + 34);
    if (pageSize < 8 || 38 + pageSize * pages > f.size || levels == 0) {
        error = "B+ tree pages out of range";
        return false;
    }
    const uint8_t* base = f.data + 38;
    for (unsigned level = levels; level > 1; --level) {
        if (page >= pages) { error = "B+ tree index page out of range"; return false; }
        page = Get16(base + page * pageSize + 4); // the leftmost child
    }
    uint32_t seen = 0;
    for (unsigned visited = 0; page != 0xFFFF; ++visited) {
        if (page >= pages || visited > pages) { error = "B+ tree leaf chain broken"; return false; }
        const uint8_t* pg = base + page * pageSize;
        Cursor c{pg + 8, pg + pageSize};
        unsigned n = Get16(pg + 2);
        for (unsigned i = 0; i < n; ++i) {
            if (!leaf(c) || !c.ok) { error = "B+ tree entry out of range"; return false; }
            ++seen;
        }
        page = Get16(pg + 6);
    }
    if (seen != total) {
        error = "B+ tree entry count differs from its header";
        return false;
    }
    return true;
}

std::string ReadZ(Cursor& c)
{
    std::string s;
    while (c.Need(1) && *c.p)
        s += static_cast<char>(*c.p++);
    if (c.Need(1))
        ++c.p;
    return s;
}

void Lz77Expand(const uint8_t* p, const uint8_t* end, std::vector<uint8_t>& out, bool& ok)
{
    while (p < end) {
        unsigned flags = *p++;
        for (int bit = 0; bit < 8 && p < end; ++bit, flags >>= 1) {
            if (flags & 1) {
                if (end - p < 2) { ok = false; return; }
                unsigned code = Get16(p);
                p += 2;
                size_t length = 3 + (code >> 12), back = (code & 0xFFF) + 1;
                if (back > out.size()) { ok = false; return; }
                for (size_t k = 0; k < length; ++k)
                    out.push_back(out[out.size() - back]);
            } else {
                out.push_back(*p++);
            }
        }
    }
}

bool ParseText(Cursor& c, const uint8_t* text, const uint8_t* textEnd, ReadTopic& topic,
               unsigned& textLength, std::string& error)
{
    c.clong();                      // text size
    textLength = c.cushort();
    c.u8(); c.u8(); c.u16();        // unknown bytes and the paragraph id
    unsigned bits = c.u16();
    if (bits & 0x0001) c.clong();
    for (uint16_t b : {kSpaceAbove, kSpaceBelow, uint16_t(0x0008), kLeftIndent, uint16_t(0x0020), kFirstIndent})
        if (bits & b) c.cshort();
    if (bits & kBorder) { c.u8(); c.u16(); }
    if (bits & kTabs) {
        int n = c.cshort();
        for (int i = 0; i < n && c.ok; ++i)
            if (c.cushort() & 0x4000)
                c.cushort();
    }
    if (!c.ok) { error = "paragraph settings out of range"; return false; }

    ReadParagraph para;
    for (;;) {
        const uint8_t* nul = static_cast<const uint8_t*>(std::memchr(text, 0, textEnd - text));
        if (!nul) { error = "text strings out of range"; return false; }
        para.text.append(reinterpret_cast<const char*>(text), nul - text);
        text = nul + 1;
        unsigned cmd = c.u8();
        if (!c.ok) { error = "character formatting ends early"; return false; }
        if (cmd == kCmdEnd)
            break;
        switch (cmd) {
        case kCmdFont: para.fonts.push_back(static_cast<uint16_t>(c.u16())); break;
        case kCmdLineBreak: para.text += '\n'; break;
        case kCmdTab: para.text += '\t'; break;
        case kCmdParagraphEnd:
            topic.paragraphs.push_back(para);
            para = ReadParagraph();
            break;
        case kCmdHotspotEnd: case 0x8B: case 0x8C: break;
        case 0xE0: case 0xE1: case 0xE2: case 0xE3: case 0xE6: case 0xE7:
            para.jumps.push_back(static_cast<int32_t>(c.u32()));
            break;
        case 0xC8: case 0xCC: case 0xEA: case 0xEB: case 0xEE: case 0xEF: {
            unsigned n = c.u16();
            if (c.Need(n)) c.p += n;
            break;
        }
        default:
            error = "unsupported formatting command " + std::to_string(cmd);
            return false;
        }
        if (!c.ok) { error = "formatting command out of range"; return false; }
    }
    if (!para.text.empty() || !para.jumps.empty())
        topic.paragraphs.push_back(para);
    return true;
}

} // namespace

int32_t ContextHash(const std::string& name)
{
    uint32_t h = 0;
    for (char c : name) {
        unsigned x = 0;
        if (c >= 'A' && c <= 'Z') x = c - 'A' + 17;
        else if (c >= 'a' && c <= 'z') x = c - 'a' + 17;
        else if (c >= '1' && c <= '9') x = c - '0';
        else if (c == '0') x = 10;
        else if (c == '.') x = 12;
        else if (c == '_') x = 13;
        if (x)
            h = h * 43 + x;
    }
    return static_cast<int32_t>(h);
}

bool ParseSource(const std::string& source, Document& doc, std::string& error)
{
    doc = Document();
    std::string para;
    bool item = false;
    size_t lineNo = 0, paraLine = 0;
    auto fail = [&](const std::string& why) {
        error = "line " + std::to_string(lineNo) + ": " + why;
        return false;
    };
    auto flush = [&]() -> bool {
        if (para.empty())
            return true;
        if (doc.topics.empty()) {
            lineNo = paraLine;
            return fail("text before the first .topic");
        }
        Paragraph p;
        p.style = item ? Paragraph::Item : Paragraph::Body;
        std::string why;
        if (!ParseSpans(para, p.spans, why)) {
            lineNo = paraLine;
            return fail(why);
        }
        doc.topics.back().paragraphs.push_back(p);
        para.clear();
        item = false;
        return true;
    };

    size_t start = 0;
    while (start <= source.size()) {
        size_t nl = source.find('\n', start);
        std::string line = source.substr(start, nl == std::string::npos ? std::string::npos : nl - start);
        start = nl == std::string::npos ? source.size() + 1 : nl + 1;
        ++lineNo;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty() && line[0] == '#')
            continue;
        std::string text = Trim(line);
        if (!line.empty() && line[0] == '.') {
            if (!flush())
                return false;
            size_t sp = line.find_first_of(" \t");
            std::string word = line.substr(0, sp);
            std::string rest = sp == std::string::npos ? std::string() : Trim(line.substr(sp));
            if (word != ".topic" && HasControlBytes(rest))
                return fail(kNoControlBytes);
            if (word == ".title") {
                doc.title = rest;
            } else if (word == ".copyright") {
                doc.copyright = rest;
            } else if (word == ".topic") {
                size_t split = rest.find_first_of(" \t");
                Topic t;
                t.name = rest.substr(0, split);
                t.title = split == std::string::npos ? std::string() : Trim(rest.substr(split));
                if (!ValidName(t.name))
                    return fail("a topic name takes letters, digits, '_' and '.' only");
                if (t.title.empty())
                    return fail("topic " + t.name + " has no title");
                if (HasControlBytes(t.title))
                    return fail(kNoControlBytes);
                Paragraph heading;
                heading.style = Paragraph::Heading;
                heading.spans.push_back(Span{Span::Text, t.title, std::string()});
                t.paragraphs.push_back(heading);
                doc.topics.push_back(t);
            } else {
                return fail("unknown directive " + word);
            }
        } else if (text.empty()) {
            if (!flush())
                return false;
        } else if (text.compare(0, 2, "- ") == 0) {
            if (!flush())
                return false;
            item = true;
            paraLine = lineNo;
            para = Trim(text.substr(2));
        } else {
            if (para.empty())
                paraLine = lineNo;
            para += para.empty() ? text : " " + text;
        }
    }
    if (!flush())
        return false;

    lineNo = 0;
    if (doc.topics.empty())
        return fail("no topics");
    if (doc.title.empty())
        return fail("no .title");
    std::map<int32_t, std::string> hashes;
    for (const Topic& t : doc.topics) {
        if (ContextHash(t.name) == 0) // a viewer reads hash 0 as the contents page
            return fail("topic name " + t.name + " cannot be told from the contents page");
        auto seen = hashes.emplace(ContextHash(t.name), t.name);
        if (!seen.second)
            return fail("topic names " + seen.first->second + " and " + t.name + " clash");
    }
    for (const Topic& t : doc.topics)
        for (const Paragraph& p : t.paragraphs)
            for (const Span& s : p.spans)
                if (s.kind == Span::Link) {
                    auto it = hashes.find(ContextHash(s.target));
                    if (it == hashes.end() || Lower(it->second) != Lower(s.target))
                        return fail("topic " + t.name + " jumps to unknown topic " + s.target);
                }
    return true;
}

bool WriteHelpFile(const Document& doc, std::vector<uint8_t>& out, std::string& error)
{
    out.clear();
    if (doc.topics.empty()) {
        error = "no topics";
        return false;
    }

    // 1. The records of every topic, in order: its header, then its paragraphs.
    std::vector<Record> records;
    std::vector<size_t> headerOf(doc.topics.size());
    for (size_t t = 0; t < doc.topics.size(); ++t) {
        const Topic& topic = doc.topics[t];
        headerOf[t] = records.size();
        Record head;
        head.type = kTopicHeader;
        head.topic = t;
        head.data1.v.resize(kTopicHeaderSize, 0);
        head.data2.text(topic.title);
        records.push_back(head);
        for (const Paragraph& p : topic.paragraphs) {
            Record rec;
            rec.topic = t;
            if (!EncodeParagraph(p, rec, error))
                return false;
            records.push_back(rec);
        }
    }

    // 2. Their places in the topic stream, and each topic's offset as a
    // viewer counts it: block number, then the characters of the records
    // that start earlier in the same block.
    size_t pos = 0;
    for (Record& r : records) {
        r.pos = pos;
        pos += r.Size();
    }
    std::vector<uint32_t> topicOffset(doc.topics.size());
    {
        size_t block = SIZE_MAX;
        uint32_t chars = 0;
        for (const Record& r : records) {
            if (r.pos / kBlockData != block) {
                block = r.pos / kBlockData;
                chars = 0;
            }
            if (r.type == kTopicHeader)
                topicOffset[r.topic] = static_cast<uint32_t>(block * 0x8000 + chars);
            else
                chars += r.textLength;
        }
        if (block >= 0x10000) {
            error = "too much text";
            return false;
        }
    }

    // 3. Topic headers: size, browse sequence in file order, number, no
    // non-scrolling region, where the text starts and where the next topic is.
    for (size_t t = 0; t < doc.topics.size(); ++t) {
        size_t first = headerOf[t];
        size_t last = t + 1 < doc.topics.size() ? headerOf[t + 1] : records.size();
        uint32_t size = 0;
        for (size_t k = first; k < last; ++k)
            size += static_cast<uint32_t>(records[k].Size());
        Bytes& h = records[first].data1;
        h.set32(0, size);
        h.set32(4, t > 0 ? topicOffset[t - 1] : kNone);
        h.set32(8, t + 1 < doc.topics.size() ? topicOffset[t + 1] : kNone);
        h.set32(12, static_cast<uint32_t>(t));
        h.set32(16, kNone);
        h.set32(20, first + 1 < last ? TopicPos(records[first + 1].pos) : kNone);
        h.set32(24, t + 1 < doc.topics.size() ? TopicPos(records[last].pos) : kNone);
    }

    // 4. The stream itself, each record behind its link header.
    Bytes stream;
    for (size_t k = 0; k < records.size(); ++k) {
        const Record& r = records[k];
        stream.u32(static_cast<uint32_t>(r.Size()));
        stream.u32(static_cast<uint32_t>(r.data2.v.size()));
        stream.u32(k > 0 ? TopicPos(records[k - 1].pos) : kNone);
        stream.u32(k + 1 < records.size() ? TopicPos(records[k + 1].pos) : kNone);
        stream.u32(static_cast<uint32_t>(kLinkHeaderSize + r.data1.v.size()));
        stream.u8(r.type);
        stream.append(r.data1.v);
        stream.append(r.data2.v);
    }
    if (stream.v.size() % kBlockData != 0 && stream.v.size() % kBlockData < kLastBlockMinimum)
        stream.v.resize(stream.v.size() - stream.v.size() % kBlockData + kLastBlockMinimum, 0);

    // 5. |TOPIC: the stream cut into blocks.
    Bytes topicFile;
    size_t blocks = (stream.v.size() + kBlockData - 1) / kBlockData;
    for (size_t b = 0; b < blocks; ++b) {
        size_t begin = b * kBlockData, end = std::min(stream.v.size(), begin + kBlockData);
        uint32_t lastBefore = kNone, firstIn = kNone, lastHeader = kNone;
        for (const Record& r : records) {
            if (r.pos < begin)
                lastBefore = TopicPos(r.pos);
            else if (r.pos < end && firstIn == kNone)
                firstIn = TopicPos(r.pos);
            if (r.type == kTopicHeader && r.pos < end)
                lastHeader = TopicPos(r.pos);
        }
        size_t blockStart = topicFile.v.size();
        topicFile.u32(lastBefore);
        topicFile.u32(firstIn);
        topicFile.u32(lastHeader);
        StoreLiterals(stream.v.data() + begin, end - begin, topicFile);
        if (b + 1 < blocks && topicFile.v.size() - blockStart != kTopicBlockSize) {
            error = "internal error: topic block not full";
            return false;
        }
    }

    // 6. |SYSTEM: header, then title, copyright, contents topic and the
    // macro that gives the viewer its browse buttons.
    Bytes system;
    system.u16(kSystemMagic);
    system.u16(kSystemMinor);
    system.u16(1);
    system.u32(0); // no build date: the same source gives the same file
    system.u16(kSystemFlagsLz77);
    auto record = [&system](unsigned type, const Bytes& data) {
        system.u16(type);
        system.u16(static_cast<unsigned>(data.v.size()));
        system.append(data.v);
    };
    Bytes title, copyright, contents, macro;
    title.textz(doc.title);
    record(1, title);
    if (!doc.copyright.empty()) {
        copyright.textz(doc.copyright);
        record(2, copyright);
    }
    contents.u32(topicOffset[0]);
    record(3, contents);
    macro.textz("BrowseButtons()");
    record(4, macro);
    // The main window, so that viewers caption it with the file's title:
    // flags (type, name and caption given), type, name, caption, then
    // position, size, state and colours, which are left to the viewer.
    Bytes window;
    window.u16(0x0007);
    auto field = [&window](const std::string& text, size_t size) {
        std::string f = text.substr(0, size - 1);
        f.resize(size, '\0');
        window.text(f);
    };
    field("main", 10);
    field("main", 9);
    field(doc.title, 51);
    for (int k = 0; k < 5; ++k)
        window.u16(0);
    window.u32(0);
    window.u32(0);
    record(6, window);

    // 7. |FONT: one face name, three descriptors (attributes, half points,
    // family, face, foreground and background colours).
    Bytes font;
    const size_t faceLength = 32;
    font.u16(1);
    font.u16(3);
    font.u16(8);
    font.u16(8 + faceLength);
    std::string face = "Arial";
    face.resize(faceLength, '\0');
    font.text(face);
    struct { uint8_t attributes, halfPoints, r, g, b; } fonts[3] = {
        {0, 20, 0, 0, 0},         // body
        {1, 28, 0x1C, 0x26, 0x4E}, // heading: bold, navy
        {1, 20, 0, 0, 0},         // bold body
    };
    for (const auto& f : fonts) {
        font.u8(f.attributes);
        font.u8(f.halfPoints);
        font.u8(3); // the Swiss family
        font.u16(0);
        font.u8(f.r); font.u8(f.g); font.u8(f.b);
        font.u8(0xFF); font.u8(0xFF); font.u8(0xFF);
    }

    // 8. |CONTEXT: jump name hashes in ascending (signed) order.
    std::vector<std::pair<int32_t, uint32_t>> ctx;
    for (size_t t = 0; t < doc.topics.size(); ++t)
        ctx.emplace_back(ContextHash(doc.topics[t].name), topicOffset[t]);
    std::sort(ctx.begin(), ctx.end());
    std::vector<std::vector<uint8_t>> ctxEntries;
    for (const auto& e : ctx) {
        Bytes b;
        b.u32(static_cast<uint32_t>(e.first));
        b.u32(e.second);
        ctxEntries.push_back(b.v);
    }
    Bytes context;
    if (!SingleLeafTree(0x0002, 2048, "L4", ctxEntries, context, error))
        return false;

    // 9. The file: header, the internal files, the directory last.
    Bytes file;
    file.u32(kFileMagic);
    file.u32(0);      // directory offset, set below
    file.u32(kNone);  // no free blocks
    file.u32(0);      // file size, set below
    std::vector<std::pair<std::string, const Bytes*>> parts = {
        {"|CONTEXT", &context}, {"|FONT", &font}, {"|SYSTEM", &system}, {"|TOPIC", &topicFile}};
    std::vector<std::vector<uint8_t>> dirEntries;
    auto internal = [&file](const Bytes& content) {
        uint32_t at = static_cast<uint32_t>(file.v.size());
        file.u32(static_cast<uint32_t>(content.v.size() + 9));
        file.u32(static_cast<uint32_t>(content.v.size()));
        file.u8(4);
        file.append(content.v);
        return at;
    };
    for (const auto& part : parts) { // already in name order
        Bytes e;
        e.textz(part.first);
        e.u32(internal(*part.second));
        dirEntries.push_back(e.v);
    }
    Bytes directory;
    if (!SingleLeafTree(0x0402, 1024, "z4", dirEntries, directory, error))
        return false;
    file.set32(4, internal(directory));
    file.set32(12, static_cast<uint32_t>(file.v.size()));
    out.swap(file.v);
    return true;
}

bool ReadHelpFile(const std::vector<uint8_t>& data, ReadResult& out, std::string& error)
{
    out = ReadResult();
    if (data.size() < 16 || Get32(data.data()) != kFileMagic) {
        error = "not a help file";
        return false;
    }
    if (Get32(&data[12]) != data.size()) {
        error = "file size in the header differs from the file";
        return false;
    }

    InternalFile dir;
    if (!OpenInternal(data, Get32(&data[4]), dir, error))
        return false;
    if (!WalkTree(dir, [&](Cursor& c) {
            std::string name = ReadZ(c);
            out.directory[name] = c.u32();
            return c.ok;
        }, error))
        return false;
    auto open = [&](const char* name, InternalFile& f) {
        auto it = out.directory.find(name);
        if (it == out.directory.end()) {
            error = std::string("missing ") + name;
            return false;
        }
        return OpenInternal(data, it->second, f, error);
    };

    // |SYSTEM
    InternalFile sys;
    if (!open("|SYSTEM", sys))
        return false;
    Cursor c{sys.data, sys.data + sys.size};
    unsigned magic = c.u16();
    out.minor = static_cast<uint16_t>(c.u16());
    unsigned major = c.u16();
    c.u32();
    out.flags = static_cast<uint16_t>(c.u16());
    if (!c.ok || magic != kSystemMagic || major != 1 || out.minor <= 16) {
        error = "unsupported |SYSTEM header";
        return false;
    }
    while (c.ok && c.end - c.p >= 4) {
        unsigned type = c.u16(), size = c.u16();
        if (!c.Need(size))
            break;
        Cursor r{c.p, c.p + size};
        if (type == 1) out.title = ReadZ(r);
        else if (type == 2) out.copyright = ReadZ(r);
        else if (type == 3 && size == 4) out.contents = r.u32();
        else if (type == 4) out.macros.push_back(ReadZ(r));
        else if (type == 6 && size == 90) {
            const char* w = reinterpret_cast<const char*>(c.p);
            ReadWindow win;
            win.flags = Get16(c.p);
            win.name.assign(w + 12, strnlen(w + 12, 9));
            win.caption.assign(w + 21, strnlen(w + 21, 51));
            out.windows.push_back(win);
        }
        c.p += size;
    }
    if (!c.ok || c.p != c.end) {
        error = "|SYSTEM records out of range";
        return false;
    }

    // |FONT
    InternalFile fontFile;
    if (!open("|FONT", fontFile))
        return false;
    {
        Cursor f{fontFile.data, fontFile.data + fontFile.size};
        unsigned faces = f.u16(), descriptors = f.u16(), faceOffset = f.u16(), descOffset = f.u16();
        if (!f.ok || faces == 0 || descOffset < faceOffset || descOffset + 11ul * descriptors > fontFile.size) {
            error = "|FONT tables out of range";
            return false;
        }
        size_t faceLength = (descOffset - faceOffset) / faces;
        for (unsigned i = 0; i < descriptors; ++i) {
            const uint8_t* d = fontFile.data + descOffset + 11 * i;
            ReadFont rf;
            rf.attributes = d[0];
            rf.halfPoints = d[1];
            rf.family = d[2];
            unsigned faceIndex = Get16(d + 3);
            if (faceIndex >= faces) {
                error = "font face out of range";
                return false;
            }
            const char* name = reinterpret_cast<const char*>(fontFile.data + faceOffset + faceIndex * faceLength);
            rf.face.assign(name, strnlen(name, faceLength));
            out.fonts.push_back(rf);
        }
    }

    // |TOPIC: expand every block, then follow the links from position 12.
    InternalFile topicFile;
    if (!open("|TOPIC", topicFile))
        return false;
    bool compressed = out.flags == 4 || out.flags == 8;
    size_t blockSize = out.flags == 8 ? 2048 : 4096;
    std::vector<uint8_t> stream;
    std::vector<size_t> blockStart;
    for (size_t at = 0; at < topicFile.size; at += blockSize) {
        if (topicFile.size - at < kBlockHeaderSize) {
            error = "topic block header out of range";
            return false;
        }
        const uint8_t* b = topicFile.data + at + kBlockHeaderSize;
        const uint8_t* e = topicFile.data + std::min(topicFile.size, at + blockSize);
        blockStart.push_back(stream.size());
        if (compressed) {
            bool ok = true;
            size_t before = stream.size();
            Lz77Expand(b, e, stream, ok);
            if (!ok || stream.size() - before > 0x4000) {
                error = "topic block does not expand";
                return false;
            }
        } else {
            stream.insert(stream.end(), b, e);
        }
    }
    uint32_t link = 12;
    size_t lastBlock = SIZE_MAX, previousAt = 0;
    uint32_t chars = 0;
    for (size_t count = 0; link != kNone && link != 0; ++count) {
        size_t block = (link - 12) >> 14, offset = (link - 12) & 0x3FFF;
        if (link < 12 || block >= blockStart.size() || count > stream.size()) {
            error = "topic link position out of range";
            return false;
        }
        size_t at = blockStart[block] + offset;
        if (count > 0 && at <= previousAt) {
            error = "topic links do not move forward";
            return false;
        }
        previousAt = at;
        if (at + kLinkHeaderSize > stream.size()) {
            error = "topic link out of range";
            return false;
        }
        const uint8_t* h = &stream[at];
        uint32_t size = Get32(h), len2 = Get32(h + 4), next = Get32(h + 12), len1 = Get32(h + 16);
        uint8_t type = h[20];
        if (len1 < kLinkHeaderSize || len1 > size || at + size > stream.size() || len2 != size - len1) {
            error = "topic link sizes out of range";
            return false;
        }
        if (block != lastBlock) {
            lastBlock = block;
            chars = 0;
        }
        Cursor d{h + kLinkHeaderSize, h + len1};
        const uint8_t* text = h + len1;
        if (type == kTopicHeader) {
            if (len1 < kLinkHeaderSize + kTopicHeaderSize) {
                error = "topic header too short";
                return false;
            }
            ReadTopic t;
            d.u32();
            t.browseBack = d.u32();
            t.browseForward = d.u32();
            t.number = d.u32();
            t.title.assign(reinterpret_cast<const char*>(text), len2);
            if (!t.title.empty() && t.title.back() == '\0')
                t.title.pop_back();
            t.topicOffset = static_cast<uint32_t>(block * 0x8000 + chars);
            out.topics.push_back(t);
        } else if (type == kText) {
            if (out.topics.empty()) {
                error = "text before the first topic";
                return false;
            }
            unsigned length = 0;
            if (!ParseText(d, text, h + size, out.topics.back(), length, error))
                return false;
            chars += length;
        } else {
            error = "unsupported topic record type " + std::to_string(type);
            return false;
        }
        link = next;
    }

    // |CONTEXT
    InternalFile ctx;
    if (!open("|CONTEXT", ctx))
        return false;
    bool ordered = true, first = true;
    int32_t previous = 0;
    if (!WalkTree(ctx, [&](Cursor& e) {
            int32_t hash = static_cast<int32_t>(e.u32());
            if (!first && hash <= previous)
                ordered = false;
            first = false;
            previous = hash;
            out.context[hash] = e.u32();
            return e.ok;
        }, error))
        return false;
    if (!ordered) {
        error = "|CONTEXT is not in ascending order";
        return false;
    }
    return true;
}

} // namespace hlp

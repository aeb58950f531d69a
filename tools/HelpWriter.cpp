// The writer builds each internal file in memory, then joins them behind the
// file header with the directory last. Layout notes are kept next to the code
// that produces each structure.
#include "tools/HelpWriter.h"

#include "tools/HelpFormat.h"

#include <algorithm>
#include <cstring>

namespace hlp {

namespace {

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

// Every topic's records in stream order, and where each topic starts.
struct TopicLayout {
    std::vector<Record> records;
    std::vector<size_t> headerOf;      // topic -> index of its header record
    std::vector<uint32_t> topicOffset; // topic -> offset as a viewer counts it
};

uint32_t TopicPos(size_t pos)
{
    return static_cast<uint32_t>(((pos / kBlockData) << kPosBlockShift) + pos % kBlockData + kBlockHeaderSize);
}

// The paragraph's text strings into rec.data2 and the formatting commands
// between them into commands: a string ends wherever a command follows.
void EncodeCharacters(const Paragraph& para, Record& rec, Bytes& commands)
{
    uint16_t base = para.style == Paragraph::Heading ? kFontHeading : kFontBody;
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
}

// Paragraph settings of a style, in half points: the bits that say which
// values follow, then the values.
uint16_t StyleSettings(Paragraph::Style style, Bytes& values)
{
    switch (style) {
    case Paragraph::Heading:
        values.cshort(4);
        values.cshort(16);
        return kSpaceAbove | kSpaceBelow;
    case Paragraph::Body:
        values.cshort(12);
        return kSpaceAbove;
    case Paragraph::Item:
        values.cshort(6);
        values.cshort(28);
        values.cshort(-12);
        return kSpaceAbove | kLeftIndent | kFirstIndent;
    }
    return 0;
}

bool EncodeParagraph(const Paragraph& para, Record& rec, std::string& error)
{
    Bytes commands;
    EncodeCharacters(para, rec, commands);
    Bytes values;
    uint16_t bits = StyleSettings(para.style, values);

    rec.type = kText;
    rec.textLength = static_cast<uint32_t>(rec.data2.v.size());
    if (!rec.data1.clong(static_cast<long>(rec.data2.v.size())) || !rec.data1.cushort(rec.textLength)) {
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

// The records of every topic, in order: its header, then its paragraphs.
bool BuildRecords(const Document& doc, TopicLayout& layout, std::string& error)
{
    layout.headerOf.resize(doc.topics.size());
    for (size_t t = 0; t < doc.topics.size(); ++t) {
        const Topic& topic = doc.topics[t];
        layout.headerOf[t] = layout.records.size();
        Record head;
        head.type = kTopicHeader;
        head.topic = t;
        head.data1.v.resize(kTopicHeaderSize, 0);
        head.data2.text(topic.title);
        layout.records.push_back(head);
        for (const Paragraph& p : topic.paragraphs) {
            Record rec;
            rec.topic = t;
            if (!EncodeParagraph(p, rec, error))
                return false;
            layout.records.push_back(rec);
        }
    }
    return true;
}

// The records' places in the topic stream, and each topic's offset as a
// viewer counts it: block number, then the characters of the records that
// start earlier in the same block.
bool PlaceRecords(TopicLayout& layout, std::string& error)
{
    size_t pos = 0;
    for (Record& r : layout.records) {
        r.pos = pos;
        pos += r.Size();
    }
    layout.topicOffset.resize(layout.headerOf.size());
    size_t block = SIZE_MAX;
    uint32_t chars = 0;
    for (const Record& r : layout.records) {
        if (r.pos / kBlockData != block) {
            block = r.pos / kBlockData;
            chars = 0;
        }
        if (r.type == kTopicHeader)
            layout.topicOffset[r.topic] = TopicOffset(block, chars);
        else
            chars += r.textLength;
    }
    if (block >= 0x10000) {
        error = "too much text";
        return false;
    }
    return true;
}

// Topic headers: size, browse sequence in file order, number, no
// non-scrolling region, where the text starts and where the next topic is.
void FillTopicHeaders(TopicLayout& layout)
{
    std::vector<Record>& records = layout.records;
    const size_t topics = layout.headerOf.size();
    for (size_t t = 0; t < topics; ++t) {
        size_t first = layout.headerOf[t];
        size_t last = t + 1 < topics ? layout.headerOf[t + 1] : records.size();
        uint32_t size = 0;
        for (size_t k = first; k < last; ++k)
            size += static_cast<uint32_t>(records[k].Size());
        Bytes& h = records[first].data1;
        h.set32(0, size);
        h.set32(4, t > 0 ? layout.topicOffset[t - 1] : kNone);
        h.set32(8, t + 1 < topics ? layout.topicOffset[t + 1] : kNone);
        h.set32(12, static_cast<uint32_t>(t));
        h.set32(16, kNone);
        h.set32(20, first + 1 < last ? TopicPos(records[first + 1].pos) : kNone);
        h.set32(24, t + 1 < topics ? TopicPos(records[last].pos) : kNone);
    }
}

// The topic stream itself, each record behind its link header, padded so
// that the last block is never shorter than a reader looks.
Bytes TopicStream(const std::vector<Record>& records)
{
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
    return stream;
}

// Literal-only LZ77: a zero flag byte before every eight bytes.
void StoreLiterals(const uint8_t* data, size_t size, Bytes& out)
{
    for (size_t i = 0; i < size; i += 8) {
        out.u8(0);
        out.v.insert(out.v.end(), data + i, data + std::min(size, i + 8));
    }
}

// A block's header: the last record before it, the first in it and the
// last topic header that starts before its end.
void BlockHeader(const std::vector<Record>& records, size_t begin, size_t end, Bytes& out)
{
    uint32_t lastBefore = kNone, firstIn = kNone, lastHeader = kNone;
    for (const Record& r : records) {
        if (r.pos < begin)
            lastBefore = TopicPos(r.pos);
        else if (r.pos < end && firstIn == kNone)
            firstIn = TopicPos(r.pos);
        if (r.type == kTopicHeader && r.pos < end)
            lastHeader = TopicPos(r.pos);
    }
    out.u32(lastBefore);
    out.u32(firstIn);
    out.u32(lastHeader);
}

// |TOPIC: the stream cut into blocks.
bool TopicFile(const std::vector<Record>& records, const Bytes& stream, Bytes& topicFile, std::string& error)
{
    size_t blocks = (stream.v.size() + kBlockData - 1) / kBlockData;
    for (size_t b = 0; b < blocks; ++b) {
        size_t begin = b * kBlockData, end = std::min(stream.v.size(), begin + kBlockData);
        size_t blockStart = topicFile.v.size();
        BlockHeader(records, begin, end, topicFile);
        StoreLiterals(stream.v.data() + begin, end - begin, topicFile);
        if (b + 1 < blocks && topicFile.v.size() - blockStart != kTopicBlockSize) {
            error = "internal error: topic block not full";
            return false;
        }
    }
    return true;
}

// The main window, so that viewers caption it with the file's title:
// flags (type, name and caption given), type, name, caption, then
// position, size, state and colours, which are left to the viewer.
Bytes MainWindow(const std::string& title)
{
    Bytes window;
    window.u16(0x0007);
    auto field = [&window](const std::string& text, size_t size) {
        std::string f = text.substr(0, size - 1);
        f.resize(size, '\0');
        window.text(f);
    };
    field("main", 10);
    field("main", 9);
    field(title, 51);
    for (int k = 0; k < 5; ++k)
        window.u16(0);
    window.u32(0);
    window.u32(0);
    return window;
}

// |SYSTEM: header, then title, copyright, contents topic, the macro that
// gives the viewer its browse buttons and the main window.
Bytes SystemFile(const Document& doc, uint32_t contentsOffset)
{
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
    contents.u32(contentsOffset);
    record(3, contents);
    macro.textz("BrowseButtons()");
    record(4, macro);
    record(6, MainWindow(doc.title));
    return system;
}

// |FONT: one face name, three descriptors (attributes, half points,
// family, face, foreground and background colours).
Bytes FontFile()
{
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
    return font;
}

// |CONTEXT: jump name hashes in ascending (signed) order.
bool ContextFile(const Document& doc, const std::vector<uint32_t>& topicOffset, Bytes& context,
                 std::string& error)
{
    std::vector<std::pair<int32_t, uint32_t>> ctx;
    for (size_t t = 0; t < doc.topics.size(); ++t)
        ctx.emplace_back(ContextHash(doc.topics[t].name), topicOffset[t]);
    std::sort(ctx.begin(), ctx.end());
    std::vector<std::vector<uint8_t>> entries;
    for (const auto& e : ctx) {
        Bytes b;
        b.u32(static_cast<uint32_t>(e.first));
        b.u32(e.second);
        entries.push_back(b.v);
    }
    return SingleLeafTree(0x0002, 2048, "L4", entries, context, error);
}

// Appends an internal file: reserved and used sizes, a flag byte, the
// content. Returns where it starts.
uint32_t AppendInternal(Bytes& file, const Bytes& content)
{
    uint32_t at = static_cast<uint32_t>(file.v.size());
    file.u32(static_cast<uint32_t>(content.v.size() + kInternalHeaderSize));
    file.u32(static_cast<uint32_t>(content.v.size()));
    file.u8(4);
    file.append(content.v);
    return at;
}

using NamedPart = std::pair<std::string, const Bytes*>;

// The file: header, the internal files, the directory last.
bool AssembleFile(const std::vector<NamedPart>& parts, std::vector<uint8_t>& out, std::string& error)
{
    Bytes file;
    file.u32(kFileMagic);
    file.u32(0);      // directory offset, set below
    file.u32(kNone);  // no free blocks
    file.u32(0);      // file size, set below
    std::vector<std::vector<uint8_t>> dirEntries;
    for (const auto& part : parts) { // already in name order
        Bytes e;
        e.textz(part.first);
        e.u32(AppendInternal(file, *part.second));
        dirEntries.push_back(e.v);
    }
    Bytes directory;
    if (!SingleLeafTree(0x0402, 1024, "z4", dirEntries, directory, error))
        return false;
    file.set32(4, AppendInternal(file, directory));
    file.set32(12, static_cast<uint32_t>(file.v.size()));
    out.swap(file.v);
    return true;
}

} // namespace

bool WriteHelpFile(const Document& doc, std::vector<uint8_t>& out, std::string& error)
{
    out.clear();
    if (doc.topics.empty()) {
        error = "no topics";
        return false;
    }
    TopicLayout layout;
    if (!BuildRecords(doc, layout, error) || !PlaceRecords(layout, error))
        return false;
    FillTopicHeaders(layout);
    Bytes topicFile;
    if (!TopicFile(layout.records, TopicStream(layout.records), topicFile, error))
        return false;
    Bytes system = SystemFile(doc, layout.topicOffset[0]);
    Bytes font = FontFile();
    Bytes context;
    if (!ContextFile(doc, layout.topicOffset, context, error))
        return false;
    return AssembleFile({{"|CONTEXT", &context}, {"|FONT", &font}, {"|SYSTEM", &system}, {"|TOPIC", &topicFile}},
                        out, error);
}

} // namespace hlp

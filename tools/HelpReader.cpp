// The reader trusts nothing in the file: every size and position is checked
// against what is there before it is followed.
#include "tools/HelpReader.h"

#include "tools/HelpFormat.h"

#include <algorithm>
#include <cstring>

namespace hlp {

namespace {

uint16_t Get16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t Get32(const uint8_t* p) { return Get16(p) | (static_cast<uint32_t>(Get16(p + 2)) << 16); }

// Reads little-endian values up to end; past it, ok turns false and the
// values read are 0.
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

std::string ReadZ(Cursor& c)
{
    std::string s;
    while (c.Need(1) && *c.p)
        s += static_cast<char>(*c.p++);
    if (c.Need(1))
        ++c.p;
    return s;
}

struct InternalFile {
    const uint8_t* data = nullptr; // after the internal file header
    size_t size = 0;
};

bool OpenInternal(const std::vector<uint8_t>& file, uint32_t offset, InternalFile& out, std::string& error)
{
    if (offset > file.size() || file.size() - offset < kInternalHeaderSize) {
        error = "internal file header out of range";
        return false;
    }
    uint32_t reserved = Get32(&file[offset]);
    uint32_t used = Get32(&file[offset + 4]);
    if (static_cast<uint64_t>(used) + kInternalHeaderSize > reserved ||
        static_cast<uint64_t>(offset) + reserved > file.size()) {
        error = "internal file sizes out of range";
        return false;
    }
    out.data = &file[offset + kInternalHeaderSize];
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

// ---- text records -------------------------------------------------------

// Passes over a text record's sizes and paragraph settings; returns the
// characters a viewer counts for the record.
bool SkipParagraphSettings(Cursor& c, unsigned& textLength, std::string& error)
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
    return true;
}

// Applies one formatting command (other than the end) to the paragraph
// being read, moving to a new paragraph at a paragraph end.
bool ApplyCommand(unsigned cmd, Cursor& c, ReadTopic& topic, ReadParagraph& para, std::string& error)
{
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
    return true;
}

// A text record: its settings from c, then its strings from text, each
// followed by the command in c that comes after it.
bool ParseText(Cursor& c, const uint8_t* text, const uint8_t* textEnd, ReadTopic& topic,
               unsigned& textLength, std::string& error)
{
    if (!SkipParagraphSettings(c, textLength, error))
        return false;
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
        if (!ApplyCommand(cmd, c, topic, para, error))
            return false;
    }
    if (!para.text.empty() || !para.jumps.empty())
        topic.paragraphs.push_back(para);
    return true;
}

// ---- the file -------------------------------------------------------------

// One pass over a file. Each method that can fail returns false with the
// error set.
class Reader {
public:
    Reader(const std::vector<uint8_t>& data, ReadResult& out, std::string& error)
        : data_(data), out_(out), error_(error) {}

    bool Read()
    {
        return ReadHeaderAndDirectory() && ReadSystem() && ReadFonts() && ExpandTopicBlocks() &&
               ReadTopicLinks() && ReadContext();
    }

private:
    bool Fail(const char* why)
    {
        error_ = why;
        return false;
    }

    bool Open(const char* name, InternalFile& f)
    {
        auto it = out_.directory.find(name);
        if (it == out_.directory.end()) {
            error_ = std::string("missing ") + name;
            return false;
        }
        return OpenInternal(data_, it->second, f, error_);
    }

    bool ReadHeaderAndDirectory()
    {
        if (data_.size() < 16 || Get32(data_.data()) != kFileMagic)
            return Fail("not a help file");
        if (Get32(&data_[12]) != data_.size())
            return Fail("file size in the header differs from the file");
        InternalFile dir;
        if (!OpenInternal(data_, Get32(&data_[4]), dir, error_))
            return false;
        return WalkTree(dir, [&](Cursor& c) {
            std::string name = ReadZ(c);
            out_.directory[name] = c.u32();
            return c.ok;
        }, error_);
    }

    bool ReadSystem()
    {
        InternalFile sys;
        if (!Open("|SYSTEM", sys))
            return false;
        Cursor c{sys.data, sys.data + sys.size};
        unsigned magic = c.u16();
        out_.minor = static_cast<uint16_t>(c.u16());
        unsigned major = c.u16();
        c.u32();
        out_.flags = static_cast<uint16_t>(c.u16());
        if (!c.ok || magic != kSystemMagic || major != 1 || out_.minor <= 16)
            return Fail("unsupported |SYSTEM header");
        while (c.ok && c.end - c.p >= 4) {
            unsigned type = c.u16(), size = c.u16();
            if (!c.Need(size))
                break;
            ReadSystemRecord(type, c.p, size);
            c.p += size;
        }
        if (!c.ok || c.p != c.end)
            return Fail("|SYSTEM records out of range");
        return true;
    }

    // One |SYSTEM record; the types this writer does not produce are passed over.
    void ReadSystemRecord(unsigned type, const uint8_t* p, unsigned size)
    {
        Cursor r{p, p + size};
        if (type == 1) out_.title = ReadZ(r);
        else if (type == 2) out_.copyright = ReadZ(r);
        else if (type == 3 && size == 4) out_.contents = r.u32();
        else if (type == 4) out_.macros.push_back(ReadZ(r));
        else if (type == 6 && size == 90) {
            const char* w = reinterpret_cast<const char*>(p);
            ReadWindow win;
            win.flags = Get16(p);
            win.name.assign(w + 12, strnlen(w + 12, 9));
            win.caption.assign(w + 21, strnlen(w + 21, 51));
            out_.windows.push_back(win);
        }
    }

    bool ReadFonts()
    {
        InternalFile fontFile;
        if (!Open("|FONT", fontFile))
            return false;
        Cursor f{fontFile.data, fontFile.data + fontFile.size};
        unsigned faces = f.u16(), descriptors = f.u16(), faceOffset = f.u16(), descOffset = f.u16();
        if (!f.ok || faces == 0 || descOffset < faceOffset || descOffset + 11ul * descriptors > fontFile.size)
            return Fail("|FONT tables out of range");
        size_t faceLength = (descOffset - faceOffset) / faces;
        for (unsigned i = 0; i < descriptors; ++i) {
            const uint8_t* d = fontFile.data + descOffset + 11 * i;
            ReadFont rf;
            rf.attributes = d[0];
            rf.halfPoints = d[1];
            rf.family = d[2];
            unsigned faceIndex = Get16(d + 3);
            if (faceIndex >= faces)
                return Fail("font face out of range");
            const char* name = reinterpret_cast<const char*>(fontFile.data + faceOffset + faceIndex * faceLength);
            rf.face.assign(name, strnlen(name, faceLength));
            out_.fonts.push_back(rf);
        }
        return true;
    }

    // |TOPIC: every block expanded into one stream, remembering where each
    // block's data starts in it.
    bool ExpandTopicBlocks()
    {
        InternalFile topicFile;
        if (!Open("|TOPIC", topicFile))
            return false;
        bool compressed = out_.flags == 4 || out_.flags == 8;
        size_t blockSize = out_.flags == 8 ? 2048 : 4096;
        for (size_t at = 0; at < topicFile.size; at += blockSize) {
            if (topicFile.size - at < kBlockHeaderSize)
                return Fail("topic block header out of range");
            const uint8_t* b = topicFile.data + at + kBlockHeaderSize;
            const uint8_t* e = topicFile.data + std::min(topicFile.size, at + blockSize);
            blockStart_.push_back(stream_.size());
            if (compressed) {
                bool ok = true;
                size_t before = stream_.size();
                Lz77Expand(b, e, stream_, ok);
                if (!ok || stream_.size() - before > (size_t(1) << kPosBlockShift))
                    return Fail("topic block does not expand");
            } else {
                stream_.insert(stream_.end(), b, e);
            }
        }
        return true;
    }

    // Follows the records' links from the first one, just after the first
    // block's header.
    bool ReadTopicLinks()
    {
        const uint32_t first = static_cast<uint32_t>(kBlockHeaderSize);
        uint32_t link = first;
        size_t lastBlock = SIZE_MAX, previousAt = 0;
        uint32_t chars = 0;
        for (size_t count = 0; link != kNone && link != 0; ++count) {
            size_t block = (link - first) >> kPosBlockShift, offset = (link - first) & kPosOffsetMask;
            if (link < first || block >= blockStart_.size() || count > stream_.size())
                return Fail("topic link position out of range");
            size_t at = blockStart_[block] + offset;
            if (count > 0 && at <= previousAt)
                return Fail("topic links do not move forward");
            previousAt = at;
            if (block != lastBlock) {
                lastBlock = block;
                chars = 0;
            }
            if (!ReadRecord(at, TopicOffset(block, chars), chars, link))
                return false;
        }
        return true;
    }

    // The record at stream position at: a topic header, which starts a topic
    // at offset topicOffset, or text, whose characters add to chars. Sets
    // link to the next record's position.
    bool ReadRecord(size_t at, uint32_t topicOffset, uint32_t& chars, uint32_t& link)
    {
        if (at + kLinkHeaderSize > stream_.size())
            return Fail("topic link out of range");
        const uint8_t* h = &stream_[at];
        uint32_t size = Get32(h), len2 = Get32(h + 4), next = Get32(h + 12), len1 = Get32(h + 16);
        uint8_t type = h[20];
        if (len1 < kLinkHeaderSize || len1 > size || at + size > stream_.size() || len2 != size - len1)
            return Fail("topic link sizes out of range");
        Cursor d{h + kLinkHeaderSize, h + len1};
        const uint8_t* text = h + len1;
        if (type == kTopicHeader) {
            if (len1 < kLinkHeaderSize + kTopicHeaderSize)
                return Fail("topic header too short");
            ReadTopic t;
            d.u32();
            t.browseBack = d.u32();
            t.browseForward = d.u32();
            t.number = d.u32();
            t.title.assign(reinterpret_cast<const char*>(text), len2);
            if (!t.title.empty() && t.title.back() == '\0')
                t.title.pop_back();
            t.topicOffset = topicOffset;
            out_.topics.push_back(t);
        } else if (type == kText) {
            if (out_.topics.empty())
                return Fail("text before the first topic");
            unsigned length = 0;
            if (!ParseText(d, text, h + size, out_.topics.back(), length, error_))
                return false;
            chars += length;
        } else {
            error_ = "unsupported topic record type " + std::to_string(type);
            return false;
        }
        link = next;
        return true;
    }

    bool ReadContext()
    {
        InternalFile ctx;
        if (!Open("|CONTEXT", ctx))
            return false;
        bool ordered = true, first = true;
        int32_t previous = 0;
        if (!WalkTree(ctx, [&](Cursor& e) {
                int32_t hash = static_cast<int32_t>(e.u32());
                if (!first && hash <= previous)
                    ordered = false;
                first = false;
                previous = hash;
                out_.context[hash] = e.u32();
                return e.ok;
            }, error_))
            return false;
        if (!ordered)
            return Fail("|CONTEXT is not in ascending order");
        return true;
    }

    const std::vector<uint8_t>& data_;
    ReadResult& out_;
    std::string& error_;
    std::vector<uint8_t> stream_;   // the expanded topic blocks
    std::vector<size_t> blockStart_; // block -> where its data starts in stream_
};

} // namespace

bool ReadHelpFile(const std::vector<uint8_t>& data, ReadResult& out, std::string& error)
{
    out = ReadResult();
    return Reader(data, out, error).Read();
}

} // namespace hlp

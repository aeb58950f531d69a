#include "count/ZipReader.h"

#include <cstring>
#include <zlib.h>

namespace {

inline uint16_t Le16(const unsigned char* p)
{
    return (uint16_t)(p[0] | p[1] << 8);
}

inline uint32_t Le32(const unsigned char* p)
{
    return (uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 | (uint32_t)p[3] << 24;
}

enum : uint32_t {
    kEndSignature = 0x06054b50,
    kCentralSignature = 0x02014b50,
    kLocalSignature = 0x04034b50,
};
enum { kEndSize = 22, kCentralSize = 46, kLocalSize = 30 };

} // namespace

bool ZipReader::Open(const unsigned char* data, size_t size, std::string& error)
{
    data_ = data;
    size_ = size;
    entries_.clear();
    if (size < kEndSize) {
        error = "not a zip archive (too short)";
        return false;
    }
    // The end record sits in the last 22 bytes plus at most a 65535-byte comment.
    size_t lowest = size > kEndSize + 65535 ? size - kEndSize - 65535 : 0;
    size_t end = size - kEndSize + 1;
    bool found = false;
    while (end-- > lowest) {
        if (Le32(data + end) == kEndSignature && end + kEndSize + Le16(data + end + 20) <= size) {
            found = true;
            break;
        }
    }
    if (!found) {
        error = "not a zip archive (no central directory)";
        return false;
    }
    const unsigned char* e = data + end;
    uint16_t count = Le16(e + 10);
    uint32_t dirSize = Le32(e + 12), dirOffset = Le32(e + 16);
    if (count == 0xFFFF || dirSize == 0xFFFFFFFFu || dirOffset == 0xFFFFFFFFu) {
        error = "ZIP64 archives are not supported";
        return false;
    }
    if ((uint64_t)dirOffset + dirSize > end) {
        error = "damaged zip archive (central directory out of range)";
        return false;
    }
    size_t at = dirOffset;
    for (uint16_t i = 0; i < count; ++i) {
        if (at + kCentralSize > (size_t)dirOffset + dirSize || Le32(data + at) != kCentralSignature) {
            error = "damaged zip archive (central directory)";
            return false;
        }
        const unsigned char* c = data + at;
        size_t nameLength = Le16(c + 28), extra = Le16(c + 30), comment = Le16(c + 32);
        size_t next = at + kCentralSize + nameLength + extra + comment;
        if (next > (size_t)dirOffset + dirSize) {
            error = "damaged zip archive (central directory)";
            return false;
        }
        Entry entry;
        entry.name.assign((const char*)c + kCentralSize, nameLength);
        entry.flags = Le16(c + 8);
        entry.method = Le16(c + 10);
        entry.crc = Le32(c + 16);
        entry.packedSize = Le32(c + 20);
        entry.size = Le32(c + 24);
        entry.localOffset = Le32(c + 42);
        entries_.push_back(std::move(entry));
        at = next;
    }
    return true;
}

const ZipReader::Entry* ZipReader::Find(const char* name) const
{
    for (const Entry& e : entries_)
        if (e.name == name)
            return &e;
    return nullptr;
}

bool ZipReader::Has(const char* name) const
{
    return Find(name) != nullptr;
}

bool ZipReader::Extract(const char* name, std::string& out, std::string& error) const
{
    const Entry* e = Find(name);
    if (!e) {
        error = std::string("damaged document (no ") + name + ")";
        return false;
    }
    const std::string where = std::string(" in ") + name;
    if (e->flags & 1) {
        error = "encrypted entry" + where;
        return false;
    }
    if (e->method != 0 && e->method != 8) {
        error = "unsupported compression method" + where;
        return false;
    }
    if (e->size > kMaxEntrySize) {
        error = "entry too large" + where;
        return false;
    }
    size_t at = e->localOffset;
    if ((uint64_t)at + kLocalSize > size_ || Le32(data_ + at) != kLocalSignature) {
        error = "damaged zip archive (local header" + where + ")";
        return false;
    }
    size_t start = at + kLocalSize + Le16(data_ + at + 26) + Le16(data_ + at + 28);
    if ((uint64_t)start + e->packedSize > size_) {
        error = "damaged zip archive (truncated data" + where + ")";
        return false;
    }
    const unsigned char* packed = data_ + start;
    out.resize(e->size);
    if (e->method == 0) {
        if (e->packedSize != e->size) {
            error = "damaged zip archive (sizes" + where + ")";
            return false;
        }
        if (e->size)
            memcpy(&out[0], packed, e->size);
    } else {
        z_stream z;
        memset(&z, 0, sizeof z);
        if (inflateInit2(&z, -MAX_WBITS) != Z_OK) {
            error = "cannot start inflate";
            return false;
        }
        z.next_in = const_cast<unsigned char*>(packed);
        z.avail_in = e->packedSize;
        // One spare byte: a stream that would write more than its stated
        // size is caught instead of silently cut.
        out.resize((size_t)e->size + 1);
        z.next_out = (unsigned char*)&out[0];
        z.avail_out = e->size + 1;
        int rc = inflate(&z, Z_FINISH);
        uLong produced = z.total_out;
        inflateEnd(&z);
        if (rc != Z_STREAM_END || produced != e->size) {
            error = "damaged compressed data" + where;
            return false;
        }
        out.resize(e->size);
    }
    uLong crc = crc32(0L, (const Bytef*)out.data(), (uInt)out.size());
    if ((uint32_t)crc != e->crc) {
        error = "CRC mismatch" + where;
        return false;
    }
    return true;
}

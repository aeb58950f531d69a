// Reads single entries from a zip archive held in memory: the central
// directory, local headers, stored and deflated entries (zlib's inflate), the
// CRC of each entry checked. Enough for .docx and .odt; no ZIP64, no
// encryption.
#ifndef QT_COUNT_ZIPREADER_H
#define QT_COUNT_ZIPREADER_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class ZipReader {
public:
    // Entries bigger than this unpacked are refused, so that a small damaged
    // or hostile file cannot ask for gigabytes.
    static const uint32_t kMaxEntrySize = 512u * 1024 * 1024;

    // Reads the central directory; false with a reason when the archive is
    // damaged. data must stay alive while the reader is used.
    bool Open(const unsigned char* data, size_t size, std::string& error);

    bool Has(const char* name) const;
    // Unpacks one entry into out; false with a reason.
    bool Extract(const char* name, std::string& out, std::string& error) const;

private:
    struct Entry {
        std::string name;
        uint16_t flags;
        uint16_t method;
        uint32_t crc;
        uint32_t packedSize;
        uint32_t size;
        uint32_t localOffset;
    };
    const Entry* Find(const char* name) const;

    const unsigned char* data_ = nullptr;
    size_t size_ = 0;
    std::vector<Entry> entries_;
};

#endif

#include "count/Encoding.h"

#include <cstring>

namespace {

// Code points of bytes 0x80..0x9F; 0 where Windows keeps the byte as the
// control character of the same number.
const uint16_t kHigh1252[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

inline bool AllAscii8(const unsigned char* p)
{
    uint64_t v;
    memcpy(&v, p, 8);
    return (v & 0x8080808080808080ULL) == 0;
}

// Decodes one UTF-8 sequence at p (p < end, *p >= 0x80). Returns its length,
// or 0 when it is broken.
inline size_t DecodeUtf8(const unsigned char* p, const unsigned char* end, uint32_t& cp)
{
    unsigned char c = *p;
    size_t n;
    uint32_t min;
    if (c >= 0xC2 && c <= 0xDF) {
        n = 2;
        cp = c & 0x1F;
        min = 0x80;
    } else if (c >= 0xE0 && c <= 0xEF) {
        n = 3;
        cp = c & 0x0F;
        min = 0x800;
    } else if (c >= 0xF0 && c <= 0xF4) {
        n = 4;
        cp = c & 0x07;
        min = 0x10000;
    } else
        return 0;
    if ((size_t)(end - p) < n)
        return 0;
    for (size_t i = 1; i < n; ++i) {
        if ((p[i] & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (p[i] & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return n;
}

bool HasNonAscii(const unsigned char* p, size_t size)
{
    size_t i = 0;
    for (; i + 32 <= size; i += 32)
        if (!(AllAscii8(p + i) && AllAscii8(p + i + 8) && AllAscii8(p + i + 16) &&
              AllAscii8(p + i + 24)))
            return true;
    for (; i < size; ++i)
        if (p[i] & 0x80)
            return true;
    return false;
}

} // namespace

void AppendUtf8As1252(const unsigned char* p, size_t size, std::string& out)
{
    const unsigned char* end = p + size;
    size_t start = out.size();
    out.resize(start + size);   // never longer than the UTF-8 bytes
    char* o = &out[start];
    while (p < end) {
        if (end - p >= 8 && AllAscii8(p)) {
            memcpy(o, p, 8);
            p += 8;
            o += 8;
            continue;
        }
        if (*p < 0x80) {
            *o++ = (char)*p++;
            continue;
        }
        uint32_t cp;
        size_t n = DecodeUtf8(p, end, cp);
        if (n) {
            *o++ = (char)CodePointTo1252(cp);
            p += n;
        } else {
            *o++ = '?';
            ++p;
        }
    }
    out.resize((size_t)(o - out.data()));
}

namespace {

void AppendUtf16(const unsigned char* p, size_t size, bool bigEndian, std::string& out)
{
    size_t units = size / 2;   // an odd last byte is no character
    out.reserve(out.size() + units);
    for (size_t i = 0; i < units; ++i) {
        const unsigned char* u = p + 2 * i;
        uint32_t unit = bigEndian ? (uint32_t)(u[0] << 8 | u[1]) : (uint32_t)(u[1] << 8 | u[0]);
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < units) {
            const unsigned char* v = u + 2;
            uint32_t next = bigEndian ? (uint32_t)(v[0] << 8 | v[1]) : (uint32_t)(v[1] << 8 | v[0]);
            if (next >= 0xDC00 && next <= 0xDFFF)
                ++i;   // one character beyond U+FFFF: no 1252 form
            out += '?';
            continue;
        }
        out += (char)CodePointTo1252(unit);
    }
}

} // namespace

const char* TextEncodingName(TextEncoding encoding)
{
    switch (encoding) {
    case TextEncoding::Utf8: return "UTF-8";
    case TextEncoding::Utf8Bom: return "UTF-8 with BOM";
    case TextEncoding::Utf16Le: return "UTF-16 LE";
    case TextEncoding::Utf16Be: return "UTF-16 BE";
    default: return "single-byte";
    }
}

unsigned char CodePointTo1252(uint32_t cp)
{
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF))
        return (unsigned char)cp;
    if (cp == 0x81 || cp == 0x8D || cp == 0x8F || cp == 0x90 || cp == 0x9D)
        return (unsigned char)cp;
    for (int i = 0; i < 32; ++i)
        if (kHigh1252[i] && kHigh1252[i] == cp)
            return (unsigned char)(0x80 + i);
    return '?';
}

bool IsValidUtf8(const unsigned char* p, size_t size)
{
    const unsigned char* end = p + size;
    while (p < end) {
        if (end - p >= 32 && AllAscii8(p) && AllAscii8(p + 8) && AllAscii8(p + 16) &&
            AllAscii8(p + 24)) {
            p += 32;
            continue;
        }
        if (*p < 0x80) {
            ++p;
            continue;
        }
        uint32_t cp;
        size_t n = DecodeUtf8(p, end, cp);
        if (!n)
            return false;
        p += n;
    }
    return true;
}

TextEncoding DetectTextEncoding(const unsigned char* data, size_t size)
{
    if (size >= 3 && data[0] == 0xEF && data[1] == 0xBB && data[2] == 0xBF)
        return TextEncoding::Utf8Bom;
    if (size >= 2 && data[0] == 0xFF && data[1] == 0xFE)
        return TextEncoding::Utf16Le;
    if (size >= 2 && data[0] == 0xFE && data[1] == 0xFF)
        return TextEncoding::Utf16Be;
    if (HasNonAscii(data, size) && IsValidUtf8(data, size))
        return TextEncoding::Utf8;
    return TextEncoding::SingleByte;
}

void AppendAs1252(const unsigned char* data, size_t size, TextEncoding encoding, std::string& out)
{
    // The mark is skipped only as far as the text goes: a caller that names
    // an encoding its text is too short for must not wrap the size around.
    auto skip = [&](size_t mark) { return size < mark ? size : mark; };
    switch (encoding) {
    case TextEncoding::Utf8:
        AppendUtf8As1252(data, size, out);
        break;
    case TextEncoding::Utf8Bom:
        AppendUtf8As1252(data + skip(3), size - skip(3), out);
        break;
    case TextEncoding::Utf16Le:
    case TextEncoding::Utf16Be:
        AppendUtf16(data + skip(2), size - skip(2), encoding == TextEncoding::Utf16Be, out);
        break;
    default:
        out.append((const char*)data, size);
        break;
    }
}

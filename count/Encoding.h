// Plain text files as the clipboard would hand them to the measures on a
// Western Windows system: Windows-1252 bytes, one byte per character.
#ifndef QT_COUNT_ENCODING_H
#define QT_COUNT_ENCODING_H

#include <cstddef>
#include <cstdint>
#include <string>

enum class TextEncoding {
    SingleByte,   // counted as it is: 1252 text, ASCII, or bytes that are not UTF-8
    Utf8,         // valid UTF-8 without a byte order mark, some bytes past 127
    Utf8Bom,
    Utf16Le,      // with its byte order mark
    Utf16Be,
};

const char* TextEncodingName(TextEncoding encoding);

// Byte order marks decide first; text without one is UTF-8 only when it is
// valid UTF-8 and not plain ASCII.
TextEncoding DetectTextEncoding(const unsigned char* data, size_t size);

// Whether data is well-formed UTF-8 (no overlong forms, no surrogates,
// nothing past U+10FFFF).
bool IsValidUtf8(const unsigned char* data, size_t size);

// The Windows-1252 byte of a code point; '?' when it has none. U+0081,
// U+008D, U+008F, U+0090 and U+009D keep their bytes, as Windows' own table
// maps them both ways.
unsigned char CodePointTo1252(uint32_t codePoint);

// Appends the 1252 form of text in the detected encoding (its byte order
// mark left out) to out. Each character without a 1252 form, and each byte
// of a broken UTF-8 sequence, becomes one '?'; a surrogate pair is one
// character. A zero character is kept: the text ends there, as on the
// clipboard. SingleByte text is appended as it is.
void AppendAs1252(const unsigned char* data, size_t size, TextEncoding encoding, std::string& out);

// The same for a piece of UTF-8 text (documents' XML): broken sequences give
// one '?' per byte.
void AppendUtf8As1252(const unsigned char* data, size_t size, std::string& out);

#endif

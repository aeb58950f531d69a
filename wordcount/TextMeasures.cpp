#include "wordcount/TextMeasures.h"

#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#define QT_MEASURES_SIMD 1
#else
#define QT_MEASURES_SIMD 0
#endif

namespace {

enum : unsigned char {
    kWord = 1,      // part of a word
    kColumn = 2,    // takes a column: 32..127
    kPrintable = 4, // a column byte that opens a line: 33..127
    kBreak = 8,     // carriage return or line feed
};

struct ByteClasses {
    unsigned char of[256];
};

constexpr ByteClasses MakeByteClasses()
{
    ByteClasses t{};
    for (int b = 0; b < 256; ++b) {
        unsigned char c = 0;
        if ((b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') ||
            (b >= 128 && b <= 165) || b == '\'' || b == '.' || b == ':')
            c |= kWord;
        if (b >= 32 && b <= 127)
            c |= kColumn;
        if (b >= 33 && b <= 127)
            c |= kPrintable;
        if (b == '\r' || b == '\n')
            c |= kBreak;
        t.of[b] = c;
    }
    return t;
}

constexpr ByteClasses kClasses = MakeByteClasses();

// Counts past INT_MAX (texts over 2 GB in 64-bit builds) stop at INT_MAX.
inline int ClampCount(size_t n)
{
    return n > (size_t)INT_MAX ? INT_MAX : (int)n;
}

// Where the line rule stands after the bytes seen so far.
struct LineState {
    size_t lines = 0;
    long long column = 0;
    bool open = false;
};

inline void StepLine(LineState& s, unsigned char c, int width)
{
    unsigned char k = kClasses.of[c];
    if (k & kColumn) {
        if ((k & kPrintable) && !s.open) {
            ++s.lines;
            s.open = true;
        }
        if (++s.column >= width) {
            s.column = 0;
            s.open = false;
        }
    } else if (k & kBreak) {
        s.column = 0;
        s.open = false;
    }
}

#if QT_MEASURES_SIMD

enum { kPrefetchBlocks = 32 };   // 2 KB ahead

inline unsigned PopCount64(uint64_t x)
{
    // SWAR: POPCNT is not part of the x86_64 baseline.
    x = x - ((x >> 1) & 0x5555555555555555ULL);
    x = (x & 0x3333333333333333ULL) + ((x >> 2) & 0x3333333333333333ULL);
    x = (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0FULL;
    return (unsigned)((x * 0x0101010101010101ULL) >> 56);
}

// Asks for the text well ahead of the classification work, which is too slow
// for the out-of-order window alone to keep enough memory reads in flight.
inline void PrefetchAhead(const __m128i* p)
{
    _mm_prefetch((const char*)(p + 4 * kPrefetchBlocks), _MM_HINT_T0);
}

inline uint64_t Mask64(__m128i a, __m128i b, __m128i c, __m128i d)
{
    return (uint64_t)(uint16_t)_mm_movemask_epi8(a) |
           ((uint64_t)(uint16_t)_mm_movemask_epi8(b) << 16) |
           ((uint64_t)(uint16_t)_mm_movemask_epi8(c) << 32) |
           ((uint64_t)(uint16_t)_mm_movemask_epi8(d) << 48);
}

// Bits below the lowest set bit of x; all bits when x is 0.
inline uint64_t BelowLowest(uint64_t x)
{
    return x ? (x & (0 - x)) - 1 : ~0ULL;
}

// Index of the n-th (1-based) set bit of x; x holds at least n set bits.
inline unsigned SelectBit(uint64_t x, unsigned n)
{
    // Running bit counts per byte find the byte; a short loop finds the bit.
    uint64_t c = x - ((x >> 1) & 0x5555555555555555ULL);
    c = (c & 0x3333333333333333ULL) + ((c >> 2) & 0x3333333333333333ULL);
    c = (c + (c >> 4)) & 0x0F0F0F0F0F0F0F0FULL;
    const uint64_t running = c * 0x0101010101010101ULL;   // byte i: bits in bytes 0..i
    const uint64_t reached = ((running | 0x8080808080808080ULL) - n * 0x0101010101010101ULL) &
                             0x8080808080808080ULL;
    const unsigned byte = (unsigned)__builtin_ctzll(reached) / 8;
    if (byte)
        n -= (unsigned)(running >> (8 * byte - 8)) & 0xFF;
    unsigned bits = (unsigned)(x >> (8 * byte)) & 0xFF;
    while (--n)
        bits &= bits - 1;
    return 8 * byte + (unsigned)__builtin_ctz(bits);
}

// Unsigned range tests use one add and one signed compare: the add moves the
// range to -128 and up.
inline __m128i WordBytes(__m128i v)
{
    const __m128i folded = _mm_or_si128(v, _mm_set1_epi8(0x20));
    __m128i letter = _mm_cmplt_epi8(_mm_add_epi8(folded, _mm_set1_epi8(128 - 'a')),
                                    _mm_set1_epi8(-128 + 26));
    __m128i digitOrColon = _mm_cmplt_epi8(_mm_add_epi8(v, _mm_set1_epi8(128 - '0')),
                                          _mm_set1_epi8(-128 + 11));
    // 128..165 are -128..-91 as signed bytes.
    __m128i high = _mm_cmplt_epi8(v, _mm_set1_epi8(-90));
    __m128i marks = _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8('\'')),
                                 _mm_cmpeq_epi8(v, _mm_set1_epi8('.')));
    return _mm_or_si128(_mm_or_si128(letter, digitOrColon), _mm_or_si128(high, marks));
}

// Whether any of the 64 bytes is zero: one compare for the whole block.
inline bool AnyZero(__m128i a, __m128i b, __m128i c, __m128i d)
{
    __m128i least = _mm_min_epu8(_mm_min_epu8(a, b), _mm_min_epu8(c, d));
    return _mm_movemask_epi8(_mm_cmpeq_epi8(least, _mm_setzero_si128())) != 0;
}

inline uint64_t ZeroMask(__m128i a, __m128i b, __m128i c, __m128i d)
{
    const __m128i zero = _mm_setzero_si128();
    return Mask64(_mm_cmpeq_epi8(a, zero), _mm_cmpeq_epi8(b, zero), _mm_cmpeq_epi8(c, zero),
                  _mm_cmpeq_epi8(d, zero));
}

// The SIMD paths read whole aligned 64-byte blocks, which may reach past the
// terminator but never into another page; the masks ignore those bytes.
__attribute__((no_sanitize_address)) int CountWordsSimd(const char* text)
{
    const uintptr_t offset = (uintptr_t)text & 63;
    const __m128i* p = (const __m128i*)(text - offset);
    uint64_t skip = offset ? ~0ULL >> (64 - offset) : 0;   // bytes before text
    uint64_t carry = 0;
    size_t words = 0;
    for (;; p += 4) {
        PrefetchAhead(p);
        __m128i a = _mm_load_si128(p), b = _mm_load_si128(p + 1);
        __m128i c = _mm_load_si128(p + 2), d = _mm_load_si128(p + 3);
        uint64_t ends = AnyZero(a, b, c, d) ? ZeroMask(a, b, c, d) & ~skip : 0;
        uint64_t word = Mask64(WordBytes(a), WordBytes(b), WordBytes(c), WordBytes(d)) & ~skip;
        skip = 0;
        word &= BelowLowest(ends);
        words += PopCount64(word & ~((word << 1) | carry));
        if (ends)
            break;
        carry = word >> 63;
    }
    return ClampCount(words);
}

__attribute__((no_sanitize_address)) int CountLinesSimd(const char* text, int width)
{
    const uintptr_t offset = (uintptr_t)text & 63;
    const __m128i* p = (const __m128i*)(text - offset);
    const __m128i space = _mm_set1_epi8(' ');
    const __m128i beforeSpace = _mm_set1_epi8(' ' - 1);
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    uint64_t skip = offset ? ~0ULL >> (64 - offset) : 0;
    LineState s;
    for (;; p += 4) {
        PrefetchAhead(p);
        __m128i v[4] = {_mm_load_si128(p), _mm_load_si128(p + 1), _mm_load_si128(p + 2),
                        _mm_load_si128(p + 3)};
        __m128i col[4], prt[4], brk[4];
        for (int i = 0; i < 4; ++i) {
            // 32..127 are the positive signed bytes above 31.
            col[i] = _mm_cmpgt_epi8(v[i], beforeSpace);
            prt[i] = _mm_cmpgt_epi8(v[i], space);
            brk[i] = _mm_or_si128(_mm_cmpeq_epi8(v[i], cr), _mm_cmpeq_epi8(v[i], lf));
        }
        uint64_t ends =
            AnyZero(v[0], v[1], v[2], v[3]) ? ZeroMask(v[0], v[1], v[2], v[3]) & ~skip : 0;
        uint64_t valid = ~skip & BelowLowest(ends);
        skip = 0;
        uint64_t column = Mask64(col[0], col[1], col[2], col[3]) & valid;
        uint64_t printable = Mask64(prt[0], prt[1], prt[2], prt[3]) & valid;
        uint64_t breaks = Mask64(brk[0], brk[1], brk[2], brk[3]) & valid;
        // One segment per line break (and the rest of the block after the last).
        for (;;) {
            uint64_t segment = BelowLowest(breaks);
            uint64_t segColumn = column & segment;
            uint64_t segPrintable = printable & segment;
            unsigned n = PopCount64(segColumn);
            while (s.column + n >= (long long)width) {
                // The line fills up inside the segment: close it at its last column.
                unsigned last = SelectBit(segColumn, (unsigned)(width - s.column));
                uint64_t upTo = last == 63 ? ~0ULL : (2ULL << last) - 1;
                if (!s.open && (segPrintable & upTo))
                    ++s.lines;
                s.column = 0;
                s.open = false;
                segColumn &= ~upTo;
                segPrintable &= ~upTo;
                n = PopCount64(segColumn);
            }
            if (!s.open && segPrintable) {
                ++s.lines;
                s.open = true;
            }
            s.column += n;
            if (!breaks)
                break;
            s.column = 0;
            s.open = false;
            uint64_t through = segment | (breaks & (0 - breaks));
            column &= ~through;
            printable &= ~through;
            breaks &= breaks - 1;
        }
        if (ends)
            break;
    }
    return ClampCount(s.lines);
}

// Width 1 or less: every printable byte is a line of its own.
__attribute__((no_sanitize_address)) int CountPrintableSimd(const char* text)
{
    const uintptr_t offset = (uintptr_t)text & 63;
    const __m128i* p = (const __m128i*)(text - offset);
    const __m128i space = _mm_set1_epi8(' ');
    uint64_t skip = offset ? ~0ULL >> (64 - offset) : 0;
    size_t lines = 0;
    for (;; p += 4) {
        PrefetchAhead(p);
        __m128i a = _mm_load_si128(p), b = _mm_load_si128(p + 1);
        __m128i c = _mm_load_si128(p + 2), d = _mm_load_si128(p + 3);
        uint64_t ends = AnyZero(a, b, c, d) ? ZeroMask(a, b, c, d) & ~skip : 0;
        uint64_t printable = Mask64(_mm_cmpgt_epi8(a, space), _mm_cmpgt_epi8(b, space),
                                    _mm_cmpgt_epi8(c, space), _mm_cmpgt_epi8(d, space));
        lines += PopCount64(printable & ~skip & BelowLowest(ends));
        skip = 0;
        if (ends)
            break;
    }
    return ClampCount(lines);
}

#endif

} // namespace

int CountCharacters(const char* text)
{
    return ClampCount(strlen(text));
}

int CountWordsScalar(const char* text)
{
    const unsigned char* p = (const unsigned char*)text;
    size_t words = 0;
    bool inWord = false;
    for (; *p; ++p) {
        bool w = (kClasses.of[*p] & kWord) != 0;
        words += w && !inWord;
        inWord = w;
    }
    return ClampCount(words);
}

int CountLinesScalar(const char* text, int charactersPerLine)
{
    LineState s;
    for (const unsigned char* p = (const unsigned char*)text; *p; ++p)
        StepLine(s, *p, charactersPerLine);
    return ClampCount(s.lines);
}

bool MeasuresHaveSimd()
{
    return QT_MEASURES_SIMD != 0;
}

int CountWords(const char* text)
{
#if QT_MEASURES_SIMD
    return CountWordsSimd(text);
#else
    return CountWordsScalar(text);
#endif
}

int CountLines(const char* text, int charactersPerLine)
{
#if QT_MEASURES_SIMD
    if (charactersPerLine <= 1)
        return CountPrintableSimd(text);
    return CountLinesSimd(text, charactersPerLine);
#else
    return CountLinesScalar(text, charactersPerLine);
#endif
}

// The three measures, on the SIMD and the byte-at-a-time paths, against the
// plain reference versions: any difference is a finding.
#include "tests/fuzz/FuzzCheck.h"
#include "tests/native/measures_reference.h"
#include "wordcount/TextMeasures.h"

#include <cstdint>
#include <vector>

// Input: alignment byte, width byte, 32-bit width, then the text. Bytes after
// a 0 stay in the buffer behind the terminator, where the block reader looks.
void FuzzMeasures(const uint8_t* data, size_t size)
{
    FuzzReader in{data, size};
    const size_t at = in.Byte() & 63;
    const uint8_t widthKind = in.Byte();
    const uint32_t raw = in.U32();
    // Mostly widths near the text's own scale; sometimes any 32-bit value.
    const int width = (widthKind & 1) ? int32_t(raw) : int(raw % 300) - 2;
    const int smallWidth = 1 + (widthKind >> 1) % 100;

    // 64-byte aligned storage, the text at the chosen offset.
    std::vector<char> storage(in.left + 1 + 2 * 64);
    const uintptr_t base = (uintptr_t(storage.data()) + 63) & ~uintptr_t(63);
    char* text = reinterpret_cast<char*>(base) + at;
    if (in.left)
        std::memcpy(text, in.p, in.left);
    text[in.left] = 0;
    const std::string s(text);

    FUZZ_CHECK(CountCharacters(text) == RefCharacters(s));
    const int words = RefWords(s);
    FUZZ_CHECK(CountWords(text) == words);
    FUZZ_CHECK(CountWordsScalar(text) == words);
    for (int w : {width, smallWidth}) {
        const int lines = RefLines(s, w);
        FUZZ_CHECK(CountLines(text, w) == lines);
        FUZZ_CHECK(CountLinesScalar(text, w) == lines);
    }
}

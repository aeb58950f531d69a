// The 64-bit program's SSE2 measures against the byte-at-a-time ones, as
// MinGW compiles them for the shipped code.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

#include <windows.h>

#include "ui/Dialog.h"
#include "wordcount/TextMeasures.h"

namespace {

TEST(Measures, BlockPathsMatchByteAtATime)
{
    g_hInstance = GetModuleHandleA(NULL);
    alignas(64) static char buffer[4096 + 128];
    uint32_t state = 3;
    auto next = [&state]() {
        state = state * 1103515245u + 12345u;
        return state >> 8;
    };
    static const char kPieces[][6] = {"a", "Zz9", " ", "   ", "\r\n", "\n", "\t", ".", "-",
                                      "\x92", "\xE9", "\xA5\xA6"};
    for (int round = 0; round < 400; ++round) {
        size_t at = next() % 64;
        size_t length = next() % (round % 8 == 0 ? 4000 : 300);
        std::string text;
        while (text.size() < length) {
            uint32_t r = next();
            if (r % 5 == 0)
                text.push_back((char)(1 + r / 5 % 255));   // any byte value
            else
                text.append(kPieces[r / 5 % (sizeof kPieces / sizeof kPieces[0])]);
        }
        text.resize(length);
        memset(buffer, 'q', sizeof buffer);
        memcpy(buffer + at, text.c_str(), text.size() + 1);
        const char* p = buffer + at;
        ASSERT_EQ(CountWords(p), CountWordsScalar(p)) << "round " << round;
        ASSERT_EQ(CountCharacters(p), (int)text.size());
        for (int width : {-2, 0, 1, 2, 7, 63, 64, 65, 80, 200})
            ASSERT_EQ(CountLines(p, width), CountLinesScalar(p, width))
                << "round " << round << " width " << width;
    }
#if defined(_WIN64)
    EXPECT_TRUE(MeasuresHaveSimd());
#endif
}

} // namespace

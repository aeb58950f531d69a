#include "wordcount/TextMeasures.h"
#include "tests/native/measures_reference.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {

// Small deterministic generator, so a failure can be replayed.
struct Rng {
    uint64_t state;
    uint32_t Next()
    {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        return (uint32_t)(state >> 33);
    }
    uint32_t Below(uint32_t n) { return Next() % n; }
};

// Texts that stress the measures: runs of one class, long lines, line breaks,
// blanks at the wrap point, and every byte value 1..255.
std::string GenerateText(Rng& rng, size_t length)
{
    static const char kProse[] = "Quilltally counts words, lines: e-mail U.S.A. 3.14 don't";
    std::string s;
    s.reserve(length);
    int style = (int)rng.Below(4);
    while (s.size() < length) {
        uint32_t pick = rng.Below(100);
        if (style == 0 || pick < 10) {
            s.push_back((char)(1 + rng.Below(255)));            // any byte
        } else if (pick < 40) {
            s.push_back(kProse[rng.Below(sizeof kProse - 1)]);
        } else if (pick < 55) {
            s.append(rng.Below(style == 1 ? 200 : 6), ' ');    // blank runs
        } else if (pick < 65) {
            static const char* kBreaks[] = {"\r\n", "\n", "\r", "\r\n\r\n", "\t"};
            s.append(kBreaks[rng.Below(5)]);
        } else if (pick < 80) {
            s.append(rng.Below(style == 2 ? 300 : 20), (char)('a' + rng.Below(26)));
        } else {
            s.push_back((char)(128 + rng.Below(128)));
        }
    }
    s.resize(length);
    return s;
}

TEST(Measures, ExamplesOfTheRules)
{
    struct Case {
        const char* text;
        int characters, words, lines80;
    } cases[] = {
        {"", 0, 0, 0},
        {"Hello, world!", 13, 2, 1},
        {"e-mail", 6, 2, 1},
        {"3.14", 4, 1, 1},
        {"...", 3, 1, 1},
        {"U.S.A.", 6, 1, 1},
        {"10:30am", 7, 1, 1},
        {"rock'n'roll", 11, 1, 1},
        {"x/y", 3, 2, 1},
        {"\"quoted\"", 8, 1, 1},
        {"- ", 2, 0, 1},
        {"don\x92t", 5, 1, 1},
        {"caf\xE9", 4, 1, 1},
        {"na\xEFve", 5, 2, 1},
        {"abc\r\n\r\n   \r\ndef", 15, 2, 2},
        {"\t\x80\xA5\xFF\xE9", 5, 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(CountCharacters(c.text), c.characters);
        EXPECT_EQ(CountWords(c.text), c.words);
        EXPECT_EQ(CountLines(c.text, 80), c.lines80);
    }
}

TEST(Measures, LineWrapping)
{
    const std::string a80(80, 'a');
    struct Case {
        std::string text;
        int width, lines;
    } cases[] = {
        {a80, 80, 1},
        {a80 + "a", 80, 2},
        {a80 + "\r\na", 80, 2},
        {a80 + std::string(80, ' ') + "a", 80, 2},
        {std::string(10, 'a') + "  ", 10, 1},
        {std::string(10, 'a') + " bbb", 10, 2},
        {"ab c", 0, 3},
        {"ab c", 1, 3},
        {"ab c", -5, 3},
        {"   x", 2, 1},
        {"\t\t\x80 ", 80, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text + " / width " + std::to_string(c.width));
        EXPECT_EQ(CountLines(c.text.c_str(), c.width), c.lines);
    }
}

// Every single byte and every pair of bytes, at each alignment the block
// reader can meet, against the reference.
TEST(Measures, EveryByteValueAtEveryAlignment)
{
    alignas(64) char buffer[256];
    for (int first = 1; first < 256; ++first) {
        for (int second = 0; second < 256; ++second) {
            std::string s;
            s.push_back((char)first);
            if (second)
                s.push_back((char)second);
            for (size_t at : {0, 1, 15, 62, 63, 64 + 30}) {
                memset(buffer, 'x', sizeof buffer);
                memcpy(buffer + at, s.c_str(), s.size() + 1);
                const char* text = buffer + at;
                int words = RefWords(s);
                ASSERT_EQ(CountWords(text), words) << first << " " << second << " @" << at;
                ASSERT_EQ(CountWordsScalar(text), words) << first << " " << second;
                for (int width : {-1, 1, 2, 80}) {
                    int lines = RefLines(s, width);
                    ASSERT_EQ(CountLines(text, width), lines)
                        << first << " " << second << " @" << at << " width " << width;
                    ASSERT_EQ(CountLinesScalar(text, width), lines)
                        << first << " " << second << " width " << width;
                }
            }
        }
    }
}

TEST(Measures, MatchReferenceOnGeneratedTexts)
{
    Rng rng{12345};
    for (int round = 0; round < 1200; ++round) {
        size_t length = rng.Below(round % 10 == 0 ? 5000 : 400);
        std::string s = GenerateText(rng, length);
        // Start at odd offsets so texts end anywhere inside a block.
        std::vector<char> storage(s.size() + 80);
        size_t at = rng.Below(64);
        memcpy(storage.data() + at, s.c_str(), s.size() + 1);
        const char* text = storage.data() + at;
        ASSERT_EQ(CountCharacters(text), RefCharacters(s)) << "round " << round;
        ASSERT_EQ(CountWords(text), RefWords(s)) << "round " << round;
        ASSERT_EQ(CountWordsScalar(text), RefWords(s)) << "round " << round;
        for (int width = -2; width <= 200; ++width) {
            int expected = RefLines(s, width);
            ASSERT_EQ(CountLines(text, width), expected) << "round " << round << " width " << width;
            ASSERT_EQ(CountLinesScalar(text, width), expected)
                << "round " << round << " width " << width;
        }
    }
}

TEST(Measures, ExtremeWidths)
{
    Rng rng{99};
    std::string s = GenerateText(rng, 3000);
    for (int width : {INT32_MIN, -1000000, 1000000, INT32_MAX})
        EXPECT_EQ(CountLines(s.c_str(), width), RefLines(s, width)) << width;
}

} // namespace

#include "support/NumberText.h"
#include "wordcount/Pricing.h"

#include "comma_locale.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

std::string Money(double amount)
{
    char text[64];
    FormatMoney(amount, text, sizeof text);
    return text;
}

bool SameDouble(double a, double b)
{
    return memcmp(&a, &b, sizeof a) == 0;
}

uint64_t Next(uint64_t& state)
{
    state = state * 6364136223846793005ULL + 1442695040888963407ULL;
    return state >> 17;
}

// What strtod gives in the "C" locale; the test runs in it unless it says
// otherwise.
double CRead(const std::string& s)
{
    return strtod(s.c_str(), nullptr);
}

TEST(RateText, ReadsLikeStrtodInTheCLocale)
{
    const char* cases[] = {
        "", "0.00", "0.02", "  0.01", "\t\n+1.5", "-1", "1,5", "abc", ".", "-", "+.", ".5",
        "5.", "1e3", "1E-2", "1e", "1e+", "2.5e+x", "  -0", "007", "1.2.3", "1.5\xA0",
        "123456789012345678901234567890", "0.000000000000000000000000000123",
        "9007199254740993", "9007199254740992.5", "2.2250738585072011e-308",
        "2.2250738585072014e-308", "4.9406564584124654e-324", "2.4703282292062327e-324",
        "2.4703282292062328e-324", "1.7976931348623157e308", "1.7976931348623159e308",
        "1e400", "-1e400", "1e-400", "1e999999999999", "1e-999999999999",
        "0.1", "0.3", "3.456", "1e23", "8.589973e9", "179769313486231580793728971405301e276",
    };
    for (const char* text : cases) {
        SCOPED_TRACE(text);
        EXPECT_TRUE(SameDouble(ReadRateText(text), CRead(text)))
            << ReadRateText(text) << " vs " << CRead(text);
    }
}

TEST(RateText, RandomNumbersMatchStrtod)
{
    uint64_t state = 7;
    char text[128];
    for (int i = 0; i < 200000; ++i) {
        uint64_t r = Next(state);
        int kind = (int)(r % 4);
        if (kind == 0) {
            // Any double, printed with enough digits and a few more or less.
            uint64_t bits = Next(state) << 20 ^ Next(state);
            double d;
            memcpy(&d, &bits, sizeof d);
            if (!std::isfinite(d))
                continue;
            snprintf(text, sizeof text, "%.*e", (int)(Next(state) % 20), d);
        } else if (kind == 1) {
            snprintf(text, sizeof text, "%llu.%llue%d", (unsigned long long)(Next(state) % 100000),
                     (unsigned long long)Next(state), (int)(Next(state) % 700) - 350);
        } else {
            // Short texts made of the characters that matter.
            static const char kChars[] = "0123456789..eE+- ,";
            int length = 1 + (int)(Next(state) % 12);
            for (int k = 0; k < length; ++k)
                text[k] = kChars[Next(state) % (sizeof kChars - 1)];
            text[length] = '\0';
        }
        ASSERT_TRUE(SameDouble(ReadRateText(text), CRead(text))) << text;
    }
}

// Exactly halfway between two doubles, and a hair either side: only exact
// arithmetic gets these right. The decimal forms run to hundreds of digits.
TEST(RateText, HalfwayCasesRoundToEven)
{
    uint64_t state = 11;
    char text[1300];
    for (int i = 0; i < 3000; ++i) {
        uint64_t bits = (Next(state) << 20 ^ Next(state)) & 0x7FEFFFFFFFFFFFFFULL;
        double low;
        memcpy(&low, &bits, sizeof low);
        double high = nextafter(low, INFINITY);
        long double middle = ((long double)low + (long double)high) / 2;   // exact
        int length = snprintf(text, sizeof text, "%.1100Le", middle);
        ASSERT_LT(length, (int)sizeof text);
        ASSERT_TRUE(SameDouble(ReadRateText(text), CRead(text))) << text;
        // Nudge the last nonzero digit of the mantissa up and down.
        char* e = strchr(text, 'e');
        char* last = e - 1;
        while (*last == '0' || *last == '.')
            --last;
        std::string up(text), down(text);
        up.insert(e - text, "1");
        down[last - text] = (char)(*last - 1);
        ASSERT_TRUE(SameDouble(ReadRateText(up.c_str()), CRead(up))) << up;
        ASSERT_TRUE(SameDouble(ReadRateText(down.c_str()), CRead(down))) << down;
    }
}

// Only decimal digits make a rate: no hexadecimal, infinity or NaN words.
TEST(RateText, OnlyDecimalNumbers)
{
    for (const char* text : {"0x10", "inf", "-INF", "infinity", "nan", "NaN(1)", "e5", "\xB2"})
        EXPECT_TRUE(SameDouble(ReadRateText(text), 0.0)) << text;
}

TEST(RateText, DecimalPointIsAFullStopInAnyLocale)
{
    qt_test::CommaLocale comma;
    if (!comma.active())
        GTEST_SKIP() << "no locale with a decimal comma could be made";
    ASSERT_EQ(strtod("1,5", nullptr), 1.5);   // the locale is really in force
    EXPECT_EQ(ReadRateText("1.5"), 1.5);
    EXPECT_EQ(ReadRateText("1,5"), 1.0);
    EXPECT_EQ(ReadRateText("0.02"), 0.02);
    EXPECT_EQ(Money(2.5), "2.50 ");
    EXPECT_EQ(Money(-1234.567), "-1234.57 ");
}

TEST(DialogInt, ReadsLikeTheDialogManager)
{
    struct Case {
        std::string text;
        int value;
    } cases[] = {
        {"", 0},
        {"80", 80},
        {"  40", 40},
        {"\t\r\n\v\f7", 7},
        {"+12", 12},
        {"-5", -5},
        {"12x", 12},
        {"1.5", 1},
        {"0x10", 0},
        {"x12", 0},
        {"abc", 0},
        {"- 5", 0},
        {"--5", 0},
        {"2147483647", INT_MAX},
        {"-2147483648", INT_MIN},
        {"2147483648", 0},    // beyond the range
        {"-2147483649", 0},
        {"99999999999", 0},
        {"-99999999999", 0},
        // Only the first 29 characters are read.
        {std::string(28, ' ') + "7", 7},
        {std::string(29, ' ') + "7", 0},
        {std::string(27, '0') + "1234", 12},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ReadDialogInt(c.text.c_str()), c.value) << "\"" << c.text << "\"";
}

TEST(MoneyText, TwoDecimalsAndATrailingBlank)
{
    struct Case {
        double amount;
        const char* text;
    } cases[] = {
        {0, "0.00 "}, {20, "20.00 "}, {2.5, "2.50 "}, {3.456, "3.46 "}, {-1, "-1.00 "},
        {0.004, "0.00 "}, {1234567.891, "1234567.89 "},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Money(c.amount), c.text) << c.amount;

    // Cut to the buffer, never past it.
    char small[8];
    memset(small, '#', sizeof small);
    FormatMoney(1e308, small, 6);
    EXPECT_EQ(std::string(small), "10000");
    EXPECT_EQ(small[6], '#');
}

struct Boxes {
    const char* text = nullptr;
    const char* width = "80";
    const char* characters = "0";
    const char* words = "0";
    const char* fixed = "0.00";
    const char* perCharacter = "0.00";
    const char* perWord = "0.02";
    const char* perLine = "0.00";

    PriceResult Price() const
    {
        return ComputePrice({text, width, characters, words, fixed, perCharacter, perWord, perLine});
    }
};

TEST(Pricing, DefaultRatesAndAThousandWords)
{
    Boxes b;
    b.words = "1000";
    PriceResult r = b.Price();
    EXPECT_EQ(Money(r.wordsCost), "20.00 ");
    EXPECT_EQ(Money(r.total), "20.00 ");
    EXPECT_EQ(r.lines, 0);
}

TEST(Pricing, FixedCostAndCharacters)
{
    Boxes b;
    b.characters = "250";
    b.perCharacter = "0.01";
    b.perWord = "0";
    b.fixed = "1";
    PriceResult r = b.Price();
    EXPECT_EQ(Money(r.charactersCost), "2.50 ");
    EXPECT_EQ(Money(r.total), "3.50 ");
    EXPECT_EQ(r.total, 1 + ((250 * 0.01 + 0.0) + 0.0));
}

TEST(Pricing, RatesThatAreNotPlainNumbers)
{
    struct Case {
        const char* rate;
        double wordsCost;
    } cases[] = {{"1,5", 10}, {"abc", 0}, {"-1", -10}, {"", 0}, {" 2.5e1", 250}};
    for (const Case& c : cases) {
        Boxes b;
        b.words = "10";
        b.perWord = c.rate;
        PriceResult r = b.Price();
        EXPECT_EQ(r.wordsCost, c.wordsCost) << c.rate;
        EXPECT_EQ(r.total, c.wordsCost) << c.rate;
    }
}

TEST(Pricing, LinesFollowTheWidthAndTheCapturedText)
{
    std::string text(100, 'a');   // one paragraph of 100 letters
    struct Case {
        const char* width;
        int lines;
    } cases[] = {{"80", 2}, {"40", 3}, {"100", 1}, {"abc", 100}, {"0", 100}, {" 50x", 2}};
    for (const Case& c : cases) {
        Boxes b;
        b.text = text.c_str();
        b.width = c.width;
        b.perLine = "0.5";
        b.fixed = "2";
        b.perWord = "0";
        PriceResult r = b.Price();
        EXPECT_EQ(r.lines, c.lines) << c.width;
        EXPECT_EQ(r.linesCost, c.lines * 0.5) << c.width;
        EXPECT_EQ(r.total, 2 + c.lines * 0.5) << c.width;
    }
}

TEST(Pricing, NothingCapturedYet)
{
    Boxes b;
    b.fixed = "4.25";
    b.perLine = "1";
    b.width = "1";
    PriceResult r = b.Price();
    EXPECT_EQ(r.lines, 0);
    EXPECT_EQ(r.linesCost, 0);
    EXPECT_EQ(r.total, 4.25);
}

} // namespace

// The number readers of the pricing boxes and the settings, against the C
// runtime's own conversions (in the C locale, which a test process keeps).
#include "support/NumberText.h"
#include "support/TextHelpers.h"
#include "tests/fuzz/FuzzCheck.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace {

bool IsSpace(unsigned char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

bool SameDouble(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;   // tells -0 from +0
}

// Where the number starts once blanks and a sign are passed.
const char* AfterBlanksAndSign(const char* p)
{
    while (IsSpace((unsigned char)*p))
        ++p;
    if (*p == '+' || *p == '-')
        ++p;
    return p;
}

void CheckRate(const char* text)
{
    const double rate = ReadRateText(text);
    const char* p = AfterBlanksAndSign(text);
    const bool decimal = (*p >= '0' && *p <= '9') || (*p == '.' && p[1] >= '0' && p[1] <= '9');
    if (!decimal) {
        // No number: 0 (strtod would also read "inf", "nan" and so on).
        FUZZ_CHECK(SameDouble(rate, 0.0));
        return;
    }
    // strtod also reads hexadecimal after "0x"; ReadRateText stops at the x.
    if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) {
        FUZZ_CHECK(rate == 0.0);
        return;
    }
    FUZZ_CHECK(SameDouble(rate, std::strtod(text, nullptr)));
}

void CheckDialogInt(const char* text)
{
    // strtol on the first 29 bytes; no number, or one past 32 bits, is 0.
    std::string head(text, strnlen(text, 29));
    char* end = nullptr;
    errno = 0;
    long value = std::strtol(head.c_str(), &end, 10);
    int expected = 0;
    if (end != head.c_str() && errno != ERANGE && value >= INT_MIN && value <= INT_MAX)
        expected = int(value);
    FUZZ_CHECK(ReadDialogInt(text) == expected);
}

void CheckSettingInt(const char* text, int defaultValue)
{
    int expected = defaultValue;
    if (*text) {
        errno = 0;
        long long value = std::strtoll(text, nullptr, 10);
        expected = value > INT_MAX ? INT_MAX : value < INT_MIN ? INT_MIN : int(value);
    }
    FUZZ_CHECK(ParseSettingInt(text, defaultValue) == expected);
    FUZZ_CHECK(ParseSettingFlag(text, defaultValue & 1) == (*text ? text[0] != '0' : (defaultValue & 1) != 0));
}

} // namespace

// Input: a default for the settings reader, then the text (to its first 0).
void FuzzNumbers(const uint8_t* data, size_t size)
{
    FuzzReader in{data, size};
    const int defaultValue = int32_t(in.U32());
    const std::string text = in.Rest();
    CheckRate(text.c_str());
    CheckDialogInt(text.c_str());
    CheckSettingInt(text.c_str(), defaultValue);
}

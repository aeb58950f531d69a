#include "support/TextHelpers.h"

#include <climits>
#include <cstring>

namespace {

enum { kWhole = 190, kHead = 100, kTail = 90 };

inline bool IsSpace(unsigned char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

} // namespace

void AbbreviateText(const char* text, char* out)
{
    size_t length = strlen(text);
    if (length <= kWhole) {
        memcpy(out, text, length + 1);
        return;
    }
    memcpy(out, text, kHead);
    memcpy(out + kHead, "...", 3);
    memcpy(out + kHead + 3, text + length - kTail, kTail);
    out[kHead + 3 + kTail] = '\0';
    // The long form is shown on one line: no control or high bytes.
    for (unsigned char* p = (unsigned char*)out; *p; ++p)
        if (*p < 32 || *p > 127)
            *p = ' ';
}

const char* SkipSpaceAndSign(const char* text, const char* end, bool* negative)
{
    const char* p = text;
    while (p != end && IsSpace((unsigned char)*p))
        ++p;
    *negative = false;
    if (p != end && (*p == '+' || *p == '-'))
        *negative = *p++ == '-';
    return p;
}

unsigned long long ReadDecimalDigits(const char* text, const char* end, unsigned long long cap,
                                     const char** stop)
{
    unsigned long long value = 0;
    const char* p = text;
    for (; p != end && *p >= '0' && *p <= '9'; ++p) {
        value = value * 10 + (unsigned)(*p - '0');
        if (value > cap)
            value = cap + 1;
    }
    *stop = p;
    return value;
}

int ParseSettingInt(const char* text, int defaultValue)
{
    if (!*text)
        return defaultValue;
    bool negative;
    const char* p = SkipSpaceAndSign(text, nullptr, &negative);
    // Out-of-range values stop at INT_MAX or INT_MIN, as the runtime's atoi does.
    unsigned long long value = ReadDecimalDigits(p, nullptr, (unsigned long long)INT_MAX + 1, &p);
    if (negative)
        return value > (unsigned long long)INT_MAX ? INT_MIN : -(int)value;
    return value > (unsigned long long)INT_MAX ? INT_MAX : (int)value;
}

bool ParseSettingFlag(const char* text, bool defaultValue)
{
    if (!*text)
        return defaultValue;
    return text[0] != '0';
}

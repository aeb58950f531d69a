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

int ParseSettingInt(const char* text, int defaultValue)
{
    if (!*text)
        return defaultValue;
    const unsigned char* p = (const unsigned char*)text;
    while (IsSpace(*p))
        ++p;
    bool negative = false;
    if (*p == '+' || *p == '-')
        negative = *p++ == '-';
    // Out-of-range values stop at INT_MAX or INT_MIN, as the runtime's atoi does.
    long long value = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        value = value * 10 + (*p - '0');
        if (value > (long long)INT_MAX + 1)
            value = (long long)INT_MAX + 1;
    }
    if (negative)
        return value > INT_MAX ? INT_MIN : (int)-value;
    return value > INT_MAX ? INT_MAX : (int)value;
}

bool ParseSettingFlag(const char* text, bool defaultValue)
{
    if (!*text)
        return defaultValue;
    return text[0] != '0';
}

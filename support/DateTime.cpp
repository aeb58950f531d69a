#include "support/DateTime.h"

#include <cstdio>
#include <ctime>

namespace {

int (*g_dateOrderSource)() = nullptr;    // none: month first
int (*g_platformSource)() = nullptr;
signed char g_dateOrder = -1;            // negative: not read yet

} // namespace

void SetDateOrderSource(int (*source)())
{
    g_dateOrderSource = source;
    g_dateOrder = -1;
}

void SetPlatformDateOrderSource(int (*source)())
{
    g_platformSource = source;
}

int GetDateOrder()
{
    // Only the low byte is kept; a setting past 127 stays unread and is read
    // again next time.
    if (g_dateOrder < 0) {
        int (*source)() = g_dateOrderSource ? g_dateOrderSource : g_platformSource;
        g_dateOrder = (signed char)(source ? source() : 0);
    }
    return g_dateOrder;
}

void LDateTime::_GetTextDate(char* out) const
{
    out[0] = '\0';
    if (time == 0)
        return;
    time_t t = (time_t)time;
    const struct tm* local = localtime(&t);
    if (!local)
        return;   // "LDateTime::_GetTextDate localtime returned NULL!"
    int day = local->tm_mday, month = local->tm_mon + 1, year = local->tm_year % 100;
    if (year < 0)
        year += 100;
    int first = month, second = day, third = year;
    switch (GetDateOrder()) {
    case 1:
        first = day;
        second = month;
        break;
    case 2:
        first = year;
        second = month;
        third = day;
        break;
    default:
        break;
    }
    snprintf(out, 9, "%.2d/%.2d/%.2d", first, second, third);
}

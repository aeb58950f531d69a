#include "support/NumberText.h"
#include "support/TextHelpers.h"

#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

// Rates are parsed here rather than with strtod, whose decimal point follows
// the C locale. The result is the correctly rounded double, as strtod gives.

namespace {

inline bool IsDigit(unsigned char c)
{
    return c >= '0' && c <= '9';
}

// Enough significant digits to decide the rounding of any double; later
// digits only matter as "something nonzero follows".
enum { kMaxDigits = 780 };

// Unsigned big integer, little-endian 32-bit limbs. 10^1130 needs 3754 bits.
struct BigNum {
    enum { kLimbs = 128 };
    uint32_t limb[kLimbs];
    int used;

    void Set(uint32_t v)
    {
        limb[0] = v;
        used = v ? 1 : 0;
    }
    void MulAdd(uint32_t m, uint32_t add)
    {
        uint64_t carry = add;
        for (int i = 0; i < used; ++i) {
            uint64_t t = (uint64_t)limb[i] * m + carry;
            limb[i] = (uint32_t)t;
            carry = t >> 32;
        }
        if (carry && used < kLimbs)
            limb[used++] = (uint32_t)carry;
    }
    void MulPow10(int e)
    {
        for (; e >= 9; e -= 9)
            MulAdd(1000000000u, 0);
        static const uint32_t kSmall[9] = {1, 10, 100, 1000, 10000, 100000, 1000000,
                                           10000000, 100000000};
        if (e > 0)
            MulAdd(kSmall[e], 0);
    }
    int BitLength() const
    {
        if (!used)
            return 0;
        return (used - 1) * 32 + (32 - __builtin_clz(limb[used - 1]));
    }
    void ShiftLeft(int bits)
    {
        if (!used || bits <= 0)
            return;
        int words = bits / 32, rest = bits % 32;
        int top = used + words + 1;
        if (top > kLimbs)
            top = kLimbs;
        for (int i = top - 1; i >= 0; --i) {
            int from = i - words;
            uint32_t hi = from >= 0 && from < used ? limb[from] : 0;
            uint32_t lo = from - 1 >= 0 && from - 1 < used ? limb[from - 1] : 0;
            limb[i] = rest ? (hi << rest) | (lo >> (32 - rest)) : hi;
        }
        used = top;
        Trim();
    }
    void Trim()
    {
        while (used && !limb[used - 1])
            --used;
    }
    int Compare(const BigNum& o) const
    {
        if (used != o.used)
            return used < o.used ? -1 : 1;
        for (int i = used - 1; i >= 0; --i)
            if (limb[i] != o.limb[i])
                return limb[i] < o.limb[i] ? -1 : 1;
        return 0;
    }
    void Subtract(const BigNum& o)   // *this >= o
    {
        int64_t borrow = 0;
        for (int i = 0; i < used; ++i) {
            int64_t t = (int64_t)limb[i] - (i < o.used ? o.limb[i] : 0) - borrow;
            borrow = t < 0;
            limb[i] = (uint32_t)(t + (borrow << 32));
        }
        Trim();
    }
};

// Rounds (top + fraction) * 2^shift to the nearest double, ties to even;
// top has its highest bit set and sticky tells whether the fraction is nonzero.
double RoundToDouble(uint64_t top, int shift, bool sticky)
{
    const int exponent = shift + 63;   // binary exponent of the leading bit
    if (exponent > 1023)
        return HUGE_VAL;
    int keep = 53;
    if (exponent < -1022)
        keep -= -1022 - exponent;       // subnormal: fewer bits survive
    if (keep < 0)
        return 0.0;
    const int drop = 64 - keep;
    uint64_t kept;
    bool half, rest;
    if (drop == 64) {
        kept = 0;
        half = (top >> 63) != 0;
        rest = (top << 1) != 0 || sticky;
    } else {
        kept = top >> drop;
        half = ((top >> (drop - 1)) & 1) != 0;
        rest = (top & ((1ULL << (drop - 1)) - 1)) != 0 || sticky;
    }
    if (half && (rest || (kept & 1)))
        ++kept;
    return ldexp((double)kept, exponent - 63 + drop);
}

// The significant digits of a decimal number and its power of ten:
// value = digits * 10^exponent10.
struct DecimalText {
    char digits[kMaxDigits + 1];
    int count = 0;            // significant digits kept
    long exponent10 = 0;
    bool dropped = false;     // a nonzero digit beyond kMaxDigits
};

// The digits before and after the point; p moves past them. False when
// there are none.
bool ReadMantissa(const unsigned char*& p, DecimalText& d)
{
    bool anyDigit = false;
    for (; IsDigit(*p); ++p) {
        anyDigit = true;
        if (d.count == 0 && *p == '0')
            continue;
        if (d.count < kMaxDigits)
            d.digits[d.count++] = (char)(*p - '0');
        else {
            ++d.exponent10;
            d.dropped |= *p != '0';
        }
    }
    if (*p == '.') {
        ++p;
        for (; IsDigit(*p); ++p) {
            anyDigit = true;
            if (d.count == 0 && *p == '0') {
                --d.exponent10;
                continue;
            }
            if (d.count < kMaxDigits) {
                d.digits[d.count++] = (char)(*p - '0');
                --d.exponent10;
            } else
                d.dropped |= *p != '0';
        }
    }
    return anyDigit;
}

// "e" or "E", a sign and digits; 0 when p does not hold a whole exponent.
long ReadExponent(const unsigned char* p)
{
    if (*p != 'e' && *p != 'E')
        return 0;
    const unsigned char* q = p + 1;
    bool negativeExponent = false;
    if (*q == '+' || *q == '-')
        negativeExponent = *q++ == '-';
    long e = 0;
    for (; IsDigit(*q); ++q)
        if (e < 100000000)
            e = e * 10 + (*q - '0');
    return negativeExponent ? -e : e;
}

// The correctly rounded double nearest digits * 10^exponent10, for
// 0 < count and a magnitude within the double range's reach.
double DecimalToDouble(const char* digits, int count, long exponent10)
{
    // value = numerator / denominator exactly, as big integers.
    BigNum num, den;
    num.Set(0);
    for (int i = 0; i < count; ++i)
        num.MulAdd(10, (uint32_t)digits[i]);
    den.Set(1);
    if (exponent10 >= 0)
        num.MulPow10((int)exponent10);
    else
        den.MulPow10((int)-exponent10);

    // Line the two up so that 1 <= num / den < 2, then divide out 64 bits.
    int shift = num.BitLength() - den.BitLength();
    if (shift > 0)
        den.ShiftLeft(shift);
    else
        num.ShiftLeft(-shift);
    if (num.Compare(den) < 0) {
        num.ShiftLeft(1);
        --shift;
    }
    uint64_t top = 0;
    for (int i = 0; i < 64; ++i) {
        top <<= 1;
        if (num.Compare(den) >= 0) {
            num.Subtract(den);
            top |= 1;
        }
        num.ShiftLeft(1);
    }
    return RoundToDouble(top, shift - 63, num.used != 0);
}

} // namespace

double ReadRateText(const char* text)
{
    bool negative;
    const unsigned char* p = (const unsigned char*)SkipSpaceAndSign(text, nullptr, &negative);
    DecimalText d;
    if (!ReadMantissa(p, d))
        return 0.0;
    d.exponent10 += ReadExponent(p);
    if (d.dropped) {
        // Stands for the dropped tail: lies strictly between the neighbours.
        d.digits[d.count++] = 1;
        --d.exponent10;
    }
    while (d.count && d.digits[d.count - 1] == 0) {
        --d.count;
        ++d.exponent10;
    }
    const double sign = negative ? -1.0 : 1.0;
    if (!d.count)
        return sign * 0.0;
    const long magnitude = d.count + d.exponent10;   // value < 10^magnitude
    if (magnitude > 310)
        return sign * HUGE_VAL;
    if (magnitude < -324)
        return sign * 0.0;
    return sign * DecimalToDouble(d.digits, d.count, d.exponent10);
}

int ReadDialogInt(const char* text)
{
    // The dialog manager reads at most 29 characters of the control's text
    // and converts them with strtol (base 10): leading white space, an
    // optional sign, then digits up to the first other byte. Text that does
    // not begin with a number gives 0, and so does a value beyond the 32-bit
    // range (strtol's overflow). INT_MIN and INT_MAX themselves read as
    // themselves; the system's own reading also turns them into 0 once any
    // earlier overflow left errno set, a quirk not worth copying.
    enum { kReadLimit = 29 };
    const char* end = text + strnlen(text, kReadLimit);
    bool negative;
    const char* p = SkipSpaceAndSign(text, end, &negative);
    if (p == end || !IsDigit((unsigned char)*p))
        return 0;
    const unsigned long long limit = negative ? (unsigned long long)INT_MAX + 1 : INT_MAX;
    unsigned long long value = ReadDecimalDigits(p, end, limit, &p);
    if (value > limit)
        return 0;
    return negative ? (int)-(long long)value : (int)value;
}

void FormatMoney(double amount, char* out, size_t size)
{
    if (!size)
        return;
    int n = snprintf(out, size, "%.2lf ", amount);
    if (n < 0) {
        out[0] = '\0';
        return;
    }
    // Keep "." as the decimal point whatever the C locale says.
    for (char* c = out; *c; ++c)
        if (*c == ',')
            *c = '.';
}

// Text helpers: the one-line summary of a captured text, and the text form of
// integer and flag settings.
#ifndef QT_SUPPORT_TEXTHELPERS_H
#define QT_SUPPORT_TEXTHELPERS_H

enum { QT_SUMMARY_SIZE = 194 };

// Whole text up to 190 bytes; otherwise first 100 bytes, "...", last 90 bytes,
// with control and high bytes turned into blanks. out holds QT_SUMMARY_SIZE.
void AbbreviateText(const char* text, char* out);

// The start of a number as the C library's readers take it: white space,
// then an optional sign (negative for "-"). Reads no further than end, nor
// past a terminator; returns where the digits, if any, begin.
const char* SkipSpaceAndSign(const char* text, const char* end, bool* negative);
// Decimal digits from text up to end or the first other byte, with *stop
// set there: their value, or cap + 1 once the value passes cap.
unsigned long long ReadDecimalDigits(const char* text, const char* end, unsigned long long cap,
                                     const char** stop);

// Settings text to integer: empty gives the default, otherwise atoi's rule
// (white space, sign, digits; no digits give 0); values past the 32-bit range
// stop at INT_MIN or INT_MAX.
int ParseSettingInt(const char* text, int defaultValue);
// Settings text to flag: empty gives the default, a leading "0" is off.
bool ParseSettingFlag(const char* text, bool defaultValue);

#endif

// Reading and showing the numbers of the pricing boxes.
#ifndef QT_SUPPORT_NUMBERTEXT_H
#define QT_SUPPORT_NUMBERTEXT_H

#include <cstddef>

// A rate: leading white space, sign, digits with "." as the decimal point
// whatever the locale, optional exponent; stops at the first byte that does
// not fit; 0 when the text does not begin with a number.
double ReadRateText(const char* text);

// A count or width, read the way the dialog manager's signed integer
// conversion reads a control's text; 0 when it does not begin with a number
// or lies beyond the 32-bit range.
int ReadDialogInt(const char* text);

// Money text: "%.2lf " (two decimals and a trailing blank).
void FormatMoney(double amount, char* out, size_t size);

#endif

// LDateTime: the short date text of the CSV job log.
#ifndef QT_SUPPORT_DATETIME_H
#define QT_SUPPORT_DATETIME_H

#include <cstdint>

class LDateTime {
public:
    int32_t time = 0;   // seconds since 1970-01-01 UTC; 0 means no date

    // Two digits per field, "/" between them, in the user's date order; at
    // most 8 characters. out must hold 9 bytes.
    void _GetTextDate(char* out) const;
};

// 1 day/month/year, 2 year/month/day, anything else month/day/year.
// Read from the date-order source once per process.
int GetDateOrder();

// Where the date order comes from: on Windows the "Intl"/"iDate" profile value.
// Setting a source (tests) also forgets the cached order.
void SetDateOrderSource(int (*source)());

// The platform's own source, used while no source has been set; without one
// the order is 0. The Win32 code installs ReadProfileDateOrder before it
// dates anything.
void SetPlatformDateOrderSource(int (*source)());

// Win32: GetProfileIntA("Intl", "iDate", 0).
int ReadProfileDateOrder();

#endif

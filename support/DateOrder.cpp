#include "support/DateTime.h"

#include <windows.h>

int ReadProfileDateOrder()
{
    return (int)GetProfileIntA("Intl", "iDate", 0);
}

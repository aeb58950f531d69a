#include "wordcount/CsvLog.h"

#include "support/DateTime.h"
#include "support/Owned.h"

#include <windows.h>

bool AppendJobToCsv(const CsvJob& job, const char* path)
{
    SetPlatformDateOrderSource(ReadProfileDateOrder);
    char line[kCsvLineSize];
    int length = FormatCsvLineNow(job, line);

    OwnedFile file(CreateFileA(path, GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsValid())
        return false;
    DWORD written = 0;
    LONG high = 0;   // so that files past 4 GB are appended to as well
    DWORD low = SetFilePointer(file.Get(), 0, &high, FILE_END);
    bool ok = (low != INVALID_SET_FILE_POINTER || GetLastError() == NO_ERROR) &&
              WriteFile(file.Get(), line, (DWORD)length, &written, nullptr) &&
              written == (DWORD)length;
    // A failed close after a full write loses nothing the caller could act on.
    file.Close();
    return ok;
}

#include "wordcount/CsvLog.h"

#include "support/DateTime.h"
#include "support/Owned.h"

#include <ctime>
#include <windows.h>

namespace {

// Long enough for any line: a 259-character title and a total of 1e308
// (309 digits before the point) need well under 1024 bytes.
enum { kLineSize = 1024 };

} // namespace

bool AppendJobToCsv(const CsvJob& job, const char* path)
{
    SetPlatformDateOrderSource(ReadProfileDateOrder);
    LDateTime now;
    now.time = (int32_t)::time(nullptr);
    char date[9];
    now._GetTextDate(date);

    char line[kLineSize];
    int length = FormatCsvLine(job, date, line, sizeof line);

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

#include "count/JobLog.h"

#include "support/DateTime.h"

#include <clocale>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>
#include <fcntl.h>
#include <langinfo.h>
#include <unistd.h>

namespace {

// The locale's date format mapped onto the three orders: day first 1,
// year first 2, anything else month first.
int LocaleDateOrder()
{
    const char* previous = setlocale(LC_TIME, nullptr);
    std::string saved = previous ? previous : "C";
    setlocale(LC_TIME, "");
    const char* format = nl_langinfo(D_FMT);
    const char* d = strstr(format, "%d");
    if (!d)
        d = strstr(format, "%e");
    const char* m = strstr(format, "%m");
    const char* y = strstr(format, "%y");
    if (!y)
        y = strstr(format, "%Y");
    int order = 0;
    if (d && m && y) {
        if (y < m && y < d)
            order = 2;
        else if (d < m)
            order = 1;
    }
    setlocale(LC_TIME, saved.c_str());
    return order;
}

} // namespace

bool AppendJobToLog(const CsvJob& job, const char* path)
{
    SetPlatformDateOrderSource(LocaleDateOrder);
    char line[kCsvLineSize];
    int length = FormatCsvLineNow(job, line);
    int fd = open(path, O_WRONLY | O_CREAT | O_APPEND, 0666);
    if (fd < 0)
        return false;
    ssize_t written = write(fd, line, (size_t)length);
    bool ok = close(fd) == 0 && written == length;
    return ok;
}

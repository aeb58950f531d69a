#include "wordcount/CsvLog.h"

#include "support/DateTime.h"

#include <cstdio>
#include <cstring>
#include <ctime>

int FormatCsvLine(const CsvJob& job, const char* date, char* out, size_t size)
{
    if (!size)
        return 0;
    // The title is bounded by its buffer even if it lost its terminator.
    int titleLength = (int)strnlen(job.jobTitle, sizeof job.jobTitle - 1);
    int n = snprintf(out, size, "%s, \"%.*s\", %i, %i, %i, %.2lf \r\n", date, titleLength,
                     job.jobTitle, job.characters, job.words, job.lines, job.total);
    if (n < 0) {
        out[0] = '\0';
        return 0;
    }
    // Keep "." as the decimal point whatever the C locale says: the only
    // comma a number can print is its decimal point, the last one in the line.
    if ((size_t)n >= size)
        return (int)size - 1;
    char* comma = strrchr(out, ',');
    if (comma && comma > out && comma[1] >= '0' && comma[1] <= '9' && comma[-1] >= '0' &&
        comma[-1] <= '9')
        *comma = '.';
    return n;
}

int FormatCsvLineNow(const CsvJob& job, char* out)
{
    LDateTime now;
    now.time = (int32_t)::time(nullptr);
    char date[9];
    now._GetTextDate(date);
    return FormatCsvLine(job, date, out, kCsvLineSize);
}

// The CSV job log: one line per priced job, appended to a file the user names.
#ifndef QT_WORDCOUNT_CSVLOG_H
#define QT_WORDCOUNT_CSVLOG_H

#include <cstddef>

struct CsvJob {
    int characters = 0;
    int words = 0;
    int lines = 0;
    double total = 0;
    char jobTitle[260] = "";
};

// "%s, \"%s\", %i, %i, %i, %.2lf \r\n" with the date text first. Returns the
// line's length; the line is cut, never overflowed, when size is too small.
int FormatCsvLine(const CsvJob& job, const char* date, char* out, size_t size);

// Win32: appends the job, dated now, to the file; true only when the whole
// line was written.
bool AppendJobToCsv(const CsvJob& job, const char* path);

#endif

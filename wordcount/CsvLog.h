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

// "%s, \"%s\", %i, %i, %i, %.2lf \r\n" with the date text first, "." as the
// decimal point whatever the C locale. Returns the length of the text put in
// out: the line is cut, never overflowed, when size is too small. 1024 bytes
// hold any line.
int FormatCsvLine(const CsvJob& job, const char* date, char* out, size_t size);

// Win32: appends the job, dated now, to the file; true only when the whole
// line was written.
bool AppendJobToCsv(const CsvJob& job, const char* path);

#endif

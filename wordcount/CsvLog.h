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

// The job's line dated now (local time, in the date order the platform's
// source gives): what both job logs append. out must hold kCsvLineSize bytes,
// which a 259-character title and a total of 1e308 (309 digits) fit well in.
enum { kCsvLineSize = 1024 };
int FormatCsvLineNow(const CsvJob& job, char* out);

// Win32: appends the job, dated now, to the file; true only when the whole
// line was written.
bool AppendJobToCsv(const CsvJob& job, const char* path);

#endif

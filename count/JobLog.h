// Appending counted files to a Quilltally CSV job log, line for line what
// "Add To CSV" writes.
#ifndef QT_COUNT_JOBLOG_H
#define QT_COUNT_JOBLOG_H

#include "wordcount/CsvLog.h"

// Dated now, in the user's date order; true when the whole line was written.
// Windows: the main window's own append. Elsewhere: the same line, the date
// order taken from the locale's date format.
bool AppendJobToLog(const CsvJob& job, const char* path);

#endif

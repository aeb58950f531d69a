#include "count/JobLog.h"

bool AppendJobToLog(const CsvJob& job, const char* path)
{
    return AppendJobToCsv(job, path);
}

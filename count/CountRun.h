// The whole of qtally-count: options, inputs, counting, job log, output.
#ifndef QT_COUNT_COUNTRUN_H
#define QT_COUNT_COUNTRUN_H

#include <cstdio>

// Exit status: 0 everything counted, 1 bad command line, 2 some file could
// not be counted or logged (the others were).
int RunCount(int argc, const char* const* argv, FILE* in, FILE* out, FILE* err);

#endif

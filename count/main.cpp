// qtally-count: Quilltally's counts and prices for files and folders.
#include "count/CountRun.h"

#include <cstdio>
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

int main(int argc, char** argv)
{
#ifdef _WIN32
    // Bytes as they are: text read whole, CSV written with its own "\r\n".
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    return RunCount(argc, argv, stdin, stdout, stderr);
}

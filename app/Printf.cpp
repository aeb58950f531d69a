// The C++ runtime switches every printf-family call to MinGW's own C99
// formatter, which with its float conversion adds about 25 KB to the program.
// The program's formats (%s %d %i %u %.2d %.2lf and the like) are served as
// well by the system's msvcrt, so its formatter stands in, with C99 results:
// always terminated, and the full length returned even when cut short.
#include <cstdarg>
#include <cstddef>

extern "C" {
int __cdecl _vsnprintf(char* out, size_t size, const char* format, va_list args);
int __cdecl _vscprintf(const char* format, va_list args);

int __cdecl __mingw_vsnprintf(char* out, size_t size, const char* format, va_list args)
{
    va_list copy;
    va_copy(copy, args);
    int length = _vscprintf(format, copy);
    va_end(copy);
    if (size > 0) {
        int written = _vsnprintf(out, size - 1, format, args);
        out[written < 0 ? size - 1 : (size_t)written] = 0;
    }
    return length;
}

int __cdecl __mingw_snprintf(char* out, size_t size, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    int length = __mingw_vsnprintf(out, size, format, args);
    va_end(args);
    return length;
}
}

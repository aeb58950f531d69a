#include "support/File.h"

#include <cstring>

namespace {

inline bool IsSeparator(char c)
{
    return c == '\\' || c == '/';
}

} // namespace

void LFile::_GetFolderFromPath(char* out, const char* path)
{
    size_t last = 0;
    size_t i = 0;
    for (; i < QT_PATH_SIZE && path[i]; ++i) {
        out[i] = path[i];
        if (IsSeparator(path[i]))
            last = i;
    }
    out[last] = '\0';
}

void LFile::_GetFileFromPath(char* out, const char* path)
{
    // The name after the last separator, cut to 259 characters; a long
    // folder name on the way does not hide the separators after it.
    size_t n = 0;
    for (; *path; ++path) {
        if (IsSeparator(*path))
            n = 0;
        else if (n < QT_PATH_SIZE - 1)
            out[n++] = *path;
    }
    out[n] = '\0';
}

void LFile::_GetFileTitleFromPath(char* out, const char* path)
{
    _GetFileFromPath(out, path);
    char* dot = strrchr(out, '.');
    if (dot && dot != out)
        *dot = '\0';
}

bool LFile::FilePathCat(char* folder, const char* name)
{
    size_t n = strlen(folder);
    if (n >= QT_PATH_SIZE - 1)
        return !*name;
    if (n && !IsSeparator(folder[n - 1]))
        folder[n++] = '\\';
    while (*name && n < QT_PATH_SIZE - 1)
        folder[n++] = *name++;
    folder[n] = '\0';
    return !*name;
}

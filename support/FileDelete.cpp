#include "support/File.h"

#include <windows.h>

bool LFile::DeleteFolderAndFiles(const char* folder)
{
    // A cut name would search, or delete, somewhere else.
    char pattern[QT_PATH_SIZE];
    lstrcpynA(pattern, folder, QT_PATH_SIZE);
    if (lstrlenA(folder) >= QT_PATH_SIZE || !FilePathCat(pattern, "*.*"))
        return false;

    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern, &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            // Skips "." and "..", and every other name that begins with a dot.
            if (found.cFileName[0] == '.')
                continue;
            char path[QT_PATH_SIZE];
            lstrcpynA(path, folder, QT_PATH_SIZE);
            if (FilePathCat(path, found.cFileName))
                DeleteFileA(path);
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    return RemoveDirectoryA(folder) != FALSE;
}

#include "support/File.h"

#include <windows.h>

#include "support/Owned.h"

bool LFile::DeleteFolderAndFiles(const char* folder)
{
    // A cut name would search, or delete, somewhere else.
    char pattern[QT_PATH_SIZE];
    lstrcpynA(pattern, folder, QT_PATH_SIZE);
    if (lstrlenA(folder) >= QT_PATH_SIZE || !FilePathCat(pattern, "*.*"))
        return false;

    WIN32_FIND_DATAA found;
    OwnedFind search(FindFirstFileA(pattern, &found));
    if (search.IsValid()) {
        do {
            // Skips "." and "..", and every other name that begins with a dot.
            if (found.cFileName[0] == '.')
                continue;
            char path[QT_PATH_SIZE];
            lstrcpynA(path, folder, QT_PATH_SIZE);
            // A file that stays (in use, read-only) keeps the folder too,
            // which RemoveDirectory then reports.
            if (FilePathCat(path, found.cFileName))
                DeleteFileA(path);
        } while (FindNextFileA(search.Get(), &found));
    }
    return RemoveDirectoryA(folder) != FALSE;
}

#include "setup/InstallLocations.h"

#include <shlobj.h>
#include <stdarg.h>
#include <stdio.h>
#include <string.h>

#include "support/Owned.h"
#include "support/ProductNames.h"

namespace {
// "X:\..." or "\\server\...": a relative folder would put the program
// beside wherever setup was started from.
bool IsAbsoluteFolder(const char* path)
{
    bool drive = ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z')) && path[1] == ':'
                 && (path[2] == '\\' || path[2] == '/');
    return drive || (path[0] == '\\' && path[1] == '\\');
}

const char kCurrentVersion[] = QT_CURRENT_VERSION_KEY;
const char kShellFolders[] = QT_SHELL_FOLDERS_KEY;
}

bool FormatPath(char* out, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    int length = vsnprintf(out, QT_PATH_SIZE, format, args);
    va_end(args);
    if (length < 0 || length >= QT_PATH_SIZE) {
        out[0] = 0;
        return false;
    }
    return true;
}

bool ReadRegistryText(HKEY root, const char* keyName, const char* valueName, char* out, DWORD limit)
{
    if (limit > QT_PATH_SIZE)
        limit = QT_PATH_SIZE;
    RegistryKey key;
    if (key.Open(root, keyName, KEY_QUERY_VALUE) != ERROR_SUCCESS)
        return false;
    char text[QT_PATH_SIZE + 1];
    DWORD type = 0, size = limit;
    LONG status = key.QueryValue(valueName, &type, text, &size);
    if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ) || size > limit)
        return false;
    // Stored strings need not end in a zero. One that fills the limit without
    // it has no room for one: refused, as a cut path would name another folder.
    text[size] = 0;
    size_t length = strlen(text);
    if (length >= limit)
        return false;
    memcpy(out, text, length + 1);
    return true;
}

void GetInstallProgramFilesPath(char* path)
{
    path[0] = 0;
    char folder[QT_PATH_SIZE] = "";
    if (!ReadRegistryText(HKEY_LOCAL_MACHINE, kCurrentVersion, "ProgramFilesDir", folder, 200)
        || !IsAbsoluteFolder(folder)) {
        // Never a folder of our own in the root of a drive, which any user
        // could create first and own.
        if (FAILED(SHGetFolderPathA(0, CSIDL_PROGRAM_FILES, 0, SHGFP_TYPE_CURRENT, folder)))
            folder[0] = 0;
    }
    if (!IsAbsoluteFolder(folder))
        return;
    // Each level may exist already; one that cannot be made shows when
    // the first file cannot be written there, with the system's reason.
    CreateDirectoryA(folder, 0);
    if (!LFile::FilePathCat(folder, QT_MAKER_NAME))
        return;
    CreateDirectoryA(folder, 0);
    if (!LFile::FilePathCat(folder, QT_PRODUCT_NAME))
        return;
    // Default security: the folder inherits the protection of Program Files,
    // so only administrators can change the program every user starts.
    CreateDirectoryA(folder, 0);
    strcpy(path, folder);
}

void GetDesktopShortcutPath(char* path)
{
    char folder[QT_PATH_SIZE] = "c:\\Windows\\Desktop";
    ReadRegistryText(HKEY_CURRENT_USER, kShellFolders, "Desktop", folder, QT_PATH_SIZE);
    // Either may be missing: the all-users desktop wins when both exist.
    ReadRegistryText(HKEY_LOCAL_MACHINE, kShellFolders, "Common Desktop", folder, QT_PATH_SIZE);
    FormatPath(path, "%s\\" QT_PRODUCT_NAME ".lnk", folder);
}

bool GetStartMenuGroupFolder(char* path)
{
    char programs[QT_PATH_SIZE] = "";
    ReadRegistryText(HKEY_CURRENT_USER, kShellFolders, "Programs", programs, QT_PATH_SIZE);
    ReadRegistryText(HKEY_LOCAL_MACHINE, kShellFolders, "Common Programs", programs, QT_PATH_SIZE);
    path[0] = 0;
    if (!programs[0])
        return false;
    CreateDirectoryA(programs, 0);
    return FormatPath(path, "%s\\" QT_PRODUCT_NAME, programs);
}

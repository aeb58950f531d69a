#include "setup/InstallDialog.h"

#include <shlobj.h>
#include <string.h>

namespace {
// "X:\..." or "\\server\...": a relative folder would put the program
// beside wherever setup was started from.
bool IsAbsoluteFolder(const char* path)
{
    bool drive = ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z')) && path[1] == ':'
                 && (path[2] == '\\' || path[2] == '/');
    return drive || (path[0] == '\\' && path[1] == '\\');
}

const char kCurrentVersion[] = "Software\\Microsoft\\Windows\\CurrentVersion";
const char kShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
}

bool ReadRegistryText(HKEY root, const char* keyName, const char* valueName, char* out, DWORD limit)
{
    if (limit > QT_PATH_SIZE)
        limit = QT_PATH_SIZE;
    HKEY key;
    if (RegOpenKeyExA(root, keyName, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return false;
    char text[QT_PATH_SIZE + 1];
    DWORD type = 0, size = limit;
    LONG status = RegQueryValueExA(key, valueName, 0, &type, reinterpret_cast<BYTE*>(text), &size);
    RegCloseKey(key);
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

void InstallDialog::GetInstallProgramFilesPath(char* path)
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
    CreateDirectoryA(folder, 0);
    if (!LFile::FilePathCat(folder, "Corvane"))
        return;
    CreateDirectoryA(folder, 0);
    if (!LFile::FilePathCat(folder, "Quilltally"))
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
    // The all-users desktop wins when both exist.
    ReadRegistryText(HKEY_LOCAL_MACHINE, kShellFolders, "Common Desktop", folder, QT_PATH_SIZE);
    FormatPath(path, "%s\\Quilltally.lnk", folder);
}

bool InstallDialog::GetStartMenuGroupFolder(char* path)
{
    char programs[QT_PATH_SIZE] = "";
    ReadRegistryText(HKEY_CURRENT_USER, kShellFolders, "Programs", programs, QT_PATH_SIZE);
    ReadRegistryText(HKEY_LOCAL_MACHINE, kShellFolders, "Common Programs", programs, QT_PATH_SIZE);
    path[0] = 0;
    if (!programs[0])
        return false;
    CreateDirectoryA(programs, 0);
    return FormatPath(path, "%s\\Quilltally", programs);
}

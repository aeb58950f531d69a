#include "setup/InstallDialog.h"

#include <string.h>

namespace {
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
    text[size] = 0;     // stored strings need not end in a zero
    strcpy(out, text);
    return true;
}

void InstallDialog::GetInstallProgramFilesPath(char* path)
{
    strcpy(path, "C:\\Quilltally");
    char folder[QT_PATH_SIZE];
    if (ReadRegistryText(HKEY_LOCAL_MACHINE, kCurrentVersion, "ProgramFilesDir", folder, 200) && folder[0]) {
        CreateDirectoryA(folder, 0);
        LFile::FilePathCat(folder, "Corvane");
        CreateDirectoryA(folder, 0);
        LFile::FilePathCat(folder, "Quilltally");
        strcpy(path, folder);
    }
    // Default security: the folder inherits the protection of Program Files,
    // so only administrators can change the program every user starts.
    CreateDirectoryA(path, 0);
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

#include "setup/InstallDialog.h"

#include <stdlib.h>

#include "support/Settings.h"

UninstallDialog::UninstallDialog(const char* title)
    : InstallDialog(title)
{
}

namespace {
// The copy in the temporary folder locks nothing in the install folder, so
// it can delete the uninstaller too. False when it could not be started.
bool RestartFromTemporaryFolder()
{
    char self[QT_PATH_SIZE];
    DWORD length = GetModuleFileNameA(0, self, sizeof self);
    if (length == 0 || length >= sizeof self)
        return false;
    char copy[QT_PATH_SIZE];
    DWORD tempLength = GetTempPathA(sizeof copy, copy);
    if (tempLength == 0 || tempLength >= sizeof copy)
        return false;
    LFile::FilePathCat(copy, "uninst.exe");
    if (!CopyFileA(self, copy, FALSE))
        return false;
    char command[QT_PATH_SIZE];
    if (!FormatPath(command, "\"%s\" /uninstall", copy))
        return false;
    return WinExec(command, SW_SHOWNORMAL) > 31;
}
}

bool UninstallDialog::MainFunction()
{
    // Any argument marks the copy that does the removal.
    if (__argc < 2 && RestartFromTemporaryFolder())
        return true;
    if (CheckCancel())
        return false;
    Sleep(250);
    if (MessageBoxA(hwndDlg, "Are you sure you want to remove Quilltally from this computer?",
                    "Uninstall Quilltally", MB_YESNO | MB_ICONSTOP) == IDYES)
        RemoveInstallation();
    return true;
}

void DeleteStartMenuItem(const char* name)
{
    char group[QT_PATH_SIZE];
    char link[QT_PATH_SIZE];
    if (InstallDialog::GetStartMenuGroupFolder(group) && FormatPath(link, "%s\\%s.lnk", group, name))
        DeleteFileA(link);
}

void RemoveStartMenuGroup()
{
    char group[QT_PATH_SIZE];
    if (InstallDialog::GetStartMenuGroupFolder(group))
        RemoveDirectoryA(group);
}

void DeleteRecordedFolder(const char* valueName)
{
    char folder[QT_PATH_SIZE];
    ReadSetting("Folders", valueName, "", folder);
    if (folder[0])
        LFile::DeleteFolderAndFiles(folder);
}

bool UninstallDialog::RemoveInstallation()
{
    char path[QT_PATH_SIZE];
    GetDesktopShortcutPath(path);
    if (path[0])
        DeleteFileA(path);

    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion", 0,
                      KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
        RegDeleteKeyA(key, "Uninstall\\Quilltally");
        RegCloseKey(key);
    }

    DeleteStartMenuItem("Quilltally");
    DeleteStartMenuItem("Quilltally Help");
    RemoveStartMenuGroup();
    DeleteRecordedFolder("DataFiles");
    DeleteRecordedFolder("ProgramFiles");

    // The maker folder goes only when nothing else is left in it.
    if (ReadRegistryText(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion",
                         "ProgramFilesDir", path, 243) && path[0]) {
        LFile::FilePathCat(path, "Corvane");
        RemoveDirectoryA(path);
    }
    return true;
}

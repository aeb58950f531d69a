#include "setup/InstallDialog.h"

#include <ntsecapi.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "setup/SetupProcess.h"
#include "support/Settings.h"

UninstallDialog::UninstallDialog(const char* title)
    : InstallDialog(title)
{
}

namespace {

const char kCurrentVersion[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
const char kRunKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
const char kRunValue[] = "QuilltallyRun";
// The temporary copy's folder: this prefix and 16 random hexadecimal digits.
const char kTemporaryPrefix[] = "Quilltally-";
// How long the copy waits for the uninstaller that started it to end.
const DWORD kStarterWaitMs = 15000;

// A new folder of our own under the temporary folder, with a name no other
// program can guess and make first; false when none could be made.
bool MakeTemporaryFolder(char* folder)
{
    char temp[QT_PATH_SIZE];
    DWORD length = GetTempPathA(sizeof temp, temp);
    if (length == 0 || length >= sizeof temp)
        return false;
    for (int attempt = 0; attempt < 8; ++attempt) {
        unsigned char random[8];
        if (!RtlGenRandom(random, sizeof random))
            return false;
        char name[32];
        int n = snprintf(name, sizeof name, "%s", kTemporaryPrefix);
        for (unsigned char byte : random)
            n += snprintf(name + n, sizeof name - n, "%02x", byte);
        lstrcpynA(folder, temp, QT_PATH_SIZE);
        if (!LFile::FilePathCat(folder, name))
            return false;
        if (CreateDirectoryA(folder, 0))
            return true;
        if (GetLastError() != ERROR_ALREADY_EXISTS)
            return false;
    }
    return false;
}

// The copy in the temporary folder locks nothing in the install folder, so
// it can delete the uninstaller too. False when it could not be started.
bool RestartFromTemporaryFolder()
{
    char self[QT_PATH_SIZE];
    DWORD length = GetModuleFileNameA(0, self, sizeof self);
    if (length == 0 || length >= sizeof self)
        return false;
    char folder[QT_PATH_SIZE];
    if (!MakeTemporaryFolder(folder))
        return false;
    char copy[QT_PATH_SIZE];
    lstrcpynA(copy, folder, sizeof copy);
    bool started = false;
    if (LFile::FilePathCat(copy, g_uninstallerName) && CopyFileA(self, copy, TRUE)) {
        // The copy waits for this process to end, by a handle it inherits.
        HANDLE me = 0;
        char argument[32];
        char command[QT_PATH_SIZE + 48];
        if (DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), GetCurrentProcess(), &me,
                            SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION,
                            TRUE, 0)
            && FormatStarterArgument(argument, sizeof argument, me)) {
            snprintf(command, sizeof command, "\"%s\" /uninstall %s", copy, argument);
            STARTUPINFOA startup = {};
            startup.cb = sizeof startup;
            PROCESS_INFORMATION process = {};
            // The copy's own folder as its current folder: the install
            // folder must not be held open by it.
            if (CreateProcessA(copy, command, 0, 0, TRUE, 0, 0, folder, &startup, &process)) {
                CloseHandle(process.hThread);
                CloseHandle(process.hProcess);
                started = true;
            }
        }
        if (me)
            CloseHandle(me);
        if (!started)
            DeleteFileA(copy);
    }
    if (!started)
        RemoveDirectoryA(folder);
    return started;
}

// The copy cannot delete its own file while it runs: the system does it at
// the next start, with the folder, when the copy is where its starter put it.
void CleanUpTemporaryCopy()
{
    char self[QT_PATH_SIZE], folder[QT_PATH_SIZE], temp[QT_PATH_SIZE], parent[QT_PATH_SIZE];
    char name[QT_PATH_SIZE];
    DWORD length = GetModuleFileNameA(0, self, sizeof self);
    DWORD tempLength = GetTempPathA(sizeof temp, temp);
    if (length == 0 || length >= sizeof self || tempLength == 0 || tempLength >= sizeof temp)
        return;
    LFile::_GetFolderFromPath(folder, self);
    LFile::_GetFolderFromPath(parent, folder);
    LFile::_GetFileFromPath(name, folder);
    LFile::FilePathCat(parent, "");
    if (lstrcmpiA(parent, temp) != 0 || strncmp(name, kTemporaryPrefix, sizeof kTemporaryPrefix - 1) != 0)
        return;
    if (MoveFileExA(self, 0, MOVEFILE_DELAY_UNTIL_REBOOT))
        MoveFileExA(folder, 0, MOVEFILE_DELAY_UNTIL_REBOOT);
}

// A run-at-logon entry pointing into a deleted folder would start whatever
// someone later puts there.
void DeleteRunAtLogonOf(const char* program)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kRunKey, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, &key) != ERROR_SUCCESS)
        return;
    char command[2 * QT_PATH_SIZE + 1];
    DWORD type = 0, size = sizeof command - 1;
    if (RegQueryValueExA(key, kRunValue, 0, &type, reinterpret_cast<BYTE*>(command), &size) == ERROR_SUCCESS
        && (type == REG_SZ || type == REG_EXPAND_SZ)) {
        command[size] = 0;
        if (RunCommandNamesProgram(command, program))
            RegDeleteValueA(key, kRunValue);
    }
    RegCloseKey(key);
}

} // namespace

bool RunCommandNamesProgram(const char* command, const char* program)
{
    while (*command == ' ')
        ++command;
    bool quoted = *command == '"';
    if (quoted)
        ++command;
    size_t n = strlen(program);
    if (!n || _strnicmp(command, program, n) != 0)
        return false;
    char next = command[n];
    return quoted ? next == '"' : next == 0 || next == ' ';
}

bool UninstallDialog::MainFunction()
{
    // Any argument marks the copy that does the removal.
    if (__argc < 2) {
        if (RestartFromTemporaryFolder())
            return true;
    } else if (__argc >= 3) {
        // Its starter's file is one of those to delete.
        WaitForStarter(__argv[2], kStarterWaitMs);
    }
    bool result = false;
    if (!CheckCancel()) {
        if (MessageBoxA(hwndDlg, "Are you sure you want to remove Quilltally from this computer?",
                        "Uninstall Quilltally", MB_YESNO | MB_ICONSTOP) == IDYES)
            RemoveInstallation();
        result = true;
    }
    if (__argc >= 2)
        CleanUpTemporaryCopy();
    return result;
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

void DeleteInstalledFiles(const char* folder)
{
    // Only what setup writes, derived from the same table; anything else a
    // user saved here (a CSV job log) stays, and so does the folder then.
    char path[QT_PATH_SIZE], leftover[QT_PATH_SIZE];
    const int rows = CountSetupRows(g_setupFiles);
    for (int i = 0; i <= rows; ++i) {
        bool made = i < rows ? GetSetupTargetPath(path, sizeof path, folder, g_setupFiles[i])
                             : FormatPath(path, "%s\\%s", folder, g_uninstallerName);
        if (!made)
            continue;
        DeleteFileA(path);
        // Temporaries of an install that was cut off.
        if (FormatPath(leftover, "%s.new", path))
            DeleteFileA(leftover);
        if (FormatPath(leftover, "%s.old", path))
            DeleteFileA(leftover);
    }
    for (int i = 0; i < rows; ++i)
        if (!IsInstallFolderName(g_setupFiles[i].folder) && FormatPath(path, "%s\\%s", folder, g_setupFiles[i].folder))
            RemoveDirectoryA(path);
    RemoveDirectoryA(folder);
}

void DeleteRecordedFolder(const char* valueName)
{
    char folder[QT_PATH_SIZE];
    ReadSetting("Folders", valueName, "", folder);
    if (folder[0])
        DeleteInstalledFiles(folder);
}

bool UninstallDialog::RemoveInstallation()
{
    char path[QT_PATH_SIZE];
    GetDesktopShortcutPath(path);
    if (path[0])
        DeleteFileA(path);

    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kCurrentVersion, 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
        RegDeleteKeyA(key, "Uninstall\\Quilltally");
        RegCloseKey(key);
    }

    DeleteStartMenuItem("Quilltally");
    DeleteStartMenuItem("Quilltally Help");
    RemoveStartMenuGroup();
    if (installFolder[0] && FormatPath(path, "%s\\%s", installFolder, g_setupFiles[0].fileName))
        DeleteRunAtLogonOf(path);
    DeleteRecordedFolder("DataFiles");
    DeleteRecordedFolder("ProgramFiles");

    // The maker folder goes only when nothing else is left in it.
    if (installFolder[0]) {
        LFile::_GetFolderFromPath(path, installFolder);
        if (path[0])
            RemoveDirectoryA(path);
    }
    return true;
}

#include "setup/InstallDialog.h"

#include <ntsecapi.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "setup/SetupProcess.h"
#include "support/Owned.h"
#include "support/ProductNames.h"

UninstallDialog::UninstallDialog(const char* title)
    : InstallDialog(title)
{
}

namespace {

// The temporary copy's folder: this prefix and 16 random hexadecimal digits.
const char kTemporaryPrefix[] = QT_PRODUCT_NAME "-";
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
        OwnedHandle me;
        char argument[32];
        char command[QT_PATH_SIZE + 48];
        if (DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), GetCurrentProcess(), me.Receive(),
                            SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION,
                            TRUE, 0)
            && FormatStarterArgument(argument, sizeof argument, me.Get())) {
            snprintf(command, sizeof command, "\"%s\" /uninstall %s", copy, argument);
            STARTUPINFOA startup = {};
            startup.cb = sizeof startup;
            PROCESS_INFORMATION process = {};
            // The copy's own folder as its current folder: the install
            // folder must not be held open by it.
            if (CreateProcessA(copy, command, 0, 0, TRUE, 0, 0, folder, &startup, &process)) {
                // Nothing to wait for here: the copy waits for this process instead.
                OwnedHandle thread(process.hThread), copyProcess(process.hProcess);
                started = true;
            }
        }
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

} // namespace

bool UninstallDialog::MainFunction()
{
    // Any argument marks the copy that does the removal.
    if (__argc < 2) {
        // A copy that cannot be started is no reason to refuse: removal
        // runs from here, and only the uninstaller itself then stays.
        if (RestartFromTemporaryFolder())
            return true;
    } else if (__argc >= 3) {
        // Its starter's file is one of those to delete.
        WaitForStarter(__argv[2], kStarterWaitMs);
    }
    bool result = false;
    if (!CheckCancel()) {
        if (MessageBoxA(hwndDlg, "Are you sure you want to remove " QT_PRODUCT_NAME " from this computer?",
                        "Uninstall " QT_PRODUCT_NAME, MB_YESNO | MB_ICONSTOP) == IDYES)
            RemoveInstallation();
        result = true;
    }
    if (__argc >= 2)
        CleanUpTemporaryCopy();
    return result;
}

bool UninstallDialog::RemoveInstallation()
{
    char path[QT_PATH_SIZE];
    GetDesktopShortcutPath(path);
    if (path[0])
        DeleteFileA(path);

    RemoveUninstallEntry();

    DeleteStartMenuItem(QT_PRODUCT_NAME);
    DeleteStartMenuItem(QT_PRODUCT_NAME " Help");
    RemoveStartMenuGroup();
    if (installFolder[0] && FormatPath(path, "%s\\%s", installFolder, g_setupFiles[0].fileName))
        DeleteRunAtLogonOf(path);
    DeleteRecordedFolder(QT_FOLDERS_DATA);
    DeleteRecordedFolder(QT_FOLDERS_PROGRAM);

    // The maker folder goes only when nothing else is left in it.
    if (installFolder[0]) {
        LFile::_GetFolderFromPath(path, installFolder);
        if (path[0])
            RemoveDirectoryA(path);
    }
    return true;
}

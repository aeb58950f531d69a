// Program entry: chooses the run mode from the setup trailer at the end of the
// program's own file, and keeps the application to one running instance.
#include <windows.h>
#include <commctrl.h>
#include <string.h>

#include "resources/resource.h"
#include "setup/InstallDialog.h"
#include "setup/SetupLayout.h"
#include "setup/SetupProcess.h"
#include "support/File.h"
#include "support/Owned.h"
#include "support/ProductNames.h"
#include "support/Settings.h"
#include "ui/Dialog.h"
#include "wordcount/WordCountDialog.h"

namespace {

// How long setup and removal wait for a running copy to end.
const DWORD kRunningCopyWaitMs = 10000;

// The last four bytes of the file, little-endian; 0 when they cannot be read.
DWORD ReadSetupTrailer(const char* path)
{
    OwnedFile file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, 0, OPEN_EXISTING, 0, 0));
    if (!file.IsValid())
        return 0;
    unsigned char bytes[4];
    DWORD read = 0;
    if (SetFilePointer(file.Get(), -4, 0, FILE_END) != INVALID_SET_FILE_POINTER
        && ReadFile(file.Get(), bytes, 4, &read, 0) && read == 4)
        return ReadU32(bytes);
    return 0;
}

// A file named like a setup file that lacks the install trailer was cut short.
bool IsCorruptSetup(const char* path, DWORD trailer)
{
    if (trailer == SETUP_TRAILER_INSTALL)
        return false;
    char title[QT_PATH_SIZE];
    LFile::_GetFileTitleFromPath(title, path);
    for (char* c = title; *c; ++c)
        if (*c >= 'a' && *c <= 'z')
            *c = static_cast<char>(*c - 'a' + 'A');
    return strstr(title, "SETUP") != 0;
}

// Install or removal, the program's other two run modes.
void RunSetup(bool install)
{
    // Without administrator rights nothing could be written: start again
    // elevated (this process ends), or tell the user nothing changed.
    if (!EnsureElevated(install))
        return;
    // A running copy saves its settings and ends before its files are
    // replaced or removed; one that does not end stops setup unchanged.
    HWND running = FindWindowA(WC_DIALOG, QT_PRODUCT_NAME);
    if (running && !EndRunningCopy(running, kRunningCopyWaitMs)) {
        ShowStillRunning(install);
        return;
    }
    InstallDialog installer(g_setupTitle);
    UninstallDialog uninstaller(g_setupTitle);
    InstallDialog& setup = install ? installer : uninstaller;
    GetInstallProgramFilesPath(setup.installFolder);
    if (!setup.installFolder[0]) {
        MessageBoxA(0,
                    install ? QT_PRODUCT_NAME " was not installed.\n\nNo Program Files folder was found."
                            : QT_PRODUCT_NAME " was not removed.\n\nNo Program Files folder was found.",
                    g_setupCorruptCaption, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    // Removal finds the folder through this record.
    WriteSetting(QT_FOLDERS_SECTION, QT_FOLDERS_PROGRAM, setup.installFolder);
    WriteSetting(QT_FOLDERS_SECTION, QT_FOLDERS_DATA, setup.installFolder);
    // Its own messages tell the user how it ended.
    setup.Run(0);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    // Before anything can load a DLL: setup runs from download folders.
    RestrictDllSearch();
    g_hInstance = instance;
    InitCommonControls();

    // The module's own path, not argv[0]: a start from a command prompt may
    // name the program without its folder or extension.
    char programPath[QT_PATH_SIZE];
    DWORD n = GetModuleFileNameA(0, programPath, sizeof programPath);
    if (n == 0 || n >= sizeof programPath)
        programPath[0] = 0;

    // Relative names ("app.hlp", "banner.htm") resolve beside the program.
    char folder[QT_PATH_SIZE + 1];
    LFile::_GetFolderFromPath(folder, programPath);
    if (folder[0] && folder[1] == ':' && folder[2] == 0)
        strcat(folder, "\\");   // "C:" alone would mean C:'s current folder
    // Should it fail, help and banner are simply not found; counting works.
    SetCurrentDirectoryA(folder);

    DWORD trailer = ReadSetupTrailer(programPath);
    if (IsCorruptSetup(programPath, trailer)) {
        MessageBoxA(0, g_setupCorruptText, g_setupCorruptCaption, MB_OK | MB_ICONWARNING);
        return 0;
    }

    if (trailer == SETUP_TRAILER_INSTALL || trailer == SETUP_TRAILER_REMOVE) {
        RunSetup(trailer == SETUP_TRAILER_INSTALL);
        return 0;
    }
    if (HWND running = FindWindowA(WC_DIALOG, QT_PRODUCT_NAME)) {
        // Bring the running instance forward and have it measure the clipboard.
        ShowWindow(running, SW_RESTORE);
        SetForegroundWindow(running);
        PostMessageA(running, WM_COMMAND, IDC_UPDATETEXT, 0);
        return 0;
    }

    WordCountDialog dialog;
    dialog.Open(0, MAKEINTRESOURCEA(IDD_WORDCOUNT));
    dialog.CloseSplash();
    return 0;
}

#include "setup/InstallDialog.h"

#include <objbase.h>
#include <shlobj.h>
#include <string.h>

namespace {
const char kCurrentVersion[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
const char kUninstallEntry[] = "Uninstall\\Quilltally";

void SetRegistryText(HKEY key, const char* name, const char* text)
{
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), DWORD(strlen(text) + 1));
}

// The entry is written only when it is new: a second install keeps it as is.
void AddUninstallEntry(const char* uninstallerPath)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kCurrentVersion, 0, KEY_READ | KEY_WRITE, &key) != ERROR_SUCCESS)
        return;
    HKEY entry;
    DWORD disposition = 0;
    if (RegCreateKeyExA(key, kUninstallEntry, 0, const_cast<char*>(""), REG_OPTION_NON_VOLATILE,
                        KEY_ALL_ACCESS, 0, &entry, &disposition) == ERROR_SUCCESS) {
        if (disposition == REG_CREATED_NEW_KEY) {
            // Quoted: the path holds blanks ("Program Files").
            char command[QT_PATH_SIZE];
            SetRegistryText(entry, "DisplayName", "Quilltally Uninstall");
            if (FormatPath(command, "\"%s\"", uninstallerPath))
                SetRegistryText(entry, "UninstallString", command);
        }
        RegCloseKey(entry);
    }
    RegCloseKey(key);
}
}

void CreateShortcut(const char* linkPath, const char* targetPath)
{
    HRESULT init = CoInitialize(0);
    IShellLinkA* link = 0;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, 0, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   reinterpret_cast<void**>(&link)))) {
        link->SetPath(targetPath);
        IPersistFile* file = 0;
        if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
            WCHAR widePath[QT_PATH_SIZE];
            if (MultiByteToWideChar(CP_ACP, 0, linkPath, -1, widePath, QT_PATH_SIZE) > 0)
                file->Save(widePath, TRUE);
            file->Release();
        }
        link->Release();
    }
    if (SUCCEEDED(init))
        CoUninitialize();
}

void AddStartMenuItem(const char* targetPath, const char* name)
{
    char group[QT_PATH_SIZE];
    if (!InstallDialog::GetStartMenuGroupFolder(group))
        return;
    CreateDirectoryA(group, 0);
    char link[QT_PATH_SIZE];
    if (FormatPath(link, "%s\\%s.lnk", group, name))
        CreateShortcut(link, targetPath);
}

bool SetExeFileType(const char* filePath, DWORD value)
{
    HANDLE file = CreateFileA(filePath, GENERIC_WRITE, 0, 0, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, 0);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    unsigned char bytes[4];
    WriteU32(bytes, value);
    DWORD written = 0;
    bool ok = SetFilePointer(file, 0, 0, FILE_END) != INVALID_SET_FILE_POINTER
              && WriteFile(file, bytes, sizeof bytes, &written, 0) && written == sizeof bytes;
    DWORD error = GetLastError();
    if (!CloseHandle(file))
        ok = false;
    else
        SetLastError(error);
    return ok;
}

// The program, its uninstaller and their trailers are in place already
// (StageProgramFiles, StagedFiles::Commit).
void InstallDialog::Finalize()
{
    char program[QT_PATH_SIZE];
    char uninstaller[QT_PATH_SIZE];
    char path[QT_PATH_SIZE];
    FormatPath(program, "%s\\%s", installFolder, g_setupFiles[0].fileName);
    FormatPath(uninstaller, "%s\\%s", installFolder, g_uninstallerName);

    AddStartMenuItem(program, "Quilltally");
    GetDesktopShortcutPath(path);
    if (path[0])
        CreateShortcut(path, program);
    AddUninstallEntry(uninstaller);
    if (FormatPath(path, "%s\\%s", installFolder, g_setupFiles[1].fileName))
        AddStartMenuItem(path, "Quilltally Help");
    // Quoted, or a blank in the path starts the wrong program.
    if (FormatPath(path, "\"%s\"", program))
        WinExec(path, SW_SHOWNORMAL);
}

#include "setup/Shortcuts.h"

#include <objbase.h>
#include <shlobj.h>

#include "setup/InstallLocations.h"
#include "support/Owned.h"

void CreateShortcut(const char* linkPath, const char* targetPath)
{
    // A shortcut is a convenience: without one the program is still
    // installed and can be started from its folder, so setup goes on.
    ComScope com;
    ComPtr<IShellLinkA> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, 0, CLSCTX_INPROC_SERVER, IID_IShellLinkA, link.Receive())))
        return;
    link->SetPath(targetPath);
    ComPtr<IPersistFile> file;
    if (FAILED(link->QueryInterface(IID_IPersistFile, file.Receive())))
        return;
    WCHAR widePath[QT_PATH_SIZE];
    if (MultiByteToWideChar(CP_ACP, 0, linkPath, -1, widePath, QT_PATH_SIZE) > 0)
        file->Save(widePath, TRUE);
}

void AddStartMenuItem(const char* targetPath, const char* name)
{
    char group[QT_PATH_SIZE];
    if (!GetStartMenuGroupFolder(group))
        return;
    // It may exist already; a group that cannot be made fails the link below.
    CreateDirectoryA(group, 0);
    char link[QT_PATH_SIZE];
    if (FormatPath(link, "%s\\%s.lnk", group, name))
        CreateShortcut(link, targetPath);
}

void DeleteStartMenuItem(const char* name)
{
    char group[QT_PATH_SIZE];
    char link[QT_PATH_SIZE];
    if (GetStartMenuGroupFolder(group) && FormatPath(link, "%s\\%s.lnk", group, name))
        DeleteFileA(link);
}

void RemoveStartMenuGroup()
{
    char group[QT_PATH_SIZE];
    // Fails, as it should, while the user's own shortcuts are still in it.
    if (GetStartMenuGroupFolder(group))
        RemoveDirectoryA(group);
}

#include "setup/UninstallEntry.h"

#include <string.h>

#include "setup/InstallLocations.h"
#include "support/Owned.h"
#include "support/ProductNames.h"

void AddUninstallEntry(const char* uninstallerPath)
{
    // Without the entry the program is installed all the same; it can still
    // be removed with the uninstaller in its folder.
    RegistryKey key;
    if (key.Open(HKEY_LOCAL_MACHINE, QT_CURRENT_VERSION_KEY, KEY_READ | KEY_WRITE) != ERROR_SUCCESS)
        return;
    RegistryKey entry;
    DWORD disposition = 0;
    if (entry.Create(key.Get(), QT_UNINSTALL_SUBKEY, KEY_ALL_ACCESS, &disposition) != ERROR_SUCCESS
        || disposition != REG_CREATED_NEW_KEY)
        return;
    // Quoted: the path holds blanks ("Program Files").
    char command[QT_PATH_SIZE];
    entry.SetText("DisplayName", QT_PRODUCT_NAME " Uninstall");
    if (FormatPath(command, "\"%s\"", uninstallerPath))
        entry.SetText("UninstallString", command);
}

void RemoveUninstallEntry()
{
    RegistryKey key;
    if (key.Open(HKEY_LOCAL_MACHINE, QT_CURRENT_VERSION_KEY, KEY_ALL_ACCESS) == ERROR_SUCCESS)
        key.DeleteSubKey(QT_UNINSTALL_SUBKEY);
}

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

// A run-at-logon entry pointing into a deleted folder would start whatever
// someone later puts there.
void DeleteRunAtLogonOf(const char* program)
{
    RegistryKey key;
    if (key.Open(HKEY_LOCAL_MACHINE, QT_RUN_KEY, KEY_QUERY_VALUE | KEY_SET_VALUE) != ERROR_SUCCESS)
        return;
    char command[2 * QT_PATH_SIZE + 1];
    DWORD type = 0, size = sizeof command - 1;
    if (key.QueryValue(QT_RUN_VALUE, &type, command, &size) == ERROR_SUCCESS
        && (type == REG_SZ || type == REG_EXPAND_SZ)) {
        command[size] = 0;
        if (RunCommandNamesProgram(command, program))
            key.DeleteValue(QT_RUN_VALUE);
    }
}

#include "setup/InstallDialog.h"

#include "support/ProductNames.h"

// The program, its uninstaller and their trailers are in place already
// (StageProgramFiles, StagedFiles::Commit).
void InstallDialog::Finalize()
{
    char program[QT_PATH_SIZE];
    char uninstaller[QT_PATH_SIZE];
    char path[QT_PATH_SIZE];
    FormatPath(program, "%s\\%s", installFolder, g_setupFiles[0].fileName);
    FormatPath(uninstaller, "%s\\%s", installFolder, g_uninstallerName);

    AddStartMenuItem(program, QT_PRODUCT_NAME);
    GetDesktopShortcutPath(path);
    if (path[0])
        CreateShortcut(path, program);
    AddUninstallEntry(uninstaller);
    if (FormatPath(path, "%s\\%s", installFolder, g_setupFiles[1].fileName))
        AddStartMenuItem(path, QT_PRODUCT_NAME " Help");
    // Quoted, or a blank in the path starts the wrong program. The install
    // is complete either way; the user can start it from the Start menu.
    if (FormatPath(path, "\"%s\"", program))
        WinExec(path, SW_SHOWNORMAL);
}

// LFile::ChooseFileToSave: the system's save-file dialog.
#include "support/File.h"
#include <windows.h>
#include <commdlg.h>
#include <cderr.h>

bool LFile::ChooseFileToSave(char* filePath, const char* title, char* folder,
                             const char* defaultExtension, const char* filter)
{
    if (filePath[0])
        _GetFolderFromPath(folder, filePath);

    // Work on a copy: a cancelled dialog leaves the caller's text as it was.
    char chosen[QT_PATH_SIZE];
    lstrcpynA(chosen, filePath, QT_PATH_SIZE);

    OPENFILENAMEA request;
    ZeroMemory(&request, sizeof request);
    request.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    request.hwndOwner = GetActiveWindow();
    request.lpstrFilter = filter;
    request.nFilterIndex = 1;
    request.lpstrFile = chosen;
    request.nMaxFile = QT_PATH_SIZE - 1;
    request.lpstrInitialDir = folder;
    request.lpstrTitle = title;
    request.lpstrDefExt = defaultExtension;
    request.Flags = OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST | OFN_EXPLORER;

    BOOL ok = GetSaveFileNameA(&request);
    if (!ok && CommDlgExtendedError() == FNERR_INVALIDFILENAME) {
        // A name the dialog refuses would keep it from opening at all.
        chosen[0] = 0;
        ok = GetSaveFileNameA(&request);
    }
    if (!ok)
        return false;
    lstrcpynA(filePath, chosen, QT_PATH_SIZE);
    _GetFolderFromPath(folder, filePath);
    return true;
}

#include "setup/InstallDialog.h"

#include "resources/resource.h"
#include "setup/LicenceTermsDialog.h"
#include "support/Owned.h"
#include "support/ProductNames.h"

const char g_setupTitle[] = "Installing " QT_PRODUCT_AND_VERSION;

const ProgressDialogIds g_setupProgressIds = {
    "LProgressDialog", IDC_PROGRESSTEXT0, IDC_PROGRESSTEXT1, IDC_PROGRESSBAR,
};

InstallDialog::InstallDialog(const char* title)
    : LProgressDialog(title, g_setupProgressIds)
{
    installFolder[0] = 0;
}

namespace {

// Reads the sizes and the stored checksum from the end of the file; false when
// they cannot be read or do not describe this file.
bool ReadSetupTable(HANDLE source, int rows, uint32_t* sizes, uint32_t* checksum)
{
    LARGE_INTEGER length;
    if (!GetFileSizeEx(source, &length) || length.QuadPart < LONGLONG(SetupTailSize(rows)))
        return false;
    LARGE_INTEGER position;
    position.QuadPart = -LONGLONG(SetupTailSize(rows));
    if (!SetFilePointerEx(source, position, 0, FILE_END))
        return false;
    unsigned char table[4 * (SETUP_MAX_ROWS + 1)];
    DWORD want = DWORD(4 * (rows + 1)), got = 0;
    if (!ReadFile(source, table, want, &got, 0) || got != want)
        return false;
    ParseSetupTable(table, rows, sizes, checksum);
    if (!SetupTableFits(uint64_t(length.QuadPart), sizes, rows))
        return false;
    position.QuadPart = 0;
    return SetFilePointerEx(source, position, 0, FILE_BEGIN) != 0;
}

} // namespace

// ---- The install worker -----------------------------------------------------

bool InstallDialog::MainFunction()
{
    SetText("Installing " QT_PRODUCT_NAME, 0);
    SetText("Software Licence Terms", 1);
    LicenceTermsDialog terms;
    if (!terms.Open(hwndDlg, "LicenceTermsDlg"))
        return false;
    if (CheckCancel())
        return false;
    // The module's own path, whatever the command line says. Without it
    // nothing can be read, and nothing has been changed yet.
    char setupPath[QT_PATH_SIZE];
    DWORD length = GetModuleFileNameA(0, setupPath, sizeof setupPath);
    if (length == 0 || length >= sizeof setupPath)
        return false;
    StagedFiles staged;
    if (!StagePayload(setupPath, g_setupFiles, staged) || !StageProgramFiles(staged))
        return false;
    InstallFailure failure;
    if (!staged.Commit(&failure)) {
        ShowInstallError(hwndDlg, failure);
        return false;
    }
    SetText("Finalizing", 1);
    Finalize();
    return true;
}

bool InstallDialog::ExtractPayload(const char* setupPath, const SetupFileRow* table)
{
    StagedFiles staged;
    if (!StagePayload(setupPath, table, staged))
        return false;
    InstallFailure failure;
    if (!staged.Commit(&failure)) {
        ShowInstallError(hwndDlg, failure);
        return false;
    }
    return true;
}

bool InstallDialog::StagePayload(const char* setupPath, const SetupFileRow* table, StagedFiles& staged)
{
    int rows = CountSetupRows(table);
    OwnedFile source(CreateFileA(setupPath, GENERIC_READ, FILE_SHARE_READ, 0, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, 0));
    // The running setup file that cannot be read again: nothing was
    // changed, and there is nothing the user could do about it.
    if (!source.IsValid())
        return false;
    PayloadCopy copy = {};
    // Checked before any file is created.
    if (!ReadSetupTable(source.Get(), rows, copy.sizes, &copy.checksum)) {
        source.Close();
        MessageBoxA(hwndDlg, g_setupCorruptText, g_setupCorruptCaption, MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    for (int i = 0; i < rows; ++i)
        copy.total += copy.sizes[i];

    for (int i = 0; i < rows && !copy.failed && !copy.cancelled; ++i) {
        if (int32_t(copy.sizes[i]) <= 0)
            continue;
        SetText(table[i].fileName, 1);
        StageFile(source.Get(), table[i], int32_t(copy.sizes[i]), staged, copy);
        if (CheckCancel())
            copy.cancelled = true;
    }
    source.Close();
    if (copy.failed || copy.cancelled || CheckCancel()) {
        staged.Discard();
        if (copy.failed && !CheckCancel())
            ShowInstallError(hwndDlg, copy.failure);
        return false;
    }
    if (copy.checksum != 0) {
        staged.Discard();
        MessageBoxA(hwndDlg, g_setupCorruptText, g_setupCorruptCaption, MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    return true;
}

void InstallDialog::StageFile(HANDLE source, const SetupFileRow& row, int32_t size, StagedFiles& staged,
                              PayloadCopy& copy)
{
    char target[QT_PATH_SIZE];
    const char* temporary = nullptr;
    if (GetSetupTargetPath(target, sizeof target, installFolder, row))
        temporary = staged.Add(target);
    if (!temporary) {
        // Refused rather than cut: a shortened name is another file.
        SetInstallFailure(&copy.failure, row.fileName, "has a path too long to be written", ERROR_FILENAME_EXCED_RANGE);
        copy.failed = true;
        return;
    }
    OwnedFile out(CreateFileA(temporary, GENERIC_WRITE, 0, 0, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, 0));
    if (!out.IsValid()) {
        SetInstallFailure(&copy.failure, target, "could not be created", GetLastError());
        copy.failed = true;
        return;
    }
    unsigned char chunk[SETUP_CHUNK_SIZE];
    for (int64_t remaining = size; remaining > 0; remaining -= SETUP_CHUNK_SIZE) {
        DWORD want = remaining < SETUP_CHUNK_SIZE ? DWORD(remaining) : DWORD(SETUP_CHUNK_SIZE);
        DWORD got = 0;
        // A short read leaves the checksum off, which reports the file as damaged.
        if (!ReadFile(source, chunk, want, &got, 0))
            got = 0;
        if (got > 0) {
            copy.checksum = SubtractByteSum(copy.checksum, chunk, got);
            DWORD written = 0;
            if (!WriteFile(out.Get(), chunk, got, &written, 0) || written != got) {
                SetInstallFailure(&copy.failure, target, "could not be written", GetLastError());
                copy.failed = true;
                break;
            }
            copy.done += got;
            SetProgress(double(copy.done) / double(copy.total));
        }
        if (CheckCancel()) {
            copy.cancelled = true;
            break;
        }
    }
    if (!out.Close() && !copy.failed) {
        SetInstallFailure(&copy.failure, target, "could not be written", GetLastError());
        copy.failed = true;
    }
}

bool InstallDialog::StageProgramFiles(StagedFiles& staged)
{
    InstallFailure failure;
    char program[QT_PATH_SIZE], uninstaller[QT_PATH_SIZE];
    const char* programImage = nullptr;
    const char* uninstallerImage = nullptr;
    if (GetSetupTargetPath(program, sizeof program, installFolder, g_setupFiles[0]))
        programImage = staged.TemporaryFor(program);
    if (!programImage) {
        SetInstallFailure(&failure, g_setupFiles[0].fileName, "is missing from the setup file", ERROR_FILE_NOT_FOUND);
    } else if (!FormatPath(uninstaller, "%s\\%s", installFolder, g_uninstallerName)
               || !(uninstallerImage = staged.Add(uninstaller))) {
        SetInstallFailure(&failure, g_uninstallerName, "has a path too long to be written", ERROR_FILENAME_EXCED_RANGE);
    } else if (!CopyFileA(programImage, uninstallerImage, FALSE)) {
        // The program image is still exactly payload file 1 here.
        SetInstallFailure(&failure, uninstaller, "could not be created", GetLastError());
    } else if (!SetExeFileType(programImage, SETUP_TRAILER_PROGRAM)) {
        SetInstallFailure(&failure, program, "could not be written", GetLastError());
    } else if (!SetExeFileType(uninstallerImage, SETUP_TRAILER_REMOVE)) {
        SetInstallFailure(&failure, uninstaller, "could not be written", GetLastError());
    } else {
        return true;
    }
    staged.Discard();
    ShowInstallError(hwndDlg, failure);
    return false;
}

#include "setup/InstallDialog.h"

#include <stdarg.h>
#include <stdio.h>

#include "setup/LicenceTermsDialog.h"

const char g_setupTitle[] = "Installing Quilltally v 1.03";

InstallDialog::InstallDialog(const char* title)
    : LProgressDialog(title)
{
    installFolder[0] = 0;
}

bool FormatPath(char* out, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    int length = vsnprintf(out, QT_PATH_SIZE, format, args);
    va_end(args);
    if (length < 0 || length >= QT_PATH_SIZE) {
        out[0] = 0;
        return false;
    }
    return true;
}

bool InstallDialog::MainFunction()
{
    SetText("Installing Quilltally", 0);
    SetText("Software Licence Terms", 1);
    LicenceTermsDialog terms;
    if (!terms.Open(hwndDlg, "LicenceTermsDlg"))
        return false;
    if (CheckCancel())
        return false;
    // The module's own path, whatever the command line says.
    char setupPath[QT_PATH_SIZE];
    DWORD length = GetModuleFileNameA(0, setupPath, sizeof setupPath);
    if (length == 0 || length >= sizeof setupPath)
        return false;
    if (!ExtractPayload(setupPath, g_setupFiles))
        return false;
    SetText("Finalizing", 1);
    Finalize();
    return true;
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

}

bool InstallDialog::ExtractPayload(const char* setupPath, const SetupFileRow* table)
{
    int rows = CountSetupRows(table);
    HANDLE source = CreateFileA(setupPath, GENERIC_READ, FILE_SHARE_READ, 0, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, 0);
    if (source == INVALID_HANDLE_VALUE)
        return false;
    uint32_t sizes[SETUP_MAX_ROWS];
    uint32_t checksum = 0;
    // Checked before any file is created: a damaged download must not
    // overwrite a working installation.
    if (!ReadSetupTable(source, rows, sizes, &checksum)) {
        CloseHandle(source);
        MessageBoxA(hwndDlg, g_setupCorruptText, g_setupCorruptCaption, MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    uint64_t total = 0;
    for (int i = 0; i < rows; ++i)
        total += sizes[i];

    unsigned char chunk[SETUP_CHUNK_SIZE];
    char target[QT_PATH_SIZE];
    uint64_t done = 0;
    for (int i = 0; i < rows; ++i) {
        int32_t size = int32_t(sizes[i]);
        if (size <= 0)
            continue;
        SetText(table[i].fileName, 1);
        // A target that cannot be created still has its bytes read and
        // counted, so the checksum covers the whole payload.
        HANDLE out = INVALID_HANDLE_VALUE;
        if (GetSetupTargetPath(target, sizeof target, installFolder, table[i]))
            out = CreateFileA(target, GENERIC_WRITE, 0, 0, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, 0);
        bool cancelled = false;
        for (int64_t remaining = size; remaining > 0; remaining -= SETUP_CHUNK_SIZE) {
            DWORD want = remaining < SETUP_CHUNK_SIZE ? DWORD(remaining) : DWORD(SETUP_CHUNK_SIZE);
            DWORD got = 0;
            if (!ReadFile(source, chunk, want, &got, 0))
                got = 0;
            if (got > 0) {
                checksum = SubtractByteSum(checksum, chunk, got);
                if (out != INVALID_HANDLE_VALUE) {
                    DWORD written;
                    WriteFile(out, chunk, got, &written, 0);
                }
                done += got;
                SetProgress(double(done) / double(total));
            }
            if (CheckCancel()) {
                cancelled = true;
                break;
            }
        }
        if (out != INVALID_HANDLE_VALUE)
            CloseHandle(out);
        if (cancelled || CheckCancel())
            break;
    }
    CloseHandle(source);
    if (CheckCancel())
        return false;
    if (checksum != 0) {
        MessageBoxA(hwndDlg, g_setupCorruptText, g_setupCorruptCaption, MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    return true;
}

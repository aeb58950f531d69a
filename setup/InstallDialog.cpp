#include "setup/InstallDialog.h"

#include <stdarg.h>
#include <stdio.h>
#include <string.h>

#include "setup/LicenceTermsDialog.h"

const char g_setupTitle[] = "Installing Quilltally v 1.03";
const char g_uninstallerName[] = "uninst.exe";

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

namespace {

// A file handle closed when it goes out of scope.
class OwnedFile {
public:
    OwnedFile() = default;
    explicit OwnedFile(HANDLE handle) : handle_(handle) {}
    ~OwnedFile() { Close(); }
    OwnedFile(const OwnedFile&) = delete;
    OwnedFile& operator=(const OwnedFile&) = delete;
    bool IsOpen() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return handle_; }
    // False when the system reports that the file could not be closed.
    bool Close()
    {
        bool ok = true;
        if (IsOpen())
            ok = CloseHandle(handle_) != FALSE;
        handle_ = INVALID_HANDLE_VALUE;
        return ok;
    }

private:
    HANDLE handle_ = INVALID_HANDLE_VALUE;
};

void Fail(InstallFailure* failure, const char* file, const char* what, DWORD error)
{
    lstrcpynA(failure->file, file, QT_PATH_SIZE);
    failure->what = what;
    failure->error = error;
}

bool FileExists(const char* path)
{
    return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

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

void ShowInstallError(HWND owner, const InstallFailure& failure)
{
    char reason[300] = "";
    if (failure.error)
        FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, 0, failure.error, 0,
                       reason, sizeof reason, 0);
    size_t n = strlen(reason);
    while (n && (reason[n - 1] == '\r' || reason[n - 1] == '\n' || reason[n - 1] == ' '))
        reason[--n] = 0;
    if (!n)
        snprintf(reason, sizeof reason, "The system reported error %lu.", (unsigned long)failure.error);
    char text[1024];
    snprintf(text, sizeof text,
             "Quilltally was not installed: the file\n\n%s\n\n%s.\n\n%s\n\n"
             "Nothing was changed; an earlier installation is as it was.",
             failure.file, failure.what, reason);
    MessageBoxA(owner, text, g_setupCorruptCaption, MB_OK | MB_ICONEXCLAMATION);
}

// ---- Staged files ---------------------------------------------------------

struct StagedFiles::Entry {
    char target[QT_PATH_SIZE];
    char temporary[QT_PATH_SIZE];
    char previous[QT_PATH_SIZE];
    bool hadPrevious;
    bool placed;
};

namespace {
// The payload rows and the uninstaller.
const int kMaxStaged = SETUP_MAX_ROWS + 1;
}

StagedFiles::StagedFiles()
    : entries_(new Entry[kMaxStaged]), count_(0)
{
}

StagedFiles::~StagedFiles()
{
    Discard();
    delete[] entries_;
}

const char* StagedFiles::Add(const char* target)
{
    if (count_ >= kMaxStaged)
        return nullptr;
    Entry& e = entries_[count_];
    if (!FormatPath(e.target, "%s", target) || !FormatPath(e.temporary, "%s.new", target)
        || !FormatPath(e.previous, "%s.old", target))
        return nullptr;
    e.hadPrevious = false;
    e.placed = false;
    ++count_;
    return e.temporary;
}

const char* StagedFiles::TemporaryFor(const char* target) const
{
    for (int i = 0; i < count_; ++i)
        if (lstrcmpiA(entries_[i].target, target) == 0)
            return entries_[i].temporary;
    return nullptr;
}

bool StagedFiles::Commit(InstallFailure* failure)
{
    int i = 0;
    bool ok = true;
    for (; i < count_ && ok; ++i) {
        Entry& e = entries_[i];
        // The earlier file moves aside rather than being overwritten, so it
        // can come back if a later file cannot be put in place.
        if (FileExists(e.target)) {
            if (!MoveFileExA(e.target, e.previous, MOVEFILE_REPLACE_EXISTING)) {
                Fail(failure, e.target, "could not be replaced", GetLastError());
                ok = false;
                break;
            }
            e.hadPrevious = true;
        }
        if (!MoveFileExA(e.temporary, e.target, 0)) {
            Fail(failure, e.target, "could not be put in place", GetLastError());
            ok = false;
            break;
        }
        e.placed = true;
    }
    if (!ok) {
        for (int j = i; j >= 0; --j) {
            Entry& e = entries_[j];
            if (e.placed && MoveFileExA(e.target, e.temporary, MOVEFILE_REPLACE_EXISTING))
                e.placed = false;
            if (e.hadPrevious && MoveFileExA(e.previous, e.target, MOVEFILE_REPLACE_EXISTING))
                e.hadPrevious = false;
        }
        Discard();
        return false;
    }
    for (int j = 0; j < count_; ++j) {
        Entry& e = entries_[j];
        // A program still running from the old file cannot be deleted yet.
        if (e.hadPrevious && !DeleteFileA(e.previous))
            MoveFileExA(e.previous, 0, MOVEFILE_DELAY_UNTIL_REBOOT);
    }
    count_ = 0;
    return true;
}

void StagedFiles::Discard()
{
    for (int i = 0; i < count_; ++i)
        if (!entries_[i].placed)
            DeleteFileA(entries_[i].temporary);
    count_ = 0;
}

// ---- The install worker -----------------------------------------------------

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
    if (!source.IsOpen())
        return false;
    uint32_t sizes[SETUP_MAX_ROWS];
    uint32_t checksum = 0;
    // Checked before any file is created.
    if (!ReadSetupTable(source.Get(), rows, sizes, &checksum)) {
        source.Close();
        MessageBoxA(hwndDlg, g_setupCorruptText, g_setupCorruptCaption, MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    uint64_t total = 0;
    for (int i = 0; i < rows; ++i)
        total += sizes[i];

    unsigned char chunk[SETUP_CHUNK_SIZE];
    char target[QT_PATH_SIZE];
    uint64_t done = 0;
    InstallFailure failure;
    bool failed = false, cancelled = false;
    for (int i = 0; i < rows && !failed && !cancelled; ++i) {
        int32_t size = int32_t(sizes[i]);
        if (size <= 0)
            continue;
        SetText(table[i].fileName, 1);
        const char* temporary = nullptr;
        if (GetSetupTargetPath(target, sizeof target, installFolder, table[i]))
            temporary = staged.Add(target);
        if (!temporary) {
            // Refused rather than cut: a shortened name is another file.
            Fail(&failure, table[i].fileName, "has a path too long to be written", ERROR_FILENAME_EXCED_RANGE);
            failed = true;
            break;
        }
        OwnedFile out(CreateFileA(temporary, GENERIC_WRITE, 0, 0, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, 0));
        if (!out.IsOpen()) {
            Fail(&failure, target, "could not be created", GetLastError());
            failed = true;
            break;
        }
        for (int64_t remaining = size; remaining > 0; remaining -= SETUP_CHUNK_SIZE) {
            DWORD want = remaining < SETUP_CHUNK_SIZE ? DWORD(remaining) : DWORD(SETUP_CHUNK_SIZE);
            DWORD got = 0;
            if (!ReadFile(source.Get(), chunk, want, &got, 0))
                got = 0;
            if (got > 0) {
                checksum = SubtractByteSum(checksum, chunk, got);
                DWORD written = 0;
                if (!WriteFile(out.Get(), chunk, got, &written, 0) || written != got) {
                    Fail(&failure, target, "could not be written", GetLastError());
                    failed = true;
                    break;
                }
                done += got;
                SetProgress(double(done) / double(total));
            }
            if (CheckCancel()) {
                cancelled = true;
                break;
            }
        }
        if (!out.Close() && !failed) {
            Fail(&failure, target, "could not be written", GetLastError());
            failed = true;
        }
        if (CheckCancel())
            cancelled = true;
    }
    source.Close();
    if (failed || cancelled || CheckCancel()) {
        staged.Discard();
        if (failed && !CheckCancel())
            ShowInstallError(hwndDlg, failure);
        return false;
    }
    if (checksum != 0) {
        staged.Discard();
        MessageBoxA(hwndDlg, g_setupCorruptText, g_setupCorruptCaption, MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    return true;
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
        Fail(&failure, g_setupFiles[0].fileName, "is missing from the setup file", ERROR_FILE_NOT_FOUND);
    } else if (!FormatPath(uninstaller, "%s\\%s", installFolder, g_uninstallerName)
               || !(uninstallerImage = staged.Add(uninstaller))) {
        Fail(&failure, g_uninstallerName, "has a path too long to be written", ERROR_FILENAME_EXCED_RANGE);
    } else if (!CopyFileA(programImage, uninstallerImage, FALSE)) {
        // The program image is still exactly payload file 1 here.
        Fail(&failure, uninstaller, "could not be created", GetLastError());
    } else if (!SetExeFileType(programImage, SETUP_TRAILER_PROGRAM)) {
        Fail(&failure, program, "could not be written", GetLastError());
    } else if (!SetExeFileType(uninstallerImage, SETUP_TRAILER_REMOVE)) {
        Fail(&failure, uninstaller, "could not be written", GetLastError());
    } else {
        return true;
    }
    staged.Discard();
    ShowInstallError(hwndDlg, failure);
    return false;
}

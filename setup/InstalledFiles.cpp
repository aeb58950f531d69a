#include "setup/InstalledFiles.h"

#include <stdio.h>
#include <string.h>

#include "setup/InstallLocations.h"
#include "setup/SetupLayout.h"
#include "support/Owned.h"
#include "support/ProductNames.h"
#include "support/Settings.h"

const char g_uninstallerName[] = "uninst.exe";

void SetInstallFailure(InstallFailure* failure, const char* file, const char* what, DWORD error)
{
    lstrcpynA(failure->file, file, QT_PATH_SIZE);
    failure->what = what;
    failure->error = error;
}

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
             QT_PRODUCT_NAME " was not installed: the file\n\n%s\n\n%s.\n\n%s\n\n"
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

bool FileExists(const char* path)
{
    return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}
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

int StagedFiles::PlaceAll(InstallFailure* failure)
{
    for (int i = 0; i < count_; ++i) {
        Entry& e = entries_[i];
        // The earlier file moves aside rather than being overwritten, so it
        // can come back if a later file cannot be put in place.
        if (FileExists(e.target)) {
            if (!MoveFileExA(e.target, e.previous, MOVEFILE_REPLACE_EXISTING)) {
                SetInstallFailure(failure, e.target, "could not be replaced", GetLastError());
                return i;
            }
            e.hadPrevious = true;
        }
        if (!MoveFileExA(e.temporary, e.target, 0)) {
            SetInstallFailure(failure, e.target, "could not be put in place", GetLastError());
            return i;
        }
        e.placed = true;
    }
    return count_;
}

void StagedFiles::Undo(int last)
{
    for (int j = last; j >= 0; --j) {
        Entry& e = entries_[j];
        if (e.placed && MoveFileExA(e.target, e.temporary, MOVEFILE_REPLACE_EXISTING))
            e.placed = false;
        if (e.hadPrevious && MoveFileExA(e.previous, e.target, MOVEFILE_REPLACE_EXISTING))
            e.hadPrevious = false;
    }
}

bool StagedFiles::Commit(InstallFailure* failure)
{
    int failed = PlaceAll(failure);
    if (failed < count_) {
        Undo(failed);
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
    // A temporary that cannot be deleted is harmless: it is replaced by the
    // next install and deleted by the removal (DeleteInstalledFiles).
    for (int i = 0; i < count_; ++i)
        if (!entries_[i].placed)
            DeleteFileA(entries_[i].temporary);
    count_ = 0;
}

// ---- Trailers and removal ---------------------------------------------------

bool SetExeFileType(const char* filePath, DWORD value)
{
    OwnedFile file(CreateFileA(filePath, GENERIC_WRITE, 0, 0, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, 0));
    if (!file.IsValid())
        return false;
    unsigned char bytes[4];
    WriteU32(bytes, value);
    DWORD written = 0;
    bool ok = SetFilePointer(file.Get(), 0, 0, FILE_END) != INVALID_SET_FILE_POINTER
              && WriteFile(file.Get(), bytes, sizeof bytes, &written, 0) && written == sizeof bytes;
    DWORD error = GetLastError();
    // Closing writes the last bytes out: its failure is a failed write.
    if (!file.Close())
        ok = false;
    else
        SetLastError(error);
    return ok;
}

void DeleteInstalledFiles(const char* folder)
{
    // Only what setup writes, derived from the same table; anything else a
    // user saved here (a CSV job log) stays, and so does the folder then.
    // Removal goes on past a file it cannot delete (in use, read-only): the
    // rest still goes, and the folder stays, which is what the user sees.
    char path[QT_PATH_SIZE], leftover[QT_PATH_SIZE];
    const int rows = CountSetupRows(g_setupFiles);
    for (int i = 0; i <= rows; ++i) {
        bool made = i < rows ? GetSetupTargetPath(path, sizeof path, folder, g_setupFiles[i])
                             : FormatPath(path, "%s\\%s", folder, g_uninstallerName);
        if (!made)
            continue;
        DeleteFileA(path);
        // Temporaries of an install that was cut off.
        if (FormatPath(leftover, "%s.new", path))
            DeleteFileA(leftover);
        if (FormatPath(leftover, "%s.old", path))
            DeleteFileA(leftover);
    }
    for (int i = 0; i < rows; ++i)
        if (!IsInstallFolderName(g_setupFiles[i].folder) && FormatPath(path, "%s\\%s", folder, g_setupFiles[i].folder))
            RemoveDirectoryA(path);
    RemoveDirectoryA(folder);
}

void DeleteRecordedFolder(const char* valueName)
{
    char folder[QT_PATH_SIZE];
    ReadSetting(QT_FOLDERS_SECTION, valueName, "", folder);
    if (folder[0])
        DeleteInstalledFiles(folder);
}

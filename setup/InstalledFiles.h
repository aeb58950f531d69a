// The files setup writes: staged beside their targets and put in place
// together, the trailer that gives a copy its run mode, and their removal.
#ifndef QT_SETUP_INSTALLEDFILES_H
#define QT_SETUP_INSTALLEDFILES_H

#include <windows.h>

#include "support/File.h"

// The uninstaller setup makes in the install folder beside the payload.
extern const char g_uninstallerName[];

// Why a file could not be put in place: its path (or name), what went wrong
// and the system's error code.
struct InstallFailure {
    char file[QT_PATH_SIZE];
    const char* what;   // "could not be created", ...
    DWORD error;
};
// Fills failure in.
void SetInstallFailure(InstallFailure* failure, const char* file, const char* what, DWORD error);
// "Install Error" naming the file and the reason in plain words.
void ShowInstallError(HWND owner, const InstallFailure& failure);

// New files written under temporary names beside their targets and then put
// in place together, so a failure on the way leaves the old files as they
// were. What has not been put in place is deleted when this object ends.
class StagedFiles {
public:
    StagedFiles();
    ~StagedFiles();
    StagedFiles(const StagedFiles&) = delete;
    StagedFiles& operator=(const StagedFiles&) = delete;

    // The temporary name to write target's new content to; null when a
    // name does not fit a path or the list is full.
    const char* Add(const char* target);
    // The temporary name given for target; null when it was not added.
    const char* TemporaryFor(const char* target) const;
    // Moves every earlier file aside, then every new one in place. On a
    // failure every earlier file goes back, failure says which and why, and
    // the result is false. Moved-aside files are deleted on success.
    bool Commit(InstallFailure* failure);
    // Deletes every temporary not yet put in place.
    void Discard();

private:
    struct Entry;
    // The files from the first on, until one cannot be put in place: that
    // one's index, or count_ when all were.
    int PlaceAll(InstallFailure* failure);
    // Puts back what PlaceAll did for the files up to and including last.
    void Undo(int last);

    Entry* entries_;
    int count_;
};

// Appends the value, little-endian, to an existing file; false when the file
// cannot be opened or written.
bool SetExeFileType(const char* filePath, DWORD value);
// Deletes from the recorded folder what setup put there (the payload files
// and the uninstaller), then the folder when nothing else is left in it.
void DeleteRecordedFolder(const char* valueName);
// The same for a folder given by path.
void DeleteInstalledFiles(const char* folder);

#endif

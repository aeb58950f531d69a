// Install and removal: the workers that run inside the progress window, and
// the locations, shortcuts and registry entries they create or remove.
#ifndef QT_SETUP_INSTALLDIALOG_H
#define QT_SETUP_INSTALLDIALOG_H

#include <windows.h>

#include "setup/SetupLayout.h"
#include "support/File.h"
#include "ui/ProgressDialog.h"

// Caption of the progress window, in both modes.
extern const char g_setupTitle[];
// The uninstaller setup makes in the install folder beside the payload.
extern const char g_uninstallerName[];

// Why a file could not be put in place: its path (or name), what went wrong
// and the system's error code.
struct InstallFailure {
    char file[QT_PATH_SIZE];
    const char* what;   // "could not be created", ...
    DWORD error;
};
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
    Entry* entries_;
    int count_;
};

class InstallDialog : public LProgressDialog {
public:
    char installFolder[QT_PATH_SIZE];

    explicit InstallDialog(const char* title);

    // Terms page, extraction of the running setup file, Finalize.
    bool MainFunction() override;

    // Extracts the payload of setupPath as the table says, in one pass, into
    // temporaries beside the targets in installFolder. True when every byte
    // was read and written and the checksum matched. Shows the corrupt-file
    // message for a damaged file and "Install Error" for a file that could
    // not be written; false without a message on Cancel or when the setup
    // file cannot be opened. On false every temporary is gone.
    bool StagePayload(const char* setupPath, const SetupFileRow* table, StagedFiles& staged);
    // StagePayload, then the files put in place (an error shown on failure).
    bool ExtractPayload(const char* setupPath, const SetupFileRow* table);
    // From the staged program image: the uninstaller, and the trailers that
    // give each its run mode. Shows "Install Error" on failure.
    bool StageProgramFiles(StagedFiles& staged);

    // Shortcuts and uninstall entry, after the files are in place; starts
    // the program.
    void Finalize();

    // <Program Files>\Corvane\Quilltally, created; empty when no Program
    // Files folder is known or the path does not fit.
    static void GetInstallProgramFilesPath(char* path);
    // <Programs>\Quilltally; false when no Programs folder is known.
    static bool GetStartMenuGroupFolder(char* path);
};

class UninstallDialog : public InstallDialog {
public:
    explicit UninstallDialog(const char* title);

    // Restarts from a new folder in the temporary folder when started
    // without arguments; otherwise waits for the process that started it,
    // asks and removes.
    bool MainFunction() override;
    bool RemoveInstallation();
};

// Path of the program's desktop shortcut; empty when it does not fit.
void GetDesktopShortcutPath(char* path);
void CreateShortcut(const char* linkPath, const char* targetPath);
void AddStartMenuItem(const char* targetPath, const char* name);
// Appends the value, little-endian, to an existing file; false when the file
// cannot be opened or written.
bool SetExeFileType(const char* filePath, DWORD value);

void DeleteStartMenuItem(const char* name);
void RemoveStartMenuGroup();
// Deletes from the recorded folder what setup put there (the payload files
// and the uninstaller), then the folder when nothing else is left in it.
void DeleteRecordedFolder(const char* valueName);
// The same for a folder given by path.
void DeleteInstalledFiles(const char* folder);
// True when a run-at-logon command ("path" args, or path args) starts program.
bool RunCommandNamesProgram(const char* command, const char* program);

// Reads a string value into out (limit bytes at most, out holds 260); out is
// untouched when the value is missing, too long or not a string.
bool ReadRegistryText(HKEY root, const char* keyName, const char* valueName,
                      char* out, DWORD limit);
// printf into a 260-byte path; false, and out empty, when the result is cut.
bool FormatPath(char* out, const char* format, ...);

#endif

// Install and removal: the workers that run inside the progress window. The
// locations, files, shortcuts and registry entries they create or remove
// have headers of their own, included here for the workers' users.
#ifndef QT_SETUP_INSTALLDIALOG_H
#define QT_SETUP_INSTALLDIALOG_H

#include <windows.h>

#include "setup/InstallLocations.h"
#include "setup/InstalledFiles.h"
#include "setup/SetupLayout.h"
#include "setup/Shortcuts.h"
#include "setup/UninstallEntry.h"
#include "support/File.h"
#include "ui/ProgressDialog.h"

// Caption of the progress window, in both modes.
extern const char g_setupTitle[];
// The progress window of setup's resources.
extern const ProgressDialogIds g_setupProgressIds;

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

private:
    // Where one pass over the payload stands.
    struct PayloadCopy {
        uint32_t sizes[SETUP_MAX_ROWS];
        uint32_t checksum;
        uint64_t total, done;
        InstallFailure failure;
        bool failed, cancelled;
    };
    // Copies the next size bytes of source to a temporary for row's target;
    // sets copy.failed or copy.cancelled when it stops early.
    void StageFile(HANDLE source, const SetupFileRow& row, int32_t size, StagedFiles& staged,
                   PayloadCopy& copy);

public:

    // The same as the free functions of InstallLocations.h.
    static void GetInstallProgramFilesPath(char* path) { ::GetInstallProgramFilesPath(path); }
    static bool GetStartMenuGroupFolder(char* path) { return ::GetStartMenuGroupFolder(path); }
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

#endif

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

class InstallDialog : public LProgressDialog {
public:
    char installFolder[QT_PATH_SIZE];

    explicit InstallDialog(const char* title);

    // Terms page, extraction of the running setup file, Finalize.
    bool MainFunction() override;

    // Copies the payload of setupPath into installFolder as the table says.
    // True when every byte was read and the checksum matched; shows the
    // corrupt-file message when the file is damaged; false without a message
    // on Cancel or when the file cannot be opened.
    bool ExtractPayload(const char* setupPath, const SetupFileRow* table);

    // Shortcuts, uninstaller, uninstall entry, trailers; starts the program.
    void Finalize();

    // <ProgramFilesDir>\Corvane\Quilltally (or C:\Quilltally), created.
    static void GetInstallProgramFilesPath(char* path);
    // <Programs>\Quilltally; false when no Programs folder is known.
    static bool GetStartMenuGroupFolder(char* path);
};

class UninstallDialog : public InstallDialog {
public:
    explicit UninstallDialog(const char* title);

    // Restarts from the temporary folder when started without arguments;
    // otherwise asks and removes.
    bool MainFunction() override;
    bool RemoveInstallation();
};

// Path of the program's desktop shortcut; empty when it does not fit.
void GetDesktopShortcutPath(char* path);
void CreateShortcut(const char* linkPath, const char* targetPath);
void AddStartMenuItem(const char* targetPath, const char* name);
// Appends the value, little-endian, to an existing file.
void SetExeFileType(const char* filePath, DWORD value);

void DeleteStartMenuItem(const char* name);
void RemoveStartMenuGroup();
void DeleteRecordedFolder(const char* valueName);

// Reads a string value into out (limit bytes at most, out holds 260); out is
// untouched when the value is missing, too long or not a string.
bool ReadRegistryText(HKEY root, const char* keyName, const char* valueName,
                      char* out, DWORD limit);
// printf into a 260-byte path; false, and out empty, when the result is cut.
bool FormatPath(char* out, const char* format, ...);

#endif

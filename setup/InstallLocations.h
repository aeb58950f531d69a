// Where setup puts things: the install folder, the Start menu group, the
// desktop shortcut, read from the system's registry records of its folders.
#ifndef QT_SETUP_INSTALLLOCATIONS_H
#define QT_SETUP_INSTALLLOCATIONS_H

#include <windows.h>

#include "support/File.h"

// <Program Files>\Corvane\Quilltally, created; empty when no Program
// Files folder is known or the path does not fit.
void GetInstallProgramFilesPath(char* path);
// <Programs>\Quilltally; false when no Programs folder is known.
bool GetStartMenuGroupFolder(char* path);
// Path of the program's desktop shortcut; empty when it does not fit.
void GetDesktopShortcutPath(char* path);

// Reads a string value into out (limit bytes at most, out holds 260); out is
// untouched when the value is missing, too long or not a string.
bool ReadRegistryText(HKEY root, const char* keyName, const char* valueName,
                      char* out, DWORD limit);
// printf into a 260-byte path; false, and out empty, when the result is cut.
bool FormatPath(char* out, const char* format, ...);

#endif

// Registry helpers shared by the Win32 and end-to-end tests: the program's
// keys, and plain reads and writes of text values (HKEY_LOCAL_MACHINE unless
// a root is given).
#ifndef QT_TESTS_TESTREGISTRY_H
#define QT_TESTS_TESTREGISTRY_H

#include <windows.h>

#include <string>

namespace testreg {

extern const char kProductKey[];    // "Software\Corvane\Quilltally"
extern const char kSettingsKey[];   // "Software\Corvane\Quilltally\Settings"
extern const char kRunKey[];        // "SOFTWARE\Microsoft\Windows\CurrentVersion\Run"
extern const char kRunValue[];      // "QuilltallyRun"

// Creates the key when needed; true when the value was stored.
bool WriteValue(const char* key, const char* name, DWORD type, const void* data, DWORD size,
                HKEY root = HKEY_LOCAL_MACHINE);
bool WriteText(const char* key, const char* name, const std::string& text, HKEY root = HKEY_LOCAL_MACHINE);
// False (and an empty text) when the value is missing or not REG_SZ.
bool ReadText(const char* key, const char* name, std::string* text, HKEY root = HKEY_LOCAL_MACHINE);
void DeleteValue(const char* key, const char* name, HKEY root = HKEY_LOCAL_MACHINE);
bool KeyExists(const char* key, HKEY root = HKEY_LOCAL_MACHINE);

// Deletes the program's key and its run-at-logon value. Call it before and
// after a test: a run-at-logon value left in the prefix would start the
// program at the next Wine session.
void ResetProductState();

} // namespace testreg

#endif

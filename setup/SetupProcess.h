// Setup and removal run with administrator rights, started from download
// and temporary folders: the DLLs they load, the rights they ask for, and
// how they wait for other processes.
#ifndef QT_SETUP_SETUPPROCESS_H
#define QT_SETUP_SETUPPROCESS_H

#include <windows.h>

// DLLs come from the system folder only from here on, so a DLL planted
// beside the program is never loaded. Works where SetDefaultDllDirectories
// is missing too (the program still starts).
void RestrictDllSearch();

// The arguments of a command line after the program name, as given.
const char* SkipProgramName(const char* commandLine);

// True when the process token is elevated, or the system has no elevation.
bool IsTokenElevated();
// Starts program with parameters through the "runas" verb; false when the
// user declined or it could not be started.
bool StartElevated(const char* program, const char* parameters);
// Replaceable for tests: the check and the restart used by EnsureElevated.
extern bool (*g_isProcessElevated)();
extern bool (*g_startElevated)(const char* program, const char* parameters);

// True when this process may go on installing (or removing). Otherwise the
// program has been started again elevated with the same arguments, or the
// user declined and was told that nothing changed; either way the caller ends.
bool EnsureElevated(bool install);

// Asks the running copy that owns window to exit (its tray menu's Exit) and
// waits up to timeoutMs for its process to end; false when it did not end.
bool EndRunningCopy(HWND window, DWORD timeoutMs);
// Tells the user that the running copy did not end and nothing changed.
void ShowStillRunning(bool install);

// The argument the uninstaller passes to its temporary copy: the number of
// an inheritable handle of its own process.
bool FormatStarterArgument(char* out, size_t size, HANDLE process);
// Waits up to timeoutMs for the process named by such an argument to end,
// then closes the handle. False when the argument names no process or the
// process did not end in time.
bool WaitForStarter(const char* argument, DWORD timeoutMs);

#endif

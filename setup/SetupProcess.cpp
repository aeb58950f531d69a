#include "setup/SetupProcess.h"

#include <shellapi.h>
#include <stdio.h>
#include <stdlib.h>

#include "resources/resource.h"
#include "setup/InstallDialog.h"
#include "support/Owned.h"
#include "support/ProductNames.h"

void RestrictDllSearch()
{
    typedef BOOL(WINAPI * SetDefaultDllDirectoriesProc)(DWORD);
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    SetDefaultDllDirectoriesProc setDefault = kernel
        ? reinterpret_cast<SetDefaultDllDirectoriesProc>(
              reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories")))
        : nullptr;
    if (setDefault)
        setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
    // Takes the current folder out of the search where the call above is missing.
    SetDllDirectoryA("");
}

const char* SkipProgramName(const char* commandLine)
{
    const char* p = commandLine;
    while (*p == ' ' || *p == '\t')
        ++p;
    if (*p == '"') {
        ++p;
        while (*p && *p != '"')
            ++p;
        if (*p == '"')
            ++p;
    }
    while (*p && *p != ' ' && *p != '\t')
        ++p;
    while (*p == ' ' || *p == '\t')
        ++p;
    return p;
}

bool IsTokenElevated()
{
    OwnedHandle token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.Receive()))
        return true;
    TOKEN_ELEVATION elevation = {};
    DWORD size = 0;
    bool known = GetTokenInformation(token.Get(), TokenElevation, &elevation, sizeof elevation, &size) != FALSE;
    // A system without elevation has nothing to ask for.
    return !known || elevation.TokenIsElevated != 0;
}

bool StartElevated(const char* program, const char* parameters)
{
    SHELLEXECUTEINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOASYNC;
    info.lpVerb = "runas";
    info.lpFile = program;
    info.lpParameters = parameters[0] ? parameters : nullptr;
    info.nShow = SW_SHOWNORMAL;
    return ShellExecuteExA(&info) != FALSE;
}

bool (*g_isProcessElevated)() = IsTokenElevated;
bool (*g_startElevated)(const char* program, const char* parameters) = StartElevated;

bool EnsureElevated(bool install)
{
    if (g_isProcessElevated())
        return true;
    char program[QT_PATH_SIZE];
    DWORD length = GetModuleFileNameA(0, program, sizeof program);
    if (length > 0 && length < sizeof program && g_startElevated(program, SkipProgramName(GetCommandLineA())))
        return false;
    MessageBoxA(0,
                install ? QT_PRODUCT_NAME " was not installed.\n\nSetup needs administrator rights; nothing was changed."
                        : QT_PRODUCT_NAME " was not removed.\n\nRemoval needs administrator rights; nothing was changed.",
                install ? g_setupTitle : "Uninstall " QT_PRODUCT_NAME, MB_OK | MB_ICONEXCLAMATION);
    return false;
}

bool EndRunningCopy(HWND window, DWORD timeoutMs)
{
    DWORD id = 0;
    GetWindowThreadProcessId(window, &id);
    OwnedHandle process(id ? OpenProcess(SYNCHRONIZE, FALSE, id) : 0);
    PostMessageA(window, WM_COMMAND, IDM_EXIT, 0);
    if (process.IsValid())
        return WaitForSingleObject(process.Get(), timeoutMs) == WAIT_OBJECT_0;
    // Without a handle to its process, its window going is the best sign.
    for (DWORD waited = 0; IsWindow(window); waited += 100) {
        if (waited >= timeoutMs)
            return false;
        Sleep(100);
    }
    return true;
}

void ShowStillRunning(bool install)
{
    MessageBoxA(0,
                install ? QT_PRODUCT_NAME " is still running and did not close.\n\n"
                          "Close it and run setup again; nothing was changed."
                        : QT_PRODUCT_NAME " is still running and did not close.\n\n"
                          "Close it and remove " QT_PRODUCT_NAME " again; nothing was changed.",
                install ? g_setupCorruptCaption : "Uninstall " QT_PRODUCT_NAME, MB_OK | MB_ICONEXCLAMATION);
}

bool FormatStarterArgument(char* out, size_t size, HANDLE process)
{
    int n = snprintf(out, size, "%llu", static_cast<unsigned long long>(reinterpret_cast<ULONG_PTR>(process)));
    return n > 0 && size_t(n) < size;
}

bool WaitForStarter(const char* argument, DWORD timeoutMs)
{
    if (!argument || *argument < '0' || *argument > '9')
        return false;
    char* end = nullptr;
    unsigned long long value = strtoull(argument, &end, 10);
    // Handles are small numbers; this also keeps out the pseudo handles.
    if (*end || !value || value > 0xFFFFFFFFull)
        return false;
    HANDLE process = reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(value));
    // Only a process handle counts: the number could name any handle, and
    // one that is not ours to close stays open.
    if (!GetProcessId(process))
        return false;
    OwnedHandle owned(process);
    return WaitForSingleObject(owned.Get(), timeoutMs) == WAIT_OBJECT_0;
}

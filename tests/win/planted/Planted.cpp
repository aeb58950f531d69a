// A DLL planted beside a program: when loaded it leaves "<its path>.loaded"
// and refuses to stay, so a test sees that it was loaded and nothing runs.
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID)
{
    if (reason != DLL_PROCESS_ATTACH)
        return TRUE;
    char path[MAX_PATH + 8];
    DWORD n = GetModuleFileNameA(self, path, MAX_PATH);
    if (n && n < MAX_PATH) {
        lstrcatA(path, ".loaded");
        HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, 0, CREATE_ALWAYS, 0, 0);
        if (file != INVALID_HANDLE_VALUE)
            CloseHandle(file);
    }
    return FALSE;
}

// Window search and texts shared by the Win32 and end-to-end tests, for
// windows of this process and of others.
#ifndef QT_TESTS_TESTWINDOWS_H
#define QT_TESTS_TESTWINDOWS_H

#include <windows.h>

#include <string>
#include <vector>

namespace testwin {

const HWND kAnyOwner = reinterpret_cast<HWND>(-1);

// What a top-level window must be; a field left at its default matches all.
struct WindowQuery {
    DWORD processId = 0;
    DWORD threadId = 0;              // only this thread's windows
    const char* className = nullptr; // compared without case
    const char* title = nullptr;
    HWND owner = kAnyOwner;
    bool visibleOnly = false;
};

// The matching top-level windows, in Z order.
std::vector<HWND> TopWindows(const WindowQuery& query);
// The first of them, 0 when none.
HWND FindTopWindow(const WindowQuery& query);

// All descendants of the window, of this class only when className is not null.
std::vector<HWND> ChildWindows(HWND parent, const char* className = nullptr);

std::string ClassName(HWND window);
// The text by WM_GETTEXT, which the system carries across processes; empty
// when the window does not answer in time.
std::string WindowText(HWND window);

} // namespace testwin

#endif

// testeditor: a small editor window for the hot key tests, with the ways real
// editors differ in how they take Ctrl+A and Ctrl+C and how fast they copy.
//
//   testeditor keys        Ctrl as the key's thread sees it (GetKeyState), as
//                          classic editors do; posted keys work
//   testeditor async       Ctrl only when really down (GetAsyncKeyState) at the
//                          moment the key is handled; posted keys do nothing
//   testeditor late <ms>   as keys, but the copy happens <ms> after Ctrl+C
//   testeditor hold <ms>   as keys, but keeps the clipboard open <ms> after copying
//   testeditor never       as keys, but Ctrl+C never copies
//
// The text is in an edit control (class "Edit") of the top-level window of
// class "QtTestEditor". WM_APP answers how many Ctrl+A (low word) and Ctrl+C
// (high word) it has taken. A or C without Ctrl is typed as usual.
#include <windows.h>

#include <stdlib.h>
#include <string.h>

namespace {

enum Mode { KEYS, ASYNC, LATE, HOLD, NEVER };

Mode g_mode = KEYS;
DWORD g_delayMs = 0;
HWND g_edit;
int g_selectAlls, g_copies;
char* g_pending;   // text of a late copy

const UINT_PTR kLateTimer = 1;

bool CtrlDown()
{
    if (g_mode == ASYNC)
        return GetAsyncKeyState(VK_CONTROL) < 0;
    return GetKeyState(VK_CONTROL) < 0;
}

char* SelectedText()
{
    int length = GetWindowTextLengthA(g_edit);
    char* all = static_cast<char*>(calloc(length + 1, 1));
    GetWindowTextA(g_edit, all, length + 1);
    DWORD start = 0, end = 0;
    SendMessageA(g_edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    if (end > static_cast<DWORD>(length))
        end = length;
    if (start > end)
        start = end;
    memmove(all, all + start, end - start);
    all[end - start] = 0;
    return all;
}

void Copy(HWND owner, const char* text, DWORD holdMs)
{
    if (!OpenClipboard(owner))
        return;
    EmptyClipboard();
    size_t size = strlen(text) + 1;
    if (HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size)) {
        memcpy(GlobalLock(memory), text, size);
        GlobalUnlock(memory);
        if (!SetClipboardData(CF_TEXT, memory))
            GlobalFree(memory);
    }
    if (holdMs)
        Sleep(holdMs);
    CloseClipboard();
}

// True when the key message was Ctrl+A or Ctrl+C and is taken here.
bool TakeKey(HWND owner, const MSG& msg)
{
    if (msg.hwnd != g_edit || (msg.message != WM_KEYDOWN && msg.message != WM_KEYUP))
        return false;
    if (msg.wParam != 'A' && msg.wParam != 'C')
        return false;
    bool ctrl = CtrlDown();
    // An editor that reads the real keyboard never sees posted keys as typing.
    if (!ctrl)
        return g_mode == ASYNC;
    if (msg.message == WM_KEYUP)
        return true;
    if (msg.wParam == 'A') {
        ++g_selectAlls;
        SendMessageA(g_edit, EM_SETSEL, 0, -1);
        return true;
    }
    ++g_copies;
    char* text = SelectedText();
    switch (g_mode) {
    case NEVER:
        free(text);
        break;
    case LATE:
        free(g_pending);
        g_pending = text;
        SetTimer(owner, kLateTimer, g_delayMs, 0);
        break;
    default:
        Copy(owner, text, g_mode == HOLD ? g_delayMs : 0);
        free(text);
    }
    return true;
}

LRESULT CALLBACK WindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_CREATE:
        g_edit = CreateWindowExA(WS_EX_CLIENTEDGE, "Edit", "",
                                 WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_NOHIDESEL,
                                 0, 0, 100, 100, window, 0, 0, 0);
        SendMessageA(g_edit, EM_SETLIMITTEXT, 0, 0);
        return 0;
    case WM_SIZE:
        MoveWindow(g_edit, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
        return 0;
    case WM_SETFOCUS:
        SetFocus(g_edit);
        return 0;
    case WM_TIMER:
        if (wParam == kLateTimer) {
            KillTimer(window, kLateTimer);
            if (g_pending)
                Copy(window, g_pending, 0);
            free(g_pending);
            g_pending = 0;
        }
        return 0;
    case WM_APP:
        return MAKELONG(g_selectAlls, g_copies);
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, msg, wParam, lParam);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    const char* mode = __argc > 1 ? __argv[1] : "keys";
    if (strcmp(mode, "async") == 0)
        g_mode = ASYNC;
    else if (strcmp(mode, "late") == 0)
        g_mode = LATE;
    else if (strcmp(mode, "hold") == 0)
        g_mode = HOLD;
    else if (strcmp(mode, "never") == 0)
        g_mode = NEVER;
    g_delayMs = __argc > 2 ? strtoul(__argv[2], 0, 10) : 0;

    WNDCLASSA wc = {};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(0, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = "QtTestEditor";
    RegisterClassA(&wc);
    HWND window = CreateWindowExA(0, "QtTestEditor", "Test Editor", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                  200, 200, 400, 300, 0, 0, instance, 0);
    if (!window)
        return 1;
    MSG msg;
    while (GetMessageA(&msg, 0, 0, 0) > 0) {
        if (TakeKey(window, msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}

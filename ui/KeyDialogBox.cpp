// LKeyDialogBox: a modeless dialog run by its own loop, so that every key
// message of the thread passes FilterMessage before the dialog manager sees it.
#include "ui/KeyDialogBox.h"

// The modifier flags of a key code, from the thread's key state right now.
static DWORD MakeKeyCode(WPARAM virtualKey)
{
    DWORD code = (DWORD)(virtualKey & 0xFFFF);
    if (GetKeyState(VK_MENU) < 0)
        code |= KEY_ALT_DOWN;
    if (GetKeyState(VK_CONTROL) < 0)
        code |= KEY_CTRL_DOWN;
    if (GetKeyState(VK_SHIFT) < 0)
        code |= KEY_SHIFT_DOWN;
    return code;
}

bool LKeyDialogBox::Open(HWND owner, LPCSTR templateName)
{
    if (hwndDlg)
        return false;   // LKeyDialogBox::Open already open
    HWND window = CreateDialogParamA(g_hInstance, templateName, owner, StaticDialogProc,
                                     (LPARAM)this);
    if (!window)
        return false;   // LKeyDialogBox::Open CreateDialog Failed
    bool quit = false;
    WPARAM quitCode = 0;
    {
        DisabledOwner disabled(owner);
        quit = RunLoop(&quitCode);
    }
    // The object is about to go out of scope: its window must not outlive it.
    if (IsWindow(window))
        DestroyWindow(window);
    // Hand the quit on to the loop around us, which has to end too.
    if (quit)
        PostQuitMessage((int)quitCode);
    return true;
}

bool LKeyDialogBox::RunLoop(WPARAM* quitCode)
{
    MSG msg;
    while (hwndDlg && IsWindow(hwndDlg)) {
        BOOL got = GetMessageA(&msg, 0, 0, 0);
        if (got == 0) {
            *quitCode = msg.wParam;
            return true;
        }
        // The queue is gone with its window or thread: nothing left to serve.
        if (got == -1)
            break;
        if (FilterMessage(msg.hwnd, msg.message, msg.wParam, msg.lParam))
            continue;
        HWND dialog = hwndDlg;
        if (!dialog || !IsDialogMessageA(dialog, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    return false;
}

bool LKeyDialogBox::KeyDown(DWORD)
{
    return false;
}

bool LKeyDialogBox::KeyUp(DWORD)
{
    return false;
}

bool LKeyDialogBox::FilterMessage(HWND, UINT msg, WPARAM wParam, LPARAM)
{
    switch (msg) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        return KeyDown(MakeKeyCode(wParam));
    case WM_KEYUP:
    case WM_SYSKEYUP:
        return KeyUp(MakeKeyCode(wParam));
    }
    return false;
}

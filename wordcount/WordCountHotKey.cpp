// The main dialog's global hot key: registration, its name, and the capture of
// the focused window's text.
#include "wordcount/WordCountDialog.h"

#include "resources/resource.h"
#include "support/ProductNames.h"
#include "support/Settings.h"
#include "wordcount/ChangeKeyDialog.h"

#include <string.h>

namespace {

const char kSettings[] = QT_SETTINGS_SECTION;
enum { HOTKEY_ID = 0 };

// How long the editor may take to select and copy its text after the hot key.
const DWORD kCopyLimitMs = 1500;
// Editors that read the real keyboard ignore posted keys; after this long
// without a copy they get the keys as real input.
const DWORD kPostedKeysWaitMs = 300;

// Modifiers the user may hold for the hot key; none of them may reach the
// editor together with the select-all and copy.
const BYTE kHotKeyModifiers[] = {VK_SHIFT, VK_LSHIFT, VK_RSHIFT, VK_MENU, VK_LMENU, VK_RMENU, VK_LWIN, VK_RWIN};

// Ctrl held, everything else the user holds for the hot key released.
void SetCtrlOnlyKeyboardState(const BYTE* userKeys)
{
    BYTE keys[256];
    memcpy(keys, userKeys, sizeof keys);
    for (BYTE key : kHotKeyModifiers)
        keys[key] = 0;
    keys[VK_CONTROL] |= 0x80;
    keys[VK_LCONTROL] |= 0x80;
    SetKeyboardState(keys);
}

void PostKey(HWND target, WPARAM key)
{
    PostMessageA(target, WM_KEYDOWN, key, 0x80000001);
    PostMessageA(target, WM_KEYUP, key, 0x00000001);
}

INPUT KeyInput(WORD key, bool up)
{
    INPUT in;
    memset(&in, 0, sizeof in);
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = key;
    in.ki.wScan = static_cast<WORD>(MapVirtualKeyA(key, MAPVK_VK_TO_VSC));
    in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    if (key == VK_RMENU || key == VK_RCONTROL || key == VK_LWIN || key == VK_RWIN)
        in.ki.dwFlags |= KEYEVENTF_EXTENDEDKEY;
    return in;
}

bool KeyIsDown(int key)
{
    return (GetAsyncKeyState(key) & 0x8000) != 0;
}

// Presses Ctrl+A and Ctrl+C on the real input, as a person does: the
// modifiers still held for the hot key are released first, and Ctrl stays
// down until the caller releases it with ReleaseCtrl, because such editors
// look at the keyboard when they handle the key, not when it was pressed.
// False when Ctrl was already held by the user (and so is left down).
bool SendCtrlAC()
{
    INPUT inputs[16];
    UINT n = 0;
    bool altDown = KeyIsDown(VK_MENU);
    // A lone Alt release would open the editor's menu: a Ctrl tap in between
    // makes it an Alt chord instead.
    if (altDown) {
        inputs[n++] = KeyInput(VK_CONTROL, false);
        inputs[n++] = KeyInput(VK_CONTROL, true);
    }
    const WORD released[] = {VK_LSHIFT, VK_RSHIFT, VK_LMENU, VK_RMENU, VK_LWIN, VK_RWIN};
    for (WORD key : released)
        if (KeyIsDown(key))
            inputs[n++] = KeyInput(key, true);
    bool pressCtrl = !KeyIsDown(VK_CONTROL);
    if (pressCtrl)
        inputs[n++] = KeyInput(VK_CONTROL, false);
    inputs[n++] = KeyInput('A', false);
    inputs[n++] = KeyInput('A', true);
    inputs[n++] = KeyInput('C', false);
    inputs[n++] = KeyInput('C', true);
    SendInput(n, inputs, sizeof(INPUT));
    return pressCtrl;
}

void ReleaseCtrl()
{
    INPUT up = KeyInput(VK_CONTROL, true);
    SendInput(1, &up, sizeof(INPUT));
}

// Waits until the clipboard's sequence number moves on from before, or until
// the time is up. Messages sent to this thread are served meanwhile, so that
// nobody who talks to us while copying waits for us in turn.
bool WaitForClipboardChange(DWORD before, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    for (;;) {
        if (GetClipboardSequenceNumber() != before)
            return true;
        DWORD waited = GetTickCount() - start;
        if (waited >= timeoutMs)
            return false;
        MsgWaitForMultipleObjects(0, 0, FALSE, 2, QS_SENDMESSAGE);
        MSG msg;
        PeekMessageA(&msg, 0, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

} // namespace

void WordCountDialog::HotKeyOpen()
{
    int modifiers = ReadSettingInt(kSettings, "HotKeyModifier", MOD_SHIFT);
    int key = ReadSettingInt(kSettings, "HotKey", VK_F8);
    // A key another program holds cannot be had: the window still counts
    // what Update Text reads, and Change Key picks another one.
    if (IsDlgButtonChecked(hwndDlg, IDC_HOTKEYON) == BST_CHECKED)
        RegisterHotKey(hwndDlg, HOTKEY_ID, modifiers, key);

    char name[260] = "";
    if (modifiers & MOD_CONTROL)
        strcat(name, "Ctrl+");
    if (modifiers & MOD_ALT)
        strcat(name, "Alt+");
    if (modifiers & MOD_SHIFT)
        strcat(name, "Shift+");
    size_t used = strlen(name);
    UINT scanCode = MapVirtualKeyA(key, MAPVK_VK_TO_VSC);
    LONG keyParam = static_cast<LONG>(((scanCode & 0xFF) << 16) | (key & 0xFFFF));
    GetKeyNameTextA(keyParam, name + used, static_cast<int>(sizeof name - used));
    SetDlgItemTextA(hwndDlg, IDC_KEYNAME, name);
}

void WordCountDialog::HotKeyClose()
{
    UnregisterHotKey(hwndDlg, HOTKEY_ID);
}

void WordCountDialog::HotKeyRestart()
{
    HotKeyClose();
    HotKeyOpen();
}

void WordCountDialog::HotKeyHit()
{
    // Without select and copy, whatever the user copied is the text.
    bool copied = true;
    if (IsDlgButtonChecked(hwndDlg, IDC_AUTOSELECT) == BST_CHECKED) {
        HWND foreground = GetForegroundWindow();
        DWORD targetThread = foreground ? GetWindowThreadProcessId(foreground, 0) : 0;
        DWORD ownThread = GetCurrentThreadId();
        // Keys go only to another thread's focus: after a failed attach GetFocus
        // would name one of our own boxes and the copy would overwrite the
        // clipboard with a rate.
        if (foreground && foreground != hwndDlg && targetThread && targetThread != ownThread
            && AttachThreadInput(ownThread, targetThread, TRUE)) {
            if (HWND target = GetFocus()) {
                BYTE userKeys[256];
                GetKeyboardState(userKeys);
                DWORD before = GetClipboardSequenceNumber();
                SetCtrlOnlyKeyboardState(userKeys);
                PostKey(target, 'A');
                SetCtrlOnlyKeyboardState(userKeys);
                PostKey(target, 'C');
                copied = WaitForClipboardChange(before, kPostedKeysWaitMs);
                bool sentInput = false;
                if (!copied) {
                    // Still the editor's window in front: it gets the keys
                    // on the real input. The faked state stays meanwhile, in
                    // case the editor was only slow to handle the posted keys.
                    bool pressedCtrl = false;
                    if (GetForegroundWindow() == foreground) {
                        pressedCtrl = SendCtrlAC();
                        sentInput = true;
                    }
                    copied = WaitForClipboardChange(before, kCopyLimitMs - kPostedKeysWaitMs);
                    if (pressedCtrl)
                        ReleaseCtrl();
                }
                // Once the editor has copied it has handled both posted keys
                // and the user's own keys count again. After real input the
                // state follows the keys sent, as it does for typed keys.
                if (!sentInput)
                    SetKeyboardState(userKeys);
            }
            AttachThreadInput(ownThread, targetThread, FALSE);
        }
    }
    ShowWindow(hwndDlg, SW_RESTORE);
    SetForegroundWindow(hwndDlg);
    UpdateText();
    if (!copied)
        ShowStatusNotice("The editor did not copy its text: the text copied before is shown.");
}

void WordCountDialog::CmChangeKey()
{
    // Unregistered meanwhile, so pressing the old key there picks it again.
    HotKeyClose();
    ChangeKeyDialog dialog;
    dialog.Open(hwndDlg, MAKEINTRESOURCEA(IDD_CHANGEKEY));
    HotKeyOpen();
}

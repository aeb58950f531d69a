// The main dialog's global hot key: registration, its name, and the capture of
// the focused window's text.
#include "wordcount/WordCountDialog.h"

#include "resources/resource.h"
#include "support/Settings.h"
#include "wordcount/ChangeKeyDialog.h"

#include <string.h>

namespace {

const char kSettings[] = "Settings";
enum { HOTKEY_ID = 0 };

// Ctrl held, Shift released, Alt as the user holds it.
void SetCtrlOnlyKeyboardState()
{
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_CONTROL] |= 0x80;
    keys[VK_SHIFT] = 0;
    SetKeyboardState(keys);
}

} // namespace

void WordCountDialog::HotKeyOpen()
{
    int modifiers = ReadSettingInt(kSettings, "HotKeyModifier", MOD_SHIFT);
    int key = ReadSettingInt(kSettings, "HotKey", VK_F8);
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
                SetCtrlOnlyKeyboardState();
                PostMessageA(target, WM_KEYDOWN, 'A', 0x80000001);
                PostMessageA(target, WM_KEYUP, 'A', 0x00000001);
                SetCtrlOnlyKeyboardState();
                PostMessageA(target, WM_KEYDOWN, 'C', 0x80000001);
                PostMessageA(target, WM_KEYUP, 'C', 0x00000001);
                // The target selects and copies meanwhile.
                Sleep(250);
            }
            AttachThreadInput(ownThread, targetThread, FALSE);
        }
    }
    ShowWindow(hwndDlg, SW_RESTORE);
    SetForegroundWindow(hwndDlg);
    UpdateText();
}

void WordCountDialog::CmChangeKey()
{
    // Unregistered meanwhile, so pressing the old key there picks it again.
    HotKeyClose();
    ChangeKeyDialog dialog;
    dialog.Open(hwndDlg, MAKEINTRESOURCEA(IDD_CHANGEKEY));
    HotKeyOpen();
}

// "Change Key": the next key pressed, with the modifiers held, becomes the hot key.
#include "wordcount/ChangeKeyDialog.h"
#include "support/ProductNames.h"
#include "support/Settings.h"

bool ChangeKeyDialog::FilterMessage(HWND, UINT msg, WPARAM wParam, LPARAM)
{
    if (msg != WM_KEYDOWN && msg != WM_SYSKEYDOWN)
        return false;
    switch (wParam) {
    case VK_RETURN:
        // Neither a hot key nor a button press: the user is still choosing.
        return true;
    case VK_SHIFT:
    case VK_CONTROL:
    case VK_MENU:
    case VK_ESCAPE:
        // Modifiers alone wait for the key; Esc goes on to become Cancel.
        return false;
    }
    int modifiers = 0;
    if (GetKeyState(VK_CONTROL) < 0)
        modifiers += MOD_CONTROL;
    if (GetKeyState(VK_SHIFT) < 0)
        modifiers += MOD_SHIFT;
    if (GetKeyState(VK_MENU) < 0)
        modifiers += MOD_ALT;
    WriteSettingInt(QT_SETTINGS_SECTION, "HotKey", (int)wParam);
    WriteSettingInt(QT_SETTINGS_SECTION, "HotKeyModifier", modifiers);
    PostMessageA(hwndDlg, WM_COMMAND, IDOK, 0);
    return true;
}

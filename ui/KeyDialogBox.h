// LKeyDialogBox: a modeless dialog with its own loop that sees every key
// message of the thread before the dialog manager does.
#ifndef QT_UI_KEYDIALOGBOX_H
#define QT_UI_KEYDIALOGBOX_H

#include "ui/Dialog.h"

// Key code: virtual key in bits 0-15, then these while the modifier is down.
enum : DWORD {
    KEY_ALT_DOWN   = 1u << 16,
    KEY_CTRL_DOWN  = 1u << 17,
    KEY_SHIFT_DOWN = 1u << 18,
};

class LKeyDialogBox : public LModelessDialog {
public:
    // Creates the window, disables the owner and serves messages until the
    // window has closed. False at once when already open or not created.
    bool Open(HWND owner, LPCSTR templateName);

    virtual bool KeyDown(DWORD keyCode);                                     // 9
    virtual bool KeyUp(DWORD keyCode);                                       // 10
    virtual bool FilterMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam); // 11

private:
    // Serves messages until the window is gone; true, with the code, when
    // the loop met WM_QUIT.
    bool RunLoop(WPARAM* quitCode);
};

#endif

// LProgressDialog: a small modeless window with two text lines, a progress
// bar and Cancel, shown while MainFunction works on the program's only thread.
#ifndef QT_UI_PROGRESSDIALOG_H
#define QT_UI_PROGRESSDIALOG_H

#include <windows.h>

// The window's template and the ids of its two text lines and its bar.
struct ProgressDialogIds {
    LPCSTR templateName;
    int text0, text1, bar;
};

class LProgressDialog {
public:
    HWND hwndDlg;           // 0 when closed, and at once after Cancel
    const char* szTitle;    // not copied: must outlive the run

    LProgressDialog(const char* title, const ProgressDialogIds& ids);

    // Slot order matters to derived classes: keep it.
    virtual bool MainFunction() = 0;                                      // 0
    virtual INT_PTR HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam); // 1

    // Shows the window, runs MainFunction and removes the window; false at
    // once when already open or when the window cannot be created.
    bool Run(HWND parent);
    // Serves every waiting message of the thread; true when the user has
    // cancelled (the window is gone).
    bool CheckCancel();
    // Line 0 or 1; anything else is ignored.
    void SetText(const char* text, int line);
    // 0.0 to 1.0; the bar position is clamped to 0..100 whatever is given.
    void SetProgress(double fraction);

    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

protected:
    ~LProgressDialog() = default;

private:
    ProgressDialogIds ids_;
};

#endif

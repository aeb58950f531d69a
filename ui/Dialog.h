// LDialog: a dialog object joined to its window. One static dialog procedure
// turns every window message into a call of nine virtual operations.
#ifndef QT_UI_DIALOG_H
#define QT_UI_DIALOG_H

#include <windows.h>

// Module instance, stored at start-up; every resource load uses it.
extern HINSTANCE g_hInstance;

class LDialog {
public:
    HWND hwndDlg;

    LDialog();
    // Slot order matters to derived classes: keep it.
    virtual ~LDialog();                                               // 0
    virtual void InitDialog();                                        // 1
    virtual bool CmOk();                                              // 2
    virtual bool CmCancel();                                          // 3
    virtual void CmHelp();                                            // 4
    virtual void EnableControls();                                    // 5
    virtual void Command(WORD id, WORD code);                         // 6
    virtual void DestroyDialog();                                     // 7
    virtual INT_PTR DialogProc(UINT msg, WPARAM wParam, LPARAM lParam); // 8

    static INT_PTR CALLBACK StaticDialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

    // Modal run; true when the dialog ended with IDOK. False at once when open.
    bool Open(HWND parent, LPCSTR templateName);
    void DisplayHelpContents();

    // Control helpers, on the children of hwndDlg.
    void EnableItem(int id, bool enable);
    void HideItem(int id, bool hide);
    void MoveItem(int id, int x, int y, int width, int height);   // dialog units
    void GetItemText(int id, char* buffer);                       // 260 bytes
};

// One object joined to one dialog window: stored with the window at
// WM_INITDIALOG (whose lParam is the object) and found again for every later
// message. T has a public HWND hwndDlg.
template <class T>
struct DialogJoin {
    // At WM_INITDIALOG: the object, told its window; null when none was given.
    static T* Join(HWND hwnd, LPARAM lParam)
    {
        SetWindowLongPtrA(hwnd, DWLP_USER, lParam);
        T* object = reinterpret_cast<T*>(lParam);
        if (object)
            object->hwndDlg = hwnd;
        return object;
    }
    // The object while it still names hwnd as its window. Messages before
    // WM_INITDIALOG, and after the object let go of the window, find none.
    static T* Find(HWND hwnd)
    {
        T* object = reinterpret_cast<T*>(GetWindowLongPtrA(hwnd, DWLP_USER));
        return hwnd && object && object->hwndDlg == hwnd ? object : nullptr;
    }
};

// The owner of a window that runs its own loop: disabled while this lives,
// then enabled and made active again.
class DisabledOwner {
public:
    explicit DisabledOwner(HWND owner) : owner_(owner)
    {
        if (owner_)
            EnableWindow(owner_, FALSE);
    }
    ~DisabledOwner()
    {
        if (owner_) {
            EnableWindow(owner_, TRUE);
            SetActiveWindow(owner_);
            SetFocus(owner_);
        }
    }
    DisabledOwner(const DisabledOwner&) = delete;
    DisabledOwner& operator=(const DisabledOwner&) = delete;

private:
    HWND owner_;
};

// OK and Cancel destroy the window instead of ending a modal loop.
class LModelessDialog : public LDialog {
public:
    INT_PTR DialogProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
};

#endif

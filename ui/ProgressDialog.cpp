#include "ui/ProgressDialog.h"

#include <commctrl.h>

#include "ui/Dialog.h"

LProgressDialog::LProgressDialog(const char* title, const ProgressDialogIds& ids)
    : hwndDlg(0), szTitle(title), ids_(ids)
{
    // The template's progress bar needs its window class registered first.
    InitCommonControls();
}

INT_PTR LProgressDialog::HandleMessage(UINT, WPARAM, LPARAM)
{
    return 0;
}

bool LProgressDialog::Run(HWND parent)
{
    if (hwndDlg)
        return false;   // "LProgressDialog::Open Called when already open!"
    if (!CreateDialogParamA(g_hInstance, ids_.templateName, parent, DialogProc, (LPARAM)this)) {
        hwndDlg = 0;    // "LProgressDialog::Run Unable to create Progress Dialog"
        return false;
    }
    bool result;
    {
        DisabledOwner disabled(parent);
        result = MainFunction();
        if (hwndDlg && IsWindow(hwndDlg))
            DestroyWindow(hwndDlg);
        hwndDlg = 0;
    }
    return result;
}

bool LProgressDialog::CheckCancel()
{
    MSG msg;
    for (;;) {
        if (!hwndDlg || !IsWindow(hwndDlg))
            return true;
        if (!PeekMessageA(&msg, 0, 0, 0, PM_REMOVE))
            return false;
        if (!IsDialogMessageA(hwndDlg, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
}

void LProgressDialog::SetText(const char* text, int line)
{
    if (!hwndDlg || (line != 0 && line != 1))
        return;
    SetDlgItemTextA(hwndDlg, line == 0 ? ids_.text0 : ids_.text1, text);
}

void LProgressDialog::SetProgress(double fraction)
{
    if (!hwndDlg)
        return;
    double percent = fraction * 100.0;
    int position;
    if (!(percent > 0.0))           // also NaN
        position = 0;
    else if (percent >= 100.0)
        position = 100;
    else
        position = int(percent);    // truncates
    SendDlgItemMessageA(hwndDlg, ids_.bar, PBM_SETPOS, (WPARAM)position, 0);
}

INT_PTR CALLBACK LProgressDialog::DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_INITDIALOG) {
        if (LProgressDialog* self = DialogJoin<LProgressDialog>::Join(hwnd, lParam)) {
            SetWindowTextA(hwnd, self->szTitle);
            SendDlgItemMessageA(hwnd, self->ids_.bar, PBM_SETPOS, 0, 0);
        }
        return 1;
    }
    LProgressDialog* self = DialogJoin<LProgressDialog>::Find(hwnd);
    if (msg == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
        // The worker learns of it at its next CheckCancel.
        if (self)
            self->hwndDlg = 0;
        DestroyWindow(hwnd);
        return 1;
    }
    if (!self)
        return 0;
    return self->HandleMessage(msg, wParam, lParam);
}

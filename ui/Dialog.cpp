// LDialog: joins a dialog object to its window and dispatches messages to it.
#include "ui/Dialog.h"

HINSTANCE g_hInstance = 0;

LDialog::LDialog() : hwndDlg(0) {}

LDialog::~LDialog() {}

void LDialog::InitDialog() {}

bool LDialog::CmOk() { return true; }

bool LDialog::CmCancel() { return true; }

void LDialog::CmHelp() {}

void LDialog::EnableControls() {}

void LDialog::Command(WORD, WORD) {}

void LDialog::DestroyDialog() {}

INT_PTR CALLBACK LDialog::StaticDialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_INITDIALOG) {
        LDialog* dialog = DialogJoin<LDialog>::Join(hwnd, lParam);
        if (dialog && hwnd) {
            dialog->InitDialog();
            dialog->EnableControls();
        }
        return 1;
    }
    // Font and creation messages come before WM_INITDIALOG, WM_NCDESTROY after
    // hwndDlg went back to 0: neither may reach the object.
    LDialog* dialog = DialogJoin<LDialog>::Find(hwnd);
    if (!dialog)
        return 0;
    return dialog->DialogProc(msg, wParam, lParam);
}

INT_PTR LDialog::DialogProc(UINT msg, WPARAM wParam, LPARAM)
{
    switch (msg) {
    case WM_DESTROY:
        DestroyDialog();
        hwndDlg = 0;
        return 0;
    case WM_ENDSESSION:
        // The window may outlive the session's end; clean up now, and once.
        if (wParam) {
            DestroyDialog();
            hwndDlg = 0;
        }
        return 1;
    case WM_HELP:
        CmHelp();
        return 1;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
            if (CmOk())
                EndDialog(hwndDlg, IDOK);
            return 1;
        case IDCANCEL:
            if (CmCancel())
                EndDialog(hwndDlg, IDCANCEL);
            return 1;
        case IDHELP:
            CmHelp();
            return 1;
        default:
            Command(LOWORD(wParam), HIWORD(wParam));
            EnableControls();
            return 1;
        }
    }
    return 0;
}

bool LDialog::Open(HWND parent, LPCSTR templateName)
{
    if (hwndDlg)
        return false;
    INT_PTR result = DialogBoxParamA(g_hInstance, templateName, parent, StaticDialogProc,
                                     reinterpret_cast<LPARAM>(this));
    return result == IDOK;
}

void LDialog::DisplayHelpContents()
{
    // The help viewer tells the user itself when the file is missing.
    WinHelpA(hwndDlg, "app.hlp", HELP_CONTENTS, 0);
}

void LDialog::EnableItem(int id, bool enable)
{
    if (HWND item = GetDlgItem(hwndDlg, id))
        EnableWindow(item, enable);
}

void LDialog::HideItem(int id, bool hide)
{
    if (HWND item = GetDlgItem(hwndDlg, id))
        ShowWindow(item, hide ? SW_HIDE : SW_SHOW);
}

void LDialog::MoveItem(int id, int x, int y, int width, int height)
{
    HWND item = GetDlgItem(hwndDlg, id);
    if (!item)
        return;
    // Width and height scale like positions: map them as one rectangle.
    RECT r = {x, y, width, height};
    MapDialogRect(hwndDlg, &r);
    MoveWindow(item, r.left, r.top, r.right, r.bottom, TRUE);
}

void LDialog::GetItemText(int id, char* buffer)
{
    buffer[0] = 0;
    GetDlgItemTextA(hwndDlg, id, buffer, 260);
}

INT_PTR LModelessDialog::DialogProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_COMMAND) {
        switch (LOWORD(wParam)) {
        case IDOK:
            if (CmOk())
                DestroyWindow(hwndDlg);
            return 1;
        case IDCANCEL:
            if (CmCancel())
                DestroyWindow(hwndDlg);
            return 1;
        }
    }
    return LDialog::DialogProc(msg, wParam, lParam);
}

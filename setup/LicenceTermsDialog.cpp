#include "setup/LicenceTermsDialog.h"

#include "resources/resource.h"

// The dialog manager selects the whole text when it gives the box the first
// focus, which also scrolls it to the end; the reader starts at term 1.
void LicenceTermsDialog::InitDialog()
{
    HWND terms = FindWindowExA(hwndDlg, 0, "Edit", 0);
    if (terms) {
        PostMessageA(terms, EM_SETSEL, 0, 0);
        PostMessageA(terms, EM_SCROLLCARET, 0, 0);
    }
}

bool LicenceTermsDialog::Agreed()
{
    return IsDlgButtonChecked(hwndDlg, IDC_AGREE) == BST_CHECKED;
}

// Enter reaches here too: it must not close the page before agreement.
bool LicenceTermsDialog::CmOk()
{
    return Agreed();
}

void LicenceTermsDialog::EnableControls()
{
    EnableItem(IDOK, Agreed());
}

#include "setup/LicenceTermsDialog.h"

#include "resources/resource.h"

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

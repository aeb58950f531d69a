// The terms page: Next closes it only once "I agree" is chosen.
#ifndef QT_SETUP_LICENCETERMSDIALOG_H
#define QT_SETUP_LICENCETERMSDIALOG_H

#include "ui/Dialog.h"

class LicenceTermsDialog : public LDialog {
public:
    void InitDialog() override;
    bool CmOk() override;
    void EnableControls() override;

private:
    bool Agreed();
};

#endif

// "Change Key": stores the next key combination pressed as the hot key.
#ifndef QT_WORDCOUNT_CHANGEKEYDIALOG_H
#define QT_WORDCOUNT_CHANGEKEYDIALOG_H

#include "ui/KeyDialogBox.h"

class ChangeKeyDialog : public LKeyDialogBox {
public:
    bool FilterMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;
};

#endif

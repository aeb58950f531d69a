// "Add to CSV File": appends the priced job to the CSV file the user names.
#ifndef QT_WORDCOUNT_ADDTOCSVDIALOG_H
#define QT_WORDCOUNT_ADDTOCSVDIALOG_H

#include "ui/Dialog.h"
#include "wordcount/CsvLog.h"

class AddToCsvDialog : public LDialog {
public:
    CsvJob job;   // the figures as shown, and the title once OK is pressed

    AddToCsvDialog(int characters, int words, int lines, double total);
    void InitDialog() override;
    bool CmOk() override;
    void CmHelp() override;
    void Command(WORD id, WORD code) override;
};

#endif

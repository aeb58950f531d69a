// "Add to CSV File": names the CSV file and the job title, then appends the job.
#include "wordcount/AddToCsvDialog.h"
#include "resources/resource.h"
#include "support/File.h"
#include "support/ProductNames.h"
#include "support/Settings.h"

AddToCsvDialog::AddToCsvDialog(int characters, int words, int lines, double total)
{
    job.characters = characters;
    job.words = words;
    job.lines = lines;
    job.total = total;
    job.jobTitle[0] = 0;
}

void AddToCsvDialog::InitDialog()
{
    char path[QT_PATH_SIZE];
    ReadSetting(QT_SETTINGS_SECTION, "CSVFilePath", "", path);
    // Longer text would be cut when read back and name another file.
    SendDlgItemMessageA(hwndDlg, IDC_CSVPATH, EM_LIMITTEXT, QT_PATH_SIZE - 1, 0);
    SendDlgItemMessageA(hwndDlg, IDC_JOBTITLE, EM_LIMITTEXT, QT_PATH_SIZE - 1, 0);
    SetDlgItemTextA(hwndDlg, IDC_CSVPATH, path);
    SetDlgItemTextA(hwndDlg, IDC_JOBTITLE, job.jobTitle);
}

bool AddToCsvDialog::CmOk()
{
    char path[QT_PATH_SIZE];
    GetItemText(IDC_CSVPATH, path);
    GetItemText(IDC_JOBTITLE, job.jobTitle);
    if (!AppendJobToCsv(job, path)) {
        // Keep the dialog open so that the path can be corrected.
        char text[512];
        if (path[0])
            wsprintfA(text, "The job was not added to the CSV file\r\n\r\n%s\r\n\r\n"
                            "Check that its folder exists, that you may write to it and "
                            "that no other program has the file open.", path);
        else
            lstrcpyA(text, "The job was not added: no CSV file is named.");
        MessageBoxA(hwndDlg, text, "Add to CSV File", MB_OK | MB_ICONEXCLAMATION);
        HWND box = GetDlgItem(hwndDlg, IDC_CSVPATH);
        SetFocus(box);
        SendMessageA(box, EM_SETSEL, 0, -1);
        return false;
    }
    WriteSetting(QT_SETTINGS_SECTION, "CSVFilePath", path);
    MessageBoxA(0, "Complete adding to CSV File.", "Confirmation", MB_OK);
    return true;
}

void AddToCsvDialog::CmHelp()
{
    DisplayHelpContents();
}

void AddToCsvDialog::Command(WORD id, WORD)
{
    if (id != IDC_CSVBROWSE)
        return;
    char path[QT_PATH_SIZE];
    char folder[QT_PATH_SIZE] = "";
    GetItemText(IDC_CSVPATH, path);
    if (LFile::ChooseFileToSave(path, "Locate CSV File", folder, "csv", "CSV Files\0*.csv\0"))
        SetDlgItemTextA(hwndDlg, IDC_CSVPATH, path);
}

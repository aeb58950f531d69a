// Resource and control identifiers shared by the .rc files and the code.
#ifndef QT_RESOURCE_H
#define QT_RESOURCE_H

// Templates, menu, pictures
#define IDD_WORDCOUNT        1
#define IDD_ADDTOCSV         2
#define IDD_CHANGEKEY        4
#define IDM_TRAY             1
#define IDI_QUILLTALLY       1
#define IDB_SPLASH           1
// Named templates: "AboutDlg", "LicenceTermsDlg", "LProgressDialog"

// Commands shared by every dialog
#define IDC_HELPBUTTON       9

// Main dialog (template 1)
#define IDC_SUMMARY          101
#define IDC_FIXEDCOST        102
#define IDC_CHARACTERS       103
#define IDC_COSTPERCHAR      104
#define IDC_CHARCOST         105
#define IDC_WORDS            106
#define IDC_COSTPERWORD      107
#define IDC_WORDCOST         108
#define IDC_CHARSPERLINE     109
#define IDC_LINES            110
#define IDC_COSTPERLINE      111
#define IDC_LINECOST         112
#define IDC_UPDATETEXT       113
#define IDC_ADDTOCSV         114
#define IDC_TOTALCOST        115
#define IDC_CHANGEKEY        116
#define IDC_HOTKEYON         117
#define IDC_ABOUT            118
#define IDC_AUTOSELECT       119
#define IDC_KEYNAME          120
#define IDC_TOGGLESETTINGS   122
#define IDC_STATUSLINE       123
#define IDC_SETTINGSGROUP    124
#define IDC_BANNER           125

// Tray menu
#define IDM_OPEN             1001
#define IDM_CLOSE            1002
#define IDM_EXIT             1003

// "Add to CSV File" (template 2)
#define IDC_CSVPATH          101
#define IDC_CSVBROWSE        102
#define IDC_JOBTITLE         103

// Progress window ("LProgressDialog")
#define IDC_PROGRESSTEXT0    100
#define IDC_PROGRESSTEXT1    101
#define IDC_PROGRESSBAR      102

// Terms page ("LicenceTermsDlg")
#define IDC_AGREE            101
#define IDC_DISAGREE         102

#endif

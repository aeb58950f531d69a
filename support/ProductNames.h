// Names the program writes in more than one place: product and maker, the
// registry keys and values it owns or adds to. Plain defines, so that the
// resource scripts can use them too.
#ifndef QT_SUPPORT_PRODUCTNAMES_H
#define QT_SUPPORT_PRODUCTNAMES_H

#include "support/Version.h"

#define QT_PRODUCT_NAME "Quilltally"
#define QT_MAKER_NAME "Corvane"
// "Quilltally v 1.03": the splash, the status line and setup's caption.
#define QT_PRODUCT_AND_VERSION QT_PRODUCT_NAME " v " QT_VERSION_TEXT

// HKEY_LOCAL_MACHINE: the settings store's sections are keys below this.
#define QT_SETTINGS_ROOT "Software\\" QT_MAKER_NAME "\\" QT_PRODUCT_NAME
// Its sections: the program's settings, and the folders setup recorded.
#define QT_SETTINGS_SECTION "Settings"
#define QT_FOLDERS_SECTION "Folders"
#define QT_FOLDERS_PROGRAM "ProgramFiles"
#define QT_FOLDERS_DATA "DataFiles"

// The system's keys setup and the program write to.
#define QT_CURRENT_VERSION_KEY "Software\\Microsoft\\Windows\\CurrentVersion"
#define QT_RUN_KEY QT_CURRENT_VERSION_KEY "\\Run"
#define QT_SHELL_FOLDERS_KEY QT_CURRENT_VERSION_KEY "\\Explorer\\Shell Folders"
// Below QT_CURRENT_VERSION_KEY.
#define QT_UNINSTALL_SUBKEY "Uninstall\\" QT_PRODUCT_NAME
// The run-at-logon value under QT_RUN_KEY.
#define QT_RUN_VALUE QT_PRODUCT_NAME "Run"

#endif

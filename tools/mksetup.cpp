// mksetup: makes the setup file from the built program and the other payload
// files, given in file-table order.
//   mksetup <setup file> <qtally.exe> <app.hlp> <banner.htm> <banner.gif> <qtally-count.exe>
#include "setup/SetupLayout.h"

#include <stdio.h>

int main(int argc, char** argv)
{
    if (argc < 3) {
        fprintf(stderr, "usage: mksetup <setup file> <payload files in file-table order...>\n");
        return 2;
    }
    char error[600];
    if (!WriteSetupFile(argv[1], argv + 2, argc - 2, g_setupFiles, error, sizeof error)) {
        fprintf(stderr, "mksetup: %s\n", error);
        return 1;
    }
    return 0;
}

// "Add to CSV File", in-process against template 2.
#include <gtest/gtest.h>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>
#include "resources/resource.h"
#include "support/Settings.h"
#include "wordcount/AddToCsvDialog.h"
#include "ScriptedUi.h"
#include "tests/common/TestFiles.h"

using uiscript::FindThreadWindow;
using uiscript::Play;
using uiscript::Step;
using uiscript::WindowText;

namespace {

using namespace testfiles;

const LPCSTR kAddToCsv = MAKEINTRESOURCEA(IDD_ADDTOCSV);

// Today in the user's date order, worked out here independently.
std::string Today()
{
    time_t now = time(nullptr);
    tm* t = localtime(&now);
    int d = t->tm_mday, m = t->tm_mon + 1, y = t->tm_year % 100;
    char text[16];
    switch (GetProfileIntA("Intl", "iDate", 0)) {
    case 1: snprintf(text, sizeof text, "%02d/%02d/%02d", d, m, y); break;
    case 2: snprintf(text, sizeof text, "%02d/%02d/%02d", y, m, d); break;
    default: snprintf(text, sizeof text, "%02d/%02d/%02d", m, d, y); break;
    }
    return text;
}

std::string ItemText(HWND dialog, int id)
{
    char text[1024] = "";
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

std::string StoredPath()
{
    char path[260];
    ReadSetting("Settings", "CSVFilePath", "<none>", path);
    return path;
}

// The file name box of the save dialog.
HWND FileNameEdit(HWND fileDialog)
{
    std::vector<HWND> edits = testwin::ChildWindows(fileDialog, "Edit");
    return edits.empty() ? 0 : edits.front();
}

class CsvDialogTest : public ::testing::Test {
protected:
    std::string folder;

    void SetUp() override
    {
        g_hInstance = GetModuleHandleA(NULL);
        folder = TempPath("qt-csvdialog-" + std::to_string(GetCurrentProcessId()));
        CreateDirectoryA(folder.c_str(), nullptr);
        WriteSetting("Settings", "CSVFilePath", (folder + "\\previous.csv").c_str());
    }
    void TearDown() override
    {
        for (const char* name : {"jobs.csv", "locked.csv", "chosen.csv", "previous.csv"})
            DeleteFileA((folder + "\\" + name).c_str());
        RemoveDirectoryA(folder.c_str());
    }
};

TEST_F(CsvDialogTest, OkAppendsTheJobStoresThePathAndConfirms)
{
    const std::string path = folder + "\\jobs.csv";
    const std::string title = "Chapter \"1\", draft";
    AddToCsvDialog dialog(1234, 200, 15, 3.456);
    std::string shownPath, shownTitle, confirmation;
    HWND confirmationOwner = (HWND)-1;
    std::vector<Step> steps = {
        [&] {
            shownPath = ItemText(dialog.hwndDlg, IDC_CSVPATH);
            shownTitle = ItemText(dialog.hwndDlg, IDC_JOBTITLE);
            SetDlgItemTextA(dialog.hwndDlg, IDC_CSVPATH, path.c_str());
            SetDlgItemTextA(dialog.hwndDlg, IDC_JOBTITLE, title.c_str());
            PostMessageA(dialog.hwndDlg, WM_COMMAND, IDOK, 0);
            return true;
        },
        [&] {
            HWND box = FindThreadWindow("Confirmation");
            if (!box)
                return false;
            confirmation = uiscript::MessageBoxText(box);
            confirmationOwner = GetWindow(box, GW_OWNER);
            PostMessageA(box, WM_COMMAND, IDOK, 0);
            return true;
        },
    };
    bool ok = false;
    std::string before = Today();
    uiscript::Outcome outcome = Play(steps, [&] { ok = dialog.Open(0, kAddToCsv); });
    std::string after = Today();

    EXPECT_FALSE(outcome.timedOut);
    EXPECT_TRUE(ok);
    EXPECT_EQ(shownPath, folder + "\\previous.csv");
    EXPECT_EQ(shownTitle, "");
    EXPECT_EQ(confirmation, "Complete adding to CSV File.");
    EXPECT_EQ(confirmationOwner, (HWND)0);
    EXPECT_EQ(StoredPath(), path);
    std::string rest = ", \"" + title + "\", 1234, 200, 15, 3.46 \r\n";
    std::string written = ReadText(path);
    EXPECT_TRUE(written == before + rest || written == after + rest) << written;
}

TEST_F(CsvDialogTest, FailedAppendShowsAnErrorKeepsTheDialogOpenAndStoresNothing)
{
    const std::string locked = folder + "\\locked.csv";
    ASSERT_TRUE(WriteText(locked, "kept bytes"));
    HANDLE holder = CreateFileA(locked.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);

    const std::string cases[] = {"", folder + "\\missing\\jobs.csv", locked};
    for (const std::string& path : cases) {
        SCOPED_TRACE("path: " + path);
        AddToCsvDialog dialog(10, 2, 1, 1.5);
        std::string error;
        bool stillOpen = false, confirmed = false;
        std::vector<Step> steps = {
            [&] {
                SetDlgItemTextA(dialog.hwndDlg, IDC_CSVPATH, path.c_str());
                SetDlgItemTextA(dialog.hwndDlg, IDC_JOBTITLE, "job");
                PostMessageA(dialog.hwndDlg, WM_COMMAND, IDOK, 0);
                return true;
            },
            [&] {
                HWND box = FindThreadWindow("Add to CSV File", dialog.hwndDlg);
                if (!box)
                    return false;
                error = uiscript::MessageBoxText(box);
                PostMessageA(box, WM_COMMAND, IDOK, 0);
                return true;
            },
            [&] {
                stillOpen = IsWindow(dialog.hwndDlg);
                confirmed = FindThreadWindow("Confirmation") != 0;
                PostMessageA(dialog.hwndDlg, WM_COMMAND, IDCANCEL, 0);
                return true;
            },
        };
        bool ok = true;
        uiscript::Outcome outcome = Play(steps, [&] { ok = dialog.Open(0, kAddToCsv); });

        EXPECT_FALSE(outcome.timedOut);
        EXPECT_FALSE(ok);
        EXPECT_TRUE(stillOpen);
        EXPECT_FALSE(confirmed);
        EXPECT_NE(error.find("not added"), std::string::npos) << error;
        EXPECT_NE(error.find(path), std::string::npos) << error;
        EXPECT_EQ(StoredPath(), folder + "\\previous.csv");
    }
    CloseHandle(holder);
    EXPECT_EQ(ReadText(locked), "kept bytes");
    EXPECT_EQ(GetFileAttributesA((folder + "\\missing").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(CsvDialogTest, BrowseOffersCsvFilesAndFillsTheBoxOnlyWhenAFileIsChosen)
{
    AddToCsvDialog dialog(0, 0, 0, 0);
    std::string offeredName, filter, afterChoice, afterCancel;
    bool ownedByDialog = false;
    auto clickBrowse = [&] {
        PostMessageA(dialog.hwndDlg, WM_COMMAND, MAKEWPARAM(IDC_CSVBROWSE, BN_CLICKED), 0);
        return true;
    };
    auto fileDialogGone = [] { return FindThreadWindow("Locate CSV File") == 0; };
    std::vector<Step> steps = {
        clickBrowse,
        [&] {
            HWND fileDialog = FindThreadWindow("Locate CSV File");
            HWND edit = fileDialog ? FileNameEdit(fileDialog) : 0;
            if (!edit || !IsWindowVisible(fileDialog))
                return false;
            ownedByDialog = GetWindow(fileDialog, GW_OWNER) == dialog.hwndDlg;
            offeredName = WindowText(edit);
            filter = ItemText(fileDialog, 0x470);   // the file type box
            SetWindowTextA(edit, "chosen");
            PostMessageA(fileDialog, WM_COMMAND, IDOK, 0);
            return true;
        },
        fileDialogGone,
        [&] {
            afterChoice = ItemText(dialog.hwndDlg, IDC_CSVPATH);
            SetDlgItemTextA(dialog.hwndDlg, IDC_CSVPATH, "typed.csv");
            return true;
        },
        clickBrowse,
        [&] {
            HWND fileDialog = FindThreadWindow("Locate CSV File");
            if (!fileDialog || !IsWindowVisible(fileDialog))
                return false;
            PostMessageA(fileDialog, WM_COMMAND, IDCANCEL, 0);
            return true;
        },
        fileDialogGone,
        [&] {
            afterCancel = ItemText(dialog.hwndDlg, IDC_CSVPATH);
            PostMessageA(dialog.hwndDlg, WM_COMMAND, IDCANCEL, 0);
            return true;
        },
    };
    uiscript::Outcome outcome = Play(steps, [&] { dialog.Open(0, kAddToCsv); });

    EXPECT_FALSE(outcome.timedOut);
    EXPECT_TRUE(ownedByDialog);
    EXPECT_EQ(offeredName, "previous.csv");
    EXPECT_EQ(filter, "CSV Files");
    EXPECT_EQ(afterChoice, folder + "\\chosen.csv");
    EXPECT_EQ(afterCancel, "typed.csv");
    EXPECT_EQ(StoredPath(), folder + "\\previous.csv");
    EXPECT_EQ(GetFileAttributesA((folder + "\\chosen.csv").c_str()), INVALID_FILE_ATTRIBUTES);
}

}

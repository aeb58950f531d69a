// The main dialog in this process: status line, colours, saving at exit and
// at the session's end, hot key registration, tray callback, hot key press.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "resources/resource.h"
#include "tests/common/TestClipboard.h"
#include "tests/common/TestRegistry.h"
#include "wordcount/WordCountDialog.h"

namespace {

using testreg::kRunKey;
using testreg::kSettingsKey;

std::string RegistryText(const char* key, const char* value)
{
    std::string text;
    return testreg::ReadText(key, value, &text) ? text : "<missing>";
}

std::string Clipboard()
{
    std::string text;
    return testclip::ReadText(&text) ? text : "<none>";
}

class WordCountDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_hInstance = GetModuleHandleA(0);
        testreg::ResetProductState();
        hwnd = CreateDialogParamA(g_hInstance, MAKEINTRESOURCEA(IDD_WORDCOUNT), 0, LDialog::StaticDialogProc,
                                  reinterpret_cast<LPARAM>(&dialog));
        ASSERT_TRUE(hwnd);
        ShowWindow(hwnd, SW_SHOW);
    }
    void TearDown() override
    {
        if (IsWindow(hwnd))
            DestroyWindow(hwnd);
        testreg::ResetProductState();
    }
    std::string Text(int id)
    {
        char text[300] = "";
        GetDlgItemTextA(hwnd, id, text, sizeof text);
        return text;
    }
    INT_PTR Dispatch(UINT msg, WPARAM wParam, LPARAM lParam)
    {
        return LDialog::StaticDialogProc(hwnd, msg, wParam, lParam);
    }
    // True when this thread may take Shift+F8, i.e. nobody holds it.
    static bool ShiftF8IsFree()
    {
        if (!RegisterHotKey(0, 7, MOD_SHIFT, VK_F8))
            return false;
        UnregisterHotKey(0, 7);
        return true;
    }

    WordCountDialog dialog;
    HWND hwnd = 0;
};

TEST_F(WordCountDialogTest, StatusLineRotatesThroughItsTextsAndStartsOver)
{
    std::vector<std::string> shown;
    for (int i = 0; i < 11; ++i) {
        dialog.RotateStatusText(1);
        shown.push_back(Text(IDC_STATUSLINE));
    }
    EXPECT_EQ(shown[0], "Quilltally v 1.03");
    for (size_t i = 0; i < shown.size(); ++i) {
        EXPECT_FALSE(shown[i].empty()) << i;
        EXPECT_EQ(shown[i], shown[i % 5]) << i;   // five texts, round and round
    }
    for (size_t i = 1; i < 5; ++i)
        EXPECT_NE(shown[i], shown[i - 1]);
    // Another timer only stops.
    dialog.RotateStatusText(2);
    EXPECT_EQ(Text(IDC_STATUSLINE), shown.back());
}

TEST_F(WordCountDialogTest, StatusLineIsWhiteOnGreyAndOtherStaticsKeepTheirColours)
{
    for (int id : {IDC_STATUSLINE, IDC_TOTALCOST}) {
        HWND control = GetDlgItem(hwnd, id);
        HDC dc = GetDC(control);
        SetTextColor(dc, RGB(1, 2, 3));
        INT_PTR brush = Dispatch(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control));
        if (id == IDC_STATUSLINE) {
            EXPECT_EQ(brush, reinterpret_cast<INT_PTR>(GetStockObject(GRAY_BRUSH)));
            EXPECT_EQ(GetTextColor(dc), RGB(255, 255, 255));
            EXPECT_EQ(GetBkMode(dc), TRANSPARENT);
        } else {
            EXPECT_EQ(brush, 0);
            EXPECT_EQ(GetTextColor(dc), RGB(1, 2, 3));
        }
        ReleaseDC(control, dc);
    }
}

TEST_F(WordCountDialogTest, SettingsAreSavedOnceAtExitAndAtTheSessionsEnd)
{
    char program[MAX_PATH];
    GetModuleFileNameA(0, program, sizeof program);
    for (bool sessionEnd : {false, true}) {
        SCOPED_TRACE(sessionEnd ? "session end" : "exit");
        if (!IsWindow(hwnd))
            SetUp();
        SetDlgItemTextA(hwnd, IDC_COSTPERWORD, "0.07");
        SetDlgItemTextA(hwnd, IDC_CHARSPERLINE, "");
        if (sessionEnd)
            Dispatch(WM_ENDSESSION, 1, 0);
        else
            dialog.CmExit();
        EXPECT_EQ(dialog.hwndDlg, HWND(0));
        EXPECT_EQ(RegistryText(kSettingsKey, "CostPerWord"), "0.07");
        EXPECT_EQ(RegistryText(kSettingsKey, "CharacterPerLine"), "");
        EXPECT_EQ(RegistryText(kSettingsKey, "HotKeyOn"), "1");
        EXPECT_EQ(RegistryText(kRunKey, testreg::kRunValue), "\"" + std::string(program) + "\" /logon");
        // The window's destruction no longer reaches the object.
        ASSERT_TRUE(testreg::WriteText(kSettingsKey, "CostPerWord", "later"));
        DestroyWindow(hwnd);
        EXPECT_EQ(RegistryText(kSettingsKey, "CostPerWord"), "later");
        EXPECT_TRUE(ShiftF8IsFree()) << "hot key still registered";
        testreg::ResetProductState();
    }
}

TEST_F(WordCountDialogTest, EnableHotKeyRegistersTheKeyAndEnablesItsControls)
{
    EXPECT_EQ(Text(IDC_KEYNAME), "Shift+F8");
    EXPECT_FALSE(ShiftF8IsFree());
    for (bool on : {false, true}) {
        SendDlgItemMessageA(hwnd, IDC_HOTKEYON, BM_CLICK, 0, 0);
        EXPECT_EQ(IsDlgButtonChecked(hwnd, IDC_HOTKEYON) == BST_CHECKED, on);
        EXPECT_EQ(ShiftF8IsFree(), !on);
        for (int id : {IDC_CHANGEKEY, IDC_AUTOSELECT, IDC_KEYNAME})
            EXPECT_EQ(IsWindowEnabled(GetDlgItem(hwnd, id)) != 0, on) << id;
        EXPECT_EQ(Text(IDC_KEYNAME), "Shift+F8");   // shown either way
    }
}

TEST_F(WordCountDialogTest, TrayIconLeftClickOpensTheHiddenWindow)
{
    Dispatch(WM_COMMAND, IDM_CLOSE, 0);
    EXPECT_FALSE(IsWindowVisible(hwnd));
    EXPECT_EQ(Dispatch(WM_LNOTIFYICON, 24, WM_MOUSEMOVE), 1);
    EXPECT_FALSE(IsWindowVisible(hwnd));
    EXPECT_EQ(Dispatch(WM_LNOTIFYICON, 24, WM_LBUTTONUP), 1);
    EXPECT_TRUE(IsWindowVisible(hwnd));
}

TEST_F(WordCountDialogTest, HotKeyPressShowsTheWindowAndMeasuresTheClipboard)
{
    struct Case {
        bool autoSelect;
        const char* text;
        const char* characters;
        const char* words;
    };
    // With the option on, our own window in front gets no keys: a copy from
    // one of its boxes would have replaced the clipboard.
    for (Case c : {Case{false, "one two three", "13", "3"}, Case{true, "four, five", "10", "2"}}) {
        SCOPED_TRACE(c.autoSelect ? "auto select" : "clipboard only");
        if ((IsDlgButtonChecked(hwnd, IDC_AUTOSELECT) == BST_CHECKED) != c.autoSelect)
            SendDlgItemMessageA(hwnd, IDC_AUTOSELECT, BM_CLICK, 0, 0);
        SetFocus(GetDlgItem(hwnd, IDC_COSTPERWORD));
        ASSERT_TRUE(testclip::SetText(c.text));
        ShowWindow(hwnd, SW_HIDE);
        EXPECT_EQ(Dispatch(WM_HOTKEY, 0, MAKELPARAM(MOD_SHIFT, VK_F8)), 1);
        EXPECT_TRUE(IsWindowVisible(hwnd));
        EXPECT_EQ(Text(IDC_CHARACTERS), c.characters);
        EXPECT_EQ(Text(IDC_WORDS), c.words);
        EXPECT_EQ(Clipboard(), c.text);
    }
}

} // namespace

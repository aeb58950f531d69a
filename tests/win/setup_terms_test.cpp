// The terms page: its text, and Next only after agreement.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <windows.h>

#include "ScriptedUi.h"
#include "resources/resource.h"
#include "setup/LicenceTermsDialog.h"

namespace {

const char kCaption[] = "Quilltally Software Licence Terms";

bool Checked(HWND page, int id)
{
    return IsDlgButtonChecked(page, id) == BST_CHECKED;
}

HWND TermsEdit(HWND page)
{
    return FindWindowExA(page, 0, "Edit", nullptr);
}

class TermsTest : public ::testing::Test {
protected:
    void SetUp() override { g_hInstance = GetModuleHandleA(nullptr); }

    // Opens the page while the steps play; each step gets the page window.
    bool OpenWith(std::vector<std::function<void(HWND)>> actions, size_t* actionsRun)
    {
        std::vector<uiscript::Step> steps;
        for (auto& action : actions)
            steps.push_back([action] {
                HWND page = uiscript::FindThreadWindow(kCaption);
                if (!page)
                    return false;
                action(page);
                return true;
            });
        LicenceTermsDialog dialog;
        bool result = false;
        uiscript::Outcome outcome = uiscript::Play(steps, [&] { result = dialog.Open(0, "LicenceTermsDlg"); });
        EXPECT_FALSE(outcome.timedOut);
        *actionsRun = outcome.stepsRun;
        return result;
    }
};

TEST_F(TermsTest, OpensWithNothingChosenAndANumberedTextThatScrolls)
{
    size_t run = 0;
    bool result = OpenWith({[](HWND page) {
        EXPECT_FALSE(Checked(page, IDC_AGREE));
        EXPECT_FALSE(Checked(page, IDC_DISAGREE));
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, IDOK)));
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(page, IDCANCEL)));
        EXPECT_FALSE(GetWindowLongPtrA(GetDlgItem(page, IDOK), GWL_STYLE) & BS_DEFPUSHBUTTON);
        EXPECT_FALSE(GetWindowLongPtrA(page, GWL_STYLE) & WS_SYSMENU);   // no close box

        HWND edit = TermsEdit(page);
        ASSERT_NE(edit, nullptr);
        EXPECT_TRUE(GetWindowLongPtrA(edit, GWL_STYLE) & ES_READONLY);
        // The reader starts at the top, with nothing selected.
        EXPECT_EQ(SendMessageA(edit, EM_GETFIRSTVISIBLELINE, 0, 0), 0);
        DWORD start = 1, end = 2;
        SendMessageA(edit, EM_GETSEL, (WPARAM)&start, (LPARAM)&end);
        EXPECT_EQ(start, end);
        char text[8192] = "";
        GetWindowTextA(edit, text, sizeof text);
        std::string terms = text;
        EXPECT_EQ(terms.rfind("1. ", 0), 0u);
        for (int n = 2; n <= 10; ++n)
            EXPECT_NE(terms.find("\r\n" + std::to_string(n) + ". "), std::string::npos) << n;
        // More lines than the box shows: the text fills it and scrolls.
        RECT box;
        SendMessageA(edit, EM_GETRECT, 0, (LPARAM)&box);
        HDC dc = GetDC(edit);
        HGDIOBJ old = SelectObject(dc, (HGDIOBJ)SendMessageA(edit, WM_GETFONT, 0, 0));
        TEXTMETRICA metrics;
        GetTextMetricsA(dc, &metrics);
        SelectObject(dc, old);
        ReleaseDC(edit, dc);
        int visible = (box.bottom - box.top) / metrics.tmHeight;
        int lines = (int)SendMessageA(edit, EM_GETLINECOUNT, 0, 0);
        EXPECT_GT(lines, visible + 5);
        EXPECT_LT(lines, visible * 4);
        PostMessageA(page, WM_COMMAND, IDCANCEL, 0);
    }},
                           &run);
    EXPECT_EQ(run, 1u);
    EXPECT_FALSE(result);
}

TEST_F(TermsTest, NextOnlyAfterAgreement)
{
    size_t run = 0;
    bool result = OpenWith(
        {
            // Enter and Next before any choice leave the page open.
            [](HWND page) {
                HWND focus = GetFocus();
                EXPECT_TRUE(IsChild(page, focus));
                PostMessageA(focus, WM_KEYDOWN, VK_RETURN, 0x001C0001);
                PostMessageA(focus, WM_KEYUP, VK_RETURN, 0xC01C0001);
                PostMessageA(page, WM_COMMAND, IDOK, 0);
            },
            [](HWND page) {
                EXPECT_FALSE(Checked(page, IDC_AGREE));
                SendDlgItemMessageA(page, IDC_AGREE, BM_CLICK, 0, 0);
                EXPECT_TRUE(IsWindowEnabled(GetDlgItem(page, IDOK)));
                SendDlgItemMessageA(page, IDC_DISAGREE, BM_CLICK, 0, 0);
                EXPECT_FALSE(Checked(page, IDC_AGREE));
                EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, IDOK)));
                PostMessageA(page, WM_COMMAND, IDOK, 0);
            },
            [](HWND page) {
                SendDlgItemMessageA(page, IDC_AGREE, BM_CLICK, 0, 0);
                SendDlgItemMessageA(page, IDOK, BM_CLICK, 0, 0);
            },
        },
        &run);
    EXPECT_EQ(run, 3u);
    EXPECT_TRUE(result);

    // Cancel after agreeing is still no.
    result = OpenWith({[](HWND page) {
                           SendDlgItemMessageA(page, IDC_AGREE, BM_CLICK, 0, 0);
                           SendDlgItemMessageA(page, IDCANCEL, BM_CLICK, 0, 0);
                       }},
                      &run);
    EXPECT_EQ(run, 1u);
    EXPECT_FALSE(result);
}

}

// The progress window: its run, its two lines and bar, and Cancel.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>

#include <windows.h>
#include <commctrl.h>

#include "resources/resource.h"
#include "ui/Dialog.h"
#include "ui/ProgressDialog.h"

namespace {

const ProgressDialogIds kIds = {"LProgressDialog", IDC_PROGRESSTEXT0, IDC_PROGRESSTEXT1, IDC_PROGRESSBAR};

// Runs the given work as MainFunction.
class WorkDialog : public LProgressDialog {
public:
    explicit WorkDialog(std::function<bool(WorkDialog&)> work)
        : LProgressDialog("Progress Title", kIds), work_(std::move(work)) {}
    bool MainFunction() override
    {
        ++calls;
        return work_(*this);
    }
    int calls = 0;

private:
    std::function<bool(WorkDialog&)> work_;
};

std::string ItemText(HWND dialog, int id)
{
    char text[260] = "";
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

int BarPosition(HWND dialog)
{
    return (int)SendDlgItemMessageA(dialog, IDC_PROGRESSBAR, PBM_GETPOS, 0, 0);
}

class ProgressDialogTest : public ::testing::Test {
protected:
    void SetUp() override { g_hInstance = GetModuleHandleA(nullptr); }
};

TEST_F(ProgressDialogTest, RunShowsWindowForTheWorkAndRemovesIt)
{
    HWND seen = 0;
    WorkDialog dialog([&](WorkDialog& d) {
        seen = d.hwndDlg;
        EXPECT_TRUE(IsWindow(seen));
        EXPECT_TRUE(IsWindowVisible(seen));
        char caption[100] = "";
        GetWindowTextA(seen, caption, sizeof caption);
        EXPECT_STREQ(caption, "Progress Title");
        EXPECT_EQ(ItemText(seen, IDC_PROGRESSTEXT0), "");
        EXPECT_EQ(ItemText(seen, IDC_PROGRESSTEXT1), "");
        EXPECT_EQ(BarPosition(seen), 0);
        // No close box: Cancel is the only way out.
        EXPECT_FALSE(GetWindowLongPtrA(seen, GWL_STYLE) & WS_SYSMENU);
        EXPECT_NE(GetDlgItem(seen, IDCANCEL), nullptr);
        EXPECT_FALSE(d.CheckCancel());   // empty queue, open window
        // Already open: refused without calling the work again.
        EXPECT_FALSE(d.Run(0));
        return true;
    });
    EXPECT_TRUE(dialog.Run(0));
    EXPECT_EQ(dialog.calls, 1);
    EXPECT_FALSE(IsWindow(seen));
    EXPECT_EQ(dialog.hwndDlg, nullptr);

    // The same object runs again, and Run passes false back too.
    WorkDialog failing([](WorkDialog&) { return false; });
    EXPECT_FALSE(failing.Run(0));
    EXPECT_FALSE(failing.Run(0));
    EXPECT_EQ(failing.calls, 2);
}

TEST_F(ProgressDialogTest, OwnerIsDisabledDuringTheRun)
{
    HWND owner = CreateWindowA("STATIC", "owner", WS_POPUP, 0, 0, 10, 10, 0, 0, 0, 0);
    ASSERT_NE(owner, nullptr);
    bool enabledDuring = true;
    HWND ownerOfWindow = 0;
    WorkDialog dialog([&](WorkDialog& d) {
        enabledDuring = IsWindowEnabled(owner);
        ownerOfWindow = GetWindow(d.hwndDlg, GW_OWNER);
        return true;
    });
    EXPECT_TRUE(dialog.Run(owner));
    EXPECT_FALSE(enabledDuring);
    EXPECT_EQ(ownerOfWindow, owner);
    EXPECT_TRUE(IsWindowEnabled(owner));
    DestroyWindow(owner);
}

TEST_F(ProgressDialogTest, TextLinesAndClampedBar)
{
    WorkDialog dialog([](WorkDialog& d) {
        HWND w = d.hwndDlg;
        d.SetText("first", 0);
        d.SetText("second", 1);
        d.SetText("ignored", 2);
        d.SetText("ignored", -1);
        EXPECT_EQ(ItemText(w, IDC_PROGRESSTEXT0), "first");
        EXPECT_EQ(ItemText(w, IDC_PROGRESSTEXT1), "second");

        struct Case {
            double fraction;
            int position;
        } cases[] = {
            {0.5, 50}, {0.999, 99}, {1.0, 100}, {0.0, 0}, {0.014, 1},
            {-0.25, 0}, {1.5, 100}, {-1e300, 0}, {1e300, 100}, {std::nan(""), 0},
        };
        for (const Case& c : cases) {
            d.SetProgress(0.33);   // something else first, so every case must move the bar
            d.SetProgress(c.fraction);
            EXPECT_EQ(BarPosition(w), c.position) << c.fraction;
        }
        return true;
    });
    EXPECT_TRUE(dialog.Run(0));
}

TEST_F(ProgressDialogTest, CancelClosesAtOnceAndLaterChecksLeaveTheQueueAlone)
{
    HWND window = 0;
    bool afterCancel = false, queueKept = false;
    WorkDialog dialog([&](WorkDialog& d) {
        window = d.hwndDlg;
        d.SetText("before", 1);
        PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
        EXPECT_EQ(d.hwndDlg, window);   // nothing happens until the queue is served
        afterCancel = d.CheckCancel();
        EXPECT_EQ(d.hwndDlg, nullptr);
        EXPECT_FALSE(IsWindow(window));

        PostThreadMessageA(GetCurrentThreadId(), WM_APP + 7, 0, 0);
        EXPECT_TRUE(d.CheckCancel());
        MSG msg;
        queueKept = PeekMessageA(&msg, 0, WM_APP + 7, WM_APP + 7, PM_REMOVE) != 0;

        // Harmless once the window is gone.
        d.SetText("after", 1);
        d.SetProgress(0.5);
        return false;
    });
    EXPECT_FALSE(dialog.Run(0));
    EXPECT_TRUE(afterCancel);
    EXPECT_TRUE(queueKept);
    EXPECT_EQ(dialog.hwndDlg, nullptr);
}

// A window of the thread that counts what reaches it.
int g_appMessages = 0;
LRESULT CALLBACK CountingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_APP)
        ++g_appMessages;
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

TEST_F(ProgressDialogTest, CheckCancelServesEveryWindowAndTheEscapeKey)
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = CountingProc;
    wc.hInstance = g_hInstance;
    wc.lpszClassName = "QtProgressTestCounter";
    RegisterClassA(&wc);
    HWND counter = CreateWindowA(wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, 0, g_hInstance, 0);
    ASSERT_NE(counter, nullptr);

    g_appMessages = 0;
    bool cancelledByEscape = false;
    WorkDialog dialog([&](WorkDialog& d) {
        PostMessageA(counter, WM_APP, 0, 0);
        PostMessageA(counter, WM_APP, 0, 0);
        EXPECT_FALSE(d.CheckCancel());
        EXPECT_EQ(g_appMessages, 2);
        // Esc goes through the dialog manager and becomes Cancel.
        HWND focus = GetDlgItem(d.hwndDlg, IDCANCEL);
        PostMessageA(focus, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
        PostMessageA(focus, WM_KEYUP, VK_ESCAPE, 0xC0010001);
        cancelledByEscape = d.CheckCancel();
        return false;
    });
    EXPECT_FALSE(dialog.Run(0));
    EXPECT_TRUE(cancelledByEscape);
    DestroyWindow(counter);
}

TEST_F(ProgressDialogTest, WindowWithoutObjectStillClosesOnCancel)
{
    HWND window = CreateDialogParamA(g_hInstance, "LProgressDialog", 0, LProgressDialog::DialogProc, 0);
    ASSERT_NE(window, nullptr);
    SendMessageA(window, WM_COMMAND, IDCANCEL, 0);
    EXPECT_FALSE(IsWindow(window));
}

}

// The key capture dialog and "Change Key", in-process against template 4.
#include <gtest/gtest.h>
#include <vector>
#include "resources/resource.h"
#include "support/Settings.h"
#include "ui/KeyDialogBox.h"
#include "wordcount/ChangeKeyDialog.h"
#include "ScriptedUi.h"
#include "tests/common/TestRegistry.h"

using uiscript::Play;
using uiscript::SetModifiers;
using uiscript::Step;

namespace {

const LPCSTR kChangeKey = MAKEINTRESOURCEA(IDD_CHANGEKEY);

void DeleteHotKeySettings()
{
    testreg::DeleteValue(testreg::kSettingsKey, "HotKey");
    testreg::DeleteValue(testreg::kSettingsKey, "HotKeyModifier");
}

class KeyDialogTest : public ::testing::Test {
protected:
    HWND owner = 0;

    void SetUp() override
    {
        g_hInstance = GetModuleHandleA(NULL);
        owner = CreateWindowExA(0, "STATIC", "owner", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50,
                                0, 0, g_hInstance, 0);
        ASSERT_TRUE(owner);
        DeleteHotKeySettings();
    }
    void TearDown() override
    {
        SetModifiers(false, false, false);
        DestroyWindow(owner);
        DeleteHotKeySettings();
    }
};

// Records what the default filter makes of key messages.
class RecordingKeyBox : public LKeyDialogBox {
public:
    std::vector<DWORD> downs, ups;
    int destroyed = 0;
    bool KeyDown(DWORD code) override
    {
        downs.push_back(code);
        return (code & 0xFFFF) == VK_ESCAPE;   // consumed: Esc must not cancel
    }
    bool KeyUp(DWORD code) override
    {
        ups.push_back(code);
        return false;
    }
    void DestroyDialog() override { destroyed++; }
};

struct Press {
    const char* name;
    bool ctrl, alt, shift;
    UINT msg;
    WPARAM vk;
    bool stores;        // a new hot key is stored and the dialog closes
    bool closes;        // the dialog closes (stored or cancelled)
};

const Press kPresses[] = {
    {"Ctrl+Q", true, false, false, WM_KEYDOWN, 'Q', true, true},
    {"Alt+F5 as a system key", false, true, false, WM_SYSKEYDOWN, VK_F5, true, true},
    {"Ctrl+Shift+F8", true, false, true, WM_KEYDOWN, VK_F8, true, true},
    {"Ctrl+Alt+Shift+Home", true, true, true, WM_SYSKEYDOWN, VK_HOME, true, true},
    {"plain letter", false, false, false, WM_KEYDOWN, 'A', true, true},
    {"Enter", false, false, false, WM_KEYDOWN, VK_RETURN, false, false},
    {"Ctrl+Enter", true, false, false, WM_KEYDOWN, VK_RETURN, false, false},
    {"Shift alone", false, false, true, WM_KEYDOWN, VK_SHIFT, false, false},
    {"Ctrl alone", true, false, false, WM_KEYDOWN, VK_CONTROL, false, false},
    {"Alt alone", false, true, false, WM_SYSKEYDOWN, VK_MENU, false, false},
    {"key up only", true, false, false, WM_KEYUP, 'Q', false, false},
    {"Esc", false, false, false, WM_KEYDOWN, VK_ESCAPE, false, true},
};

TEST_F(KeyDialogTest, ChangeKeyStoresOnlyRealKeysAndClosesOnThemOrEsc)
{
    for (const Press& press : kPresses) {
        SCOPED_TRACE(press.name);
        DeleteHotKeySettings();
        ChangeKeyDialog dialog;
        HWND window = 0;
        bool ownerDisabled = false, stillOpen = false;
        bool opened = false;
        std::vector<Step> steps = {
            [&] {
                window = dialog.hwndDlg;
                ownerDisabled = !IsWindowEnabled(owner);
                SetModifiers(press.ctrl, press.alt, press.shift);
                PostMessageA(window, press.msg, press.vk, 1);
                return true;
            },
            [&] {
                stillOpen = IsWindow(window) && dialog.hwndDlg == window;
                SetModifiers(false, false, false);
                PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
                return true;
            },
        };
        uiscript::Outcome outcome = Play(steps, [&] { opened = dialog.Open(owner, kChangeKey); });
        SetModifiers(false, false, false);

        EXPECT_TRUE(opened);
        EXPECT_FALSE(outcome.timedOut);
        EXPECT_TRUE(ownerDisabled);
        EXPECT_TRUE(IsWindowEnabled(owner));
        EXPECT_EQ(dialog.hwndDlg, (HWND)0);
        EXPECT_FALSE(IsWindow(window));
        EXPECT_EQ(outcome.stepsRun, press.closes ? 1u : 2u);
        EXPECT_EQ(stillOpen, !press.closes);
        int mask = (press.ctrl ? MOD_CONTROL : 0) | (press.alt ? MOD_ALT : 0) |
                   (press.shift ? MOD_SHIFT : 0);
        EXPECT_EQ(ReadSettingInt("Settings", "HotKey", -1), press.stores ? (int)press.vk : -1);
        EXPECT_EQ(ReadSettingInt("Settings", "HotKeyModifier", -1), press.stores ? mask : -1);
    }
}

TEST_F(KeyDialogTest, DefaultFilterReportsKeysWithModifiersAndDropsConsumedOnes)
{
    RecordingKeyBox box;
    bool stillOpen = false;
    auto post = [&](bool ctrl, bool alt, bool shift, UINT msg, WPARAM vk) -> Step {
        return [&box, ctrl, alt, shift, msg, vk] {
            SetModifiers(ctrl, alt, shift);
            PostMessageA(box.hwndDlg, msg, vk, 1);
            return true;
        };
    };
    std::vector<Step> steps = {
        post(true, false, true, WM_KEYDOWN, 'Q'),
        post(false, true, false, WM_SYSKEYDOWN, VK_F5),
        post(false, true, false, WM_SYSKEYUP, VK_F5),
        post(false, false, false, WM_KEYUP, 'Q'),
        post(false, false, false, WM_CHAR, 'q'),
        post(false, false, false, WM_KEYDOWN, VK_ESCAPE),
        [&] {
            stillOpen = IsWindow(box.hwndDlg);
            PostMessageA(box.hwndDlg, WM_COMMAND, IDCANCEL, 0);
            return true;
        },
    };
    bool opened = false;
    Play(steps, [&] { opened = box.Open(owner, kChangeKey); });

    EXPECT_TRUE(opened);
    EXPECT_TRUE(stillOpen);
    std::vector<DWORD> downs = {'Q' | KEY_CTRL_DOWN | KEY_SHIFT_DOWN, VK_F5 | KEY_ALT_DOWN,
                                VK_ESCAPE};
    std::vector<DWORD> ups = {VK_F5 | KEY_ALT_DOWN, 'Q'};
    EXPECT_EQ(box.downs, downs);
    EXPECT_EQ(box.ups, ups);
    EXPECT_EQ(box.destroyed, 1);
}

TEST_F(KeyDialogTest, OpenRefusesAnOpenObjectAndAMissingTemplate)
{
    ChangeKeyDialog dialog;
    bool second = true;
    int windows = 0;
    std::vector<Step> steps = {[&] {
        second = dialog.Open(owner, kChangeKey);
        windows = uiscript::CountThreadWindows("Change Key");
        PostMessageA(dialog.hwndDlg, WM_COMMAND, IDCANCEL, 0);
        return true;
    }};
    bool first = false;
    Play(steps, [&] { first = dialog.Open(owner, kChangeKey); });
    EXPECT_TRUE(first);
    EXPECT_FALSE(second);
    EXPECT_EQ(windows, 1);

    ChangeKeyDialog missing;
    EXPECT_FALSE(missing.Open(owner, MAKEINTRESOURCEA(999)));
    EXPECT_EQ(missing.hwndDlg, (HWND)0);
    EXPECT_TRUE(IsWindowEnabled(owner));
}

TEST_F(KeyDialogTest, QuitMessageClosesTheWindowAndIsPostedAgain)
{
    RecordingKeyBox box;
    HWND window = 0;
    std::vector<Step> steps = {[&] {
        window = box.hwndDlg;
        PostQuitMessage(7);
        return true;
    }};
    bool opened = false;
    Play(steps, [&] { opened = box.Open(owner, kChangeKey); });

    EXPECT_TRUE(opened);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(box.hwndDlg, (HWND)0);
    EXPECT_EQ(box.destroyed, 1);
    EXPECT_TRUE(IsWindowEnabled(owner));
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, 0, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 7u);
}

}

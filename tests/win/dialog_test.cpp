// The dialog framework: joining object and window, the base dispatch, modal
// and modeless runs, and the control helpers.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/Dialog.h"

namespace {

enum { ID_EDIT = 100, ID_STATIC = 101, ID_BUTTON = 102, ID_MISSING = 999 };

// A dialog template in memory: caption, font, an edit, a static and a button.
class TestTemplate {
public:
    TestTemplate()
    {
        DWORD style = DS_SETFONT | DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU;
        Dword(style);
        Dword(0);
        words_.push_back(3);                 // controls
        words_.insert(words_.end(), {0, 0, 200, 100});
        words_.push_back(0);                 // no menu
        words_.push_back(0);                 // standard class
        Text("Test");
        words_.push_back(8);
        Text("MS Sans Serif");
        // Disabled, so that no focus notifications mix with the calls under test.
        Item(ID_EDIT, 0x0081, "", WS_BORDER | WS_DISABLED, 10, 20, 30, 40);
        Item(ID_STATIC, 0x0082, "label", 0, 50, 10, 60, 8);
        Item(ID_BUTTON, 0x0080, "Push", BS_PUSHBUTTON | WS_TABSTOP, 120, 70, 50, 14);
    }
    const DLGTEMPLATE* get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

private:
    void Dword(DWORD v)
    {
        words_.push_back(LOWORD(v));
        words_.push_back(HIWORD(v));
    }
    void Text(const char* s)
    {
        while (*s)
            words_.push_back(static_cast<WORD>(*s++));
        words_.push_back(0);
    }
    void Item(WORD id, WORD atom, const char* text, DWORD style, short x, short y, short cx, short cy)
    {
        if (words_.size() % 2)
            words_.push_back(0);             // items start on a DWORD boundary
        Dword(WS_CHILD | WS_VISIBLE | style);
        Dword(0);
        words_.insert(words_.end(), {WORD(x), WORD(y), WORD(cx), WORD(cy), id, 0xFFFF, atom});
        Text(text);
        words_.push_back(0);                 // no creation data
    }
    std::vector<WORD> words_;
};

// Records every virtual call in order; OK and Cancel answer as told.
template <class Base>
class Probe : public Base {
public:
    std::vector<std::string> calls;
    bool okResult = true;
    bool cancelResult = true;
    std::vector<UINT> postAtInit;     // commands the window posts itself when it opens
    bool reopenResult = true;         // what a nested Open answered

    ~Probe() override {}
    void InitDialog() override
    {
        calls.push_back("InitDialog");
        for (UINT id : postAtInit)
            PostMessageA(this->hwndDlg, WM_COMMAND, id, 0);
        if (tryReopen)
            reopenResult = this->Open(0, "AboutDlg");
    }
    bool CmOk() override { calls.push_back("CmOk"); return okResult; }
    bool CmCancel() override { calls.push_back("CmCancel"); return cancelResult; }
    void CmHelp() override { calls.push_back("CmHelp"); }
    void EnableControls() override { calls.push_back("EnableControls"); }
    void Command(WORD id, WORD code) override
    {
        calls.push_back("Command " + std::to_string(id) + " " + std::to_string(code));
    }
    void DestroyDialog() override { calls.push_back("DestroyDialog"); }
    bool tryReopen = false;
};

using Calls = std::vector<std::string>;

HWND CreateModeless(const TestTemplate& t, LDialog* object)
{
    return CreateDialogIndirectParamA(GetModuleHandleA(0), t.get(), 0, LDialog::StaticDialogProc,
                                      reinterpret_cast<LPARAM>(object));
}

class DialogTest : public ::testing::Test {
protected:
    void SetUp() override { g_hInstance = GetModuleHandleA(0); }
    TestTemplate tmpl;
};

TEST_F(DialogTest, InitDialogJoinsObjectAndWindowThenInitialisesThenEnables)
{
    Probe<LDialog> probe;
    HWND hwnd = CreateModeless(tmpl, &probe);
    ASSERT_TRUE(hwnd);
    EXPECT_EQ(probe.hwndDlg, hwnd);
    EXPECT_EQ(GetWindowLongPtrA(hwnd, DWLP_USER), reinterpret_cast<LONG_PTR>(&probe));
    EXPECT_EQ(probe.calls, (Calls{"InitDialog", "EnableControls"}));
    DestroyWindow(hwnd);
}

TEST_F(DialogTest, BaseDispatchTable)
{
    struct Case {
        UINT msg;
        WPARAM wParam;
        INT_PTR result;
        Calls calls;
        bool detached;   // hwndDlg back to 0 afterwards
    };
    const Case cases[] = {
        {WM_HELP, 0, 1, {"CmHelp"}, false},
        {WM_COMMAND, IDHELP, 1, {"CmHelp"}, false},
        {WM_COMMAND, MAKEWPARAM(ID_EDIT, EN_CHANGE), 1, {"Command 100 768", "EnableControls"}, false},
        {WM_COMMAND, 1003, 1, {"Command 1003 0", "EnableControls"}, false},
        {WM_COMMAND, IDOK, 1, {"CmOk"}, false},          // CmOk refuses: stays open
        {WM_COMMAND, IDCANCEL, 1, {"CmCancel"}, false},  // likewise
        {WM_ENDSESSION, 0, 1, {}, false},
        {WM_ENDSESSION, 1, 1, {"DestroyDialog"}, true},
        {WM_DESTROY, 0, 0, {"DestroyDialog"}, true},
        {WM_TIMER, 1, 0, {}, false},
        {WM_USER + 7, 0, 0, {}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "message 0x" << std::hex << c.msg << " wParam " << c.wParam);
        Probe<LDialog> probe;
        probe.okResult = probe.cancelResult = false;
        HWND hwnd = CreateModeless(tmpl, &probe);
        ASSERT_TRUE(hwnd);
        probe.calls.clear();
        EXPECT_EQ(LDialog::StaticDialogProc(hwnd, c.msg, c.wParam, 0), c.result);
        EXPECT_EQ(probe.calls, c.calls);
        EXPECT_EQ(probe.hwndDlg, c.detached ? HWND(0) : hwnd);
        EXPECT_TRUE(IsWindow(hwnd));
        DestroyWindow(hwnd);
    }
}

TEST_F(DialogTest, CommandsFromControlsAndMenusGoThroughTheSystemLikeDirectOnes)
{
    Probe<LDialog> probe;
    HWND hwnd = CreateModeless(tmpl, &probe);
    ASSERT_TRUE(hwnd);
    probe.calls.clear();
    SendDlgItemMessageA(hwnd, ID_BUTTON, BM_CLICK, 0, 0);
    SendMessageA(hwnd, WM_COMMAND, IDHELP, 0);
    SendMessageA(hwnd, WM_COMMAND, MAKEWPARAM(1003, 1), 0);   // as an accelerator sends it
    EXPECT_EQ(probe.calls, (Calls{"Command 102 0", "EnableControls", "CmHelp",
                                  "Command 1003 1", "EnableControls"}));
    DestroyWindow(hwnd);
}

TEST_F(DialogTest, DestroyDialogRunsOnceWhetherTheSessionEndsFirstOrNot)
{
    for (bool sessionEndsFirst : {false, true}) {
        SCOPED_TRACE(sessionEndsFirst ? "session ends first" : "plain destroy");
        Probe<LDialog> probe;
        HWND hwnd = CreateModeless(tmpl, &probe);
        ASSERT_TRUE(hwnd);
        probe.calls.clear();
        if (sessionEndsFirst)
            SendMessageA(hwnd, WM_ENDSESSION, 1, 0);
        DestroyWindow(hwnd);
        EXPECT_EQ(probe.calls, (Calls{"DestroyDialog"}));
        EXPECT_EQ(probe.hwndDlg, HWND(0));
    }
}

TEST_F(DialogTest, WindowWithoutItsObjectIsLeftToTheSystem)
{
    // Creation parameter 0: a plain dialog.
    HWND plain = CreateModeless(tmpl, nullptr);
    ASSERT_TRUE(plain);
    EXPECT_EQ(GetWindowLongPtrA(plain, DWLP_USER), 0);
    EXPECT_EQ(LDialog::StaticDialogProc(plain, WM_INITDIALOG, 0, 0), 1);
    EXPECT_EQ(LDialog::StaticDialogProc(plain, WM_COMMAND, IDHELP, 0), 0);
    EXPECT_EQ(LDialog::StaticDialogProc(plain, WM_DESTROY, 0, 0), 0);

    // An object joined to another window gets nothing from this one.
    Probe<LDialog> probe;
    HWND own = CreateModeless(tmpl, &probe);
    ASSERT_TRUE(own);
    probe.calls.clear();
    SetWindowLongPtrA(plain, DWLP_USER, reinterpret_cast<LONG_PTR>(&probe));
    EXPECT_EQ(LDialog::StaticDialogProc(plain, WM_COMMAND, IDHELP, 0), 0);
    EXPECT_EQ(LDialog::StaticDialogProc(plain, WM_DESTROY, 0, 0), 0);
    EXPECT_TRUE(probe.calls.empty());
    EXPECT_EQ(probe.hwndDlg, own);
    SetWindowLongPtrA(plain, DWLP_USER, 0);
    DestroyWindow(plain);
    DestroyWindow(own);
}

TEST_F(DialogTest, OpenIsTrueOnlyForAnEndWithOk)
{
    struct Case {
        std::vector<UINT> commands;
        bool ok, cancel;
        bool result;
        Calls calls;
    };
    const Case cases[] = {
        {{IDOK}, true, true, true, {"CmOk", "DestroyDialog"}},
        {{IDCANCEL}, true, true, false, {"CmCancel", "DestroyDialog"}},
        // A refusing CmOk keeps the dialog open until Cancel agrees.
        {{IDOK, IDCANCEL}, false, true, false, {"CmOk", "CmCancel", "DestroyDialog"}},
    };
    for (const Case& c : cases) {
        Probe<LDialog> probe;
        probe.postAtInit = c.commands;
        probe.okResult = c.ok;
        probe.cancelResult = c.cancel;
        bool result = probe.Open(0, "AboutDlg");
        EXPECT_EQ(result, c.result);
        Calls expected{"InitDialog", "EnableControls"};
        expected.insert(expected.end(), c.calls.begin(), c.calls.end());
        EXPECT_EQ(probe.calls, expected);
        EXPECT_EQ(probe.hwndDlg, HWND(0));
    }
}

TEST_F(DialogTest, OpenRefusesAnOpenObjectAndWorksAgainOnceClosed)
{
    Probe<LDialog> probe;
    probe.tryReopen = true;
    probe.postAtInit = {IDOK};
    EXPECT_TRUE(probe.Open(0, "AboutDlg"));
    EXPECT_FALSE(probe.reopenResult);
    // The nested call showed nothing: one window, initialised once.
    EXPECT_EQ(probe.calls, (Calls{"InitDialog", "EnableControls", "CmOk", "DestroyDialog"}));

    probe.tryReopen = false;
    probe.calls.clear();
    EXPECT_TRUE(probe.Open(0, "AboutDlg"));
    EXPECT_EQ(probe.calls.front(), "InitDialog");

    Probe<LDialog> missing;
    EXPECT_FALSE(missing.Open(0, "NoSuchTemplate"));
    EXPECT_TRUE(missing.calls.empty());
}

TEST_F(DialogTest, ModelessOkAndCancelDestroyTheWindowWhenAllowed)
{
    struct Case {
        UINT id;
        bool allowed;
    };
    for (Case c : {Case{IDOK, true}, Case{IDOK, false}, Case{IDCANCEL, true}, Case{IDCANCEL, false}}) {
        SCOPED_TRACE(testing::Message() << "id " << c.id << (c.allowed ? " allowed" : " refused"));
        Probe<LModelessDialog> probe;
        probe.okResult = probe.cancelResult = c.allowed;
        HWND hwnd = CreateModeless(tmpl, &probe);
        ASSERT_TRUE(hwnd);
        probe.calls.clear();
        SendMessageA(hwnd, WM_COMMAND, c.id, 0);
        Calls expected{c.id == IDOK ? "CmOk" : "CmCancel"};
        if (c.allowed)
            expected.push_back("DestroyDialog");
        EXPECT_EQ(probe.calls, expected);
        EXPECT_EQ(IsWindow(hwnd) != 0, !c.allowed);
        EXPECT_EQ(probe.hwndDlg, c.allowed ? HWND(0) : hwnd);
        if (IsWindow(hwnd))
            DestroyWindow(hwnd);
    }
    // Everything else still goes through the base dispatch.
    Probe<LModelessDialog> probe;
    HWND hwnd = CreateModeless(tmpl, &probe);
    probe.calls.clear();
    SendMessageA(hwnd, WM_COMMAND, IDHELP, 0);
    SendDlgItemMessageA(hwnd, ID_BUTTON, BM_CLICK, 0, 0);
    EXPECT_EQ(probe.calls, (Calls{"CmHelp", "Command 102 0", "EnableControls"}));
    DestroyWindow(hwnd);
}

class ControlHelpersTest : public DialogTest {
protected:
    void SetUp() override
    {
        DialogTest::SetUp();
        hwnd = CreateModeless(tmpl, &dialog);
        ASSERT_TRUE(hwnd);
    }
    void TearDown() override { DestroyWindow(hwnd); }
    bool Visible(int id) { return (GetWindowLongA(GetDlgItem(hwnd, id), GWL_STYLE) & WS_VISIBLE) != 0; }
    RECT ClientRectOf(int id)
    {
        RECT r;
        GetWindowRect(GetDlgItem(hwnd, id), &r);
        MapWindowPoints(0, hwnd, reinterpret_cast<POINT*>(&r), 2);
        return r;
    }
    LDialog dialog;
    HWND hwnd = 0;
};

TEST_F(ControlHelpersTest, GetItemTextKeepsAtMost259Characters)
{
    char buffer[400];
    struct Case {
        int id;
        std::string text;
        std::string expected;
    };
    const Case cases[] = {
        {ID_EDIT, "0.02", "0.02"},
        {ID_EDIT, "", ""},
        {ID_EDIT, std::string(259, 'a'), std::string(259, 'a')},
        {ID_EDIT, std::string(258, 'b') + "xyz", std::string(258, 'b') + "x"},
        {ID_MISSING, "", ""},
    };
    for (const Case& c : cases) {
        if (c.id != ID_MISSING)
            SetDlgItemTextA(hwnd, c.id, c.text.c_str());
        memset(buffer, 'z', sizeof buffer);
        dialog.GetItemText(c.id, buffer);
        EXPECT_EQ(std::string(buffer), c.expected);
    }
}

TEST_F(ControlHelpersTest, EnableAndHideActOnTheNamedControlOnly)
{
    dialog.EnableItem(ID_BUTTON, false);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(hwnd, ID_BUTTON)));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(hwnd, ID_STATIC)));
    dialog.EnableItem(ID_BUTTON, true);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(hwnd, ID_BUTTON)));

    dialog.HideItem(ID_STATIC, true);
    EXPECT_FALSE(Visible(ID_STATIC));
    EXPECT_TRUE(Visible(ID_EDIT));
    dialog.HideItem(ID_STATIC, false);
    EXPECT_TRUE(Visible(ID_STATIC));

    // A missing control is no error and touches nothing else.
    dialog.EnableItem(ID_MISSING, false);
    dialog.HideItem(ID_MISSING, true);
    dialog.MoveItem(ID_MISSING, 0, 0, 1, 1);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(hwnd, ID_STATIC)));
    EXPECT_TRUE(Visible(ID_BUTTON));
}

TEST_F(ControlHelpersTest, MoveItemUsesDialogUnitsLikeTheTemplate)
{
    RECT created = ClientRectOf(ID_EDIT);   // placed by the dialog manager at 10, 20, 30 x 40
    dialog.MoveItem(ID_EDIT, 100, 5, 12, 8);
    RECT moved = ClientRectOf(ID_EDIT);
    EXPECT_GT(moved.left, created.left);
    EXPECT_LT(moved.top, created.top);
    EXPECT_LT(moved.right - moved.left, created.right - created.left);
    dialog.MoveItem(ID_EDIT, 10, 20, 30, 40);
    RECT back = ClientRectOf(ID_EDIT);
    EXPECT_EQ(back.left, created.left);
    EXPECT_EQ(back.top, created.top);
    EXPECT_EQ(back.right, created.right);
    EXPECT_EQ(back.bottom, created.bottom);
}

} // namespace

// The application driven from the outside: start-up, pricing of the clipboard
// text, hiding and ending, saved settings, second starts, "/logon", the
// settings toggle and the damaged setup file.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "resources/resource.h"
#include "tests/common/TestClipboard.h"
#include "tests/e2e/AppDriver.h"

namespace {

using e2e::ControlText;
using e2e::WaitForControlText;

class AppTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        e2e::ResetState();
        testclip::Empty();
    }
    void TearDown() override { e2e::ResetState(); }

    // Starts qtally.exe and waits until its start-up has ended.
    HWND Start(e2e::Process& app, const std::string& arguments = "")
    {
        EXPECT_TRUE(app.Start(e2e::QtallyPath(), arguments));
        HWND main = app.WaitForMainWindow();
        EXPECT_TRUE(main) << "no Quilltally window";
        EXPECT_TRUE(e2e::WaitForStartUp(main));
        return main;
    }

    // Puts the text on the clipboard and presses "Update Text".
    void Capture(HWND main, const std::string& text, const std::string& expectedCharacters)
    {
        ASSERT_TRUE(testclip::SetText(text));
        e2e::PostCommand(main, IDC_UPDATETEXT);
        ASSERT_TRUE(WaitForControlText(main, IDC_CHARACTERS, expectedCharacters));
    }

    struct Shown {
        std::string characters, words, lines, charactersCost, wordsCost, linesCost, total;
    };
    void ExpectShown(HWND main, const Shown& s)
    {
        EXPECT_EQ(ControlText(main, IDC_CHARACTERS), s.characters);
        EXPECT_EQ(ControlText(main, IDC_WORDS), s.words);
        EXPECT_EQ(ControlText(main, IDC_LINES), s.lines);
        EXPECT_EQ(ControlText(main, IDC_CHARCOST), s.charactersCost);
        EXPECT_EQ(ControlText(main, IDC_WORDCOST), s.wordsCost);
        EXPECT_EQ(ControlText(main, IDC_LINECOST), s.linesCost);
        EXPECT_EQ(ControlText(main, IDC_TOTALCOST), s.total);
    }
};

TEST_F(AppTest, FirstRunPricesTheClipboardAtStartWithTheDefaultRates)
{
    std::string text;
    for (int i = 0; i < 1000; ++i)
        text += "w ";   // 2000 characters, 1000 words, 25 full lines of 80
    ASSERT_TRUE(testclip::SetText(text));
    e2e::Process app;
    HWND main = Start(app);
    ASSERT_TRUE(main);
    EXPECT_EQ(ControlText(main, IDC_FIXEDCOST), "0.00");
    EXPECT_EQ(ControlText(main, IDC_COSTPERCHAR), "0.00");
    EXPECT_EQ(ControlText(main, IDC_COSTPERWORD), "0.02");
    EXPECT_EQ(ControlText(main, IDC_CHARSPERLINE), "80");
    EXPECT_EQ(ControlText(main, IDC_COSTPERLINE), "0.00");
    ExpectShown(main, {"2000", "1000", "25", "0.00 ", "20.00 ", "0.00 ", "20.00 "});
    // Long texts are summarised on one line.
    EXPECT_EQ(ControlText(main, IDC_SUMMARY).size(), 193u);
    EXPECT_TRUE(e2e::IsChecked(main, IDC_HOTKEYON));
    EXPECT_TRUE(e2e::IsChecked(main, IDC_AUTOSELECT));
    EXPECT_TRUE(app.Exit());
}

TEST_F(AppTest, UpdateTextMeasuresTheClipboardAndThePriceFollowsEveryBox)
{
    e2e::WriteSettingText("FixedCostAmount", "1.50");
    e2e::WriteSettingText("CostPerCharacter", "0.10");
    e2e::WriteSettingText("CostPerWord", "0.25");
    e2e::WriteSettingText("CharacterPerLine", "80");
    e2e::WriteSettingText("CostPerLine", "2");
    e2e::Process app;
    HWND main = Start(app);
    ASSERT_TRUE(main);
    // Nothing captured yet: the total is the fixed cost.
    ExpectShown(main, {"0", "0", "0", "0.00 ", "0.00 ", "0.00 ", "1.50 "});

    Capture(main, "Hello, world!", "13");
    EXPECT_EQ(ControlText(main, IDC_SUMMARY), "Hello, world!");
    ExpectShown(main, {"13", "2", "1", "1.30 ", "0.50 ", "2.00 ", "5.30 "});

    struct Edit {
        int id;
        const char* text;
        const char* cost;    // the partial cost it changes
        int costId;
        const char* total;
    };
    const Edit edits[] = {
        {IDC_COSTPERCHAR, "1,5", "13.00 ", IDC_CHARCOST, "17.00 "},   // stops at the comma
        {IDC_COSTPERWORD, "abc", "0.00 ", IDC_WORDCOST, "16.50 "},    // not a number
        {IDC_COSTPERLINE, "-1", "-1.00 ", IDC_LINECOST, "13.50 "},
        {IDC_FIXEDCOST, "0.004", nullptr, 0, "12.00 "},               // 12.004 shown rounded
    };
    for (const Edit& e : edits) {
        SCOPED_TRACE(e.text);
        e2e::SetControlText(main, e.id, e.text);
        if (e.cost) {
            EXPECT_EQ(ControlText(main, e.costId), e.cost);
        }
        EXPECT_EQ(ControlText(main, IDC_TOTALCOST), e.total);
    }

    // The width reprices the captured text at once, without a new capture.
    Capture(main, std::string(100, 'a'), "100");
    EXPECT_EQ(ControlText(main, IDC_LINES), "2");
    e2e::SetControlText(main, IDC_CHARSPERLINE, "40");
    EXPECT_EQ(ControlText(main, IDC_LINES), "3");
    EXPECT_EQ(ControlText(main, IDC_LINECOST), "-3.00 ");

    // A clipboard without text empties the job: no lines of the older text stay.
    e2e::SetControlText(main, IDC_COSTPERLINE, "0.50");
    ASSERT_TRUE(testclip::Empty());
    e2e::PostCommand(main, IDC_UPDATETEXT);
    ASSERT_TRUE(WaitForControlText(main, IDC_CHARACTERS, "0"));
    EXPECT_EQ(ControlText(main, IDC_SUMMARY), "");
    ExpectShown(main, {"0", "0", "0", "0.00 ", "0.00 ", "0.00 ", "0.00 "});
    EXPECT_TRUE(app.Exit());
}

TEST_F(AppTest, EnterNeverClosesTheMainWindow)
{
    e2e::Process app;
    HWND main = Start(app);
    ASSERT_TRUE(main);
    HWND box = GetDlgItem(main, IDC_COSTPERWORD);
    PostMessageA(box, WM_KEYDOWN, VK_RETURN, 0x001C0001);
    PostMessageA(box, WM_KEYUP, VK_RETURN, 0xC01C0001);
    e2e::PostCommand(main, IDOK);
    // Handled in order: once this capture shows, both Enters have been seen.
    Capture(main, "after enter", "11");
    EXPECT_TRUE(app.Running());
    EXPECT_TRUE(IsWindowVisible(main));
    EXPECT_TRUE(app.Exit());
}

TEST_F(AppTest, CloseHidesWhileTheHotKeyIsOnAndEndsTheProgramWhenItIsOff)
{
    e2e::Process app;
    HWND main = Start(app);
    ASSERT_TRUE(main);

    PostMessageA(main, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(e2e::WaitUntil([&] { return !IsWindowVisible(main); }));
    Capture(main, "still here", "10");   // alive while hidden
    EXPECT_TRUE(app.Running());
    e2e::PostCommand(main, IDM_OPEN);
    EXPECT_TRUE(e2e::WaitUntil([&] { return IsWindowVisible(main) != 0; }));

    // Clearing "Enable Hot Key" disables the hot key controls at once.
    e2e::Click(main, IDC_HOTKEYON);
    ASSERT_TRUE(e2e::WaitUntil([&] { return !e2e::IsChecked(main, IDC_HOTKEYON); }));
    EXPECT_TRUE(e2e::WaitUntil([&] { return !e2e::IsEnabled(main, IDC_CHANGEKEY); }));
    EXPECT_FALSE(e2e::IsEnabled(main, IDC_AUTOSELECT));
    EXPECT_FALSE(e2e::IsEnabled(main, IDC_KEYNAME));
    EXPECT_TRUE(e2e::IsEnabled(main, IDC_HOTKEYON));

    ASSERT_TRUE(testreg::WriteText(e2e::kRunKey, e2e::kRunValue, "old"));

    PostMessageA(main, WM_SYSCOMMAND, SC_CLOSE, 0);
    DWORD code = 1;
    ASSERT_TRUE(app.WaitForExit(15000, &code));
    EXPECT_EQ(code, 0u);
    std::string value;
    EXPECT_TRUE(e2e::ReadSettingText("HotKeyOn", &value));
    EXPECT_EQ(value, "0");
    EXPECT_FALSE(e2e::ReadRegistryText(e2e::kRunKey, e2e::kRunValue, &value)) << value;
}

TEST_F(AppTest, ExitSavesTheSettingsAndTheNextStartShowsThemAsTyped)
{
    struct Box {
        int id;
        const char* name;
        const char* typed;
    };
    const Box boxes[] = {
        {IDC_FIXEDCOST, "FixedCostAmount", "1,5"},
        {IDC_COSTPERCHAR, "CostPerCharacter", "abc"},
        {IDC_COSTPERWORD, "CostPerWord", " 0.07 "},
        {IDC_CHARSPERLINE, "CharacterPerLine", ""},
        {IDC_COSTPERLINE, "CostPerLine", "-1"},
    };
    {
        e2e::Process app;
        HWND main = Start(app);
        ASSERT_TRUE(main);
        for (const Box& b : boxes)
            e2e::SetControlText(main, b.id, b.typed);
        e2e::Click(main, IDC_AUTOSELECT);
        ASSERT_TRUE(e2e::WaitUntil([&] { return !e2e::IsChecked(main, IDC_AUTOSELECT); }));
        EXPECT_TRUE(app.Exit());   // WM_COMMAND 1003, with the hot key on
        DWORD code = 1;
        EXPECT_TRUE(app.WaitForExit(0, &code));
        EXPECT_EQ(code, 0u);
    }
    std::string value;
    for (const Box& b : boxes) {
        EXPECT_TRUE(e2e::ReadSettingText(b.name, &value)) << b.name;
        EXPECT_EQ(value, b.typed) << b.name;
    }
    EXPECT_TRUE(e2e::ReadSettingText("HotKeyOn", &value));
    EXPECT_EQ(value, "1");
    EXPECT_TRUE(e2e::ReadSettingText("HotKeyAutoSelect", &value));
    EXPECT_EQ(value, "0");
    ASSERT_TRUE(e2e::ReadRegistryText(e2e::kRunKey, e2e::kRunValue, &value));
    EXPECT_EQ(value, "\"" + e2e::QtallyPath() + "\" /logon");

    e2e::Process again;
    HWND main = Start(again);
    ASSERT_TRUE(main);
    for (const Box& b : boxes)
        EXPECT_EQ(ControlText(main, b.id), b.typed) << b.name;
    EXPECT_TRUE(e2e::IsChecked(main, IDC_HOTKEYON));
    EXPECT_FALSE(e2e::IsChecked(main, IDC_AUTOSELECT));
    EXPECT_TRUE(again.Exit());
}

TEST_F(AppTest, SecondStartBringsTheFirstForwardAndEnds)
{
    e2e::Process first;
    HWND main = Start(first);
    ASSERT_TRUE(main);
    e2e::PostCommand(main, IDM_CLOSE);
    ASSERT_TRUE(e2e::WaitUntil([&] { return !IsWindowVisible(main); }));

    ASSERT_TRUE(testclip::SetText("from the second start"));
    e2e::Process second;
    ASSERT_TRUE(second.Start(e2e::QtallyPath()));
    DWORD code = 1;
    ASSERT_TRUE(second.WaitForExit(30000, &code));
    EXPECT_EQ(code, 0u);

    EXPECT_TRUE(e2e::WaitUntil([&] { return IsWindowVisible(main) != 0; }));
    EXPECT_TRUE(WaitForControlText(main, IDC_SUMMARY, "from the second start"));
    EXPECT_EQ(e2e::CountDialogs("Quilltally"), 1);
    EXPECT_TRUE(first.Exit());
}

TEST_F(AppTest, LogonArgumentSendsTheWindowToTheTrayAtOnceAndIsCaseSensitive)
{
    struct Case {
        const char* argument;
        bool visible;
    };
    for (Case c : {Case{"/logon", false}, Case{"/LOGON", true}, Case{"", true}}) {
        SCOPED_TRACE(c.argument);
        e2e::Process app;
        HWND main = Start(app, c.argument);
        ASSERT_TRUE(main);
        // The first status text comes half a second after start, well after
        // the hiding command posted during start-up.
        ASSERT_TRUE(WaitForControlText(main, IDC_STATUSLINE, "Quilltally v 1.03"));
        EXPECT_EQ(IsWindowVisible(main) != 0, c.visible);
        EXPECT_TRUE(app.Running());
        EXPECT_TRUE(app.Exit());
    }
}

TEST_F(AppTest, SettingsToggleResizesTheWindowAndPutsItBackAt120By30)
{
    e2e::Process app;
    HWND main = Start(app);
    ASSERT_TRUE(main);

    struct Step {
        const char* buttonText;
        LONG clientHeight;   // dialog units
        LONG statusTop;      // dialog units
        bool groupVisible;
    };
    // The start state, then two toggles.
    const Step steps[] = {
        {"<< Hide Settings", 344, 333, true},
        {"Show Settings >>", 290, 280, false},
        {"<< Hide Settings", 344, 334, true},
    };
    bool first = true;
    for (const Step& s : steps) {
        SCOPED_TRACE(s.buttonText);
        if (!first) {
            SetWindowPos(main, 0, 300, 200, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            e2e::Click(main, IDC_TOGGLESETTINGS);
        }
        first = false;
        ASSERT_TRUE(WaitForControlText(main, IDC_TOGGLESETTINGS, s.buttonText));
        RECT expected = e2e::DialogUnitsToPixels({0, s.statusTop, 397, s.clientHeight});
        RECT client, window;
        GetClientRect(main, &client);
        GetWindowRect(main, &window);
        EXPECT_EQ(client.right, expected.right);
        EXPECT_EQ(client.bottom, expected.bottom);
        EXPECT_EQ(window.left, 120);
        EXPECT_EQ(window.top, 30);
        EXPECT_EQ(e2e::ControlRect(main, IDC_STATUSLINE).top, expected.top);
        bool groupVisible = (GetWindowLongA(GetDlgItem(main, IDC_SETTINGSGROUP), GWL_STYLE) & WS_VISIBLE) != 0;
        EXPECT_EQ(groupVisible, s.groupVisible);
    }
    EXPECT_TRUE(app.Exit());
}

TEST_F(AppTest, SetupNamedFileWithoutTheInstallTrailerReportsCorruptionAndEnds)
{
    const std::string folder = e2e::BinFolder() + "\\app_test-setup";
    CreateDirectoryA(folder.c_str(), 0);
    struct Case {
        const char* name;
        std::vector<unsigned char> trailer;   // appended to a copy of the program
        bool corrupt;
    };
    const Case cases[] = {
        {"setup.exe", {}, true},
        {"MySetupCopy.exe", {0x0F, 0x0F, 0xF0, 0xF0}, true},   // the removal trailer does not pass
        {"x.setup", {}, false},                                 // only the title counts
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string path = folder + "\\" + c.name;
        ASSERT_TRUE(CopyFileA(e2e::QtallyPath().c_str(), path.c_str(), FALSE));
        if (!c.trailer.empty()) {
            HANDLE file = CreateFileA(path.c_str(), FILE_APPEND_DATA, 0, 0, OPEN_EXISTING, 0, 0);
            ASSERT_NE(file, INVALID_HANDLE_VALUE);
            DWORD written = 0;
            WriteFile(file, c.trailer.data(), static_cast<DWORD>(c.trailer.size()), &written, 0);
            CloseHandle(file);
        }
        if (!c.corrupt) {
            e2e::Process app;
            ASSERT_TRUE(app.Start(path));
            EXPECT_TRUE(app.WaitForMainWindow());
            EXPECT_FALSE(e2e::FindDialog("Install Error", app.Id()));
            EXPECT_TRUE(app.Exit());
        } else {
            e2e::Process app;
            ASSERT_TRUE(app.Start(path));
            HWND box = e2e::WaitForDialog("Install Error", app.Id(), 30000);
            ASSERT_TRUE(box);
            std::vector<std::string> texts = e2e::StaticTexts(box);
            const std::string message =
                "Installation file corrupt.\n\nA checksum error was detected in your install file, "
                "please redownload file and install again.";
            EXPECT_NE(std::find(texts.begin(), texts.end(), message), texts.end());
            EXPECT_FALSE(app.MainWindow());
            e2e::PostCommand(box, IDOK);
            DWORD code = 1;
            EXPECT_TRUE(app.WaitForExit(15000, &code));
            EXPECT_EQ(code, 0u);
        }
        DeleteFileA(path.c_str());
    }
    RemoveDirectoryA(folder.c_str());
}

} // namespace

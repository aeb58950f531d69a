// Help from the real program: the Help button and F1 open Windows Help on
// app.hlp beside the program at its contents page; the viewer jumps between
// the file's topics; a missing help file brings no message from Quilltally.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/e2e/AppDriver.h"
#include "tests/e2e/Typist.h"
#include "tests/common/TestFiles.h"
#include "tests/common/TestWindows.h"

namespace {

const char kHelpClass[] = "MS_WINHELP";
const char kHelpTitle[] = "Quilltally Help";
const char kContentsText[] = "Quilltally counts the text you type in any program";

// Top-level windows of one class, or of one process when cls is null.
std::vector<HWND> TopWindows(const char* cls, DWORD processId = 0)
{
    testwin::WindowQuery query;
    query.className = cls;
    query.processId = cls ? 0 : processId;
    return testwin::TopWindows(query);
}

// The shown help window captioned with the help file's title, 0 when none.
HWND HelpWindow()
{
    testwin::WindowQuery query;
    query.className = kHelpClass;
    query.title = kHelpTitle;
    query.visibleOnly = true;
    return testwin::FindTopWindow(query);
}

// Everything the help window shows: the texts of all its descendants.
std::string ShownText(HWND help)
{
    std::string all;
    for (HWND w : testwin::ChildWindows(help))
        all += testwin::WindowText(w) + "\n";
    return all;
}

// Ends every help viewer, with whatever question it has open.
void CloseHelpViewers()
{
    for (HWND w : TopWindows(kHelpClass)) {
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        if (HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid)) {
            TerminateProcess(process, 0);
            WaitForSingleObject(process, 10000);
            CloseHandle(process);
        }
    }
}

class HelpTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CloseHelpViewers();
        e2e::ResetState();
    }
    void TearDown() override
    {
        CloseHelpViewers();
        e2e::ResetState();
    }

    HWND Start(e2e::Process& app, const std::string& program)
    {
        EXPECT_TRUE(app.Start(program));
        HWND main = app.WaitForMainWindow();
        EXPECT_TRUE(main) << "no Quilltally window";
        if (main) {
            EXPECT_TRUE(e2e::WaitForStartUp(main));
        }
        return main;
    }
};

TEST_F(HelpTest, HelpButtonAndF1OpenTheContentsPage)
{
    const std::string helpFile = e2e::BinFolder() + "\\app.hlp";
    ASSERT_NE(GetFileAttributesA(helpFile.c_str()), INVALID_FILE_ATTRIBUTES) << "the build puts app.hlp beside qtally.exe";
    e2e::Process app;
    HWND main = Start(app, e2e::QtallyPath());
    ASSERT_TRUE(main);

    const struct { const char* way; void (*ask)(HWND); } ways[] = {
        {"Help button", [](HWND m) { e2e::Click(m, 9); }},
        {"F1", [](HWND m) {
             typist::BringToFront(m);
             typist::PressKey({}, VK_F1);
         }},
    };
    for (const auto& way : ways) {
        way.ask(main);
        HWND help = 0;
        EXPECT_TRUE(e2e::WaitUntil([&] { return (help = HelpWindow()) != 0; }, 30000))
            << way.way << ": no help window on " << helpFile;
        if (help) {
            EXPECT_TRUE(e2e::WaitUntil([&] { return ShownText(help).find(kContentsText) != std::string::npos; }))
                << way.way << ": the contents page is not shown";
        }
        CloseHelpViewers();
        EXPECT_TRUE(e2e::WaitUntil([&] { return !HelpWindow(); }));
    }
    EXPECT_TRUE(app.Exit());
}

// The viewer finds each topic by the hash of its name in the file's context
// table, and shows its text: the file works beyond its first page.
TEST_F(HelpTest, ViewerOpensTopicsByName)
{
    const std::string helpFile = e2e::BinFolder() + "\\app.hlp";
    const struct { const char* name; const char* text; } topics[] = {
        {"hotkey", "The first time Quilltally runs it is Shift+F8"},
        {"counting", "So \"e-mail\" is two words"},
        {"install", "Removing."},
    };
    char viewerPath[MAX_PATH];
    ASSERT_TRUE(SearchPathA(NULL, "winhlp32.exe", NULL, sizeof viewerPath, viewerPath, NULL));
    for (const auto& t : topics) {
        e2e::Process viewer;
        ASSERT_TRUE(viewer.Start(viewerPath, std::string("-i ") + t.name + " \"" + helpFile + "\""));
        HWND help = 0;
        ASSERT_TRUE(e2e::WaitUntil([&] { return (help = HelpWindow()) != 0; }, 30000)) << t.name;
        EXPECT_TRUE(e2e::WaitUntil([&] { return ShownText(help).find(t.text) != std::string::npos; }))
            << t.name << " shows:\n" << ShownText(help);
        CloseHelpViewers();
    }
}

TEST_F(HelpTest, MissingHelpFileBringsNoMessageFromQuilltally)
{
    // A copy of the program in a folder of its own, without app.hlp.
    const std::string folder = testfiles::TempPath("quilltally-nohelp");
    const std::string program = folder + "\\qtally.exe";
    CreateDirectoryA(folder.c_str(), NULL);
    ASSERT_TRUE(CopyFileA(e2e::QtallyPath().c_str(), program.c_str(), FALSE));
    {
        e2e::Process app;
        HWND main = Start(app, program);
        ASSERT_TRUE(main);
        e2e::Click(main, 9);
        // The viewer comes up and tells about the missing file itself.
        EXPECT_TRUE(e2e::WaitUntil([] { return !TopWindows(kHelpClass).empty(); }, 30000));
        Sleep(2000);
        for (HWND w : TopWindows(nullptr, app.Id())) {
            std::string cls = testwin::ClassName(w);
            if (w != main && IsWindowVisible(w) && cls != "LSplashScreen")
                ADD_FAILURE() << "Quilltally shows a window of class " << cls << ": " << e2e::WindowText(w);
        }
        CloseHelpViewers();
        EXPECT_TRUE(app.Exit());
    }
    DeleteFileA(program.c_str());
    RemoveDirectoryA(folder.c_str());
}

} // namespace

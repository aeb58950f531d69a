// What setup and removal do about rights and other processes: restarting
// elevated with the same arguments, the declined case, waiting for the
// process that started the temporary uninstaller, a running copy that does
// not end. Wine has no elevation prompt: the check and the restart are
// replaced here.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <windows.h>

#include "ScriptedUi.h"
#include "setup/InstallDialog.h"
#include "setup/SetupProcess.h"
#include "ui/Dialog.h"

namespace {

TEST(SetupProcess, ArgumentsAfterTheProgramName)
{
    struct Case {
        const char* commandLine;
        const char* arguments;
    } cases[] = {
        {"\"C:\\Program Files\\Corvane\\Quilltally\\uninst.exe\"", ""},
        {"\"C:\\Downloads\\my setup.exe\" /x \"y z\"", "/x \"y z\""},
        {"C:\\Downloads\\setup.exe /uninstall 124", "/uninstall 124"},
        {"  setup.exe\t /a  b ", "/a  b "},
        {"setup.exe", ""},
        {"\"unterminated quote", ""},
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_STREQ(SkipProgramName(c.commandLine), c.arguments) << c.commandLine;
}

// The replaceable check and restart, and what EnsureElevated asked for.
bool g_elevated = true;
bool g_startResult = true;
std::vector<std::pair<std::string, std::string>> g_starts;

bool FakeElevated() { return g_elevated; }
bool FakeStart(const char* program, const char* parameters)
{
    g_starts.emplace_back(program, parameters);
    return g_startResult;
}

class Elevation : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_hInstance = GetModuleHandleA(nullptr);
        g_isProcessElevated = FakeElevated;
        g_startElevated = FakeStart;
        g_starts.clear();
    }
    void TearDown() override
    {
        g_isProcessElevated = IsTokenElevated;
        g_startElevated = StartElevated;
    }
};

TEST_F(Elevation, ElevatedGoesOnWithoutRestarting)
{
    g_elevated = true;
    EXPECT_TRUE(EnsureElevated(true));
    EXPECT_TRUE(EnsureElevated(false));
    EXPECT_TRUE(g_starts.empty());
}

TEST_F(Elevation, NotElevatedRestartsWithTheSameArguments)
{
    g_elevated = false;
    g_startResult = true;
    char self[MAX_PATH];
    GetModuleFileNameA(0, self, MAX_PATH);
    for (bool install : {true, false}) {
        g_starts.clear();
        uiscript::Outcome outcome = uiscript::Play({}, [&] { EXPECT_FALSE(EnsureElevated(install)); });
        EXPECT_FALSE(outcome.timedOut);
        ASSERT_EQ(g_starts.size(), 1u);
        EXPECT_EQ(g_starts[0].first, self);
        EXPECT_EQ(g_starts[0].second, SkipProgramName(GetCommandLineA()));
        // No message when the restart is on its way.
        EXPECT_EQ(uiscript::CountThreadWindows(g_setupTitle), 0);
    }
}

TEST_F(Elevation, DeclinedSaysNothingChanged)
{
    g_elevated = false;
    g_startResult = false;
    struct Case {
        bool install;
        const char* caption;
        const char* text;
    } cases[] = {
        {true, "Installing Quilltally v 1.03",
         "Quilltally was not installed.\n\nSetup needs administrator rights; nothing was changed."},
        {false, "Uninstall Quilltally",
         "Quilltally was not removed.\n\nRemoval needs administrator rights; nothing was changed."},
    };
    for (const Case& c : cases) {
        std::string text;
        bool result = true;
        std::vector<uiscript::Step> steps = {[&] {
            HWND box = uiscript::FindThreadWindow(c.caption);
            if (!box)
                return false;
            text = uiscript::MessageBoxText(box);
            PostMessageA(box, WM_COMMAND, IDOK, 0);
            return true;
        }};
        uiscript::Outcome outcome = uiscript::Play(steps, [&] { result = EnsureElevated(c.install); });
        EXPECT_FALSE(outcome.timedOut);
        EXPECT_EQ(outcome.stepsRun, 1u);
        EXPECT_FALSE(result);
        EXPECT_EQ(text, c.text);
    }
}

// ---- Waiting for the uninstaller that started the temporary copy -------------

// A process that does nothing until it is ended: this program, suspended.
PROCESS_INFORMATION StartSuspended()
{
    char self[MAX_PATH];
    GetModuleFileNameA(0, self, MAX_PATH);
    std::string command = "\"" + std::string(self) + "\" --gtest_list_tests";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    EXPECT_TRUE(CreateProcessA(self, &command[0], 0, 0, FALSE, CREATE_SUSPENDED, 0, 0, &startup, &process));
    return process;
}

std::string ArgumentFor(HANDLE process)
{
    HANDLE copy = 0;
    EXPECT_TRUE(DuplicateHandle(GetCurrentProcess(), process, GetCurrentProcess(), &copy,
                                SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, 0));
    char text[32] = "";
    EXPECT_TRUE(FormatStarterArgument(text, sizeof text, copy));
    return text;
}

TEST(StarterWait, WaitsForTheStartingProcessToEnd)
{
    PROCESS_INFORMATION starter = StartSuspended();
    ASSERT_TRUE(starter.hProcess);
    // Still running at the limit.
    EXPECT_FALSE(WaitForStarter(ArgumentFor(starter.hProcess).c_str(), 300));

    // Ended by another thread while the wait goes on.
    struct Ender {
        HANDLE process;
        volatile bool ended;
        static DWORD WINAPI Run(LPVOID p)
        {
            Ender* self = static_cast<Ender*>(p);
            Sleep(500);
            self->ended = true;
            TerminateProcess(self->process, 0);
            return 0;
        }
    } job = {starter.hProcess, false};
    HANDLE ender = CreateThread(0, 0, Ender::Run, &job, 0, 0);
    ASSERT_TRUE(ender);
    EXPECT_TRUE(WaitForStarter(ArgumentFor(starter.hProcess).c_str(), 60000));
    EXPECT_TRUE(job.ended);
    WaitForSingleObject(ender, INFINITE);
    CloseHandle(ender);
    CloseHandle(starter.hThread);
    CloseHandle(starter.hProcess);
}

TEST(StarterWait, ArgumentsThatNameNoProcessAreRefusedAtOnce)
{
    HANDLE event = CreateEventA(0, TRUE, FALSE, 0);
    char eventText[32];
    ASSERT_TRUE(FormatStarterArgument(eventText, sizeof eventText, event));
    for (const char* argument : {"", "abc", "12x", "0", "-5", "99999999999999999999999", (const char*)eventText})
        EXPECT_FALSE(WaitForStarter(argument, 60000)) << argument;
    // The event was not taken for a process, nor closed.
    EXPECT_TRUE(SetEvent(event));
    CloseHandle(event);
}

// ---- A running copy that does not end ----------------------------------------

TEST(RunningCopy, OneThatDoesNotEndIsReported)
{
    // A "Quilltally" dialog window that ignores Exit; its process (this one) stays.
    HWND window = CreateWindowExA(0, "#32770", "Quilltally", WS_POPUP, 0, 0, 10, 10, 0, 0, 0, 0);
    ASSERT_TRUE(window);
    EXPECT_FALSE(EndRunningCopy(window, 500));
    DestroyWindow(window);
}

}

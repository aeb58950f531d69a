// qtdemo: shows Quilltally at work for the run command. It opens notepad with
// a sample text, starts qtally.exe (beside this program), presses the hot key
// in notepad, reports what Quilltally shows, and logs the job to a CSV file
// through the "Add to CSV File" dialog.
//
//   qtdemo <csv file> <folder for the screenshot handshake>
//
// Lines for the user go to <folder>\report.txt. Where a screenshot belongs it
// writes <folder>\<name>.want holding the window's screen rectangle and waits
// for <folder>\<name>.done, which the run command makes once it has taken it.
#include "tests/common/TestFiles.h"
#include "tests/common/TestRegistry.h"
#include "tests/common/TestWindows.h"
#include "tests/e2e/AppDriver.h"
#include "tests/e2e/Typist.h"
#include "wordcount/TextMeasures.h"

#include <windows.h>

#include <stdarg.h>
#include <stdio.h>

#include <string>

namespace {

const char kSample[] =
    "Transcript of the planning committee, 12 May\r\n"
    "\r\n"
    "The chair opened the meeting at ten and welcomed the two new members. "
    "Minutes of the last meeting were read and approved without changes.\r\n"
    "\r\n"
    "Item 1. The library extension: the architect presented the revised plans. "
    "The committee asked for a second entrance on the park side and agreed to "
    "decide at the June meeting.\r\n"
    "\r\n"
    "Item 2. Street lighting on Mill Lane will be replaced in the autumn.\r\n"
    "\r\n"
    "The meeting closed at half past eleven.";

const WORD kExitCommand = 1003;

std::string g_sync;
FILE* g_report;

void Report(const char* format, ...)
{
    char line[1024];
    va_list args;
    va_start(args, format);
    vsnprintf(line, sizeof line, format, args);
    va_end(args);
    fprintf(g_report, "%s\n", line);
    fflush(g_report);
}

// The dialog of the process with this title once it is shown: its texts are
// set up by then.
HWND WaitForShownDialog(DWORD processId, const char* title, DWORD timeoutMs = 30000)
{
    testwin::WindowQuery query;
    query.processId = processId;
    query.className = "#32770";
    query.title = title;
    query.visibleOnly = true;
    HWND found = 0;
    e2e::WaitUntil([&] { return (found = testwin::FindTopWindow(query)) != 0; }, timeoutMs);
    return found;
}

// The money texts end in a blank.
std::string Shown(HWND dialog, int id)
{
    std::string text = e2e::ControlText(dialog, id);
    text.erase(text.find_last_not_of(' ') + 1);
    return text;
}

// Asks the run command for a screenshot of the window and waits for it.
void Screenshot(const char* name, HWND window)
{
    typist::WaitIdle(window);
    Sleep(700);   // let the last paint reach the screen
    RECT r;
    GetWindowRect(window, &r);
    std::string want = g_sync + "\\" + name + ".want";
    std::string done = g_sync + "\\" + name + ".done";
    DeleteFileA(done.c_str());
    char rect[64];
    snprintf(rect, sizeof rect, "%ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
    if (!testfiles::WriteText(want, rect))
        return;
    if (!e2e::WaitUntil([&] { return testfiles::Exists(done); }, 30000))
        Report("(no screenshot of %s was taken)", name);
}

// Demo rates: a fixed fee and a price per word.
void PrepareSettings()
{
    e2e::ResetState();
    e2e::WriteSettingText("FixedCostAmount", "5.00");
    e2e::WriteSettingText("CostPerCharacter", "0.00");
    e2e::WriteSettingText("CostPerWord", "0.02");
    e2e::WriteSettingText("CharacterPerLine", "80");
    e2e::WriteSettingText("CostPerLine", "0.10");
}

// A demo must not leave Quilltally to start at the next Wine session.
void RemoveRunAtLogon()
{
    testreg::DeleteValue(testreg::kRunKey, testreg::kRunValue);
}

// True once the splash (any window of the program besides its main one) is gone.
bool SplashGone(const e2e::Process& app, HWND main)
{
    testwin::WindowQuery shown;
    shown.processId = app.Id();
    shown.visibleOnly = true;
    for (HWND window : testwin::TopWindows(shown))
        if (window != main)
            return false;
    return true;
}

// One started at logon, or left from an earlier run, would take the
// demo's start as a second instance.
void EndRunningQuilltally()
{
    for (int i = 0; i < 50; i++) {
        HWND running = e2e::FindDialog("Quilltally");
        if (!running)
            return;
        e2e::PostCommand(running, kExitCommand);
        Sleep(200);
    }
}

// What the main dialog shows after the capture, and the job logged through
// the "Add to CSV File" dialog; the exit status.
int ShowAndLog(const e2e::Process& app, HWND main, const char* csvPath)
{
    std::string expected = std::to_string(CountCharacters(kSample));
    if (!e2e::WaitUntil([&] { return Shown(main, 103) == expected; }, 20000))
        Report("(Quilltally did not show the text of notepad in time)");

    Report("Quilltally came to the front and shows:");
    Report("  %6s characters x %s = %s", Shown(main, 103).c_str(), Shown(main, 104).c_str(),
           Shown(main, 105).c_str());
    Report("  %6s words      x %s = %s", Shown(main, 106).c_str(), Shown(main, 107).c_str(),
           Shown(main, 108).c_str());
    Report("  %6s lines      x %s = %s", Shown(main, 110).c_str(), Shown(main, 111).c_str(),
           Shown(main, 112).c_str());
    Report("  fixed cost per job   = %s", Shown(main, 102).c_str());
    Report("  total cost ($)       = %s", Shown(main, 115).c_str());
    Screenshot("main-dialog", main);

    e2e::PostCommand(main, 114);
    HWND csv = WaitForShownDialog(app.Id(), "Add to CSV File");
    if (!csv) {
        Report("(the \"Add to CSV File\" dialog did not open)");
        return 1;
    }
    e2e::SetControlText(csv, 101, csvPath);
    e2e::SetControlText(csv, 103, "Planning committee, 12 May");
    Screenshot("add-to-csv", csv);
    e2e::PostCommand(csv, IDOK);
    if (HWND box = WaitForShownDialog(app.Id(), "Confirmation", 15000)) {
        Report("Quilltally says: %s", e2e::ControlText(box, 0xFFFF).c_str());
        e2e::PostCommand(box, IDOK);
    }
    testfiles::Bytes bytes = testfiles::ReadBytes(csvPath);
    std::string line(bytes.begin(), bytes.end());
    line.erase(line.find_first_of("\r\n") == std::string::npos ? line.size() : line.find_first_of("\r\n"));
    Report("The CSV file %s now holds:", csvPath);
    Report("  %s", line.c_str());
    return line.empty() ? 1 : 0;
}

int Run(const char* csvPath)
{
    RemoveRunAtLogon();
    EndRunningQuilltally();
    PrepareSettings();
    DeleteFileA(csvPath);

    typist::Editor notepad;
    if (!notepad.StartNotepad()) {
        Report("notepad did not open");
        return 1;
    }
    notepad.SetText(kSample);
    Report("Notepad holds a sample transcript of %d characters.", CountCharacters(kSample));

    e2e::Process app;
    if (!app.Start(e2e::QtallyPath())) {
        Report("qtally.exe could not be started");
        return 1;
    }
    HWND main = WaitForShownDialog(app.Id(), "Quilltally");
    std::string keyName;
    if (main) {
        // The key name is shown last at start-up.
        e2e::WaitForStartUp(main);
        keyName = e2e::ControlText(main, 120);
        e2e::WaitUntil([&] { return SplashGone(app, main); }, 15000);
    }

    int status = 1;
    if (main && typist::BringToFront(notepad.Window()) && typist::WaitIdle(notepad.Edit())) {
        Report("Pressing %s in notepad...", keyName.c_str());
        typist::PressKey({VK_SHIFT}, VK_F8);
        status = ShowAndLog(app, main, csvPath);
    } else {
        Report("(Quilltally or notepad did not come up)");
    }

    app.Exit();
    RemoveRunAtLogon();
    return status;
}

}

int main(int argc, char** argv)
{
    if (argc < 3) {
        fprintf(stderr, "usage: qtdemo <csv file> <handshake folder>\n");
        return 2;
    }
    g_sync = argv[2];
    g_report = fopen((g_sync + "\\report.txt").c_str(), "w");
    if (!g_report)
        g_report = stdout;
    int status = Run(argv[1]);
    Report("@@end %d", status);
    return status;
}

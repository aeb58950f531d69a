// Drives the real qtally.exe from the outside, the way UI automation does:
// starts it, finds its windows, reads and sets control texts, posts commands,
// sets up the registry, and makes sure it has ended.
//
// Typical use in a test:
//
//   e2e::ResetState();                           // no settings, no run-at-logon value
//   e2e::Process app;
//   ASSERT_TRUE(app.Start(e2e::QtallyPath()));
//   HWND main = app.WaitForMainWindow();
//   ASSERT_TRUE(e2e::WaitForStartUp(main));     // hot key registered from here on
//   testclip::SetText("Hello, world!");          // tests/common/TestClipboard.h
//   e2e::PostCommand(main, 113);                 // "Update Text"
//   EXPECT_TRUE(e2e::WaitForControlText(main, 103, "13"));
//   EXPECT_TRUE(app.Exit());                     // WM_COMMAND 1003, then wait
//   e2e::ResetState();
//
// A Process that is still running when it goes out of scope is asked to exit
// and, failing that, terminated, so no test leaves a Quilltally behind.
#ifndef QT_TESTS_E2E_APPDRIVER_H
#define QT_TESTS_E2E_APPDRIVER_H

#include <windows.h>

#include "tests/common/TestRegistry.h"
#include "tests/common/TestWindows.h"

#include <functional>
#include <string>
#include <vector>

namespace e2e {

// ---- Where things are
std::string BinFolder();     // the folder of the running test program, no trailing "\"
std::string QtallyPath();    // qtally.exe in that folder

// ---- Waiting: polls the condition until it holds or the time is up.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = 15000);

// ---- A started program
class Process {
public:
    Process() = default;
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;
    ~Process();   // ends the program if it still runs (Exit, then Terminate)

    // Starts the program file with the arguments (appended after the quoted path).
    bool Start(const std::string& program, const std::string& arguments = "");
    bool Running() const;
    // True when the process ended within the time; its exit code goes to *code.
    bool WaitForExit(DWORD timeoutMs = 15000, DWORD* code = nullptr);
    DWORD Id() const { return info_.dwProcessId; }

    // The process's "Quilltally" dialog window (class atom 32770, shown or hidden).
    // It exists from the start of its initialisation: see WaitForStartUp.
    HWND MainWindow() const;
    HWND WaitForMainWindow(DWORD timeoutMs = 30000) const;

    // Ends the program as a starting installer does: posts WM_COMMAND 1003
    // (the tray menu's Exit) to its main window and waits. Terminates it as a
    // last resort. True when it ended by itself.
    bool Exit(DWORD timeoutMs = 15000);
    void Terminate();

private:
    PROCESS_INFORMATION info_ = {};
};

// ---- Windows of other processes
// A top-level dialog window (class atom 32770) with exactly this title, shown
// or hidden; of the given process only when processId is not 0.
HWND FindDialog(const char* title, DWORD processId = 0);
HWND WaitForDialog(const char* title, DWORD processId = 0, DWORD timeoutMs = 15000);
int CountDialogs(const char* title);

// Texts are moved with WM_GETTEXT/WM_SETTEXT, which the system carries across
// processes; a text set this way reports its change like typing does.
using testwin::WindowText;
std::string ControlText(HWND dialog, int id);
bool WaitForControlText(HWND dialog, int id, const std::string& text, DWORD timeoutMs = 15000);
void SetControlText(HWND dialog, int id, const std::string& text);
// Texts of the static controls of a window, in child order (message box text).
std::vector<std::string> StaticTexts(HWND window);

// Waits until the main dialog has finished its start-up: rates loaded, the
// clipboard measured and the hot key registered (its name is shown last).
bool WaitForStartUp(HWND main, DWORD timeoutMs = 30000);

bool IsChecked(HWND dialog, int id);
bool IsEnabled(HWND dialog, int id);
// Posts a click to a button or check box (also one that opens a modal dialog).
void Click(HWND dialog, int id);
// Posts WM_COMMAND with the id and code and no control window, as a menu does.
void PostCommand(HWND window, WORD id, WORD code = 0);

// Geometry in pixels: a control's rectangle in its dialog's client area.
RECT ControlRect(HWND dialog, int id);
// Dialog units to pixels for a dialog of this font, measured with a dialog of
// the same font in this process (left, top, right, bottom, as MapDialogRect).
RECT DialogUnitsToPixels(RECT units, const char* face = "MS Sans Serif", WORD points = 8);

// ---- Registry (HKEY_LOCAL_MACHINE, the program's own view)
// (tests/common/TestRegistry.h has the plain reads and writes)
using testreg::kRunKey;
using testreg::kRunValue;
using testreg::kSettingsKey;

void WriteSettingText(const char* name, const std::string& text);
// False when the value is missing.
bool ReadRegistryText(const char* key, const char* value, std::string* text);
bool ReadSettingText(const char* name, std::string* text);
// testreg::ResetProductState: no settings, no run-at-logon value.
void ResetState();

} // namespace e2e

#endif

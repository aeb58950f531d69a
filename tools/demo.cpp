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
#include "wordcount/TextMeasures.h"

#include <windows.h>

#include <stdarg.h>
#include <stdio.h>
#include <string.h>

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

const char kSettingsKey[] = "Software\\Corvane\\Quilltally";
const char kRunKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

char g_sync[MAX_PATH];
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

bool WaitFor(bool (*condition)(void*), void* context, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    while (!condition(context)) {
        if (GetTickCount() - start > timeoutMs)
            return false;
        Sleep(100);
    }
    return true;
}

struct Search {
    DWORD pid;
    const char* className;
    const char* title;
    HWND found;
};

BOOL CALLBACK Match(HWND window, LPARAM param)
{
    Search* s = (Search*)param;
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid != s->pid)
        return TRUE;
    char text[256] = "";
    GetClassNameA(window, text, sizeof text);
    if (s->className && strcmp(text, s->className) != 0)
        return TRUE;
    GetWindowTextA(window, text, sizeof text);
    if (s->title && strcmp(text, s->title) != 0)
        return TRUE;
    s->found = window;
    return FALSE;
}

HWND FindWindowOf(DWORD pid, const char* className, const char* title)
{
    Search s = {pid, className, title, 0};
    EnumWindows(Match, (LPARAM)&s);
    return s.found;
}

struct WindowWait {
    DWORD pid;
    const char* className;
    const char* title;
    HWND found;
};

bool WindowAppeared(void* p)
{
    WindowWait* w = (WindowWait*)p;
    w->found = FindWindowOf(w->pid, w->className, w->title);
    return w->found && IsWindowVisible(w->found);
}

HWND WaitForWindow(DWORD pid, const char* className, const char* title, DWORD timeoutMs = 30000)
{
    WindowWait w = {pid, className, title, 0};
    return WaitFor(WindowAppeared, &w, timeoutMs) ? w.found : 0;
}

void Text(HWND window, char* out, int size)
{
    out[0] = 0;
    DWORD_PTR copied = 0;
    SendMessageTimeoutA(window, WM_GETTEXT, size, (LPARAM)out, SMTO_ABORTIFHUNG, 10000, &copied);
}

void ItemText(HWND dialog, int id, char* out, int size)
{
    Text(GetDlgItem(dialog, id), out, size);
    // The money texts end in a blank.
    size_t n = strlen(out);
    while (n && out[n - 1] == ' ')
        out[--n] = 0;
}

void SetItemText(HWND dialog, int id, const char* text)
{
    DWORD_PTR result;
    SendMessageTimeoutA(GetDlgItem(dialog, id), WM_SETTEXT, 0, (LPARAM)text, SMTO_ABORTIFHUNG,
                        10000, &result);
}

bool Idle(HWND window)
{
    DWORD_PTR result;
    return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result) != 0;
}

bool IsForeground(void* window)
{
    if (GetForegroundWindow() == (HWND)window)
        return true;
    SetForegroundWindow((HWND)window);
    return false;
}

bool BringToFront(HWND window)
{
    return WaitFor(IsForeground, window, 10000) && Idle(window);
}

void Key(WORD key, bool up)
{
    INPUT in = {};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = key;
    in.ki.wScan = (WORD)MapVirtualKeyA(key, MAPVK_VK_TO_VSC);
    in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    SendInput(1, &in, sizeof in);
}

bool FileExists(void* path)
{
    return GetFileAttributesA((const char*)path) != INVALID_FILE_ATTRIBUTES;
}

// Asks the run command for a screenshot of the window and waits for it.
void Screenshot(const char* name, HWND window)
{
    Idle(window);
    Sleep(700);   // let the last paint reach the screen
    RECT r;
    GetWindowRect(window, &r);
    char path[MAX_PATH], done[MAX_PATH];
    snprintf(path, sizeof path, "%s\\%s.want", g_sync, name);
    snprintf(done, sizeof done, "%s\\%s.done", g_sync, name);
    DeleteFileA(done);
    FILE* f = fopen(path, "w");
    if (!f)
        return;
    fprintf(f, "%ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
    fclose(f);
    if (!WaitFor(FileExists, done, 30000))
        Report("(no screenshot of %s was taken)", name);
}

void SetSetting(HKEY key, const char* name, const char* text)
{
    RegSetValueExA(key, name, 0, REG_SZ, (const BYTE*)text, (DWORD)strlen(text) + 1);
}

// Demo rates: a fixed fee and a price per word.
void PrepareSettings()
{
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, kSettingsKey);
    HKEY key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\Corvane\\Quilltally\\Settings", 0, 0, 0,
                        KEY_SET_VALUE, 0, &key, 0) != ERROR_SUCCESS)
        return;
    SetSetting(key, "FixedCostAmount", "5.00");
    SetSetting(key, "CostPerCharacter", "0.00");
    SetSetting(key, "CostPerWord", "0.02");
    SetSetting(key, "CharacterPerLine", "80");
    SetSetting(key, "CostPerLine", "0.10");
    RegCloseKey(key);
}

// A demo must not leave Quilltally to start at the next Wine session.
void RemoveRunAtLogon()
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kRunKey, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
        RegDeleteValueA(key, "QuilltallyRun");
        RegCloseKey(key);
    }
}

bool Start(const char* commandLine, PROCESS_INFORMATION* process)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    char command[MAX_PATH + 16];
    snprintf(command, sizeof command, "%s", commandLine);
    return CreateProcessA(0, command, 0, 0, FALSE, 0, 0, 0, &startup, process) != 0;
}

struct Expect {
    HWND dialog;
    int id;
    const char* text;
};

bool TextIs(void* p)
{
    Expect* e = (Expect*)p;
    char text[64];
    ItemText(e->dialog, e->id, text, sizeof text);
    return strcmp(text, e->text) == 0;
}

bool HasText(void* window)
{
    char text[64];
    Text((HWND)window, text, sizeof text);
    return text[0] != 0;
}

struct OtherWindows {
    DWORD pid;
    HWND main;
    bool seen;
};

BOOL CALLBACK NoteOtherWindow(HWND window, LPARAM param)
{
    OtherWindows* o = (OtherWindows*)param;
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid == o->pid && window != o->main && IsWindowVisible(window))
        o->seen = true;
    return TRUE;
}

// True once the splash (any window of the program besides its main one) is gone.
bool SplashGone(void* p)
{
    PROCESS_INFORMATION* app = (PROCESS_INFORMATION*)p;
    OtherWindows other = {app->dwProcessId, FindWindowOf(app->dwProcessId, "#32770", "Quilltally"),
                          false};
    EnumWindows(NoteOtherWindow, (LPARAM)&other);
    return !other.seen;
}

// One started at logon, or left from an earlier run, would take the
// demo's start as a second instance.
void EndRunningQuilltally()
{
    for (int i = 0; i < 50; i++) {
        HWND running = FindWindowA("#32770", "Quilltally");
        if (!running)
            return;
        PostMessageA(running, WM_COMMAND, 1003, 0);
        Sleep(200);
    }
}

int Run(const char* csvPath)
{
    RemoveRunAtLogon();
    EndRunningQuilltally();
    PrepareSettings();
    DeleteFileA(csvPath);

    PROCESS_INFORMATION notepad = {}, app = {};
    if (!Start("notepad.exe", &notepad)) {
        Report("notepad could not be started");
        return 1;
    }
    WaitForInputIdle(notepad.hProcess, 30000);
    HWND editor = WaitForWindow(notepad.dwProcessId, "Notepad", nullptr);
    HWND edit = editor ? FindWindowExA(editor, 0, "Edit", 0) : 0;
    if (!edit) {
        Report("notepad did not open");
        TerminateProcess(notepad.hProcess, 0);
        return 1;
    }
    SendMessageA(edit, WM_SETTEXT, 0, (LPARAM)kSample);
    Report("Notepad holds a sample transcript of %d characters.", CountCharacters(kSample));

    // qtally.exe is beside this program.
    char folder[MAX_PATH];
    GetModuleFileNameA(0, folder, sizeof folder);
    if (char* slash = strrchr(folder, '\\'))
        *slash = 0;
    char command[MAX_PATH + 16];
    snprintf(command, sizeof command, "\"%s\\qtally.exe\"", folder);
    int status = 1;
    if (!Start(command, &app)) {
        Report("qtally.exe could not be started");
        TerminateProcess(notepad.hProcess, 0);
        return 1;
    }
    HWND main = WaitForWindow(app.dwProcessId, "#32770", "Quilltally");
    char keyName[64] = "";
    if (main) {
        // The key name is shown last at start-up.
        WaitFor(HasText, GetDlgItem(main, 120), 30000);
        ItemText(main, 120, keyName, sizeof keyName);
        WaitFor(SplashGone, &app, 15000);
    }

    if (main && BringToFront(editor) && Idle(edit)) {
        Report("Pressing %s in notepad...", keyName);
        Key(VK_SHIFT, false);
        Key(VK_F8, false);
        Key(VK_F8, true);
        Key(VK_SHIFT, true);
        char expected[16];
        snprintf(expected, sizeof expected, "%d", CountCharacters(kSample));
        Expect captured = {main, 103, expected};
        if (!WaitFor(TextIs, &captured, 20000))
            Report("(Quilltally did not show the text of notepad in time)");

        char characters[64], words[64], lines[64], fixed[64], charCost[64], wordCost[64],
            lineCost[64], total[64], perChar[64], perWord[64], perLine[64];
        ItemText(main, 103, characters, sizeof characters);
        ItemText(main, 106, words, sizeof words);
        ItemText(main, 110, lines, sizeof lines);
        ItemText(main, 102, fixed, sizeof fixed);
        ItemText(main, 104, perChar, sizeof perChar);
        ItemText(main, 105, charCost, sizeof charCost);
        ItemText(main, 107, perWord, sizeof perWord);
        ItemText(main, 108, wordCost, sizeof wordCost);
        ItemText(main, 111, perLine, sizeof perLine);
        ItemText(main, 112, lineCost, sizeof lineCost);
        ItemText(main, 115, total, sizeof total);
        Report("Quilltally came to the front and shows:");
        Report("  %6s characters x %s = %s", characters, perChar, charCost);
        Report("  %6s words      x %s = %s", words, perWord, wordCost);
        Report("  %6s lines      x %s = %s", lines, perLine, lineCost);
        Report("  fixed cost per job   = %s", fixed);
        Report("  total cost ($)       = %s", total);
        Screenshot("main-dialog", main);

        PostMessageA(main, WM_COMMAND, 114, 0);
        HWND csv = WaitForWindow(app.dwProcessId, "#32770", "Add to CSV File");
        if (csv) {
            SetItemText(csv, 101, csvPath);
            SetItemText(csv, 103, "Planning committee, 12 May");
            Screenshot("add-to-csv", csv);
            PostMessageA(csv, WM_COMMAND, IDOK, 0);
            HWND box = WaitForWindow(app.dwProcessId, "#32770", "Confirmation", 15000);
            if (box) {
                char text[256];
                Text(GetDlgItem(box, 0xFFFF), text, sizeof text);
                Report("Quilltally says: %s", text);
                PostMessageA(box, WM_COMMAND, IDOK, 0);
            }
            char line[1024] = "";
            if (FILE* f = fopen(csvPath, "rb")) {
                size_t n = fread(line, 1, sizeof line - 1, f);
                line[n] = 0;
                fclose(f);
            }
            line[strcspn(line, "\r\n")] = 0;
            Report("The CSV file %s now holds:", csvPath);
            Report("  %s", line);
            status = line[0] ? 0 : 1;
        } else {
            Report("(the \"Add to CSV File\" dialog did not open)");
        }
    } else {
        Report("(Quilltally or notepad did not come up)");
    }

    if (main)
        PostMessageA(main, WM_COMMAND, 1003, 0);
    if (WaitForSingleObject(app.hProcess, 15000) != WAIT_OBJECT_0)
        TerminateProcess(app.hProcess, 1);
    TerminateProcess(notepad.hProcess, 0);
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
    snprintf(g_sync, sizeof g_sync, "%s", argv[2]);
    char reportPath[MAX_PATH];
    snprintf(reportPath, sizeof reportPath, "%s\\report.txt", g_sync);
    g_report = fopen(reportPath, "w");
    if (!g_report)
        g_report = stdout;
    int status = Run(argv[1]);
    Report("@@end %d", status);
    return status;
}

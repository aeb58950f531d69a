// bench_hotkey: latency of the hot key capture, from the key press in an
// editor to the counts shown in Quilltally's window. It starts notepad and
// qtally.exe (beside this program), fills notepad with texts of 1 KB, 100 KB
// and 1 MB (decimal: Wine's notepad copies nothing from 1 MiB on), presses
// Shift+F8 there several times for each, and prints the median per size:
//   hotkey-<size> <ms>
//
//   bench_hotkey [presses per size]      (default 7)
#include "support/ProductNames.h"
#include "wordcount/TextMeasures.h"

#include <windows.h>

#include <algorithm>
#include <stdio.h>
#include <stdlib.h>
#include <string>
#include <vector>

namespace {

const int kCharacters = 103;
const WORD kCmClose = 1002;
const WORD kCmExit = 1003;
const DWORD kSendTimeoutMs = 30000;

bool WaitFor(bool (*condition)(void*), void* context, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    while (!condition(context)) {
        if (GetTickCount() - start > timeoutMs)
            return false;
        Sleep(20);
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
    Search* s = reinterpret_cast<Search*>(param);
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

bool Found(void* p)
{
    Search* s = static_cast<Search*>(p);
    s->found = 0;
    EnumWindows(Match, reinterpret_cast<LPARAM>(s));
    return s->found && IsWindowVisible(s->found);
}

HWND WaitForWindow(DWORD pid, const char* className, const char* title)
{
    Search s = {pid, className, title, 0};
    return WaitFor(Found, &s, 60000) ? s.found : 0;
}

std::string Text(HWND window)
{
    char text[64] = "";
    DWORD_PTR copied = 0;
    SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                        kSendTimeoutMs, &copied);
    return text;
}

bool Idle(HWND window)
{
    DWORD_PTR result;
    return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, kSendTimeoutMs, &result) != 0;
}

bool InFront(void* window)
{
    if (GetForegroundWindow() == static_cast<HWND>(window))
        return true;
    SetForegroundWindow(static_cast<HWND>(window));
    return false;
}

bool Hidden(void* window)
{
    return !IsWindowVisible(static_cast<HWND>(window));
}

bool HasText(void* window)
{
    return !Text(static_cast<HWND>(window)).empty();
}

void PressShiftF8()
{
    INPUT in[4] = {};
    const WORD keys[4] = {VK_SHIFT, VK_F8, VK_F8, VK_SHIFT};
    for (int i = 0; i < 4; i++) {
        in[i].type = INPUT_KEYBOARD;
        in[i].ki.wVk = keys[i];
        in[i].ki.wScan = static_cast<WORD>(MapVirtualKeyA(keys[i], MAPVK_VK_TO_VSC));
        in[i].ki.dwFlags = (i == 2 || i == 3) ? KEYEVENTF_KEYUP : 0;
    }
    SendInput(4, in, sizeof(INPUT));
}

// Lines of ordinary words, up to the size.
std::string MakeText(size_t size)
{
    static const char* const words[] = {"the", "committee", "agreed", "to", "decide", "at", "its",
                                        "June", "meeting,", "and", "closed", "at", "eleven."};
    std::string text;
    size_t w = 0, line = 0;
    while (text.size() < size) {
        const char* word = words[w++ % (sizeof words / sizeof *words)];
        text += word;
        line += strlen(word) + 1;
        if (line > 70) {
            text += "\r\n";
            line = 0;
        } else {
            text += ' ';
        }
    }
    text.resize(size);
    return text;
}

// With an owner window of its own that is gone again at once: an owner that
// serves no messages would make every later copy wait for it.
bool PutOnClipboard(const std::string& text)
{
    HWND owner = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, 0, 0, 0);
    bool ok = false;
    if (OpenClipboard(owner)) {
        EmptyClipboard();
        if (HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1)) {
            memcpy(GlobalLock(memory), text.c_str(), text.size() + 1);
            GlobalUnlock(memory);
            ok = SetClipboardData(CF_TEXT, memory) != 0;
            if (!ok)
                GlobalFree(memory);
        }
        CloseClipboard();
    }
    DestroyWindow(owner);
    return ok;
}

void RemoveSettings()
{
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, QT_SETTINGS_ROOT);
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, QT_RUN_KEY, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
        RegDeleteValueA(key, QT_RUN_VALUE);
        RegCloseKey(key);
    }
}

bool Start(const std::string& command, PROCESS_INFORMATION* process)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    std::string line = command;
    return CreateProcessA(0, &line[0], 0, 0, FALSE, 0, 0, 0, &startup, process) != 0;
}

// Empties notepad's edit box and pastes the text into it; false unless it
// then holds all of it.
bool FillEditor(HWND edit, const std::string& text)
{
    DWORD_PTR result;
    SendMessageTimeoutA(edit, EM_SETLIMITTEXT, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &result);
    // Pasted: Wine carries at most 1 MB of message data between
    // processes, so WM_SETTEXT cannot fill it with the largest text.
    SendMessageTimeoutA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""), SMTO_ABORTIFHUNG, kSendTimeoutMs,
                        &result);
    return PutOnClipboard(text)
           && SendMessageTimeoutA(edit, WM_PASTE, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &result)
           && SendMessageTimeoutA(edit, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &result)
           && result == text.size();
}

struct BenchWindows {
    HWND main;     // Quilltally's
    HWND counts;   // its character count
    HWND editor;   // notepad's
    HWND edit;     // notepad's edit box
};

enum class Press { Shown, NotShown, NotReady };

// Hides Quilltally, then times one hot key press in notepad until the
// expected count shows (or 30 s pass).
Press TimeOnePress(const BenchWindows& w, const std::string& expected, double& elapsed)
{
    // Only a real copy brings the text's count: not what is left
    // on the clipboard, nor what was shown before.
    DWORD_PTR result;
    SendMessageTimeoutA(w.counts, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""), SMTO_ABORTIFHUNG, kSendTimeoutMs,
                        &result);
    PutOnClipboard("-");
    PostMessageA(w.main, WM_COMMAND, kCmClose, 0);
    // Without a window manager, Wine's hiding waits up to two
    // seconds for one in Quilltally's thread: wait until it is done.
    if (!WaitFor(Hidden, w.main, 30000) || !Idle(w.main) || !WaitFor(InFront, w.editor, 30000) || !Idle(w.edit))
        return Press::NotReady;
    Sleep(300);   // the X server and Wine settle after the window change
    LARGE_INTEGER frequency, start, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    PressShiftF8();
    for (;;) {
        bool shown = Text(w.counts) == expected;
        QueryPerformanceCounter(&now);
        elapsed = 1000.0 * (now.QuadPart - start.QuadPart) / frequency.QuadPart;
        if (shown)
            return Press::Shown;
        if (elapsed > 30000)
            return Press::NotShown;
        Sleep(1);
    }
}

// Fills notepad with a text of the size, presses the hot key the given
// number of times after one that is not counted (it warms up both
// programs) and prints the median. False when the run cannot go on; status
// becomes 1 when anything failed.
bool MeasureSize(const BenchWindows& w, const char* name, size_t size, int presses, int& status)
{
    std::string text = MakeText(size);
    if (!FillEditor(w.edit, text)) {
        fprintf(stderr, "%s: notepad could not be filled\n", name);
        status = 1;
        return false;
    }
    const std::string expected = std::to_string(CountCharacters(text.c_str()));
    std::vector<double> ms;
    for (int i = 0; i <= presses; i++) {
        double elapsed = 0;
        Press press = TimeOnePress(w, expected, elapsed);
        if (press == Press::NotReady) {
            status = 1;
            break;
        }
        if (i > 0)
            ms.push_back(elapsed);
        if (press == Press::NotShown) {
            fprintf(stderr, "%s: Quilltally did not show %s characters\n", name, expected.c_str());
            status = 1;
        }
    }
    if (ms.empty())
        return false;
    std::sort(ms.begin(), ms.end());
    printf("hotkey-%s %.0f\n", name, ms[ms.size() / 2]);
    fflush(stdout);
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    int presses = argc > 1 ? atoi(argv[1]) : 7;
    if (presses < 1)
        presses = 1;
    RemoveSettings();

    PROCESS_INFORMATION notepad = {}, app = {};
    if (!Start("notepad.exe", &notepad)) {
        fprintf(stderr, "notepad could not be started\n");
        return 1;
    }
    WaitForInputIdle(notepad.hProcess, 30000);
    HWND editor = WaitForWindow(notepad.dwProcessId, "Notepad", nullptr);
    HWND edit = editor ? FindWindowExA(editor, 0, "Edit", 0) : 0;
    char folder[MAX_PATH];
    GetModuleFileNameA(0, folder, sizeof folder);
    if (char* slash = strrchr(folder, '\\'))
        *slash = 0;
    HWND main = 0;
    if (edit && Start("\"" + std::string(folder) + "\\qtally.exe\"", &app))
        main = WaitForWindow(app.dwProcessId, "#32770", QT_PRODUCT_NAME);
    int status = 1;
    if (main && WaitFor(HasText, GetDlgItem(main, 120), 60000)) {
        status = 0;
        BenchWindows w = {main, GetDlgItem(main, kCharacters), editor, edit};
        const struct {
            const char* name;
            size_t size;
        } sizes[] = {{"1KB", 1000}, {"100KB", 100000}, {"1MB", 1000000}};
        for (const auto& size : sizes)
            if (!MeasureSize(w, size.name, size.size, presses, status))
                break;
    } else {
        fprintf(stderr, "Quilltally or notepad did not come up\n");
    }
    if (main)
        PostMessageA(main, WM_COMMAND, kCmExit, 0);
    if (app.hProcess && WaitForSingleObject(app.hProcess, 15000) != WAIT_OBJECT_0)
        TerminateProcess(app.hProcess, 1);
    TerminateProcess(notepad.hProcess, 0);
    RemoveSettings();
    return status;
}

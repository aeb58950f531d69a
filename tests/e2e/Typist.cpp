#include "tests/e2e/Typist.h"

#include "tests/common/TestFiles.h"
#include "tests/common/TestWindows.h"
#include "tests/e2e/AppDriver.h"

#include <stdio.h>
#include <string.h>
#include <time.h>
#include <vector>

namespace typist {

namespace {

INPUT KeyInput(WORD key, bool up)
{
    INPUT in = {};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = key;
    in.ki.wScan = static_cast<WORD>(MapVirtualKeyA(key, MAPVK_VK_TO_VSC));
    in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return in;
}

}

Editor::~Editor()
{
    Stop();
}

void Editor::Stop()
{
    if (info_.hProcess) {
        TerminateProcess(info_.hProcess, 0);
        WaitForSingleObject(info_.hProcess, 10000);
        CloseHandle(info_.hProcess);
        CloseHandle(info_.hThread);
    }
    info_ = PROCESS_INFORMATION();
    window_ = edit_ = 0;
}

bool Editor::Start(const std::string& commandLine, const char* frameClass, const char* textClass)
{
    Stop();
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    std::string command = commandLine;
    if (!CreateProcessA(0, &command[0], 0, 0, FALSE, 0, 0, 0, &startup, &info_))
        return false;
    WaitForInputIdle(info_.hProcess, 15000);
    e2e::WaitUntil([&] {
        testwin::WindowQuery frame;
        frame.processId = info_.dwProcessId;
        frame.className = frameClass;
        window_ = testwin::FindTopWindow(frame);
        return window_ && IsWindowVisible(window_);
    });
    edit_ = window_ ? FindWindowExA(window_, 0, textClass, 0) : 0;
    return edit_ && WaitIdle(window_);
}

bool Editor::StartNotepad()
{
    return Start("notepad.exe", "Notepad", "Edit");
}

bool Editor::StartWordpad()
{
    return Start("\"C:\\Program Files\\Windows NT\\Accessories\\wordpad.exe\"", "WORDPADTOP", "RichEdit20W");
}

bool Editor::StartTestEditor(const std::string& arguments)
{
    return Start("\"" + e2e::BinFolder() + "\\testeditor.exe\" " + arguments, "QtTestEditor", "Edit");
}

void Editor::SetText(const std::string& text)
{
    DWORD_PTR result;
    SendMessageTimeoutA(edit_, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                        SMTO_ABORTIFHUNG, 10000, &result);
}

std::string Editor::Text() const
{
    return e2e::WindowText(edit_);
}

void Editor::Select(int start, int end)
{
    DWORD_PTR result;
    SendMessageTimeoutA(edit_, EM_SETSEL, start, end, SMTO_ABORTIFHUNG, 10000, &result);
}

void Editor::Selection(DWORD* start, DWORD* end) const
{
    *start = *end = 0;
    DWORD_PTR packed = 0;
    if (SendMessageTimeoutA(edit_, EM_GETSEL, 0, 0, SMTO_ABORTIFHUNG, 10000, &packed)) {
        *start = LOWORD(packed);
        *end = HIWORD(packed);
    }
}

bool Editor::Focus()
{
    if (!BringToFront(window_))
        return false;
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    bool focused = e2e::WaitUntil([&] {
        return GetGUIThreadInfo(info_.dwThreadId, &info) && info.hwndFocus == edit_;
    });
    return focused && WaitIdle(window_);
}

namespace {

std::vector<WORD> g_countedKeys;
volatile LONG g_injectedKeys;

LRESULT CALLBACK CountInjected(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HC_ACTION && (wParam == WM_KEYDOWN || wParam == WM_SYSKEYDOWN)) {
        const KBDLLHOOKSTRUCT* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
        if (key->flags & LLKHF_INJECTED)
            for (WORD k : g_countedKeys)
                if (key->vkCode == k)
                    InterlockedIncrement(&g_injectedKeys);
    }
    return CallNextHookEx(0, code, wParam, lParam);
}

}

InjectedKeyCounter::InjectedKeyCounter(std::initializer_list<WORD> keys)
{
    g_countedKeys.assign(keys.begin(), keys.end());
    g_injectedKeys = 0;
    ready_ = CreateEventA(0, TRUE, FALSE, 0);
    thread_ = CreateThread(0, 0, Thread, this, 0, &threadId_);
    if (thread_)
        WaitForSingleObject(ready_, 10000);
}

InjectedKeyCounter::~InjectedKeyCounter()
{
    if (thread_) {
        PostThreadMessageA(threadId_, WM_QUIT, 0, 0);
        WaitForSingleObject(thread_, 10000);
        CloseHandle(thread_);
    }
    CloseHandle(ready_);
}

int InjectedKeyCounter::Count() const
{
    return static_cast<int>(g_injectedKeys);
}

DWORD WINAPI InjectedKeyCounter::Thread(void* param)
{
    InjectedKeyCounter* self = static_cast<InjectedKeyCounter*>(param);
    MSG msg;
    PeekMessageA(&msg, 0, 0, 0, PM_NOREMOVE);   // the thread's queue, for WM_QUIT
    HHOOK hook = SetWindowsHookExA(WH_KEYBOARD_LL, CountInjected, GetModuleHandleA(0), 0);
    self->hooked_ = hook != 0;
    SetEvent(self->ready_);
    // The system calls the hook through this thread's messages.
    while (hook && GetMessageA(&msg, 0, 0, 0) > 0)
        DispatchMessageA(&msg);
    if (hook)
        UnhookWindowsHookEx(hook);
    return 0;
}

bool BringToFront(HWND window)
{
    return e2e::WaitUntil([&] {
        if (GetForegroundWindow() == window)
            return true;
        SetForegroundWindow(window);
        return false;
    }) && WaitIdle(window);
}

bool WaitIdle(HWND window)
{
    DWORD_PTR result;
    return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result) != 0;
}

void PressKey(std::initializer_list<WORD> modifiers, WORD key)
{
    std::vector<INPUT> inputs;
    for (WORD m : modifiers)
        inputs.push_back(KeyInput(m, false));
    inputs.push_back(KeyInput(key, false));
    inputs.push_back(KeyInput(key, true));
    for (auto m = modifiers.end(); m != modifiers.begin();)
        inputs.push_back(KeyInput(*--m, true));
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

void SendKeys(std::initializer_list<WORD> keys, bool up)
{
    std::vector<INPUT> inputs;
    for (WORD k : keys)
        inputs.push_back(KeyInput(k, up));
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

std::string KeyName(WORD key)
{
    char name[64] = "";
    LONG param = static_cast<LONG>(((MapVirtualKeyA(key, MAPVK_VK_TO_VSC) & 0xFF) << 16) | key);
    GetKeyNameTextA(param, name, sizeof name);
    return name;
}

DateOrder::DateOrder()
{
    had_ = GetProfileStringA("Intl", "iDate", "", old_, sizeof old_) > 0;
}

DateOrder::~DateOrder()
{
    WriteProfileStringA("Intl", "iDate", had_ ? old_ : nullptr);
}

void DateOrder::Set(int order)
{
    char text[16];
    snprintf(text, sizeof text, "%d", order);
    WriteProfileStringA("Intl", "iDate", text);
}

std::string TodayText(int order)
{
    time_t now = time(nullptr);
    const tm* t = localtime(&now);
    int day = t->tm_mday, month = t->tm_mon + 1, year = t->tm_year % 100;
    char text[16];
    if (order == 1)
        snprintf(text, sizeof text, "%02d/%02d/%02d", day, month, year);
    else if (order == 2)
        snprintf(text, sizeof text, "%02d/%02d/%02d", year, month, day);
    else
        snprintf(text, sizeof text, "%02d/%02d/%02d", month, day, year);
    return text;
}

TempFolder::TempFolder()
{
    static int serial = 0;
    path_ = testfiles::FreshTempFolder("qt-e2e-" + std::to_string(GetCurrentProcessId()) + "-" +
                                       std::to_string(++serial));
}

TempFolder::~TempFolder()
{
    testfiles::DeleteTree(path_);
}

HWND FindOwnedWindow(const char* title, HWND owner)
{
    testwin::WindowQuery query;
    query.title = title;
    query.owner = owner;
    return testwin::FindTopWindow(query);
}

}

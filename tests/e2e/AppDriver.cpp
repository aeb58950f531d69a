// Outside driver of the real program; see AppDriver.h.
#include "tests/e2e/AppDriver.h"

#include <string.h>

namespace e2e {

namespace {

const WORD kExitCommand = 1003;
const DWORD kSendTimeoutMs = 10000;

testwin::WindowQuery DialogQuery(const char* title, DWORD processId)
{
    testwin::WindowQuery query;
    query.processId = processId;
    query.className = "#32770";
    query.title = title;
    return query;
}

INT_PTR CALLBACK PlainDialogProc(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}

} // namespace

std::string BinFolder()
{
    char path[MAX_PATH] = "";
    GetModuleFileNameA(0, path, sizeof path);
    if (char* slash = strrchr(path, '\\'))
        *slash = 0;
    return path;
}

std::string QtallyPath()
{
    return BinFolder() + "\\qtally.exe";
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    for (;;) {
        if (condition())
            return true;
        if (GetTickCount() - start >= timeoutMs)
            return false;
        Sleep(50);
    }
}

// ---- Process

Process::~Process()
{
    if (Running() && !Exit(10000))
        Terminate();
    if (info_.hProcess)
        CloseHandle(info_.hProcess);
    if (info_.hThread)
        CloseHandle(info_.hThread);
}

bool Process::Start(const std::string& program, const std::string& arguments)
{
    std::string command = "\"" + program + "\"";
    if (!arguments.empty())
        command += " " + arguments;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    return CreateProcessA(program.c_str(), &command[0], 0, 0, FALSE, 0, 0, 0, &startup, &info_) != 0;
}

bool Process::Running() const
{
    return info_.hProcess && WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT;
}

bool Process::WaitForExit(DWORD timeoutMs, DWORD* code)
{
    if (!info_.hProcess || WaitForSingleObject(info_.hProcess, timeoutMs) != WAIT_OBJECT_0)
        return false;
    if (code)
        GetExitCodeProcess(info_.hProcess, code);
    return true;
}

HWND Process::MainWindow() const
{
    return info_.dwProcessId ? FindDialog("Quilltally", info_.dwProcessId) : 0;
}

HWND Process::WaitForMainWindow(DWORD timeoutMs) const
{
    HWND window = 0;
    WaitUntil([&] { return (window = MainWindow()) != 0 || !Running(); }, timeoutMs);
    return window;
}

bool Process::Exit(DWORD timeoutMs)
{
    if (!Running())
        return true;
    if (HWND window = MainWindow()) {
        PostCommand(window, kExitCommand);
        if (WaitForExit(timeoutMs))
            return true;
    }
    Terminate();
    return false;
}

void Process::Terminate()
{
    if (Running()) {
        TerminateProcess(info_.hProcess, 1);
        WaitForSingleObject(info_.hProcess, 10000);
    }
}

// ---- Windows

HWND FindDialog(const char* title, DWORD processId)
{
    return testwin::FindTopWindow(DialogQuery(title, processId));
}

HWND WaitForDialog(const char* title, DWORD processId, DWORD timeoutMs)
{
    HWND window = 0;
    WaitUntil([&] { return (window = FindDialog(title, processId)) != 0; }, timeoutMs);
    return window;
}

int CountDialogs(const char* title)
{
    return static_cast<int>(testwin::TopWindows(DialogQuery(title, 0)).size());
}

std::string ControlText(HWND dialog, int id)
{
    HWND control = GetDlgItem(dialog, id);
    return control ? WindowText(control) : "";
}

bool WaitForControlText(HWND dialog, int id, const std::string& text, DWORD timeoutMs)
{
    return WaitUntil([&] { return ControlText(dialog, id) == text; }, timeoutMs);
}

void SetControlText(HWND dialog, int id, const std::string& text)
{
    DWORD_PTR result = 0;
    SendMessageTimeoutA(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                        SMTO_ABORTIFHUNG, kSendTimeoutMs, &result);
}

std::vector<std::string> StaticTexts(HWND window)
{
    std::vector<std::string> texts;
    for (HWND child : testwin::ChildWindows(window, "Static"))
        texts.push_back(WindowText(child));
    return texts;
}

bool WaitForStartUp(HWND main, DWORD timeoutMs)
{
    const int keyName = 120;
    return WaitUntil([&] { return !ControlText(main, keyName).empty(); }, timeoutMs);
}

bool IsChecked(HWND dialog, int id)
{
    DWORD_PTR state = 0;
    SendMessageTimeoutA(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &state);
    return state == BST_CHECKED;
}

bool IsEnabled(HWND dialog, int id)
{
    return IsWindowEnabled(GetDlgItem(dialog, id)) != 0;
}

void Click(HWND dialog, int id)
{
    PostMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

void PostCommand(HWND window, WORD id, WORD code)
{
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(id, code), 0);
}

RECT ControlRect(HWND dialog, int id)
{
    RECT r = {};
    GetWindowRect(GetDlgItem(dialog, id), &r);
    MapWindowPoints(0, dialog, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

RECT DialogUnitsToPixels(RECT units, const char* face, WORD points)
{
    // Header of an empty dialog template with a font, as 16-bit words.
    std::vector<WORD> words;
    DWORD style = DS_SETFONT | WS_POPUP;
    words.push_back(LOWORD(style));
    words.push_back(HIWORD(style));
    words.insert(words.end(), {0, 0, 0, 0, 0, 10, 10, 0, 0, 0, points});
    for (const char* c = face; *c; ++c)
        words.push_back(static_cast<WORD>(static_cast<unsigned char>(*c)));
    words.push_back(0);
    HWND probe = CreateDialogIndirectParamA(GetModuleHandleA(0), reinterpret_cast<DLGTEMPLATE*>(words.data()),
                                            0, PlainDialogProc, 0);
    RECT pixels = units;
    if (probe) {
        MapDialogRect(probe, &pixels);
        DestroyWindow(probe);
    }
    return pixels;
}

// ---- Registry

void WriteSettingText(const char* name, const std::string& text)
{
    testreg::WriteText(kSettingsKey, name, text);
}

bool ReadRegistryText(const char* key, const char* value, std::string* text)
{
    return testreg::ReadText(key, value, text);
}

bool ReadSettingText(const char* name, std::string* text)
{
    return testreg::ReadText(kSettingsKey, name, text);
}

void ResetState()
{
    testreg::ResetProductState();
}

} // namespace e2e

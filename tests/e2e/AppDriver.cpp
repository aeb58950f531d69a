// Outside driver of the real program; see AppDriver.h.
#include "tests/e2e/AppDriver.h"

#include <string.h>

namespace e2e {

const char kSettingsKey[] = "Software\\Corvane\\Quilltally\\Settings";
const char kRunKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
const char kRunValue[] = "QuilltallyRun";

namespace {

const char kProductKey[] = "Software\\Corvane\\Quilltally";
const WORD kExitCommand = 1003;
const DWORD kSendTimeoutMs = 10000;

bool IsDialogClass(HWND window)
{
    char name[64] = "";
    GetClassNameA(window, name, sizeof name);
    return strcmp(name, "#32770") == 0;
}

struct DialogSearch {
    const char* title;
    DWORD processId;
    HWND found;
    int count;
};

BOOL CALLBACK MatchDialog(HWND window, LPARAM param)
{
    DialogSearch* search = reinterpret_cast<DialogSearch*>(param);
    if (!IsDialogClass(window))
        return TRUE;
    char title[256] = "";
    GetWindowTextA(window, title, sizeof title);
    if (strcmp(title, search->title) != 0)
        return TRUE;
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (search->processId && pid != search->processId)
        return TRUE;
    if (!search->found)
        search->found = window;
    ++search->count;
    return TRUE;
}

DialogSearch SearchDialogs(const char* title, DWORD processId)
{
    DialogSearch search = {title, processId, 0, 0};
    EnumWindows(MatchDialog, reinterpret_cast<LPARAM>(&search));
    return search;
}

// Owner of the clipboard data this process puts there.
// The clipboard is opened with a window of its own, destroyed when it is
// closed again: an owner left behind on a thread that serves no messages
// makes Wine's clipboard wait for it whenever another program copies, long
// enough for a hot key capture to miss its text.
class ClipboardSession {
public:
    ClipboardSession()
        : owner_(CreateWindowExA(0, "STATIC", "e2e clipboard", 0, 0, 0, 0, 0, HWND_MESSAGE, 0,
                                 GetModuleHandleA(0), 0))
    {
        // Another program may hold the clipboard for a moment.
        open_ = WaitUntil([this] { return OpenClipboard(owner_) != 0; }, 5000);
    }
    ~ClipboardSession()
    {
        if (open_)
            CloseClipboard();
        DestroyWindow(owner_);
    }
    bool Open() const { return open_; }

private:
    HWND owner_;
    bool open_;
};

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
    return SearchDialogs(title, processId).found;
}

HWND WaitForDialog(const char* title, DWORD processId, DWORD timeoutMs)
{
    HWND window = 0;
    WaitUntil([&] { return (window = FindDialog(title, processId)) != 0; }, timeoutMs);
    return window;
}

int CountDialogs(const char* title)
{
    return SearchDialogs(title, 0).count;
}

std::string WindowText(HWND window)
{
    char text[4096] = "";
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                             SMTO_ABORTIFHUNG, kSendTimeoutMs, &copied))
        return "";
    return std::string(text, copied < sizeof text ? copied : sizeof text - 1);
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

namespace {
BOOL CALLBACK CollectStatic(HWND child, LPARAM param)
{
    char name[64] = "";
    GetClassNameA(child, name, sizeof name);
    if (lstrcmpiA(name, "Static") == 0)
        reinterpret_cast<std::vector<std::string>*>(param)->push_back(WindowText(child));
    return TRUE;
}
} // namespace

std::vector<std::string> StaticTexts(HWND window)
{
    std::vector<std::string> texts;
    EnumChildWindows(window, CollectStatic, reinterpret_cast<LPARAM>(&texts));
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

// ---- Clipboard

bool SetClipboardText(const std::string& text)
{
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    if (!memory)
        return false;
    memcpy(GlobalLock(memory), text.c_str(), text.size() + 1);
    GlobalUnlock(memory);
    ClipboardSession clipboard;
    if (!clipboard.Open()) {
        GlobalFree(memory);
        return false;
    }
    EmptyClipboard();
    bool ok = SetClipboardData(CF_TEXT, memory) != 0;
    if (!ok)
        GlobalFree(memory);
    return ok;
}

bool EmptyTheClipboard()
{
    ClipboardSession clipboard;
    return clipboard.Open() && EmptyClipboard() != 0;
}

bool ClipboardText(std::string* text)
{
    text->clear();
    ClipboardSession clipboard;
    if (!clipboard.Open())
        return false;
    bool found = false;
    if (HANDLE data = GetClipboardData(CF_TEXT)) {
        if (const char* p = static_cast<const char*>(GlobalLock(data))) {
            *text = p;
            found = true;
            GlobalUnlock(data);
        }
    }
    return found;
}

// ---- Registry

void WriteSettingText(const char* name, const std::string& text)
{
    HKEY key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kSettingsKey, 0, 0, 0, KEY_SET_VALUE, 0, &key, 0) != ERROR_SUCCESS)
        return;
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>(text.size() + 1));
    RegCloseKey(key);
}

bool ReadRegistryText(const char* keyName, const char* value, std::string* text)
{
    text->clear();
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyName, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return false;
    DWORD size = 0;
    bool found = RegQueryValueExA(key, value, 0, 0, 0, &size) == ERROR_SUCCESS;
    if (found) {
        std::string data(size + 1, '\0');
        found = RegQueryValueExA(key, value, 0, 0, reinterpret_cast<BYTE*>(&data[0]), &size) == ERROR_SUCCESS;
        if (found)
            *text = data.c_str();
    }
    RegCloseKey(key);
    return found;
}

bool ReadSettingText(const char* name, std::string* text)
{
    return ReadRegistryText(kSettingsKey, name, text);
}

void ResetState()
{
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, kProductKey);
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kRunKey, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
        RegDeleteValueA(key, kRunValue);
        RegCloseKey(key);
    }
}

} // namespace e2e

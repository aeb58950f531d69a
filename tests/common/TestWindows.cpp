#include "tests/common/TestWindows.h"

namespace testwin {

namespace {

const DWORD kSendTimeoutMs = 10000;

struct TopSearch {
    const WindowQuery* query;
    std::vector<HWND> found;
};

bool Matches(HWND window, const WindowQuery& q)
{
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (q.processId && pid != q.processId)
        return false;
    if (q.className && lstrcmpiA(ClassName(window).c_str(), q.className) != 0)
        return false;
    if (q.title) {
        // GetWindowText reads a top-level caption without a message that a
        // hung window would hold up.
        char title[512] = "";
        GetWindowTextA(window, title, sizeof title);
        if (lstrcmpA(title, q.title) != 0)
            return false;
    }
    if (q.owner != kAnyOwner && GetWindow(window, GW_OWNER) != q.owner)
        return false;
    return !q.visibleOnly || IsWindowVisible(window);
}

BOOL CALLBACK NoteTop(HWND window, LPARAM param)
{
    TopSearch* s = reinterpret_cast<TopSearch*>(param);
    if (Matches(window, *s->query))
        s->found.push_back(window);
    return TRUE;
}

struct ChildSearch {
    const char* className;
    std::vector<HWND> found;
};

BOOL CALLBACK NoteChild(HWND window, LPARAM param)
{
    ChildSearch* s = reinterpret_cast<ChildSearch*>(param);
    if (!s->className || lstrcmpiA(ClassName(window).c_str(), s->className) == 0)
        s->found.push_back(window);
    return TRUE;
}

} // namespace

std::vector<HWND> TopWindows(const WindowQuery& query)
{
    TopSearch s = {&query, {}};
    if (query.threadId)
        EnumThreadWindows(query.threadId, NoteTop, reinterpret_cast<LPARAM>(&s));
    else
        EnumWindows(NoteTop, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

HWND FindTopWindow(const WindowQuery& query)
{
    std::vector<HWND> found = TopWindows(query);
    return found.empty() ? 0 : found.front();
}

std::vector<HWND> ChildWindows(HWND parent, const char* className)
{
    ChildSearch s = {className, {}};
    EnumChildWindows(parent, NoteChild, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

std::string ClassName(HWND window)
{
    char name[256] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

std::string WindowText(HWND window)
{
    std::string text(65536, '\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]),
                             SMTO_ABORTIFHUNG, kSendTimeoutMs, &copied))
        return "";
    text.resize(copied < text.size() ? copied : text.size() - 1);
    return text;
}

} // namespace testwin

#include "tests/common/TestClipboard.h"

#include <windows.h>

#include <string.h>

namespace testclip {

namespace {

// The clipboard opened with a window of its own, destroyed when it is closed
// again: an owner left behind on a thread that serves no messages makes
// Wine's clipboard wait for it whenever another program copies, long enough
// for a hot key capture to miss its text.
class Session {
public:
    Session()
        : owner_(CreateWindowExA(0, "STATIC", "test clipboard", 0, 0, 0, 0, 0, HWND_MESSAGE, 0,
                                 GetModuleHandleA(0), 0))
    {
        // Another program may hold the clipboard for a moment.
        DWORD start = GetTickCount();
        while (!(open_ = OpenClipboard(owner_) != 0) && GetTickCount() - start < 5000)
            Sleep(50);
    }
    ~Session()
    {
        if (open_)
            CloseClipboard();
        DestroyWindow(owner_);
    }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;
    bool Open() const { return open_; }

private:
    HWND owner_;
    bool open_ = false;
};

} // namespace

bool SetText(const std::string& text)
{
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    if (!memory)
        return false;
    memcpy(GlobalLock(memory), text.c_str(), text.size() + 1);
    GlobalUnlock(memory);
    Session clipboard;
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

bool Empty()
{
    Session clipboard;
    return clipboard.Open() && EmptyClipboard() != 0;
}

bool ReadText(std::string* text)
{
    text->clear();
    Session clipboard;
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

} // namespace testclip

#include "ScriptedUi.h"

namespace uiscript {

namespace {

struct Player {
    std::vector<Step> steps;
    size_t next = 0;
    int waitedTicks = 0;
    bool busy = false;
    bool timedOut = false;
};

Player* g_player = nullptr;
const UINT kTickMs = 15;
const int kMaxWaitTicks = 10000 / kTickMs;

BOOL CALLBACK CancelWindow(HWND window, LPARAM)
{
    PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
    return TRUE;
}

void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD)
{
    Player* p = g_player;
    if (!p || p->busy)
        return;
    if (p->timedOut || p->next >= p->steps.size()) {
        if (p->timedOut)
            EnumThreadWindows(GetCurrentThreadId(), CancelWindow, 0);
        return;
    }
    p->busy = true;
    bool done = p->steps[p->next]();
    p->busy = false;
    if (done) {
        p->next++;
        p->waitedTicks = 0;
    } else if (++p->waitedTicks > kMaxWaitTicks) {
        p->timedOut = true;
    }
}

testwin::WindowQuery ThreadWindows(const char* caption, HWND owner)
{
    testwin::WindowQuery query;
    query.threadId = GetCurrentThreadId();
    query.title = caption;
    query.owner = owner;
    return query;
}

}

Outcome Play(std::vector<Step> steps, const std::function<void()>& body)
{
    Player player;
    player.steps = std::move(steps);
    g_player = &player;
    UINT_PTR timer = SetTimer(0, 0, kTickMs, Tick);
    body();
    KillTimer(0, timer);
    g_player = nullptr;
    Outcome outcome;
    outcome.stepsRun = player.next;
    outcome.timedOut = player.timedOut;
    return outcome;
}

void SetModifiers(bool ctrl, bool alt, bool shift)
{
    BYTE state[256];
    GetKeyboardState(state);
    state[VK_CONTROL] = ctrl ? 0x80 : 0;
    state[VK_LCONTROL] = state[VK_CONTROL];
    state[VK_MENU] = alt ? 0x80 : 0;
    state[VK_LMENU] = state[VK_MENU];
    state[VK_SHIFT] = shift ? 0x80 : 0;
    state[VK_LSHIFT] = state[VK_SHIFT];
    SetKeyboardState(state);
}

HWND FindThreadWindow(const char* caption, HWND owner)
{
    return testwin::FindTopWindow(ThreadWindows(caption, owner));
}

int CountThreadWindows(const char* caption)
{
    return static_cast<int>(testwin::TopWindows(ThreadWindows(caption, testwin::kAnyOwner)).size());
}

std::string MessageBoxText(HWND box)
{
    // The message text is the static control with id 0xFFFF.
    char text[1024] = "";
    GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
    return text;
}

}

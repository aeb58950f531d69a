// Drives in-process dialogs from inside their own message loops: the steps of
// a script run one per tick of a thread timer, which every loop of the thread
// (modal dialogs, message boxes, key capture loops) dispatches.
#ifndef QT_TESTS_SCRIPTEDUI_H
#define QT_TESTS_SCRIPTEDUI_H

#include <windows.h>

#include "tests/common/TestWindows.h"

#include <functional>
#include <string>
#include <vector>

namespace uiscript {

// Returns true when done; false to be run again at the next tick.
using Step = std::function<bool()>;

struct Outcome {
    size_t stepsRun = 0;    // steps that returned true
    bool timedOut = false;  // a step kept waiting; the thread's windows were cancelled
};

// Runs body (which enters some loop) while the steps play; stops playing when
// body returns. A timer tick only arrives when no posted message is waiting,
// so every step sees the effects of the messages the previous one posted.
Outcome Play(std::vector<Step> steps, const std::function<void()>& body);

// Sets the thread's key state: what GetKeyState reports for the modifiers.
void SetModifiers(bool ctrl, bool alt, bool shift);

// A top-level window of this thread with this caption whose owner is owner
// (any owner when owner is testwin::kAnyOwner); 0 when there is none.
HWND FindThreadWindow(const char* caption, HWND owner = testwin::kAnyOwner);
int CountThreadWindows(const char* caption);

using testwin::WindowText;
// The text of a message box (its static text control).
std::string MessageBoxText(HWND box);

}

#endif

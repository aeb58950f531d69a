// What a user does around Quilltally: types in an editor (Wine's notepad),
// presses keys on the keyboard (SendInput), and looks at files and the
// regional date order. Works together with AppDriver.h.
#ifndef QT_TESTS_E2E_TYPIST_H
#define QT_TESTS_E2E_TYPIST_H

#include <windows.h>

#include <initializer_list>
#include <string>

namespace typist {

// An editor with a text window (Wine's notepad or Wordpad, or the tests' own
// testeditor), started fresh and ended (without saving) when it goes.
class Editor {
public:
    Editor() = default;
    Editor(const Editor&) = delete;
    Editor& operator=(const Editor&) = delete;
    ~Editor();

    // The program's top-level window of frameClass, and in it the text window
    // of textClass. Each ends the editor started before.
    bool Start(const std::string& commandLine, const char* frameClass, const char* textClass);
    bool StartNotepad();
    bool StartWordpad();
    bool StartTestEditor(const std::string& arguments);   // testeditor.exe beside the tests
    void Stop();
    HWND Window() const { return window_; }
    HWND Edit() const { return edit_; }
    void SetText(const std::string& text);
    std::string Text() const;
    void Select(int start, int end);
    void Selection(DWORD* start, DWORD* end) const;
    // Brings it to the front with the keyboard focus in its text, and waits
    // until it is idle, so that keys posted to it are handled at once.
    bool Focus();

private:
    PROCESS_INFORMATION info_ = {};
    HWND window_ = 0;
    HWND edit_ = 0;
};

// Counts the key presses of the given keys that reach the system's keyboard
// input from a program (injected), while it lives: a low-level keyboard
// hook on a thread of its own.
// One at a time.
class InjectedKeyCounter {
public:
    explicit InjectedKeyCounter(std::initializer_list<WORD> keys);
    ~InjectedKeyCounter();
    bool Running() const { return hooked_; }
    int Count() const;

private:
    static DWORD WINAPI Thread(void* self);
    HANDLE thread_ = 0;
    DWORD threadId_ = 0;
    HANDLE ready_ = 0;
    bool hooked_ = false;
};

// Makes window the foreground window and waits until the system says so.
bool BringToFront(HWND window);
// Waits until the window's thread has handled everything sent before.
bool WaitIdle(HWND window);

// Presses and releases a key with the modifiers held, on the real keyboard
// input (SendInput); an empty list of modifiers presses the key alone.
void PressKey(std::initializer_list<WORD> modifiers, WORD key);
// Presses (up false) or releases (up true) the keys in this order on the
// real keyboard input, as a person holding keys does.
void SendKeys(std::initializer_list<WORD> keys, bool up);
// The platform's name of a key, as a key name text shows it.
std::string KeyName(WORD key);

// The "Intl"/"iDate" profile value; Restores the old value when it goes.
class DateOrder {
public:
    DateOrder();
    ~DateOrder();
    void Set(int order);

private:
    char old_[16] = "";
    bool had_ = false;
};

// Today's date as the CSV log writes it in the given order, worked out here.
std::string TodayText(int order);

// A fresh folder under the temporary folder, removed with its files.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    const std::string& Path() const { return path_; }
    std::string File(const char* name) const { return path_ + "\\" + name; }

private:
    std::string path_;
};

// A top-level window with this title owned by owner.
HWND FindOwnedWindow(const char* title, HWND owner);

}

#endif

// bench_hotkey: latency of the hot key capture, from the key press in an
// editor to the counts shown in Quilltally's window. It starts notepad and
// qtally.exe (beside this program), fills notepad with texts of 1 KB, 100 KB
// and 1 MB (decimal: Wine's notepad copies nothing from 1 MiB on), presses
// Shift+F8 there several times for each, and prints the median per size:
//   hotkey-<size> <ms>
//
//   bench_hotkey [presses per size]      (default 7)
#include "tests/common/TestClipboard.h"
#include "tests/e2e/AppDriver.h"
#include "tests/e2e/Typist.h"
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
const DWORD kSendTimeoutMs = 30000;

// Polled while the latency is measured: a small buffer and nothing else.
std::string CountsText(HWND window)
{
    char text[64] = "";
    DWORD_PTR copied = 0;
    SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                        kSendTimeoutMs, &copied);
    return text;
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

// Fills notepad and presses the hot key in it for each size; the exit status.
int Measure(typist::Editor& notepad, HWND main, int presses)
{
    int status = 0;
    HWND edit = notepad.Edit();
    HWND counts = GetDlgItem(main, kCharacters);
    const struct {
        const char* name;
        size_t size;
    } sizes[] = {{"1KB", 1000}, {"100KB", 100000}, {"1MB", 1000000}};
    for (const auto& size : sizes) {
        std::string text = MakeText(size.size);
        DWORD_PTR result;
        SendMessageTimeoutA(edit, EM_SETLIMITTEXT, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &result);
        // Pasted: Wine carries at most 1 MB of message data between
        // processes, so WM_SETTEXT cannot fill it with the largest text.
        SendMessageTimeoutA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""), SMTO_ABORTIFHUNG, kSendTimeoutMs,
                            &result);
        if (!testclip::SetText(text)
            || !SendMessageTimeoutA(edit, WM_PASTE, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &result)
            || !SendMessageTimeoutA(edit, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &result)
            || result != text.size()) {
            fprintf(stderr, "%s: notepad could not be filled\n", size.name);
            status = 1;
            break;
        }
        const std::string expected = std::to_string(CountCharacters(text.c_str()));
        std::vector<double> ms;
        // One press first that is not counted: it warms up both programs.
        for (int i = 0; i <= presses; i++) {
            // Only a real copy brings the text's count: not what is left
            // on the clipboard, nor what was shown before.
            SendMessageTimeoutA(counts, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""), SMTO_ABORTIFHUNG,
                                kSendTimeoutMs, &result);
            testclip::SetText("-");
            e2e::PostCommand(main, kCmClose);
            // Without a window manager, Wine's hiding waits up to two
            // seconds for one in Quilltally's thread: wait until it is done.
            if (!e2e::WaitUntil([&] { return !IsWindowVisible(main); }, 30000) || !typist::WaitIdle(main)
                || !typist::BringToFront(notepad.Window())) {
                status = 1;
                break;
            }
            Sleep(300);   // the X server and Wine settle after the window change
            LARGE_INTEGER frequency, start, now;
            QueryPerformanceFrequency(&frequency);
            QueryPerformanceCounter(&start);
            typist::PressKey({VK_SHIFT}, VK_F8);
            bool shown = false;
            for (;;) {
                shown = CountsText(counts) == expected;
                QueryPerformanceCounter(&now);
                double elapsed = 1000.0 * (now.QuadPart - start.QuadPart) / frequency.QuadPart;
                if (shown || elapsed > 30000) {
                    if (i > 0)
                        ms.push_back(elapsed);
                    break;
                }
                Sleep(1);
            }
            if (!shown) {
                fprintf(stderr, "%s: Quilltally did not show %s characters\n", size.name, expected.c_str());
                status = 1;
            }
        }
        if (ms.empty())
            break;
        std::sort(ms.begin(), ms.end());
        printf("hotkey-%s %.0f\n", size.name, ms[ms.size() / 2]);
        fflush(stdout);
    }
    return status;
}

} // namespace

int main(int argc, char** argv)
{
    int presses = argc > 1 ? atoi(argv[1]) : 7;
    if (presses < 1)
        presses = 1;
    e2e::ResetState();
    int status = 1;
    {
        typist::Editor notepad;
        e2e::Process app;
        HWND main = 0;
        if (notepad.StartNotepad() && app.Start(e2e::QtallyPath()))
            main = app.WaitForMainWindow(60000);
        if (main && e2e::WaitForStartUp(main, 60000))
            status = Measure(notepad, main, presses);
        else
            fprintf(stderr, "Quilltally or notepad did not come up\n");
        app.Exit();
    }
    e2e::ResetState();
    return status;
}

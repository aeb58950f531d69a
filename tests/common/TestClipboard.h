// Clipboard helpers shared by the Win32 and end-to-end tests (plain
// single-byte text).
#ifndef QT_TESTS_TESTCLIPBOARD_H
#define QT_TESTS_TESTCLIPBOARD_H

#include <string>

namespace testclip {

// Puts the text on the clipboard and leaves it without an owner window: other
// programs (Wine's notepad among them) ask the owner about the clipboard and
// would wait for a test that does not serve messages while it waits.
bool SetText(const std::string& text);
bool Empty();
// The clipboard's text; false (and an empty text) when it holds none.
bool ReadText(std::string* text);

} // namespace testclip

#endif

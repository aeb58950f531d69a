// Deliberately plain versions of the measuring rules, written from their
// wording; the unit tests and the fuzz target compare the real ones with them.
#ifndef QT_TESTS_NATIVE_MEASURES_REFERENCE_H
#define QT_TESTS_NATIVE_MEASURES_REFERENCE_H

#include <string>

inline bool RefIsWordByte(unsigned char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
           (c >= 128 && c <= 165) || c == 39 || c == 46 || c == 58;
}

inline int RefCharacters(const std::string& s)
{
    return (int)s.size();
}

inline int RefWords(const std::string& s)
{
    int words = 0;
    bool previousIsWord = false;
    for (unsigned char c : s) {
        bool isWord = RefIsWordByte(c);
        if (isWord && !previousIsWord)
            ++words;
        previousIsWord = isWord;
    }
    return words;
}

inline int RefLines(const std::string& s, int width)
{
    int lines = 0, column = 0;
    bool open = false;
    for (unsigned char c : s) {
        if (c >= 32 && c <= 127) {
            if (c != ' ' && !open) {
                ++lines;
                open = true;
            }
            ++column;
            if (column >= width) {
                column = 0;
                open = false;
            }
        } else if (c == 13 || c == 10) {
            column = 0;
            open = false;
        }
    }
    return lines;
}

#endif

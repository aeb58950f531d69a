// Switches LC_NUMERIC to a locale whose decimal point is a comma, building
// one with localedef into a temporary folder when none is installed.
#ifndef QT_TESTS_COMMA_LOCALE_H
#define QT_TESTS_COMMA_LOCALE_H

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace qt_test {

class CommaLocale {
public:
    CommaLocale()
    {
        const char* previous = setlocale(LC_NUMERIC, nullptr);
        saved_ = previous ? previous : "C";
        active_ = TryInstalled() || TryBuilt();
    }
    ~CommaLocale()
    {
        setlocale(LC_NUMERIC, saved_.c_str());
        if (!folder_.empty()) {
            int removed = std::system(("rm -rf '" + folder_ + "'").c_str());
            (void)removed;
        }
    }
    bool active() const { return active_; }

private:
    static bool IsComma() { return localeconv()->decimal_point[0] == ','; }
    static bool TryInstalled()
    {
        for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE", "fr_FR.UTF-8", "fr_FR"})
            if (setlocale(LC_NUMERIC, name) && IsComma())
                return true;
        return false;
    }
    bool TryBuilt()
    {
        const char* tmp = getenv("TMPDIR");
        folder_ = std::string(tmp && *tmp ? tmp : "/tmp") + "/qt-locales-" +
                  std::to_string(getpid());
        // localedef reports warnings through its exit code: judge by the result.
        std::string command = "mkdir -p '" + folder_ + "' && localedef -i de_DE -f ISO-8859-1 '" +
                              folder_ + "/de_DE.ISO-8859-1' >/dev/null 2>&1";
        if (std::system(command.c_str()) == -1)
            return false;
        setenv("LOCPATH", folder_.c_str(), 1);
        return setlocale(LC_NUMERIC, "de_DE.ISO-8859-1") && IsComma();
    }
    std::string saved_;
    std::string folder_;
    bool active_ = false;
};

} // namespace qt_test

#endif

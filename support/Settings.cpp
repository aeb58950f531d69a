// Settings store: text values under HKEY_LOCAL_MACHINE, one key per section.
#include "support/Settings.h"
#include "support/Owned.h"
#include "support/ProductNames.h"
#include "support/TextHelpers.h"

#include <windows.h>
#include <string.h>

namespace {

enum { VALUE_SIZE = 260 };

// False when the key name would not fit: such a section is never touched.
bool SectionKey(const char* section, char* key, size_t size)
{
    static const char root[] = QT_SETTINGS_ROOT "\\";
    size_t rootLength = sizeof root - 1;
    size_t sectionLength = strlen(section);
    if (rootLength + sectionLength >= size)
        return false;
    memcpy(key, root, rootLength);
    memcpy(key + rootLength, section, sectionLength + 1);
    return true;
}

void CopyDefault(char* out, const char* defaultText)
{
    if (out == defaultText)
        return;
    size_t n = strlen(defaultText);
    if (n > VALUE_SIZE - 1)
        n = VALUE_SIZE - 1;
    memmove(out, defaultText, n);
    out[n] = 0;
}

} // namespace

void ReadSetting(const char* section, const char* name, const char* defaultText, char* out)
{
    char key[VALUE_SIZE];
    RegistryKey hkey;
    if (!SectionKey(section, key, sizeof key)
        || hkey.Open(HKEY_LOCAL_MACHINE, key, KEY_QUERY_VALUE) != ERROR_SUCCESS) {
        CopyDefault(out, defaultText);
        return;
    }
    out[0] = 0;
    DWORD size = VALUE_SIZE;
    LONG rc = hkey.QueryValue(name, nullptr, out, &size);
    hkey.Close();
    // Another program may have stored the text without its terminator.
    bool ok = rc == ERROR_SUCCESS;
    if (ok && (size == 0 || out[size - 1] != 0)) {
        if (size < VALUE_SIZE)
            out[size] = 0;
        else
            ok = false;
    }
    if (!ok)
        CopyDefault(out, defaultText);
}

void WriteSetting(const char* section, const char* name, const char* text)
{
    char key[VALUE_SIZE];
    RegistryKey hkey;
    // Settings are a convenience: without write access (an account that is
    // not an administrator) the program goes on with what it has in memory.
    if (!SectionKey(section, key, sizeof key)
        || hkey.Create(HKEY_LOCAL_MACHINE, key, KEY_ALL_ACCESS) != ERROR_SUCCESS)
        return;
    hkey.SetText(name, text);
}

int ReadSettingInt(const char* section, const char* name, int defaultValue)
{
    char text[VALUE_SIZE];
    ReadSetting(section, name, "", text);
    return ParseSettingInt(text, defaultValue);
}

void WriteSettingInt(const char* section, const char* name, int value)
{
    char text[16];
    wsprintfA(text, "%d", value);
    WriteSetting(section, name, text);
}

bool ReadSettingFlag(const char* section, const char* name, bool defaultValue)
{
    char text[VALUE_SIZE];
    ReadSetting(section, name, "", text);
    return ParseSettingFlag(text, defaultValue);
}

void WriteSettingFlag(const char* section, const char* name, bool value)
{
    WriteSetting(section, name, value ? "1" : "0");
}

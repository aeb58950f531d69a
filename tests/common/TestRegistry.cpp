#include "tests/common/TestRegistry.h"

namespace testreg {

const char kProductKey[] = "Software\\Corvane\\Quilltally";
const char kSettingsKey[] = "Software\\Corvane\\Quilltally\\Settings";
const char kRunKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
const char kRunValue[] = "QuilltallyRun";

bool WriteValue(const char* key, const char* name, DWORD type, const void* data, DWORD size, HKEY root)
{
    HKEY h;
    if (RegCreateKeyExA(root, key, 0, 0, 0, KEY_SET_VALUE, 0, &h, 0) != ERROR_SUCCESS)
        return false;
    bool ok = RegSetValueExA(h, name, 0, type, static_cast<const BYTE*>(data), size) == ERROR_SUCCESS;
    RegCloseKey(h);
    return ok;
}

bool WriteText(const char* key, const char* name, const std::string& text, HKEY root)
{
    return WriteValue(key, name, REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1), root);
}

bool ReadText(const char* keyName, const char* name, std::string* text, HKEY root)
{
    text->clear();
    HKEY key;
    if (RegOpenKeyExA(root, keyName, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return false;
    DWORD type = 0, size = 0;
    bool found = RegQueryValueExA(key, name, 0, &type, 0, &size) == ERROR_SUCCESS && type == REG_SZ;
    if (found) {
        std::string data(size + 1, '\0');
        found = RegQueryValueExA(key, name, 0, &type, reinterpret_cast<BYTE*>(&data[0]), &size) == ERROR_SUCCESS &&
                type == REG_SZ;
        if (found)
            *text = data.c_str();
    }
    RegCloseKey(key);
    return found;
}

void DeleteValue(const char* keyName, const char* name, HKEY root)
{
    HKEY key;
    if (RegOpenKeyExA(root, keyName, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
        RegDeleteValueA(key, name);
        RegCloseKey(key);
    }
}

bool KeyExists(const char* keyName, HKEY root)
{
    HKEY key;
    if (RegOpenKeyExA(root, keyName, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

void ResetProductState()
{
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, kProductKey);
    DeleteValue(kRunKey, kRunValue);
}

} // namespace testreg

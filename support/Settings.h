// Settings store: named text values in sections under
// HKEY_LOCAL_MACHINE "Software\Corvane\Quilltally\<section>".
#ifndef QT_SUPPORT_SETTINGS_H
#define QT_SUPPORT_SETTINGS_H

// out holds 260 bytes; gets the default when the value cannot be read.
void ReadSetting(const char* section, const char* name, const char* defaultText, char* out);
void WriteSetting(const char* section, const char* name, const char* text);

int ReadSettingInt(const char* section, const char* name, int defaultValue);
void WriteSettingInt(const char* section, const char* name, int value);
bool ReadSettingFlag(const char* section, const char* name, bool defaultValue);
void WriteSettingFlag(const char* section, const char* name, bool value);

#endif

// The program's shortcuts: the Start menu group and its items, the desktop.
#ifndef QT_SETUP_SHORTCUTS_H
#define QT_SETUP_SHORTCUTS_H

// A shell link at linkPath that starts targetPath.
void CreateShortcut(const char* linkPath, const char* targetPath);
// "<group>\name.lnk", the group created first.
void AddStartMenuItem(const char* targetPath, const char* name);
void DeleteStartMenuItem(const char* name);
// The group folder, when nothing else is left in it.
void RemoveStartMenuGroup();

#endif

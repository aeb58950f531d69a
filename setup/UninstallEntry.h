// The installation's records in the system's registry keys: the entry in
// the list of installed programs, and the run-at-logon value.
#ifndef QT_SETUP_UNINSTALLENTRY_H
#define QT_SETUP_UNINSTALLENTRY_H

// Written only when it is new: a second install keeps it as is.
void AddUninstallEntry(const char* uninstallerPath);
void RemoveUninstallEntry();
// True when a run-at-logon command ("path" args, or path args) starts program.
bool RunCommandNamesProgram(const char* command, const char* program);
// Deletes the run-at-logon value when it starts program.
void DeleteRunAtLogonOf(const char* program);

#endif

// Finding and reading the files to count. The folder walk and the kind of a
// path are the platform's (InputFilesPosix.cpp, InputFilesWin.cpp).
#ifndef QT_COUNT_INPUTFILES_H
#define QT_COUNT_INPUTFILES_H

#include <cstdio>
#include <string>
#include <vector>

enum class PathKind { Missing, File, Folder };

// Missing also when the path cannot be examined; reason says why.
PathKind KindOfPath(const std::string& path, std::string& reason);

// The counted files of a folder (IsCountedName), each folder's entries in
// byte order of their names, subfolders' files after the folder's own when
// recursing. Folders that cannot be read are added to errors as
// "path: reason".
void ListFolder(const std::string& folder, bool recurse, std::vector<std::string>& files,
                std::vector<std::string>& errors);

// .txt, .docx and .odt, any case: what a folder contributes.
bool IsCountedName(const std::string& name);

// folder + separator + name, with no doubled separator.
std::string JoinPath(const std::string& folder, const std::string& name, char separator);

// The part after the last '/' or '\'.
std::string BaseName(const std::string& path);

// Reads a whole file (or stream) into data, reusing its capacity; false
// with a reason.
bool ReadWholeFile(const std::string& path, std::string& data, std::string& reason);
bool ReadWholeStream(FILE* stream, std::string& data, std::string& reason);

#endif

#include "count/InputFiles.h"

#include "support/Owned.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <windows.h>

namespace {

std::string SystemReason(DWORD code)
{
    char text[256] = "";
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                             code, 0, text, sizeof text, nullptr);
    while (n && (text[n - 1] == '\n' || text[n - 1] == '\r' || text[n - 1] == ' ' ||
                 text[n - 1] == '.'))
        text[--n] = '\0';
    if (!n)
        snprintf(text, sizeof text, "system error %lu", (unsigned long)code);
    return text;
}

} // namespace

PathKind KindOfPath(const std::string& path, std::string& reason)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        reason = SystemReason(GetLastError());
        return PathKind::Missing;
    }
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? PathKind::Folder : PathKind::File;
}

void ListFolder(const std::string& folder, bool recurse, std::vector<std::string>& files,
                std::vector<std::string>& errors)
{
    WIN32_FIND_DATAA found;
    OwnedFind find(FindFirstFileA(JoinPath(folder, "*", '\\').c_str(), &found));
    if (!find.IsValid()) {
        errors.push_back(folder + ": " + SystemReason(GetLastError()));
        return;
    }
    std::vector<std::pair<std::string, bool>> entries;   // name, is a folder
    do {
        // Linked folders (junctions) are not walked into: a link to a folder
        // above would never end.
        const DWORD a = found.dwFileAttributes;
        if ((a & FILE_ATTRIBUTE_DIRECTORY) && (a & FILE_ATTRIBUTE_REPARSE_POINT))
            continue;
        if (strcmp(found.cFileName, ".") && strcmp(found.cFileName, ".."))
            entries.emplace_back(found.cFileName, (a & FILE_ATTRIBUTE_DIRECTORY) != 0);
    } while (FindNextFileA(find.Get(), &found));
    find.Close();
    std::sort(entries.begin(), entries.end());
    std::vector<std::string> subfolders;
    for (const auto& e : entries) {
        std::string path = JoinPath(folder, e.first, '\\');
        if (e.second)
            subfolders.push_back(path);
        else if (IsCountedName(e.first))
            files.push_back(path);
    }
    if (recurse)
        for (const std::string& sub : subfolders)
            ListFolder(sub, true, files, errors);
}

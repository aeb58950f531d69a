#include "count/InputFiles.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <sys/stat.h>

PathKind KindOfPath(const std::string& path, std::string& reason)
{
    struct stat st;
    if (stat(path.c_str(), &st) != 0) {
        reason = strerror(errno);
        return PathKind::Missing;
    }
    return S_ISDIR(st.st_mode) ? PathKind::Folder : PathKind::File;
}

void ListFolder(const std::string& folder, bool recurse, std::vector<std::string>& files,
                std::vector<std::string>& errors)
{
    DIR* dir = opendir(folder.c_str());
    if (!dir) {
        errors.push_back(folder + ": " + strerror(errno));
        return;
    }
    std::vector<std::string> names;
    while (dirent* e = readdir(dir)) {
        if (strcmp(e->d_name, ".") && strcmp(e->d_name, ".."))
            names.push_back(e->d_name);
    }
    closedir(dir);
    std::sort(names.begin(), names.end());
    std::vector<std::string> subfolders;
    for (const std::string& name : names) {
        std::string path = JoinPath(folder, name, '/');
        struct stat st;
        if (lstat(path.c_str(), &st) != 0)
            continue;
        // Linked folders are not walked into: a link to a folder above
        // would never end.
        if (S_ISDIR(st.st_mode))
            subfolders.push_back(path);
        else if (IsCountedName(name) && (S_ISREG(st.st_mode) ||
                                         (S_ISLNK(st.st_mode) && stat(path.c_str(), &st) == 0 &&
                                          S_ISREG(st.st_mode))))
            files.push_back(path);
    }
    if (recurse)
        for (const std::string& sub : subfolders)
            ListFolder(sub, true, files, errors);
}

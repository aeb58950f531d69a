// LFile: file and path helpers. Paths live in 260-byte buffers; over-long
// text is cut, and FilePathCat says when it was. Both "\" and "/" separate folders.
#ifndef QT_SUPPORT_FILE_H
#define QT_SUPPORT_FILE_H

enum { QT_PATH_SIZE = 260 };

class LFile {
public:
    // Portable (File.cpp)
    static void _GetFolderFromPath(char* out, const char* path);
    static void _GetFileFromPath(char* out, const char* path);
    static void _GetFileTitleFromPath(char* out, const char* path);
    // False when the name did not fit whole: the text is then cut and must
    // not be used to create, copy, start or delete anything.
    static bool FilePathCat(char* folder, const char* name);
    // Win32
    static bool DeleteFolderAndFiles(const char* folder);
    static bool ChooseFileToSave(char* filePath, const char* title, char* folder,
                                 const char* defaultExtension, const char* filter);
};

#endif

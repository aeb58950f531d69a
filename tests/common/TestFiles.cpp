#include "tests/common/TestFiles.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

namespace testfiles {

Bytes ReadBytes(const std::string& path)
{
    Bytes bytes;
    HANDLE f = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, 0,
                           OPEN_EXISTING, 0, 0);
    if (f == INVALID_HANDLE_VALUE)
        return bytes;
    bytes.resize(GetFileSize(f, 0));
    DWORD got = 0;
    if (!bytes.empty())
        ReadFile(f, bytes.data(), (DWORD)bytes.size(), &got, 0);
    CloseHandle(f);
    bytes.resize(got);
    return bytes;
}

std::string ReadText(const std::string& path)
{
    if (!Exists(path))
        return "<missing>";
    Bytes bytes = ReadBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

bool WriteBytes(const std::string& path, const void* data, size_t size)
{
    HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, 0, CREATE_ALWAYS, 0, 0);
    if (f == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    if (size)
        WriteFile(f, data, (DWORD)size, &written, 0);
    CloseHandle(f);
    return written == size;
}

std::string TempPath(const std::string& name)
{
    char temp[MAX_PATH] = "";
    GetTempPathA(sizeof temp, temp);   // ends with a backslash
    return temp + name;
}

std::string FreshTempFolder(const std::string& name)
{
    std::string folder = TempPath(name);
    DeleteTree(folder);
    CreateDirectoryA(folder.c_str(), 0);
    return folder;
}

bool Exists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void DeleteTree(const std::string& folder)
{
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::string name = data.cFileName;
            if (name == "." || name == "..")
                continue;
            std::string path = folder + "\\" + name;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                DeleteTree(path);
            else
                DeleteFileA(path.c_str());
        } while (FindNextFileA(find, &data));
        FindClose(find);
    }
    RemoveDirectoryA(folder.c_str());
}

std::string LinkTarget(const std::string& linkPath)
{
    std::string target = "<no link>";
    HRESULT init = CoInitialize(0);
    IShellLinkA* link = 0;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, 0, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   (void**)&link))) {
        IPersistFile* file = 0;
        if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, (void**)&file))) {
            WCHAR wide[MAX_PATH];
            MultiByteToWideChar(CP_ACP, 0, linkPath.c_str(), -1, wide, MAX_PATH);
            char path[MAX_PATH] = "";
            if (SUCCEEDED(file->Load(wide, STGM_READ)) &&
                SUCCEEDED(link->GetPath(path, MAX_PATH, 0, 0)))
                target = path;
            file->Release();
        }
        link->Release();
    }
    if (SUCCEEDED(init))
        CoUninitialize();
    return target;
}

} // namespace testfiles

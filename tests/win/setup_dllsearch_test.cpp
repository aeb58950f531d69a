// Setup runs with administrator rights from download folders: once the DLL
// search is restricted, a DLL planted beside the program is not loaded. Its
// own program, because the restriction lasts for the whole process.
#include <gtest/gtest.h>

#include <string>

#include <windows.h>

#include "setup/SetupProcess.h"
#include "tests/common/TestFiles.h"

namespace {

using namespace testfiles;

std::string ProgramFolder()
{
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(0, path, MAX_PATH);
    std::string s(path, n);
    return s.substr(0, s.find_last_of('\\'));
}

TEST(DllSearch, PlantedDllBesideTheProgramIsNotLoadedOnceRestricted)
{
    // Built beside the test programs, as a download folder would hold it.
    std::string marker = ProgramFolder() + "\\qt_planted.dll.loaded";
    ASSERT_TRUE(Exists(ProgramFolder() + "\\qt_planted.dll"));
    DeleteFileA(marker.c_str());

    // Unrestricted, the program's folder is searched first.
    EXPECT_FALSE(LoadLibraryA("qt_planted.dll"));
    ASSERT_TRUE(Exists(marker)) << "the planted DLL was not found even unrestricted";
    DeleteFileA(marker.c_str());

    RestrictDllSearch();
    EXPECT_FALSE(LoadLibraryA("qt_planted.dll"));
    EXPECT_FALSE(Exists(marker));
    // System DLLs still load by name.
    HMODULE system = LoadLibraryA("version.dll");
    EXPECT_TRUE(system);
    if (system)
        FreeLibrary(system);
    DeleteFileA(marker.c_str());
}

}

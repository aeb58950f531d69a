// Install locations, shortcuts, trailers and the removal helpers. Registry
// values the cases change are put back as they were.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include "setup/InstallDialog.h"
#include "support/Settings.h"
#include "ui/Dialog.h"
#include "tests/common/TestFiles.h"

namespace {

using namespace testfiles;

const char kCurrentVersion[] = "Software\\Microsoft\\Windows\\CurrentVersion";
const char kShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
const char kFolders[] = "Software\\Corvane\\Quilltally\\Folders";

// A registry value, saved when made and restored when destroyed.
class SavedValue {
public:
    SavedValue(HKEY root, const char* key, const char* name) : root_(root), key_(key), name_(name)
    {
        HKEY k;
        if (RegOpenKeyExA(root_, key_, 0, KEY_QUERY_VALUE, &k) == ERROR_SUCCESS) {
            DWORD size = sizeof data_;
            existed_ = RegQueryValueExA(k, name_, 0, &type_, data_, &size) == ERROR_SUCCESS;
            size_ = size;
            RegCloseKey(k);
        }
    }
    ~SavedValue()
    {
        if (existed_)
            Write(type_, data_, size_);
        else
            Remove();
    }
    void Set(const std::string& text) { Write(REG_SZ, (const BYTE*)text.c_str(), DWORD(text.size() + 1)); }
    void Remove()
    {
        HKEY k;
        if (RegOpenKeyExA(root_, key_, 0, KEY_SET_VALUE, &k) == ERROR_SUCCESS) {
            RegDeleteValueA(k, name_);
            RegCloseKey(k);
        }
    }

private:
    void Write(DWORD type, const BYTE* data, DWORD size)
    {
        HKEY k;
        if (RegCreateKeyExA(root_, key_, 0, 0, 0, KEY_SET_VALUE, 0, &k, 0) == ERROR_SUCCESS) {
            RegSetValueExA(k, name_, 0, type, data, size);
            RegCloseKey(k);
        }
    }
    HKEY root_;
    const char* key_;
    const char* name_;
    bool existed_ = false;
    DWORD type_ = 0, size_ = 0;
    BYTE data_[1024];
};

bool IsFolder(const std::string& path)
{
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

class LocationsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_hInstance = GetModuleHandleA(nullptr);
        root_ = TempPath("qt_locations_test");
        DeleteTree(root_);
        CreateDirectoryA(root_.c_str(), 0);
    }
    void TearDown() override { DeleteTree(root_); }
    std::string root_;
};

TEST_F(LocationsTest, InstallFolderUnderProgramFiles)
{
    SavedValue programFiles(HKEY_LOCAL_MACHINE, kCurrentVersion, "ProgramFilesDir");
    std::string pf = root_ + "\\Program Files";
    struct Case {
        std::string value;
        std::string expected;
    } cases[] = {
        {pf, pf + "\\Corvane\\Quilltally"},
        {pf + "\\", pf + "\\Corvane\\Quilltally"},
    };
    for (const Case& c : cases) {
        DeleteTree(pf);
        programFiles.Set(c.value);
        char path[QT_PATH_SIZE] = "";
        InstallDialog::GetInstallProgramFilesPath(path);
        EXPECT_EQ(std::string(path), c.expected) << c.value;
        EXPECT_TRUE(IsFolder(pf + "\\Corvane\\Quilltally")) << c.value;
    }
}

TEST_F(LocationsTest, InstallFolderWithoutProgramFilesDir)
{
    SavedValue programFiles(HKEY_LOCAL_MACHINE, kCurrentVersion, "ProgramFilesDir");
    bool existed = Exists("C:\\Quilltally");
    for (bool empty : {false, true}) {
        if (empty)
            programFiles.Set("");
        else
            programFiles.Remove();
        char path[QT_PATH_SIZE] = "";
        InstallDialog::GetInstallProgramFilesPath(path);
        EXPECT_STREQ(path, "C:\\Quilltally");
        EXPECT_TRUE(IsFolder("C:\\Quilltally"));
    }
    if (!existed)
        RemoveDirectoryA("C:\\Quilltally");
}

TEST_F(LocationsTest, DesktopAndStartMenuFolders)
{
    SavedValue desktop(HKEY_CURRENT_USER, kShellFolders, "Desktop");
    SavedValue commonDesktop(HKEY_LOCAL_MACHINE, kShellFolders, "Common Desktop");
    SavedValue programs(HKEY_CURRENT_USER, kShellFolders, "Programs");
    SavedValue commonPrograms(HKEY_LOCAL_MACHINE, kShellFolders, "Common Programs");
    std::string mine = root_ + "\\mine", all = root_ + "\\all";

    struct Case {
        bool user, common;
        std::string desktop;   // expected shortcut folder
        std::string group;     // expected group folder; empty: none
    } cases[] = {
        {true, true, all, all + "\\Quilltally"},   // the all-users folders win
        {true, false, mine, mine + "\\Quilltally"},
        {false, true, all, all + "\\Quilltally"},
        {false, false, "c:\\Windows\\Desktop", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.user) + std::to_string(c.common));
        DeleteTree(mine);
        DeleteTree(all);
        if (c.user) {
            desktop.Set(mine);
            programs.Set(mine);
        } else {
            desktop.Remove();
            programs.Remove();
        }
        if (c.common) {
            commonDesktop.Set(all);
            commonPrograms.Set(all);
        } else {
            commonDesktop.Remove();
            commonPrograms.Remove();
        }
        char path[QT_PATH_SIZE] = "x";
        GetDesktopShortcutPath(path);
        EXPECT_EQ(std::string(path), c.desktop + "\\Quilltally.lnk");

        strcpy(path, "x");
        bool found = InstallDialog::GetStartMenuGroupFolder(path);
        EXPECT_EQ(found, !c.group.empty());
        if (found) {
            EXPECT_EQ(std::string(path), c.group);
            // The Programs folder is made; the group only when a shortcut goes in.
            EXPECT_TRUE(IsFolder(c.group.substr(0, c.group.size() - 11)));
            EXPECT_FALSE(Exists(c.group));
        }
    }
}

TEST_F(LocationsTest, StartMenuItemsComeAndGo)
{
    SavedValue programs(HKEY_CURRENT_USER, kShellFolders, "Programs");
    SavedValue commonPrograms(HKEY_LOCAL_MACHINE, kShellFolders, "Common Programs");
    programs.Remove();
    std::string menu = root_ + "\\Start Menu Programs";
    std::string group = menu + "\\Quilltally";
    std::string target = root_ + "\\Program Files\\app.hlp";
    commonPrograms.Set(menu);

    AddStartMenuItem(target.c_str(), "Quilltally Help");
    AddStartMenuItem(target.c_str(), "Quilltally");
    EXPECT_EQ(LinkTarget(group + "\\Quilltally Help.lnk"), target);
    EXPECT_EQ(LinkTarget(group + "\\Quilltally.lnk"), target);

    // The group goes only once it is empty.
    WriteText(group + "\\other.txt", "x");
    DeleteStartMenuItem("Quilltally");
    DeleteStartMenuItem("Quilltally Help");
    RemoveStartMenuGroup();
    EXPECT_FALSE(Exists(group + "\\Quilltally.lnk"));
    EXPECT_FALSE(Exists(group + "\\Quilltally Help.lnk"));
    EXPECT_TRUE(IsFolder(group));
    DeleteFileA((group + "\\other.txt").c_str());
    RemoveStartMenuGroup();
    EXPECT_FALSE(Exists(group));

    // No Programs folder anywhere: nothing is made.
    commonPrograms.Remove();
    DeleteTree(menu);
    AddStartMenuItem(target.c_str(), "Quilltally");
    EXPECT_FALSE(Exists(menu));
}

TEST_F(LocationsTest, ShortcutToAPathWithBlanks)
{
    std::string target = root_ + "\\Program Files\\Corvane\\Quilltally\\qtally.exe";
    std::string link = root_ + "\\My Desktop Quilltally.lnk";
    CreateShortcut(link.c_str(), target.c_str());
    EXPECT_EQ(LinkTarget(link), target);
    // COM is left as it was found: a second shortcut works the same.
    CreateShortcut((link + "2.lnk").c_str(), target.c_str());
    EXPECT_EQ(LinkTarget(link + "2.lnk"), target);
}

TEST_F(LocationsTest, TrailerIsAppendedLittleEndian)
{
    std::string file = root_ + "\\prog.exe";
    WriteText(file, "MZ");
    SetExeFileType(file.c_str(), 0xF0F00F0F);
    SetExeFileType(file.c_str(), 0x04030201);
    EXPECT_EQ(ReadText(file), std::string("MZ\x0F\x0F\xF0\xF0\x01\x02\x03\x04", 10));
    SetExeFileType((root_ + "\\missing.exe").c_str(), 0);
    EXPECT_FALSE(Exists(root_ + "\\missing.exe"));
}

TEST_F(LocationsTest, RecordedFolderLosesItsFiles)
{
    SavedValue recorded(HKEY_LOCAL_MACHINE, kFolders, "DataFiles");
    std::string folder = root_ + "\\inst";
    CreateDirectoryA(folder.c_str(), 0);
    WriteText(folder + "\\qtally.exe", "x");
    WriteText(folder + "\\app.hlp", "x");
    WriteSetting("Folders", "DataFiles", folder.c_str());
    DeleteRecordedFolder("DataFiles");
    EXPECT_FALSE(Exists(folder));

    // What it cannot delete keeps the folder.
    CreateDirectoryA(folder.c_str(), 0);
    CreateDirectoryA((folder + "\\sub").c_str(), 0);
    WriteText(folder + "\\.keep", "x");
    WriteText(folder + "\\a.txt", "x");
    DeleteRecordedFolder("DataFiles");
    EXPECT_FALSE(Exists(folder + "\\a.txt"));
    EXPECT_TRUE(Exists(folder + "\\.keep"));
    EXPECT_TRUE(IsFolder(folder + "\\sub"));
}

}

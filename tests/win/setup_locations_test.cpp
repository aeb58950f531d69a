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
#include "tests/common/TestRegistry.h"

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
    // Exactly these bytes, with no terminating zero unless they hold one.
    void SetBytes(const std::string& bytes, DWORD type = REG_SZ)
    {
        Write(type, (const BYTE*)bytes.data(), DWORD(bytes.size()));
    }
    void Remove() { testreg::DeleteValue(key_, name_, root_); }

private:
    void Write(DWORD type, const BYTE* data, DWORD size) { testreg::WriteValue(key_, name_, type, data, size, root_); }
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
        root_ = FreshTempFolder("qt_locations_test");
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
    // Missing, empty, too long to read or relative: the shell's Program Files
    // (the shell may read the same value: then no folder at all), never a
    // folder in the root of C: that any user could make first.
    for (int variant : {0, 1, 2, 3}) {
        SCOPED_TRACE(variant);
        if (variant == 0)
            programFiles.Remove();
        else if (variant == 1)
            programFiles.Set("");
        else if (variant == 2)
            programFiles.SetBytes(std::string(200, 'p'));
        else
            programFiles.Set("Program Files");
        char shell[MAX_PATH] = "";
        if (FAILED(SHGetFolderPathA(0, CSIDL_PROGRAM_FILES, 0, SHGFP_TYPE_CURRENT, shell)))
            shell[0] = 0;
        bool absolute = isalpha((unsigned char)shell[0]) && shell[1] == ':' && shell[2] == '\\';
        if (variant == 0) {
            ASSERT_TRUE(absolute) << "the shell knows no Program Files folder";
        }
        std::string expected = absolute ? std::string(shell) + "\\Corvane\\Quilltally" : "";
        char path[QT_PATH_SIZE] = "x";
        InstallDialog::GetInstallProgramFilesPath(path);
        EXPECT_EQ(std::string(path), expected);
        if (absolute) {
            EXPECT_TRUE(IsFolder(path));
            RemoveDirectoryA(path);
            RemoveDirectoryA((std::string(shell) + "\\Corvane").c_str());
        }
        EXPECT_EQ(Exists("C:\\Quilltally"), existed);
        EXPECT_FALSE(Exists("Program Files\\Corvane"));
    }
}

// Stored strings need not end in a zero: one that fills the whole limit is
// refused, without a byte written past the caller's 260-byte buffer.
TEST_F(LocationsTest, RegistryTextThatFillsTheLimit)
{
    SavedValue desktop(HKEY_CURRENT_USER, kShellFolders, "Desktop");
    struct Case {
        std::string stored;   // the value's bytes, as stored
        DWORD limit;
        bool read;
    } cases[] = {
        {std::string(260, 'a'), 260, false},
        {std::string(259, 'a'), 260, true},
        {std::string(259, 'a') + '\0', 260, true},
        {std::string(200, 'a'), 200, false},
        {std::string(199, 'a') + '\0', 200, true},
        {std::string(201, 'a'), 200, false},
        {std::string("C:\\x") + '\0' + "rest", 260, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.stored.size()) + " bytes, limit " + std::to_string(c.limit));
        desktop.SetBytes(c.stored);
        char out[QT_PATH_SIZE + 8];
        memset(out, '#', sizeof out);
        strcpy(out, "before");
        bool read = ReadRegistryText(HKEY_CURRENT_USER, kShellFolders, "Desktop", out, c.limit);
        EXPECT_EQ(read, c.read);
        EXPECT_EQ(std::string(out), read ? std::string(c.stored.c_str(), strnlen(c.stored.c_str(), c.stored.size()))
                                         : std::string("before"));
        for (size_t i = QT_PATH_SIZE; i < sizeof out; ++i)
            EXPECT_EQ(out[i], '#') << "byte " << i;
    }

    // The elevated installer reads the user's own values: an over-long one
    // leaves the default rather than a cut or empty path.
    SavedValue commonDesktop(HKEY_LOCAL_MACHINE, kShellFolders, "Common Desktop");
    commonDesktop.Remove();
    desktop.SetBytes(std::string(260, 'a'));
    char path[QT_PATH_SIZE] = "";
    GetDesktopShortcutPath(path);
    EXPECT_STREQ(path, "c:\\Windows\\Desktop\\Quilltally.lnk");
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

// Removal takes away what setup put there, read from the same file table,
// and nothing else: a user's file keeps the folder.
TEST_F(LocationsTest, RecordedFolderLosesOnlyWhatSetupInstalled)
{
    SavedValue recorded(HKEY_LOCAL_MACHINE, kFolders, "DataFiles");
    std::string folder = root_ + "\\inst";
    WriteSetting("Folders", "DataFiles", folder.c_str());
    std::vector<std::string> ours = {"uninst.exe", "qtally.exe.new", "app.hlp.old"};
    for (int i = 0; g_setupFiles[i].fileName; ++i)
        ours.push_back(g_setupFiles[i].fileName);
    struct Case {
        std::vector<std::string> others;   // files and folders that are not ours
    } cases[] = {{{}}, {{"jobs.csv"}}, {{".keep", "sub\\"}}, {{"notes.txt", "qtally.exe.bak"}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.others));
        CreateDirectoryA(folder.c_str(), 0);
        for (const std::string& name : ours)
            WriteText(folder + "\\" + name, "x");
        for (const std::string& name : c.others) {
            if (name.back() == '\\')
                CreateDirectoryA((folder + "\\" + name).c_str(), 0);
            else
                WriteText(folder + "\\" + name, "mine");
        }
        DeleteRecordedFolder("DataFiles");
        for (const std::string& name : ours)
            EXPECT_FALSE(Exists(folder + "\\" + name)) << name;
        for (const std::string& name : c.others)
            EXPECT_TRUE(Exists(folder + "\\" + name)) << name;
        EXPECT_EQ(Exists(folder), !c.others.empty());
        DeleteTree(folder);
    }
}

TEST_F(LocationsTest, RunAtLogonCommandThatNamesTheProgram)
{
    const char* program = "C:\\Program Files\\Corvane\\Quilltally\\qtally.exe";
    struct Case {
        const char* command;
        bool names;
    } cases[] = {
        {"\"C:\\Program Files\\Corvane\\Quilltally\\qtally.exe\" /logon", true},
        {"C:\\Program Files\\Corvane\\Quilltally\\qtally.exe /logon", true},
        {"c:\\program files\\corvane\\quilltally\\QTALLY.EXE", true},
        {"\"C:\\Program Files\\Corvane\\Quilltally\\qtally.exe\"", true},
        {"\"C:\\Program Files\\Corvane\\Quilltally\\qtally.exe2\" /logon", false},
        {"C:\\Program Files\\Corvane\\Quilltally\\qtally.exe.bak /logon", false},
        {"\"D:\\Tools\\qtally.exe\" /logon", false},
        {"", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RunCommandNamesProgram(c.command, program), c.names) << c.command;
}

}

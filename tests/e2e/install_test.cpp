// setup.exe and the uninstaller driven from the outside, as a user would:
// the terms page, a full install into Program Files, a second install over
// it, damaged setup files, and removal. Every case starts and ends with no
// installation, no Quilltally running and no settings.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include "resources/resource.h"
#include "setup/SetupLayout.h"
#include "tests/e2e/AppDriver.h"
#include "tests/common/TestFiles.h"

namespace {

using namespace testfiles;

const char kTermsCaption[] = "Quilltally Software Licence Terms";
const char kProgressCaption[] = "Installing Quilltally v 1.03";
const char kCurrentVersion[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
const char kUninstallKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quilltally";
const char kShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
const char kFoldersKey[] = "Software\\Corvane\\Quilltally\\Folders";
const char kCorruptText[] = "Installation file corrupt.\n\nA checksum error was detected in your install "
                            "file, please redownload file and install again.";

std::string Text(HKEY root, const char* key, const char* value)
{
    std::string text;
    HKEY k;
    if (RegOpenKeyExA(root, key, 0, KEY_QUERY_VALUE, &k) == ERROR_SUCCESS) {
        char buffer[600];
        DWORD size = sizeof buffer - 1;
        if (RegQueryValueExA(k, value, 0, 0, (BYTE*)buffer, &size) == ERROR_SUCCESS) {
            buffer[size] = 0;
            text = buffer;
        }
        RegCloseKey(k);
    }
    return text;
}

void SetText(const char* key, const char* value, const std::string& text)
{
    HKEY k;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, key, 0, 0, 0, KEY_SET_VALUE, 0, &k, 0) == ERROR_SUCCESS) {
        RegSetValueExA(k, value, 0, REG_SZ, (const BYTE*)text.c_str(), DWORD(text.size() + 1));
        RegCloseKey(k);
    }
}

bool KeyExists(const char* key)
{
    HKEY k;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_QUERY_VALUE, &k) != ERROR_SUCCESS)
        return false;
    RegCloseKey(k);
    return true;
}

std::string Lower(std::string s)
{
    for (char& c : s)
        c = (char)tolower((unsigned char)c);
    return s;
}

DWORD WindowProcess(HWND window)
{
    DWORD id = 0;
    GetWindowThreadProcessId(window, &id);
    return id;
}

std::string ProcessImage(DWORD id)
{
    std::string image;
    HANDLE p = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id);
    if (p) {
        char path[MAX_PATH];
        DWORD size = MAX_PATH;
        if (QueryFullProcessImageNameA(p, 0, path, &size))
            image = path;
        CloseHandle(p);
    }
    return image;
}

bool WaitForProcessEnd(DWORD id, DWORD timeoutMs = 30000)
{
    HANDLE p = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, id);
    if (!p)
        return true;
    bool ended = WaitForSingleObject(p, timeoutMs) == WAIT_OBJECT_0;
    if (!ended)
        TerminateProcess(p, 1);
    CloseHandle(p);
    return ended;
}

// Ends every running Quilltally the way an installer does; true when each
// one ended by itself.
bool EndRunningQuilltally()
{
    bool clean = true;
    while (HWND main = e2e::FindDialog("Quilltally")) {
        DWORD id = WindowProcess(main);
        PostMessageA(main, WM_COMMAND, 1003, 0);
        if (!WaitForProcessEnd(id, 15000))
            clean = false;
    }
    return clean;
}

// A message box can be found before its texts are set: waits for them.
bool BoxShows(HWND box, const std::string& text, DWORD timeoutMs = 10000)
{
    for (DWORD waited = 0;; waited += 50) {
        for (const std::string& s : e2e::StaticTexts(box))
            if (s == text)
                return true;
        if (waited >= timeoutMs || !IsWindow(box))
            return false;
        Sleep(50);
    }
}

// Where an install puts things, from the same registry values it reads.
struct Places {
    std::string folder, maker, group, desktopLink;
    std::string File(const std::string& name) const { return folder + "\\" + name; }
};

// What setup installs: the rows of its file table and the uninstaller.
std::vector<std::string> InstalledNames()
{
    std::vector<std::string> names;
    for (int i = 0; g_setupFiles[i].fileName; ++i)
        names.push_back(g_setupFiles[i].fileName);
    names.push_back("uninst.exe");
    return names;
}

// The folders the uninstaller makes for its temporary copy.
std::vector<std::string> TemporaryCopyFolders()
{
    std::vector<std::string> folders;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(TempPath("Quilltally-*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do
            folders.push_back(TempPath(found.cFileName));
        while (FindNextFileA(search, &found));
        FindClose(search);
    }
    return folders;
}

const char kPendingKey[] = "SYSTEM\\CurrentControlSet\\Control\\Session Manager";

// The files the system deletes at its next start.
std::string PendingDeletes()
{
    std::string all;
    HKEY k;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kPendingKey, 0, KEY_QUERY_VALUE, &k) == ERROR_SUCCESS) {
        std::vector<char> buffer(65536);
        DWORD size = DWORD(buffer.size());
        if (RegQueryValueExA(k, "PendingFileRenameOperations", 0, 0, (BYTE*)buffer.data(), &size) == ERROR_SUCCESS)
            all.assign(buffer.data(), size);
        RegCloseKey(k);
    }
    for (char& c : all)
        if (c == 0)
            c = '|';
    return all;
}

Places FindPlaces()
{
    Places p;
    p.maker = Text(HKEY_LOCAL_MACHINE, kCurrentVersion, "ProgramFilesDir") + "\\Corvane";
    p.folder = p.maker + "\\Quilltally";
    p.group = Text(HKEY_LOCAL_MACHINE, kShellFolders, "Common Programs") + "\\Quilltally";
    p.desktopLink = Text(HKEY_LOCAL_MACHINE, kShellFolders, "Common Desktop") + "\\Quilltally.lnk";
    return p;
}

// The payload of a setup file, split by its own table.
struct Payload {
    std::vector<Bytes> files;
    bool ok = false;
};

Payload SplitSetup(const Bytes& setup)
{
    Payload p;
    int rows = CountSetupRows(g_setupFiles);
    if (setup.size() < SetupTailSize(rows))
        return p;
    uint32_t sizes[SETUP_MAX_ROWS], checksum;
    ParseSetupTable(setup.data() + setup.size() - SetupTailSize(rows), rows, sizes, &checksum);
    if (!SetupTableFits(setup.size(), sizes, rows))
        return p;
    size_t offset = 0;
    for (int i = 0; i < rows; ++i) {
        p.files.emplace_back(setup.begin() + offset, setup.begin() + offset + sizes[i]);
        offset += sizes[i];
    }
    p.ok = true;
    return p;
}

Bytes WithTrailer(Bytes bytes, uint32_t trailer)
{
    unsigned char t[4];
    WriteU32(t, trailer);
    bytes.insert(bytes.end(), t, t + 4);
    return bytes;
}

class InstallTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        places_ = FindPlaces();
        work_ = TempPath("qt_install_test");
        CreateDirectoryA(work_.c_str(), 0);
        setup_ = e2e::BinFolder() + "\\setup.exe";
        ASSERT_TRUE(Exists(setup_)) << setup_;
        Clean();
    }
    void TearDown() override
    {
        EXPECT_TRUE(EndRunningQuilltally());
        Clean();
        RemoveDirectoryA(work_.c_str());
    }

    // No installation, no copy of the uninstaller, no settings.
    void Clean()
    {
        EndRunningQuilltally();
        for (const std::string& name : InstalledNames())
            DeleteFileA(places_.File(name).c_str());
        DeleteFileA(places_.File("jobs.csv").c_str());
        RemoveDirectoryA(places_.folder.c_str());
        RemoveDirectoryA(places_.maker.c_str());
        DeleteFileA((places_.group + "\\Quilltally.lnk").c_str());
        DeleteFileA((places_.group + "\\Quilltally Help.lnk").c_str());
        RemoveDirectoryA(places_.group.c_str());
        DeleteFileA(places_.desktopLink.c_str());
        for (const std::string& folder : TemporaryCopyFolders())
            DeleteTree(folder);
        DeleteFileA(TempPath("uninst.exe").c_str());
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, kUninstallKey);
        for (const char* name : {"setup.exe", "quilltally-setup-copy.exe"})
            DeleteFileA((work_ + "\\" + name).c_str());
        e2e::ResetState();
    }

    // Starts a setup file and waits for its terms page.
    HWND StartSetup(e2e::Process& setup, const std::string& path)
    {
        EXPECT_TRUE(setup.Start(path));
        HWND page = e2e::WaitForDialog(kTermsCaption, setup.Id(), 30000);
        EXPECT_TRUE(page) << "no terms page";
        // Shown once its controls are made and initialised.
        EXPECT_TRUE(e2e::WaitUntil([&] { return IsWindowVisible(page); }));
        return page;
    }

    void AgreeAndGoOn(HWND page)
    {
        e2e::Click(page, IDC_AGREE);
        ASSERT_TRUE(e2e::WaitUntil([&] { return e2e::IsEnabled(page, IDOK); }));
        e2e::Click(page, IDOK);
    }

    // A full install: terms agreed, setup ended, the installed program up.
    void Install()
    {
        e2e::Process setup;
        HWND page = StartSetup(setup, setup_);
        ASSERT_TRUE(page);
        AgreeAndGoOn(page);
        ASSERT_TRUE(setup.WaitForExit(60000));
        HWND main = e2e::WaitForDialog("Quilltally", 0, 30000);
        ASSERT_TRUE(main) << "the installed program did not start";
        EXPECT_EQ(Lower(ProcessImage(WindowProcess(main))), Lower(places_.File("qtally.exe")));
        EXPECT_TRUE(EndRunningQuilltally());
    }

    void ExpectInstalledFiles(const Payload& payload)
    {
        ASSERT_TRUE(payload.ok);
        ASSERT_EQ(payload.files.size(), 5u);
        EXPECT_TRUE(ReadBytes(places_.File("qtally.exe")) == WithTrailer(payload.files[0], 0));
        EXPECT_TRUE(ReadBytes(places_.File("uninst.exe")) == WithTrailer(payload.files[0], SETUP_TRAILER_REMOVE));
        EXPECT_TRUE(ReadBytes(places_.File("app.hlp")) == payload.files[1]);
        EXPECT_TRUE(ReadBytes(places_.File("banner.htm")) == payload.files[2]);
        EXPECT_TRUE(ReadBytes(places_.File("banner.gif")) == payload.files[3]);
        EXPECT_TRUE(ReadBytes(places_.File("qtally-count.exe")) == payload.files[4]);
    }

    // Starts the uninstaller as the list of installed programs does, and
    // answers its question in the copy it restarts from a new folder of its
    // own in the temporary folder.
    void Uninstall(bool yes)
    {
        // A file another program of the user put where a fixed name would go.
        const std::string planted = TempPath("uninst.exe");
        ASSERT_TRUE(WriteText(planted, "not the uninstaller"));
        const Bytes uninstaller = ReadBytes(places_.File("uninst.exe"));
        e2e::Process first;
        ASSERT_TRUE(first.Start(places_.File("uninst.exe")));
        DWORD code = 99;
        // The first process ends without asking: the copy does the rest.
        ASSERT_TRUE(first.WaitForExit(30000, &code));
        EXPECT_EQ(code, 0u);
        HWND box = e2e::WaitForDialog("Uninstall Quilltally", 0, 30000);
        ASSERT_TRUE(box);
        EXPECT_TRUE(BoxShows(box, "Are you sure you want to remove Quilltally from this computer?"));
        DWORD copy = WindowProcess(box);
        std::string image = ProcessImage(copy);
        std::string folder = image.substr(0, image.find_last_of('\\'));
        std::string name = folder.substr(folder.find_last_of('\\') + 1);
        EXPECT_EQ(Lower(folder.substr(0, folder.size() - name.size())), Lower(TempPath("")));
        EXPECT_EQ(Lower(image.substr(folder.size())), "\\uninst.exe");
        // "Quilltally-" and 16 random hexadecimal digits, new every time.
        EXPECT_EQ(name.size(), 27u) << name;
        EXPECT_EQ(name.substr(0, 11), "Quilltally-");
        EXPECT_EQ(name.find_first_not_of("0123456789abcdef", 11), std::string::npos) << name;
        for (const std::string& earlier : copyFolders_)
            EXPECT_NE(Lower(earlier), Lower(folder));
        copyFolders_.push_back(folder);
        EXPECT_TRUE(ReadBytes(image) == uninstaller);
        e2e::Click(box, yes ? IDYES : IDNO);
        EXPECT_TRUE(WaitForProcessEnd(copy));
        EXPECT_TRUE(ReadText(planted) == "not the uninstaller") << "the planted file was replaced";
        // The copy leaves itself and its folder to the system's next start.
        std::string pending = Lower(PendingDeletes());
        EXPECT_NE(pending.find(Lower(image)), std::string::npos) << pending;
        EXPECT_NE(pending.find(Lower(folder) + "|"), std::string::npos) << pending;
        DeleteFileA(planted.c_str());
    }

    // Everything an install leaves that a failed setup must not change.
    struct Snapshot {
        std::map<std::string, Bytes> files;
        std::string displayName, uninstallString, programLink, helpLink, desktopLink;
        bool operator==(const Snapshot& o) const
        {
            return files == o.files && displayName == o.displayName && uninstallString == o.uninstallString
                   && programLink == o.programLink && helpLink == o.helpLink && desktopLink == o.desktopLink;
        }
    };
    Snapshot Take() const
    {
        Snapshot s;
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA(places_.File("*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do
                if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                    s.files[found.cFileName] = ReadBytes(places_.File(found.cFileName));
            while (FindNextFileA(search, &found));
            FindClose(search);
        }
        s.displayName = Text(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayName");
        s.uninstallString = Text(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString");
        s.programLink = LinkTarget(places_.group + "\\Quilltally.lnk");
        s.helpLink = LinkTarget(places_.group + "\\Quilltally Help.lnk");
        s.desktopLink = LinkTarget(places_.desktopLink);
        return s;
    }

    // Runs a setup file that is to fail after the terms page: the box that
    // comes must show text containing every part; OK ends setup.
    void RunFailingSetup(const std::string& path, const std::vector<std::string>& parts)
    {
        e2e::Process setup;
        HWND page = StartSetup(setup, path);
        ASSERT_TRUE(page);
        AgreeAndGoOn(page);
        HWND box = e2e::WaitForDialog("Install Error", setup.Id(), 60000);
        ASSERT_TRUE(box);
        std::string shown;
        for (const std::string& t : e2e::StaticTexts(box))
            shown += t;
        for (const std::string& part : parts)
            EXPECT_NE(shown.find(part), std::string::npos) << part << " not in: " << shown;
        e2e::Click(box, IDOK);
        ASSERT_TRUE(setup.WaitForExit(30000));
        // Setup did not go on to start the program.
        EXPECT_FALSE(e2e::FindDialog("Quilltally"));
    }

    Places places_;
    std::string work_, setup_;
    std::vector<std::string> copyFolders_;
};

TEST_F(InstallTest, TermsPageMustBeAgreedTo)
{
    e2e::Process setup;
    HWND page = StartSetup(setup, setup_);
    ASSERT_TRUE(page);
    HWND progress = e2e::FindDialog(kProgressCaption, setup.Id());
    ASSERT_TRUE(progress);
    EXPECT_EQ(e2e::ControlText(progress, IDC_PROGRESSTEXT0), "Installing Quilltally");
    EXPECT_EQ(e2e::ControlText(progress, IDC_PROGRESSTEXT1), "Software Licence Terms");
    EXPECT_FALSE(e2e::IsChecked(page, IDC_AGREE));
    EXPECT_FALSE(e2e::IsChecked(page, IDC_DISAGREE));
    EXPECT_FALSE(e2e::IsEnabled(page, IDOK));

    // Enter before a choice: the page stays.
    GUITHREADINFO gui = {};
    gui.cbSize = sizeof gui;
    ASSERT_TRUE(GetGUIThreadInfo(GetWindowThreadProcessId(page, 0), &gui));
    ASSERT_TRUE(gui.hwndFocus);
    PostMessageA(gui.hwndFocus, WM_KEYDOWN, VK_RETURN, 0x001C0001);
    PostMessageA(gui.hwndFocus, WM_KEYUP, VK_RETURN, 0xC01C0001);
    Sleep(1000);
    EXPECT_TRUE(IsWindow(page));

    // Agree, then disagree: Next is off again.
    e2e::Click(page, IDC_AGREE);
    EXPECT_TRUE(e2e::WaitUntil([&] { return e2e::IsEnabled(page, IDOK); }));
    e2e::Click(page, IDC_DISAGREE);
    EXPECT_TRUE(e2e::WaitUntil([&] { return !e2e::IsEnabled(page, IDOK); }));
    EXPECT_FALSE(e2e::IsChecked(page, IDC_AGREE));

    // Cancel after agreeing ends setup with nothing extracted.
    e2e::Click(page, IDC_AGREE);
    e2e::Click(page, IDCANCEL);
    DWORD code = 99;
    ASSERT_TRUE(setup.WaitForExit(30000, &code));
    EXPECT_EQ(code, 0u);
    for (const std::string& name : InstalledNames())
        EXPECT_FALSE(Exists(places_.File(name))) << name;
    EXPECT_FALSE(KeyExists(kUninstallKey));
    EXPECT_FALSE(Exists(places_.desktopLink));
    // The folder is made and recorded before the terms page.
    EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, kFoldersKey, "ProgramFiles"), places_.folder);
}

TEST_F(InstallTest, InstallOverARunningCopyThenAgainThenRemove)
{
    const Bytes setupBytes = ReadBytes(setup_);
    const Payload payload = SplitSetup(setupBytes);
    ASSERT_TRUE(payload.ok);
    // The setup file carries the program the build made.
    EXPECT_TRUE(payload.files[0] == ReadBytes(e2e::QtallyPath()));
    EXPECT_EQ(ReadU32(setupBytes.data() + setupBytes.size() - 4), uint32_t(SETUP_TRAILER_INSTALL));

    // A running Quilltally is told to exit first and keeps what was typed.
    e2e::Process running;
    ASSERT_TRUE(running.Start(e2e::QtallyPath()));
    HWND main = running.WaitForMainWindow();
    ASSERT_TRUE(main);
    ASSERT_TRUE(e2e::WaitUntil([&] { return !e2e::ControlText(main, IDC_TOTALCOST).empty(); }));
    e2e::SetControlText(main, IDC_FIXEDCOST, "1.25");
    ASSERT_EQ(e2e::ControlText(main, IDC_FIXEDCOST), "1.25");
    e2e::Process setup;
    HWND page = StartSetup(setup, setup_);
    ASSERT_TRUE(page);
    // Setup waited for it to end before showing the terms page.
    EXPECT_TRUE(running.WaitForExit(20000));
    std::string fixed;
    EXPECT_TRUE(e2e::ReadSettingText("FixedCostAmount", &fixed));
    EXPECT_EQ(fixed, "1.25");

    AgreeAndGoOn(page);
    ASSERT_TRUE(setup.WaitForExit(60000));
    HWND installed = e2e::WaitForDialog("Quilltally", 0, 30000);
    ASSERT_TRUE(installed) << "the installed program did not start";
    EXPECT_EQ(Lower(ProcessImage(WindowProcess(installed))), Lower(places_.File("qtally.exe")));
    EXPECT_TRUE(EndRunningQuilltally());

    ExpectInstalledFiles(payload);
    std::string program = places_.File("qtally.exe");
    EXPECT_EQ(Lower(LinkTarget(places_.group + "\\Quilltally.lnk")), Lower(program));
    EXPECT_EQ(Lower(LinkTarget(places_.group + "\\Quilltally Help.lnk")), Lower(places_.File("app.hlp")));
    EXPECT_EQ(Lower(LinkTarget(places_.desktopLink)), Lower(program));
    EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayName"), "Quilltally Uninstall");
    EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString"),
              "\"" + places_.File("uninst.exe") + "\"");
    EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, kFoldersKey, "ProgramFiles"), places_.folder);
    EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, kFoldersKey, "DataFiles"), places_.folder);

    // Again over the first: fresh files, the uninstall entry as it was left.
    SetText(kUninstallKey, "DisplayName", "Changed Name");
    SetText(kUninstallKey, "UninstallString", "changed");
    Install();
    ExpectInstalledFiles(payload);
    EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayName"), "Changed Name");
    EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString"), "changed");

    // Removal, answered No: everything stays.
    std::string logon = program + " /logon";   // unquoted, as older versions wrote it
    SetText("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", "QuilltallyRun", logon);
    Uninstall(false);
    ExpectInstalledFiles(payload);
    EXPECT_TRUE(Exists(places_.desktopLink));
    EXPECT_TRUE(KeyExists(kUninstallKey));

    EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", "QuilltallyRun"),
              logon);

    // Yes: what the install made goes, and the logon start of the removed
    // program with it; the settings stay.
    Uninstall(true);
    for (const std::string& name : InstalledNames())
        EXPECT_FALSE(Exists(places_.File(name))) << name;
    EXPECT_FALSE(Exists(places_.folder));
    EXPECT_FALSE(Exists(places_.maker));
    EXPECT_FALSE(Exists(places_.group));
    EXPECT_FALSE(Exists(places_.desktopLink));
    EXPECT_FALSE(KeyExists(kUninstallKey));
    std::string run;
    EXPECT_FALSE(e2e::ReadRegistryText(e2e::kRunKey, e2e::kRunValue, &run)) << run;
    EXPECT_TRUE(e2e::ReadSettingText("FixedCostAmount", &fixed));
    EXPECT_EQ(fixed, "1.25");
}

TEST_F(InstallTest, DamagedSetupFilesInstallNothing)
{
    const Bytes good = ReadBytes(setup_);
    const Payload payload = SplitSetup(good);
    ASSERT_TRUE(payload.ok);

    // One payload byte changed: the message comes after extraction.
    Bytes changed = good;
    changed[payload.files[0].size() + payload.files[1].size() / 2] ^= 0x01;
    std::string changedPath = work_ + "\\setup.exe";
    ASSERT_TRUE(WriteBytes(changedPath, changed));
    e2e::Process setup;
    HWND page = StartSetup(setup, changedPath);
    ASSERT_TRUE(page);
    AgreeAndGoOn(page);
    HWND box = e2e::WaitForDialog("Install Error", setup.Id(), 60000);
    ASSERT_TRUE(box);
    EXPECT_TRUE(BoxShows(box, kCorruptText));
    e2e::Click(box, IDOK);
    ASSERT_TRUE(setup.WaitForExit(30000));
    EXPECT_FALSE(Exists(places_.File("uninst.exe")));
    EXPECT_FALSE(KeyExists(kUninstallKey));
    EXPECT_FALSE(Exists(places_.desktopLink));
    EXPECT_FALSE(e2e::FindDialog("Quilltally"));

    // Renamed and its trailer cut: the message comes at start.
    std::string cutPath = work_ + "\\quilltally-setup-copy.exe";
    ASSERT_TRUE(WriteBytes(cutPath, Bytes(good.begin(), good.end() - 4)));
    e2e::Process cut;
    ASSERT_TRUE(cut.Start(cutPath));
    box = e2e::WaitForDialog("Install Error", cut.Id(), 30000);
    ASSERT_TRUE(box);
    EXPECT_TRUE(BoxShows(box, kCorruptText));
    EXPECT_FALSE(e2e::FindDialog(kTermsCaption, cut.Id()));
    EXPECT_FALSE(e2e::FindDialog(kProgressCaption, cut.Id()));
    e2e::Click(box, IDOK);
    EXPECT_TRUE(cut.WaitForExit(30000));
}

// A user's own file in the install folder survives removal, and so does
// the folder with it; a logon start of another program stays.
TEST_F(InstallTest, RemovalKeepsWhatIsNotOurs)
{
    Install();
    ASSERT_TRUE(WriteText(places_.File("jobs.csv"), "10/12/26,Letter,120,20,3,4.50\r\n"));
    const std::string other = "\"C:\\Tools\\other.exe\" /logon";
    SetText("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", "QuilltallyRun", other);

    Uninstall(true);
    for (const std::string& name : InstalledNames())
        EXPECT_FALSE(Exists(places_.File(name))) << name;
    EXPECT_EQ(ReadText(places_.File("jobs.csv")), "10/12/26,Letter,120,20,3,4.50\r\n");
    EXPECT_TRUE(Exists(places_.folder));
    EXPECT_TRUE(Exists(places_.maker));
    EXPECT_FALSE(Exists(places_.desktopLink));
    EXPECT_FALSE(KeyExists(kUninstallKey));
    EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", "QuilltallyRun"),
              other);
}

// Over a working installation: a damaged setup file, and one that meets a
// file held open by another program, change nothing at all.
TEST_F(InstallTest, FailedSetupLeavesTheInstallAsItWas)
{
    Install();
    const Snapshot before = Take();
    ASSERT_EQ(before.files.size(), InstalledNames().size());
    ASSERT_EQ(before.displayName, "Quilltally Uninstall");

    const Bytes good = ReadBytes(setup_);
    const Payload payload = SplitSetup(good);
    ASSERT_TRUE(payload.ok);
    // Another build's program, so that every file would change.
    Bytes changed = good;
    changed[payload.files[0].size() / 2] ^= 0x01;
    std::string path = work_ + "\\setup.exe";
    ASSERT_TRUE(WriteBytes(path, changed));
    RunFailingSetup(path, {kCorruptText});
    EXPECT_TRUE(Take() == before);

    // A reader that lets nobody delete or rename the help file meanwhile.
    HANDLE held = CreateFileA(places_.File("app.hlp").c_str(), GENERIC_READ, FILE_SHARE_READ, 0, OPEN_EXISTING, 0, 0);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    RunFailingSetup(setup_, {"Quilltally was not installed", places_.File("app.hlp"), "could not be replaced"});
    CloseHandle(held);
    EXPECT_TRUE(Take() == before);
}

// A running copy that does not end when asked stops setup before anything
// is changed or recorded.
TEST_F(InstallTest, RunningCopyThatDoesNotEndStopsSetup)
{
    // A "Quilltally" dialog window that ignores Exit; its process (this test) stays.
    HWND stuck = CreateWindowExA(0, "#32770", "Quilltally", WS_POPUP, 0, 0, 10, 10, 0, 0, 0, 0);
    ASSERT_TRUE(stuck);
    e2e::Process setup;
    ASSERT_TRUE(setup.Start(setup_));
    HWND box = e2e::WaitForDialog("Install Error", setup.Id(), 60000);
    EXPECT_TRUE(box);
    if (box) {
        EXPECT_TRUE(BoxShows(box, "Quilltally is still running and did not close.\n\n"
                                  "Close it and run setup again; nothing was changed."));
        EXPECT_FALSE(e2e::FindDialog(kTermsCaption, setup.Id()));
        e2e::Click(box, IDOK);
    }
    EXPECT_TRUE(setup.WaitForExit(30000));
    DestroyWindow(stuck);
    std::string recorded;
    EXPECT_FALSE(e2e::ReadRegistryText(kFoldersKey, "ProgramFiles", &recorded)) << recorded;
    for (const std::string& name : InstalledNames())
        EXPECT_FALSE(Exists(places_.File(name))) << name;
}

}

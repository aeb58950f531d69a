// Extraction of a setup file's payload, with file tables and setup files made
// for each case by the same producer code the build uses.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include <windows.h>
#include <commctrl.h>

#include "ScriptedUi.h"
#include "resources/resource.h"
#include "setup/InstallDialog.h"
#include "ui/Dialog.h"
#include "tests/common/TestFiles.h"

namespace {

using namespace testfiles;

// The names in a folder, sorted; temporaries left behind would show here.
std::vector<std::string> Names(const std::string& folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name != "." && name != "..")
                names.push_back(name);
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    std::sort(names.begin(), names.end());
    return names;
}

Bytes Pattern(size_t size, unsigned seed)
{
    Bytes bytes(size);
    for (size_t i = 0; i < size; ++i)
        bytes[i] = (unsigned char)(i * 37 + seed * 11 + (i >> 9));
    return bytes;
}

// What the progress window was shown, and the message box if one came.
struct Observed {
    bool result = false;
    std::vector<std::string> lines;     // progress line 1, in order
    std::vector<int> positions;         // bar positions, in order
    int boxes = 0;
    std::string boxCaption, boxText;
};

Observed* g_observed = nullptr;
std::string g_cancelAtLine;
WNDPROC g_lineProc = nullptr, g_barProc = nullptr;

LRESULT CALLBACK RecordLine(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_SETTEXT && g_observed) {
        std::string text = (const char*)lParam;
        g_observed->lines.push_back(text);
        // The press lands at the first queue check after this file's first chunk.
        if (!g_cancelAtLine.empty() && text == g_cancelAtLine)
            PostMessageA(GetParent(hwnd), WM_COMMAND, IDCANCEL, 0);
    }
    return CallWindowProcA(g_lineProc, hwnd, msg, wParam, lParam);
}

LRESULT CALLBACK RecordBar(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == PBM_SETPOS && g_observed)
        g_observed->positions.push_back((int)wParam);
    return CallWindowProcA(g_barProc, hwnd, msg, wParam, lParam);
}

class ExtractDialog : public InstallDialog {
public:
    ExtractDialog(const std::string& setup, const SetupFileRow* table)
        : InstallDialog(g_setupTitle), setup_(setup), table_(table) {}
    bool MainFunction() override
    {
        g_lineProc = (WNDPROC)SetWindowLongPtrA(GetDlgItem(hwndDlg, IDC_PROGRESSTEXT1), GWLP_WNDPROC,
                                                (LONG_PTR)RecordLine);
        g_barProc = (WNDPROC)SetWindowLongPtrA(GetDlgItem(hwndDlg, IDC_PROGRESSBAR), GWLP_WNDPROC,
                                               (LONG_PTR)RecordBar);
        return ExtractPayload(setup_.c_str(), table_);
    }

private:
    std::string setup_;
    const SetupFileRow* table_;
};

class ExtractTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_hInstance = GetModuleHandleA(nullptr);
        root_ = FreshTempFolder("qt_extract_test");
        CreateDirectoryA((root_ + "\\in").c_str(), 0);
        CreateDirectoryA(Install().c_str(), 0);
    }
    void TearDown() override { DeleteTree(root_); }

    std::string Install() const { return root_ + "\\inst"; }
    std::string Installed(const std::string& name) const { return Install() + "\\" + name; }

    // Writes the payload files and makes a setup file of them.
    std::string MakeSetup(const SetupFileRow* table, const std::vector<Bytes>& contents)
    {
        std::vector<std::string> inputs;
        for (size_t i = 0; i < contents.size(); ++i) {
            inputs.push_back(root_ + "\\in\\" + table[i].fileName);
            EXPECT_TRUE(WriteBytes(inputs.back(), contents[i]));
        }
        std::vector<const char*> argv;
        for (const std::string& s : inputs)
            argv.push_back(s.c_str());
        std::string setup = root_ + "\\setup.exe";
        char error[400] = "";
        EXPECT_TRUE(WriteSetupFile(setup.c_str(), argv.data(), (int)argv.size(), table, error, sizeof error))
            << error;
        return setup;
    }

    Observed Extract(const std::string& setup, const SetupFileRow* table, const std::string& cancelAt = "")
    {
        Observed seen;
        g_observed = &seen;
        g_cancelAtLine = cancelAt;
        ExtractDialog dialog(setup, table);
        strcpy(dialog.installFolder, Install().c_str());
        std::vector<uiscript::Step> steps = {[&] {
            HWND box = uiscript::FindThreadWindow(g_setupCorruptCaption);
            if (!box)
                return false;
            ++seen.boxes;
            seen.boxCaption = uiscript::WindowText(box);
            seen.boxText = uiscript::MessageBoxText(box);
            // The box belongs to the progress window.
            EXPECT_EQ(GetWindow(box, GW_OWNER), dialog.hwndDlg);
            PostMessageA(box, WM_COMMAND, IDOK, 0);
            return true;
        }};
        uiscript::Outcome outcome = uiscript::Play(steps, [&] { seen.result = dialog.Run(0); });
        EXPECT_FALSE(outcome.timedOut);
        g_observed = nullptr;
        return seen;
    }

    std::string root_;
};

TEST_F(ExtractTest, ChunksSkippedRowsAndProgress)
{
    struct Case {
        std::vector<size_t> sizes;
        std::vector<std::string> lines;   // one per file that is not empty
        size_t chunks;                    // one bar update per chunk
    } cases[] = {
        {{4096}, {"f0.bin"}, 1},
        {{4097}, {"f0.bin"}, 2},
        {{0, 5}, {"f1.bin"}, 1},
        {{8192, 0, 0, 1}, {"f0.bin", "f3.bin"}, 3},
        {{1, 4095, 4096}, {"f0.bin", "f1.bin", "f2.bin"}, 3},
    };
    const char* names[] = {"f0.bin", "f1.bin", "f2.bin", "f3.bin"};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.sizes));
        SetUp();
        std::vector<SetupFileRow> table;
        std::vector<Bytes> contents;
        for (size_t i = 0; i < c.sizes.size(); ++i) {
            table.push_back({nullptr, names[i]});
            contents.push_back(Pattern(c.sizes[i], unsigned(i + 1)));
        }
        table.push_back({nullptr, nullptr});
        std::string setup = MakeSetup(table.data(), contents);

        Observed seen = Extract(setup, table.data());
        EXPECT_TRUE(seen.result);
        EXPECT_EQ(seen.boxes, 0);
        EXPECT_EQ(seen.lines, c.lines);
        EXPECT_EQ(seen.positions.size(), c.chunks);
        for (size_t i = 1; i < seen.positions.size(); ++i)
            EXPECT_LE(seen.positions[i - 1], seen.positions[i]);
        EXPECT_EQ(seen.positions.back(), 100);
        for (size_t i = 0; i < c.sizes.size(); ++i) {
            if (c.sizes[i] == 0)
                EXPECT_FALSE(Exists(Installed(names[i]))) << names[i];
            else
                EXPECT_TRUE(ReadBytes(Installed(names[i])) == contents[i]) << names[i];
        }
    }
}

TEST_F(ExtractTest, FolderColumnPicksTheTarget)
{
    const SetupFileRow table[] = {
        {nullptr, "a.bin"}, {"programFILES", "b.bin"}, {"DataFiles", "c.bin"},
        {"Sub", "d.bin"}, {nullptr, "f.bin"}, {nullptr, nullptr},
    };
    std::vector<Bytes> contents;
    for (unsigned i = 0; i < 5; ++i)
        contents.push_back(Pattern(3000 + i, i));
    std::string setup = MakeSetup(table, contents);
    CreateDirectoryA((Install() + "\\Sub").c_str(), 0);

    Observed seen = Extract(setup, table);
    EXPECT_TRUE(seen.result);
    EXPECT_EQ(seen.boxes, 0);
    EXPECT_TRUE(ReadBytes(Installed("a.bin")) == contents[0]);
    EXPECT_TRUE(ReadBytes(Installed("b.bin")) == contents[1]);
    EXPECT_TRUE(ReadBytes(Installed("c.bin")) == contents[2]);
    EXPECT_TRUE(ReadBytes(Installed("Sub\\d.bin")) == contents[3]);
    EXPECT_FALSE(Exists(Installed("d.bin")));
    EXPECT_TRUE(ReadBytes(Installed("f.bin")) == contents[4]);
    EXPECT_EQ(Names(Install()), std::vector<std::string>({"Sub", "a.bin", "b.bin", "c.bin", "f.bin"}));
    EXPECT_EQ(Names(Install() + "\\Sub"), std::vector<std::string>({"d.bin"}));
}

TEST_F(ExtractTest, DamagedSetupFileGivesTheCorruptMessage)
{
    const SetupFileRow table[] = {{nullptr, "a.bin"}, {nullptr, "b.bin"}, {nullptr, nullptr}};
    const std::vector<Bytes> contents = {Pattern(6000, 1), Pattern(9000, 2)};
    enum Damage { ChangedByte, CutFromPayload, ShorterThanTable };
    struct Case {
        Damage damage;
        bool extracted;   // only a damage the table cannot reveal gets that far
    } cases[] = {{ChangedByte, true}, {CutFromPayload, false}, {ShorterThanTable, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.damage);
        SetUp();
        std::string setup = MakeSetup(table, contents);
        Bytes bytes = ReadBytes(setup);
        Bytes tail(bytes.end() - 16, bytes.end());
        if (c.damage == ChangedByte)
            bytes[6000 + 4321] ^= 0x40;
        else if (c.damage == CutFromPayload)
            bytes.erase(bytes.begin() + 7000, bytes.begin() + 7100);
        else
            bytes = Bytes(tail.begin() + 4, tail.end());
        ASSERT_TRUE(WriteBytes(setup, bytes));
        // A working installation that a damaged download must not overwrite.
        ASSERT_TRUE(WriteBytes(Installed("a.bin"), {'o', 'l', 'd'}));

        Observed seen = Extract(setup, table);
        EXPECT_FALSE(seen.result);
        EXPECT_EQ(seen.boxes, 1);
        EXPECT_EQ(seen.boxCaption, "Install Error");
        EXPECT_EQ(seen.boxText, "Installation file corrupt.\n\nA checksum error was detected in your "
                                "install file, please redownload file and install again.");
        EXPECT_EQ(seen.lines, c.extracted ? std::vector<std::string>({"a.bin", "b.bin"})
                                          : std::vector<std::string>());
        // The old file as it was, no new one, no temporaries.
        EXPECT_TRUE(ReadBytes(Installed("a.bin")) == Bytes({'o', 'l', 'd'}));
        EXPECT_EQ(Names(Install()), std::vector<std::string>({"a.bin"}));
    }
}

// A file that cannot be written stops the install with a message that names
// it and says why; the earlier files stay as they were, no temporary stays.
TEST_F(ExtractTest, FileThatCannotBeWrittenStopsTheInstall)
{
    enum Obstacle { HeldOpen, MissingSubfolder };
    struct Case {
        Obstacle obstacle;
        const char* file;     // named in the message, below the install folder
        const char* what;
    } cases[] = {
        {HeldOpen, "b.bin", "could not be replaced"},
        {MissingSubfolder, "Missing\\c.bin", "could not be created"},
    };
    const SetupFileRow table[] = {{nullptr, "a.bin"}, {nullptr, "b.bin"}, {"Missing", "c.bin"}, {nullptr, nullptr}};
    const std::vector<Bytes> contents = {Pattern(5000, 1), Pattern(7000, 2), Pattern(300, 3)};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        SetUp();
        std::string setup = MakeSetup(table, contents);
        ASSERT_TRUE(WriteBytes(Installed("a.bin"), {'o', 'l', 'd', 'a'}));
        ASSERT_TRUE(WriteBytes(Installed("b.bin"), {'o', 'l', 'd', 'b'}));
        HANDLE held = INVALID_HANDLE_VALUE;
        if (c.obstacle == HeldOpen) {
            CreateDirectoryA(Installed("Missing").c_str(), 0);
            // Another program reading it without letting anyone delete or rename it.
            held = CreateFileA(Installed("b.bin").c_str(), GENERIC_READ, FILE_SHARE_READ, 0, OPEN_EXISTING, 0, 0);
            ASSERT_NE(held, INVALID_HANDLE_VALUE);
        }

        Observed seen = Extract(setup, table);
        if (held != INVALID_HANDLE_VALUE)
            CloseHandle(held);
        EXPECT_FALSE(seen.result);
        EXPECT_EQ(seen.boxes, 1);
        EXPECT_EQ(seen.boxCaption, "Install Error");
        EXPECT_NE(seen.boxText.find("Quilltally was not installed"), std::string::npos) << seen.boxText;
        EXPECT_NE(seen.boxText.find(Installed(c.file)), std::string::npos) << seen.boxText;
        EXPECT_NE(seen.boxText.find(c.what), std::string::npos) << seen.boxText;
        EXPECT_TRUE(ReadBytes(Installed("a.bin")) == Bytes({'o', 'l', 'd', 'a'}));
        EXPECT_TRUE(ReadBytes(Installed("b.bin")) == Bytes({'o', 'l', 'd', 'b'}));
        if (c.obstacle == HeldOpen) {
            EXPECT_EQ(Names(Install()), std::vector<std::string>({"Missing", "a.bin", "b.bin"}));
            EXPECT_TRUE(Names(Installed("Missing")).empty());
        } else {
            EXPECT_EQ(Names(Install()), std::vector<std::string>({"a.bin", "b.bin"}));
        }
    }
}

TEST_F(ExtractTest, MissingSetupFileFailsQuietly)
{
    const SetupFileRow table[] = {{nullptr, "a.bin"}, {nullptr, nullptr}};
    Observed seen = Extract(root_ + "\\no such setup.exe", table);
    EXPECT_FALSE(seen.result);
    EXPECT_EQ(seen.boxes, 0);
    EXPECT_FALSE(Exists(Installed("a.bin")));
}

TEST_F(ExtractTest, OnlyTheFirst128RowsCount)
{
    std::vector<std::string> names;
    for (int i = 0; i < 130; ++i)
        names.push_back("r" + std::to_string(i) + ".bin");
    std::vector<SetupFileRow> table;
    for (const std::string& n : names)
        table.push_back({nullptr, n.c_str()});
    table.push_back({nullptr, nullptr});
    std::vector<Bytes> contents;
    for (int i = 0; i < 128; ++i)
        contents.push_back(Pattern(10 + i, unsigned(i)));
    std::string setup = MakeSetup(table.data(), contents);
    // The producer packs 128 files and a table of 128 sizes.
    EXPECT_EQ(ReadBytes(setup).size(), size_t(128 * 10 + 127 * 128 / 2 + 4 * 130));

    Observed seen = Extract(setup, table.data());
    EXPECT_TRUE(seen.result);
    EXPECT_EQ(seen.boxes, 0);
    EXPECT_EQ(seen.lines.size(), 128u);
    EXPECT_TRUE(ReadBytes(Installed("r127.bin")) == contents[127]);
    EXPECT_FALSE(Exists(Installed("r128.bin")));
    EXPECT_FALSE(Exists(Installed("r129.bin")));
}

TEST_F(ExtractTest, CancelDuringSecondFileChangesNothing)
{
    const SetupFileRow table[] = {
        {nullptr, "first.bin"}, {nullptr, "second.bin"}, {nullptr, "third.bin"}, {nullptr, nullptr}};
    const std::vector<Bytes> contents = {Pattern(5000, 1), Pattern(10000, 2), Pattern(10, 3)};
    std::string setup = MakeSetup(table, contents);
    // An earlier installation of the first file only.
    ASSERT_TRUE(WriteBytes(Installed("first.bin"), {'o', 'l', 'd'}));

    Observed seen = Extract(setup, table, "second.bin");
    EXPECT_FALSE(seen.result);
    EXPECT_EQ(seen.boxes, 0);
    EXPECT_EQ(seen.lines, std::vector<std::string>({"first.bin", "second.bin"}));
    EXPECT_TRUE(ReadBytes(Installed("first.bin")) == Bytes({'o', 'l', 'd'}));
    EXPECT_EQ(Names(Install()), std::vector<std::string>({"first.bin"}));
}

}

// The Win32 support pieces against the real system: dialog integers read as
// GetDlgItemInt reads them, folder deletion, and the CSV append.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <string>

#include <windows.h>

#include "support/DateTime.h"
#include "support/File.h"
#include "support/NumberText.h"
#include "ui/Dialog.h"
#include "wordcount/CsvLog.h"
#include "tests/common/TestFiles.h"

namespace {

using namespace testfiles;

// ---- Dialog integers ----------------------------------------------------------

class DialogInt : public ::testing::Test {
protected:
    enum { kId = 100 };
    void SetUp() override
    {
        g_hInstance = GetModuleHandleA(NULL);
        parent_ = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 100, 100, NULL, NULL,
                                  g_hInstance, NULL);
        ASSERT_TRUE(parent_ != NULL);
        ASSERT_TRUE(CreateWindowExA(0, "STATIC", "", WS_CHILD, 0, 0, 50, 20, parent_,
                                    (HMENU)(INT_PTR)kId, g_hInstance, NULL) != NULL);
    }
    void TearDown() override { DestroyWindow(parent_); }

    // Puts the text in the control and checks ReadDialogInt against the
    // system's reading of the same text.
    void Compare(const std::string& text)
    {
        SetDlgItemTextA(parent_, kId, text.c_str());
        char shown[512];
        GetDlgItemTextA(parent_, kId, shown, sizeof shown);
        BOOL translated = FALSE;
        int system = (int)GetDlgItemInt(parent_, kId, &translated, TRUE);
        ASSERT_EQ(ReadDialogInt(shown), system) << "\"" << shown << "\"";
        ++compared_;
    }

    HWND parent_ = NULL;
    int compared_ = 0;
};

TEST_F(DialogInt, MatchesGetDlgItemInt)
{
    // The exact limits first: the system tells overflow by an errno it never
    // clears, so after the first overflow it reads them as 0 too.
    const char* table[] = {
        "2147483647", "-2147483648", " +2147483647x", "", "0", "80", "-5", "+12", "  40", "\t\r\n\v\f7", "12x", "1.5", "0x10", "x12", "abc",
        "- 5", "--5", "+-5", " +7 ", "2147483646", "2147483648", "-2147483647", "-2147483649", "4294967295", "4294967296", "99999999999999999999",
        "00000000000000000000000000000000042", "                            7",
        "                             7", "-0", "1e3",
    };
    for (const char* text : table)
        Compare(text);
    // Every byte in front of a digit, and after one.
    for (int b = 1; b < 256; ++b) {
        Compare(std::string(1, (char)b) + "5");
        Compare("5" + std::string(1, (char)b) + "5");
        Compare(std::string(1, (char)b) + "-5");
    }
    // Generated texts of the characters that matter, up to 34 long.
    uint32_t state = 1;
    static const char kChars[] = "0123456789999 \t+-x.";
    for (int i = 0; i < 3000; ++i) {
        state = state * 1103515245u + 12345u;
        size_t length = (state >> 16) % 35;
        std::string text;
        for (size_t k = 0; k < length; ++k) {
            state = state * 1103515245u + 12345u;
            text.push_back(kChars[(state >> 16) % (sizeof kChars - 1)]);
        }
        Compare(text);
    }
    EXPECT_GT(compared_, 3000);
}

// ---- Folder deletion ------------------------------------------------------------

std::string TempFolder(const char* name)
{
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    char unique[64];
    snprintf(unique, sizeof unique, "%s-%lu", name, GetCurrentProcessId());
    char path[QT_PATH_SIZE];
    lstrcpynA(path, temp, sizeof path);
    LFile::FilePathCat(path, unique);
    return path;
}

void MakeFile(const std::string& path, const char* content = "x")
{
    ASSERT_TRUE(WriteText(path, content)) << path;
}

TEST(DeleteFolderAndFiles, RemovesAFolderOfFiles)
{
    std::string folder = TempFolder("qt-delete-plain");
    DeleteTree(folder);
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), NULL));
    for (const char* name : {"a.txt", "b", "c.d.e", "no extension here"})
        MakeFile(folder + "\\" + name);
    EXPECT_TRUE(LFile::DeleteFolderAndFiles(folder.c_str()));
    EXPECT_FALSE(Exists(folder));
    // Given with a trailing separator it works the same.
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), NULL));
    MakeFile(folder + "\\a.txt");
    EXPECT_TRUE(LFile::DeleteFolderAndFiles((folder + "\\").c_str()));
    EXPECT_FALSE(Exists(folder));
}

TEST(DeleteFolderAndFiles, KeepsSubfoldersAndDotNames)
{
    struct Case {
        const char* kept;    // what stays behind
        bool isFolder;
    } cases[] = {{"sub", true}, {".profile", false}, {".hidden", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kept);
        std::string folder = TempFolder("qt-delete-kept");
        DeleteTree(folder);
        ASSERT_TRUE(CreateDirectoryA(folder.c_str(), NULL));
        MakeFile(folder + "\\file1.txt");
        MakeFile(folder + "\\file2");
        std::string kept = folder + "\\" + c.kept;
        if (c.isFolder) {
            ASSERT_TRUE(CreateDirectoryA(kept.c_str(), NULL));
            MakeFile(kept + "\\inner.txt");
        } else {
            MakeFile(kept);
        }
        EXPECT_FALSE(LFile::DeleteFolderAndFiles(folder.c_str()));
        EXPECT_TRUE(Exists(folder));
        EXPECT_FALSE(Exists(folder + "\\file1.txt"));
        EXPECT_FALSE(Exists(folder + "\\file2"));
        EXPECT_TRUE(Exists(kept));
        if (c.isFolder) {
            EXPECT_TRUE(Exists(kept + "\\inner.txt"));
        }
        DeleteTree(folder);
    }
}

// A folder name longer than a path buffer is refused, not cut to the name
// of whatever sits at its first 259 characters.
TEST(DeleteFolderAndFiles, FolderNameTooLongIsRefused)
{
    std::string base = TempFolder("qt-delete-long");
    DeleteTree(base);
    ASSERT_TRUE(CreateDirectoryA(base.c_str(), NULL));
    std::string cut = base + "\\" + std::string(259 - base.size() - 1, 'd');
    ASSERT_EQ(cut.size(), 259u);
    MakeFile(cut);
    std::string folder = cut + "more";
    EXPECT_FALSE(LFile::DeleteFolderAndFiles(folder.c_str()));
    EXPECT_TRUE(Exists(cut));
    DeleteTree(base);
}

TEST(DeleteFolderAndFiles, MissingFolder)
{
    std::string folder = TempFolder("qt-delete-missing");
    DeleteTree(folder);
    EXPECT_FALSE(LFile::DeleteFolderAndFiles(folder.c_str()));
}

// ---- CSV append ---------------------------------------------------------------

CsvJob Job(const char* title, int characters, int words, int lines, double total)
{
    CsvJob job;
    lstrcpynA(job.jobTitle, title, sizeof job.jobTitle);
    job.characters = characters;
    job.words = words;
    job.lines = lines;
    job.total = total;
    return job;
}

// Today in day-first order, made without LDateTime.
std::string Today()
{
    time_t now = time(nullptr);
    char date[16];
    strftime(date, sizeof date, "%d/%m/%y", localtime(&now));
    return date;
}

std::string Line(const CsvJob& job, const std::string& date)
{
    char line[1024];
    FormatCsvLine(job, date.c_str(), line, sizeof line);
    return line;
}

class CsvAppend : public ::testing::Test {
protected:
    static int DayFirst() { return 1; }
    void SetUp() override
    {
        SetDateOrderSource(DayFirst);
        path_ = TempFolder("qt-jobs") + ".csv";
        DeleteFileA(path_.c_str());
    }
    void TearDown() override
    {
        DeleteFileA(path_.c_str());
        SetDateOrderSource(nullptr);
    }
    std::string path_;
};

TEST_F(CsvAppend, AppendsOneLinePerJob)
{
    struct Case {
        const char* existing;   // nullptr: no file yet
    } cases[] = {{nullptr}, {""}, {"date,title\r\nlast line without end"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.existing ? c.existing : "(new file)");
        DeleteFileA(path_.c_str());
        if (c.existing)
            MakeFile(path_, c.existing);
        CsvJob first = Job("Chapter 1", 1234, 200, 15, 5.5);
        CsvJob second = Job("say \"hi\"", 7, 1, 1, 3.46);
        std::string before = Today();
        ASSERT_TRUE(AppendJobToCsv(first, path_.c_str()));
        ASSERT_TRUE(AppendJobToCsv(second, path_.c_str()));
        std::string after = Today();
        std::string content = ReadText(path_);
        std::string kept = c.existing ? c.existing : "";
        // The day may turn over during the test: either date will do.
        EXPECT_TRUE(content == kept + Line(first, before) + Line(second, before) ||
                    content == kept + Line(first, after) + Line(second, after))
            << content;
    }
}

TEST_F(CsvAppend, FailuresWriteNothing)
{
    CsvJob job = Job("T", 1, 2, 3, 4);
    // Held open by another program without sharing.
    MakeFile(path_, "kept");
    HANDLE held = CreateFileA(path_.c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(AppendJobToCsv(job, path_.c_str()));
    CloseHandle(held);
    EXPECT_EQ(ReadText(path_), "kept");

    std::string missing = TempFolder("qt-no-such-folder") + "\\jobs.csv";
    EXPECT_FALSE(AppendJobToCsv(job, missing.c_str()));
    EXPECT_FALSE(Exists(missing));
    EXPECT_FALSE(AppendJobToCsv(job, ""));
}

// Without a source set, dates follow the profile's "Intl" "iDate" value.
TEST(DateOrder, FollowsTheProfileSetting)
{
    char saved[16];
    DWORD had = GetProfileStringA("Intl", "iDate", "", saved, sizeof saved);
    for (const char* value : {"2", "1", "0"}) {
        ASSERT_TRUE(WriteProfileStringA("Intl", "iDate", value));
        EXPECT_EQ(ReadProfileDateOrder(), value[0] - '0');
        SetPlatformDateOrderSource(ReadProfileDateOrder);
        SetDateOrderSource(nullptr);   // forgets the cached order
        EXPECT_EQ(GetDateOrder(), value[0] - '0');
    }
    WriteProfileStringA("Intl", "iDate", had ? saved : NULL);
    SetPlatformDateOrderSource(nullptr);
    SetDateOrderSource(nullptr);
}

} // namespace

#include "support/DateTime.h"
#include "support/File.h"
#include "support/TextHelpers.h"
#include "wordcount/CsvLog.h"

#include "comma_locale.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

namespace {

// ---- Paths ----------------------------------------------------------------

enum PathOp { Folder, File, Title };

std::string Apply(PathOp op, const std::string& path)
{
    char out[QT_PATH_SIZE + 8];
    memset(out, '#', sizeof out);
    switch (op) {
    case Folder:
        LFile::_GetFolderFromPath(out, path.c_str());
        break;
    case File:
        LFile::_GetFileFromPath(out, path.c_str());
        break;
    case Title:
        LFile::_GetFileTitleFromPath(out, path.c_str());
        break;
    }
    for (int i = QT_PATH_SIZE; i < QT_PATH_SIZE + 8; ++i)
        EXPECT_EQ(out[i], '#') << "wrote past the path buffer";
    return out;
}

TEST(Paths, TakingPathsApart)
{
    const std::string long300(300, 'n');
    struct Case {
        PathOp op;
        std::string path, result;
    } cases[] = {
        {Folder, "C:\\dir\\file.txt", "C:\\dir"},
        {Folder, "C:\\file.txt", "C:"},
        {Folder, "C:/dir/file", "C:/dir"},
        {Folder, "C:\\dir/sub\\x", "C:\\dir/sub"},
        {Folder, "file.txt", ""},
        {Folder, "\\file.txt", ""},
        {Folder, "", ""},
        {Folder, "C:\\dir\\", "C:\\dir"},
        {Folder, std::string(250, 'a') + "\\b" + long300, std::string(250, 'a')},
        {Folder, std::string(260, 'a') + "\\b", ""},   // separator past the buffer
        {File, "C:\\dir\\file.txt", "file.txt"},
        {File, "C:/dir/file", "file"},
        {File, "file.txt", "file.txt"},
        {File, "C:\\dir\\", ""},
        {File, long300, std::string(259, 'n')},
        {File, "C:\\" + long300 + "\\name.csv", "name.csv"},
        {Title, "C:\\a.b\\name", "name"},
        {Title, "report.final.csv", "report.final"},
        {Title, "C:\\dir\\.profile", ".profile"},
        {Title, "C:\\dir\\..csv", "."},
        {Title, "noext", "noext"},
        {Title, "C:\\dir\\trailing.", "trailing"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Apply(c.op, c.path), c.result) << c.op << " " << c.path;
}

TEST(Paths, JoiningAFolderAndAName)
{
    struct Case {
        std::string folder, name, result;
        bool whole;   // the name went in uncut
    } cases[] = {
        {"C:\\dir\\", "a.txt", "C:\\dir\\a.txt", true},
        {"C:\\dir", "a.txt", "C:\\dir\\a.txt", true},
        {"C:/dir/", "a.txt", "C:/dir/a.txt", true},
        {"", "a.txt", "a.txt", true},
        {"C:\\dir", "", "C:\\dir\\", true},
        {std::string(259, 'f'), "a.txt", std::string(259, 'f'), false},
        {std::string(250, 'f'), std::string(20, 'n'), std::string(250, 'f') + "\\" + std::string(8, 'n'), false},
        {std::string(258, 'f'), "a", std::string(258, 'f') + "\\", false},
        {std::string(257, 'f'), "a", std::string(257, 'f') + "\\a", true},
        {std::string(258, 'f') + "\\", "abc", std::string(258, 'f') + "\\", false},
    };
    for (const Case& c : cases) {
        char folder[QT_PATH_SIZE + 8];
        memset(folder, '#', sizeof folder);
        memcpy(folder, c.folder.c_str(), c.folder.size() + 1);
        EXPECT_EQ(LFile::FilePathCat(folder, c.name.c_str()), c.whole) << c.folder << " + " << c.name;
        EXPECT_EQ(std::string(folder), c.result) << c.folder << " + " << c.name;
        EXPECT_LE(strlen(folder), 259u);
        EXPECT_EQ(folder[QT_PATH_SIZE], '#');
    }
}

// ---- Dates ----------------------------------------------------------------

class Dates : public ::testing::Test {
protected:
    static int order;
    static int reads;
    static int Source()
    {
        ++reads;
        return order;
    }
    void SetUp() override
    {
        const char* tz = getenv("TZ");
        savedTz_ = tz ? tz : "";
        hadTz_ = tz != nullptr;
        setenv("TZ", "UTC", 1);
        tzset();
        reads = 0;
    }
    void TearDown() override
    {
        if (hadTz_)
            setenv("TZ", savedTz_.c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
        SetDateOrderSource(nullptr);
        SetPlatformDateOrderSource(nullptr);
    }
    static std::string Text(int year, int month, int day)
    {
        struct tm t = {};
        t.tm_year = year - 1900;
        t.tm_mon = month - 1;
        t.tm_mday = day;
        t.tm_hour = 12;
        LDateTime date;
        date.time = (int32_t)timegm(&t);
        char out[9];
        memset(out, '#', sizeof out);
        date._GetTextDate(out);
        return out;
    }

private:
    std::string savedTz_;
    bool hadTz_ = false;
};
int Dates::order = 0;
int Dates::reads = 0;

TEST_F(Dates, FollowTheDateOrder)
{
    struct Case {
        int order;
        int year, month, day;
        const char* text;
    } cases[] = {
        {0, 2026, 12, 31, "12/31/26"}, {1, 2026, 12, 31, "31/12/26"}, {2, 2026, 12, 31, "26/12/31"},
        {3, 2026, 12, 31, "12/31/26"}, {-7, 2026, 12, 31, "12/31/26"}, {0, 2000, 1, 5, "01/05/00"},
        {1, 2009, 3, 5, "05/03/09"},   {2, 2030, 2, 9, "30/02/09"},    {257, 2009, 3, 5, "05/03/09"},
    };
    for (const Case& c : cases) {
        order = c.order;
        SetDateOrderSource(Source);
        EXPECT_EQ(Text(c.year, c.month, c.day), c.text) << "order " << c.order;
    }
}

TEST_F(Dates, OrderIsReadOnceAndNotForNoDate)
{
    order = 1;
    SetDateOrderSource(Source);
    LDateTime none;
    char out[9] = "xxxxxxxx";
    none._GetTextDate(out);
    EXPECT_STREQ(out, "");
    EXPECT_EQ(reads, 0);

    EXPECT_EQ(Text(2026, 12, 8), "08/12/26");
    order = 2;   // a later change of the setting is not seen
    EXPECT_EQ(Text(2026, 12, 8), "08/12/26");
    EXPECT_EQ(GetDateOrder(), 1);
    EXPECT_EQ(reads, 1);
}

TEST_F(Dates, PlatformSourceAndDefault)
{
    SetDateOrderSource(nullptr);
    EXPECT_EQ(GetDateOrder(), 0);   // no source at all: month first
    order = 2;
    SetPlatformDateOrderSource(Source);
    SetDateOrderSource(nullptr);
    EXPECT_EQ(GetDateOrder(), 2);
    EXPECT_EQ(reads, 1);
}

// ---- Text helpers -----------------------------------------------------------

std::string Abbreviate(const std::string& text)
{
    char out[QT_SUMMARY_SIZE + 8];
    memset(out, '#', sizeof out);
    AbbreviateText(text.c_str(), out);
    for (int i = QT_SUMMARY_SIZE; i < QT_SUMMARY_SIZE + 8; ++i)
        EXPECT_EQ(out[i], '#') << "wrote past the summary buffer";
    return out;
}

TEST(TextHelpers, AbbreviateKeepsShortTextsWhole)
{
    std::string text;
    for (int i = 0; i < 190; ++i)
        text.push_back("ab\r\n\t\xE9 "[i % 7]);
    EXPECT_EQ(Abbreviate(text), text);
    EXPECT_EQ(Abbreviate(""), "");
}

TEST(TextHelpers, AbbreviateShortensLongTextsToOneLine)
{
    for (size_t length : {191u, 192u, 5000u}) {
        std::string text;
        for (size_t i = 0; i < length; ++i)
            text.push_back((char)(1 + (i * 37) % 255));
        std::string expected = text.substr(0, 100) + "..." + text.substr(length - 90);
        for (char& c : expected)
            if ((unsigned char)c < 32 || (unsigned char)c > 127)
                c = ' ';
        std::string summary = Abbreviate(text);
        EXPECT_EQ(summary.size(), 193u);
        EXPECT_EQ(summary, expected) << length;
    }
}

TEST(TextHelpers, IntegerSettings)
{
    struct Case {
        const char* text;
        int value;
    } cases[] = {
        {"", 99},         {"abc", 0},   {"  12x", 12}, {"-5", -5}, {"+7", 7},  {"119", 119},
        {"\t\n 4", 4},    {"- 5", 0},   {"1.9", 1},    {"2147483647", INT_MAX},
        {"2147483648", INT_MAX},        {"-2147483648", INT_MIN}, {"-99999999999", INT_MIN},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParseSettingInt(c.text, 99), c.value) << "\"" << c.text << "\"";
}

TEST(TextHelpers, FlagSettings)
{
    struct Case {
        const char* text;
        bool value;
    } cases[] = {
        {"1", true}, {"no", true}, {"false", true}, {" 0", true},
        {"0", false}, {"00", false}, {"0ff", false},
    };
    for (const Case& c : cases)
        for (bool fallback : {false, true})
            EXPECT_EQ(ParseSettingFlag(c.text, fallback), c.value) << "\"" << c.text << "\"";
    EXPECT_TRUE(ParseSettingFlag("", true));
    EXPECT_FALSE(ParseSettingFlag("", false));
}

// ---- CSV line ---------------------------------------------------------------

CsvJob Job(const char* title, int characters, int words, int lines, double total)
{
    CsvJob job;
    snprintf(job.jobTitle, sizeof job.jobTitle, "%s", title);
    job.characters = characters;
    job.words = words;
    job.lines = lines;
    job.total = total;
    return job;
}

TEST(CsvLine, Fields)
{
    struct Case {
        CsvJob job;
        const char* date;
        const char* line;
    } cases[] = {
        {Job("Chapter 1", 1234, 200, 15, 5.5), "08/12/26",
         "08/12/26, \"Chapter 1\", 1234, 200, 15, 5.50 \r\n"},
        {Job("say \"hi\", now", 1, 2, 3, 3.456), "12/31/26",
         "12/31/26, \"say \"hi\", now\", 1, 2, 3, 3.46 \r\n"},
        {Job("", -1, 0, 0, -2), "", ", \"\", -1, 0, 0, -2.00 \r\n"},
    };
    for (const Case& c : cases) {
        char out[512];
        int length = FormatCsvLine(c.job, c.date, out, sizeof out);
        EXPECT_STREQ(out, c.line);
        EXPECT_EQ(length, (int)strlen(c.line));
    }
}

TEST(CsvLine, LongestLineFitsAndShortBuffersAreCut)
{
    std::string title(259, 'T');
    CsvJob job = Job(title.c_str(), INT_MIN, INT_MIN, INT_MIN, -1e308);
    char expected[1024];
    int full = snprintf(expected, sizeof expected, "%s, \"%s\", %i, %i, %i, %.2lf \r\n",
                        "31/12/26", title.c_str(), INT_MIN, INT_MIN, INT_MIN, -1e308);
    ASSERT_LT(full, (int)sizeof expected);

    char out[1024];
    EXPECT_EQ(FormatCsvLine(job, "31/12/26", out, sizeof out), full);
    EXPECT_STREQ(out, expected);

    for (size_t size : {1u, 10u, 300u}) {
        char small[310];
        memset(small, '#', sizeof small);
        int length = FormatCsvLine(job, "31/12/26", small, size);
        EXPECT_EQ(length, (int)size - 1);
        EXPECT_EQ(strlen(small), size - 1);
        EXPECT_EQ(std::string(small), std::string(expected, size - 1));
        EXPECT_EQ(small[size], '#');
    }

    // A title that lost its terminator stops at its buffer.
    memset(job.jobTitle, 'U', sizeof job.jobTitle);
    FormatCsvLine(job, "", out, sizeof out);
    EXPECT_EQ(std::string(out).find(std::string(259, 'U') + "\""), 3u);
}

TEST(CsvLine, TotalUsesAFullStopInAnyLocale)
{
    qt_test::CommaLocale comma;
    if (!comma.active())
        GTEST_SKIP() << "no locale with a decimal comma could be made";
    char out[512];
    FormatCsvLine(Job("a,1", 1, 2, 3, 5.5), "01/02/03", out, sizeof out);
    EXPECT_STREQ(out, "01/02/03, \"a,1\", 1, 2, 3, 5.50 \r\n");
}

} // namespace

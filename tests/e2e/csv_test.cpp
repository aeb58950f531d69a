// The CSV job log end to end: the main dialog's "Add To CSV", the "Add to CSV
// File" dialog and the file it writes.
#include <gtest/gtest.h>

#include "support/NumberText.h"
#include "tests/common/TestClipboard.h"
#include "tests/common/TestFiles.h"
#include "tests/e2e/AppDriver.h"
#include "tests/e2e/Typist.h"
#include "wordcount/TextMeasures.h"

#include <string>
#include <vector>

namespace {

enum {
    kCharacters = 103, kWords = 106, kLines = 110, kTotal = 115, kUpdateText = 113,
    kAddToCsv = 114, kCsvPath = 101, kJobTitle = 103,
};

bool Contains(const std::vector<std::string>& texts, const std::string& text)
{
    for (const std::string& t : texts)
        if (t.find(text) != std::string::npos)
            return true;
    return false;
}

class CsvTest : public ::testing::Test {
protected:
    typist::DateOrder dateOrder;
    typist::TempFolder folder;
    e2e::Process app;
    HWND main = 0;
    DWORD pid = 0;

    void SetUp() override
    {
        e2e::ResetState();
        // A total with a third decimal, so that the shown figure is rounded.
        e2e::WriteSettingText("FixedCostAmount", "3.456");
        e2e::WriteSettingText("CostPerCharacter", "0");
        e2e::WriteSettingText("CostPerWord", "0");
        e2e::WriteSettingText("CostPerLine", "0");
    }
    void TearDown() override
    {
        app.Exit();
        e2e::ResetState();
    }

    bool Start(e2e::Process& process)
    {
        if (!process.Start(e2e::QtallyPath()))
            return false;
        pid = process.Id();
        main = process.WaitForMainWindow();
        return main && e2e::WaitForStartUp(main);
    }

    bool Measure(const std::string& text)
    {
        if (!testclip::SetText(text))
            return false;
        e2e::PostCommand(main, kUpdateText);
        return e2e::WaitForControlText(main, kCharacters,
                                       std::to_string(CountCharacters(text.c_str())));
    }

    // The line the log must get for what the main dialog shows now.
    std::string ExpectedLine(const std::string& date, const std::string& title)
    {
        return date + ", \"" + title + "\", " + e2e::ControlText(main, kCharacters) + ", " +
               e2e::ControlText(main, kWords) + ", " + e2e::ControlText(main, kLines) + ", " +
               e2e::ControlText(main, kTotal) + "\r\n";
    }

    HWND OpenAddToCsv()
    {
        e2e::PostCommand(main, kAddToCsv);
        return e2e::WaitForDialog("Add to CSV File", pid);
    }

    // Fills the dialog and presses OK.
    void Submit(HWND dialog, const std::string& path, const std::string& title)
    {
        e2e::SetControlText(dialog, kCsvPath, path);
        e2e::SetControlText(dialog, kJobTitle, title);
        e2e::Click(dialog, IDOK);
    }

    // Answers the confirmation; true when it came with its text and the
    // dialog closed.
    bool Confirm(HWND dialog)
    {
        HWND box = e2e::WaitForDialog("Confirmation", pid);
        if (!box)
            return false;
        bool text = Contains(e2e::StaticTexts(box), "Complete adding to CSV File.");
        e2e::PostCommand(box, IDOK);
        return text && e2e::WaitUntil([&] { return !IsWindow(dialog); });
    }

    // Logs one job the whole way; the texts the dialog showed on opening go
    // to *shownPath and *shownTitle.
    bool LogJob(const std::string& path, const std::string& title, std::string* shownPath = nullptr,
                std::string* shownTitle = nullptr)
    {
        HWND dialog = OpenAddToCsv();
        if (!dialog)
            return false;
        if (shownPath)
            *shownPath = e2e::ControlText(dialog, kCsvPath);
        if (shownTitle)
            *shownTitle = e2e::ControlText(dialog, kJobTitle);
        Submit(dialog, path, title);
        return Confirm(dialog);
    }
};

TEST_F(CsvTest, TwoJobsGiveExactlyTwoLinesAndTheTitleBoxStartsEmptyEachTime)
{
    dateOrder.Set(1);
    ASSERT_TRUE(Start(app));
    const std::string path = folder.File("jobs.csv");

    ASSERT_TRUE(Measure("The first job, short."));
    char shown[32];
    FormatMoney(3.456, shown, sizeof shown);
    EXPECT_EQ(e2e::ControlText(main, kTotal), shown);
    std::string firstLine = ExpectedLine(typist::TodayText(1), "Chapter \"1\", draft");
    std::string shownPath, shownTitle;
    ASSERT_TRUE(LogJob(path, "Chapter \"1\", draft", &shownPath, &shownTitle));
    EXPECT_EQ(shownPath, "");
    EXPECT_EQ(shownTitle, "");

    ASSERT_TRUE(Measure("A second job\r\nwith two lines and rather more words in it."));
    std::string secondLine = ExpectedLine(typist::TodayText(1), "Chapter 2");
    ASSERT_TRUE(LogJob(path, "Chapter 2", &shownPath, &shownTitle));
    EXPECT_EQ(shownPath, path);
    EXPECT_EQ(shownTitle, "");

    EXPECT_EQ(testfiles::ReadText(path), firstLine + secondLine);
    std::string stored;
    EXPECT_TRUE(e2e::ReadSettingText("CSVFilePath", &stored));
    EXPECT_EQ(stored, path);
}

TEST_F(CsvTest, AnExistingFileGetsTheLineRightAfterItsLastByte)
{
    dateOrder.Set(0);
    const std::string path = folder.File("open-ended.csv");
    const std::string before = "01/02/03, \"typed by hand\", 1, 1, 1, 1.00";
    ASSERT_TRUE(testfiles::WriteText(path, before));
    ASSERT_TRUE(Start(app));
    ASSERT_TRUE(Measure("Some words to log."));
    std::string line = ExpectedLine(typist::TodayText(0), "appended");
    ASSERT_TRUE(LogJob(path, "appended"));
    EXPECT_EQ(testfiles::ReadText(path), before + line);
}

TEST_F(CsvTest, TheDateFollowsEachDateOrder)
{
    for (int order : {0, 1, 2}) {
        SCOPED_TRACE("date order " + std::to_string(order));
        dateOrder.Set(order);
        // The order is read once per process: each order needs a fresh start.
        e2e::Process run;
        ASSERT_TRUE(Start(run));
        const std::string path = folder.File(("order" + std::to_string(order) + ".csv").c_str());
        std::string date = typist::TodayText(order);
        ASSERT_TRUE(LogJob(path, "dated"));
        std::string line = testfiles::ReadText(path);
        EXPECT_EQ(line.substr(0, date.size() + 2), date + ", ") << line;
        EXPECT_TRUE(run.Exit());
    }
}

TEST_F(CsvTest, AFileHeldOpenByAnotherProgramKeepsItsBytesAndTheDialogStaysOpen)
{
    const std::string path = folder.File("held.csv");
    ASSERT_TRUE(testfiles::WriteText(path, "kept as it was\r\n"));
    HANDLE holder = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(Start(app));
    ASSERT_TRUE(Measure("Held file job."));

    HWND dialog = OpenAddToCsv();
    ASSERT_TRUE(dialog);
    Submit(dialog, path, "blocked");
    HWND error = 0;
    EXPECT_TRUE(e2e::WaitUntil([&] {
        return (error = typist::FindOwnedWindow("Add to CSV File", dialog)) != 0;
    }));
    std::vector<std::string> texts = e2e::StaticTexts(error);
    EXPECT_TRUE(Contains(texts, path));
    EXPECT_TRUE(Contains(texts, "not added"));
    EXPECT_FALSE(e2e::FindDialog("Confirmation", pid));
    e2e::PostCommand(error, IDOK);
    EXPECT_TRUE(e2e::WaitUntil([&] { return !IsWindow(error); }));
    EXPECT_TRUE(IsWindow(dialog));
    std::string stored;
    EXPECT_FALSE(e2e::ReadSettingText("CSVFilePath", &stored)) << stored;
    CloseHandle(holder);
    EXPECT_EQ(testfiles::ReadText(path), "kept as it was\r\n");

    // Once the other program lets go, OK in the same dialog logs the job.
    std::string line = ExpectedLine(typist::TodayText(GetProfileIntA("Intl", "iDate", 0)), "blocked");
    e2e::Click(dialog, IDOK);
    ASSERT_TRUE(Confirm(dialog));
    EXPECT_EQ(testfiles::ReadText(path), "kept as it was\r\n" + line);
}

}

// qtally-count.exe run as a user runs it: the generated test files counted
// from the outside, its job log against what "Add To CSV" writes for the same
// jobs, rates from the settings store, errors and exit status.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <windows.h>

#include "support/NumberText.h"
#include "support/Settings.h"
#include "tests/common/TestFiles.h"
#include "wordcount/CsvLog.h"
#include "wordcount/Pricing.h"
#include "wordcount/TextMeasures.h"
#include "tests/common/TestRegistry.h"

#ifndef QT_COUNT_FIXTURES
#error QT_COUNT_FIXTURES names the folder of the generated test files
#endif

using namespace testfiles;

namespace {

using testreg::kSettingsKey;

// The generated files, as Wine's Z: drive shows the build machine's folders.
std::string Fixtures()
{
    std::string path = std::string("Z:") + QT_COUNT_FIXTURES;
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path;
}

std::string CounterPath()
{
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    std::string self(path, n);
    return self.substr(0, self.find_last_of('\\') + 1) + "qtally-count.exe";
}

struct Result {
    DWORD status = 0xFFFFFFFF;
    std::string out, err;
};

// Runs the counter with its output and errors going to files.
Result RunCounter(const std::string& arguments)
{
    // New names each run: Wine may still hold the last run's files a moment.
    static int run = 0;
    ++run;
    Result r;
    std::string outPath = TempPath("qc-out-" + std::to_string(run) + ".txt");
    std::string errPath = TempPath("qc-err-" + std::to_string(run) + ".txt");
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE out = CreateFileA(outPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                             CREATE_ALWAYS, 0, nullptr);
    HANDLE err = CreateFileA(errPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                             CREATE_ALWAYS, 0, nullptr);
    EXPECT_NE(out, INVALID_HANDLE_VALUE);
    EXPECT_NE(err, INVALID_HANDLE_VALUE);
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    si.hStdOutput = out;
    si.hStdError = err;
    PROCESS_INFORMATION pi = {};
    std::string command = "\"" + CounterPath() + "\" " + arguments;
    std::vector<char> line(command.begin(), command.end());
    line.push_back('\0');
    BOOL started = CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                                  nullptr, nullptr, &si, &pi);
    CloseHandle(out);
    CloseHandle(err);
    EXPECT_TRUE(started) << command;
    if (!started)
        return r;
    // A loaded machine and a slow Wine: a generous limit, not a fixed wait.
    EXPECT_EQ(WaitForSingleObject(pi.hProcess, 120000), WAIT_OBJECT_0);
    GetExitCodeProcess(pi.hProcess, &r.status);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    r.out = ReadText(outPath);
    r.err = ReadText(errPath);
    DeleteFileA(outPath.c_str());
    DeleteFileA(errPath.c_str());
    return r;
}

std::vector<std::string> Split(const std::string& text, const std::string& by)
{
    std::vector<std::string> parts;
    size_t at = 0, next;
    while ((next = text.find(by, at)) != std::string::npos) {
        parts.push_back(text.substr(at, next - at));
        at = next + by.size();
    }
    parts.push_back(text.substr(at));
    return parts;
}

// The main window's job for a text: its counts and the shown, rounded total.
CsvJob MainWindowJob(const std::string& text, const char* title, const char* width,
                     const char* fixed, const char* perChar, const char* perWord,
                     const char* perLine)
{
    CsvJob job;
    job.characters = CountCharacters(text.c_str());
    job.words = CountWords(text.c_str());
    char chars[16], words[16], shown[64];
    snprintf(chars, sizeof chars, "%d", job.characters);
    snprintf(words, sizeof words, "%d", job.words);
    PriceResult price =
        ComputePrice({text.c_str(), width, chars, words, fixed, perChar, perWord, perLine});
    job.lines = price.lines;
    FormatMoney(price.total, shown, sizeof shown);
    job.total = ReadRateText(shown);
    snprintf(job.jobTitle, sizeof job.jobTitle, "%s", title);
    return job;
}

const char* const kGoodFiles[] = {
    "boxes.docx", "cp1252.txt", "empty.txt", "invalid-utf8.txt", "letter.docx", "letter.odt",
    "spaces.odt", "stored.docx", "utf16be.txt", "utf16le.txt", "utf8-bom.txt", "utf8.txt",
};

class CounterTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder_ = FreshTempFolder("qtally-count-test");
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, kSettingsKey);
    }
    void TearDown() override
    {
        DeleteTree(folder_);
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, kSettingsKey);
    }
    std::string folder_;
};

} // namespace

TEST_F(CounterTest, CountsTheFolderAndLogsEachFileAsAddToCsvDoes)
{
    const std::string log = folder_ + "\\jobs.csv", reference = folder_ + "\\reference.csv";
    ASSERT_TRUE(WriteText(log, "earlier job\r\n"));
    ASSERT_TRUE(WriteText(reference, "earlier job\r\n"));
    Result r = RunCounter("--csv --width 30 --per-line 0.05 --log \"" + log + "\" \"" +
                          Fixtures() + "\\good\"");
    EXPECT_EQ(r.status, 0u) << r.err;
    EXPECT_EQ(r.err, "");
    std::vector<std::string> lines = Split(r.out, "\r\n");
    ASSERT_EQ(lines.size(), std::size(kGoodFiles) + 3) << r.out;   // header, total, ""
    EXPECT_EQ(lines[0], "file,characters,words,lines,price");
    for (size_t i = 0; i < std::size(kGoodFiles); ++i) {
        SCOPED_TRACE(kGoodFiles[i]);
        Bytes expected = ReadBytes(Fixtures() + "\\good\\" + kGoodFiles[i] + ".expect");
        std::string text(expected.begin(), expected.end());
        CsvJob job = MainWindowJob(text, kGoodFiles[i], "30", "0.00", "0.00", "0.02", "0.05");
        char row[512];
        snprintf(row, sizeof row, "%s\\good\\%s,%d,%d,%d,%.2f", Fixtures().c_str(), kGoodFiles[i],
                 job.characters, job.words, job.lines, job.total);
        EXPECT_EQ(lines[i + 1], row);
        ASSERT_TRUE(AppendJobToCsv(job, reference.c_str()));
    }
    EXPECT_EQ(lines[std::size(kGoodFiles) + 1].substr(0, 8), "(total),");
    Bytes logged = ReadBytes(log), written = ReadBytes(reference);
    EXPECT_EQ(std::string(logged.begin(), logged.end()), std::string(written.begin(), written.end()));
}

TEST_F(CounterTest, TakesRatesFromTheSettingsStoreUnlessGiven)
{
    const std::string file = folder_ + "\\job.txt";
    const std::string text = "One two three four five six seven eight nine ten.\r\n"
                             "Eleven twelve thirteen fourteen fifteen.";
    ASSERT_TRUE(WriteText(file, text));
    WriteSetting("Settings", "FixedCostAmount", "1.5");
    WriteSetting("Settings", "CostPerWord", "0.10");
    WriteSetting("Settings", "CharacterPerLine", "20");
    WriteSetting("Settings", "CostPerLine", "0.25");
    for (bool override : {false, true}) {
        SCOPED_TRACE(override);
        Result r = RunCounter(std::string("--csv --rates-from-settings ") +
                              (override ? "--per-word 0.01 " : "") + "\"" + file + "\"");
        EXPECT_EQ(r.status, 0u) << r.err;
        CsvJob job = MainWindowJob(text, "job.txt", "20", "1.5", "0.00",
                                   override ? "0.01" : "0.10", "0.25");
        char row[512];
        snprintf(row, sizeof row, "%s,%d,%d,%d,%.2f", file.c_str(), job.characters, job.words,
                 job.lines, job.total);
        EXPECT_EQ(Split(r.out, "\r\n").at(1), row);
    }
}

TEST_F(CounterTest, ErrorsAndExitStatus)
{
    Result damaged = RunCounter("\"" + Fixtures() + "\\damaged\\bad-xml.docx\" \"" + Fixtures() +
                                "\\good\\cp1252.txt\" \"" + folder_ + "\\missing.txt\"");
    EXPECT_EQ(damaged.status, 2u);
    EXPECT_NE(damaged.err.find("bad-xml.docx: damaged XML"), std::string::npos) << damaged.err;
    EXPECT_NE(damaged.err.find("missing.txt: "), std::string::npos) << damaged.err;
    EXPECT_NE(damaged.out.find("cp1252.txt"), std::string::npos) << damaged.out;

    Result usage = RunCounter("--per-word 1,5 x.txt");
    EXPECT_EQ(usage.status, 1u);
    EXPECT_NE(usage.err.find("usage: qtally-count"), std::string::npos) << usage.err;
    EXPECT_EQ(usage.out, "");
}

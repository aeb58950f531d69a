// The texts Quilltally writes from numbers and captured text: the money
// text, the CSV job line, the one-line summary and the date. Output buffers
// are exactly as large as the callers' (on the heap, so an overrun is seen).
#include "support/DateTime.h"
#include "support/NumberText.h"
#include "support/TextHelpers.h"
#include "tests/fuzz/FuzzCheck.h"
#include "wordcount/CsvLog.h"

#include <cstdio>
#include <memory>

namespace {

int g_dateOrder = 0;
int FuzzDateOrder() { return g_dateOrder; }

void CheckMoney(double amount, size_t size)
{
    std::unique_ptr<char[]> out(new char[size ? size : 1]);
    char* buffer = size ? out.get() : nullptr;
    FormatMoney(amount, buffer, size);
    if (!size)
        return;
    char expected[400];   // "%.2f " of any double fits
    std::snprintf(expected, sizeof expected, "%.2f ", amount);
    const size_t length = strnlen(buffer, size);
    FUZZ_CHECK(length < size);   // terminated inside the buffer
    FUZZ_CHECK(std::string(buffer) == std::string(expected).substr(0, size - 1));
    FUZZ_CHECK(!std::strchr(buffer, ','));
}

void CheckDate(int32_t time, int order)
{
    g_dateOrder = order;
    SetDateOrderSource(FuzzDateOrder);
    LDateTime date;
    date.time = time;
    std::unique_ptr<char[]> out(new char[9]);
    std::memset(out.get(), 'x', 9);
    date._GetTextDate(out.get());
    const size_t length = strnlen(out.get(), 9);
    FUZZ_CHECK(length < 9);
    FUZZ_CHECK(time == 0 ? length == 0 : (length == 0 || length == 8));
    for (size_t i = 0; i < length; ++i)
        FUZZ_CHECK(i % 3 == 2 ? out[i] == '/' : (out[i] >= '0' && out[i] <= '9'));
}

void CheckCsvLine(const CsvJob& job, const std::string& date, size_t size)
{
    std::unique_ptr<char[]> out(new char[size ? size : 1]);
    char* buffer = size ? out.get() : nullptr;
    const int n = FormatCsvLine(job, date.c_str(), buffer, size);
    if (!size) {
        FUZZ_CHECK(n == 0);
        return;
    }
    std::string title(job.jobTitle, strnlen(job.jobTitle, sizeof job.jobTitle - 1));
    std::vector<char> full(2048 + date.size());
    std::snprintf(full.data(), full.size(), "%s, \"%s\", %i, %i, %i, %.2f \r\n", date.c_str(),
                  title.c_str(), job.characters, job.words, job.lines, job.total);
    const std::string expected(full.data());
    FUZZ_CHECK(n >= 0 && size_t(n) < size);
    FUZZ_CHECK(strnlen(buffer, size) == size_t(n));
    FUZZ_CHECK(std::string(buffer) == expected.substr(0, size - 1));
    // Any line of a short date fits the 1024 bytes the callers give.
    if (date.size() <= 8)
        FUZZ_CHECK(expected.size() < 1024);
}

void CheckSummary(const std::string& text)
{
    std::unique_ptr<char[]> out(new char[QT_SUMMARY_SIZE]);
    AbbreviateText(text.c_str(), out.get());
    const size_t length = strnlen(out.get(), QT_SUMMARY_SIZE);
    FUZZ_CHECK(length < QT_SUMMARY_SIZE);
    if (text.size() <= 190) {
        FUZZ_CHECK(out.get() == text);
        return;
    }
    std::string expected = text.substr(0, 100) + "..." + text.substr(text.size() - 90);
    for (char& c : expected)
        if ((unsigned char)c < 32 || (unsigned char)c > 127)
            c = ' ';
    FUZZ_CHECK(out.get() == expected);
}

} // namespace

// Input: amount, three counts, a date and its order, a buffer size, then the
// job title (its first 260 bytes, with or without a terminator), then the
// captured text.
void FuzzTextOut(const uint8_t* data, size_t size)
{
    FuzzReader in{data, size};
    double amount;
    const uint64_t bits = in.U64();
    std::memcpy(&amount, &bits, sizeof amount);
    CsvJob job;
    job.characters = int32_t(in.U32());
    job.words = int32_t(in.U32());
    job.lines = int32_t(in.U32());
    job.total = amount;
    const int32_t time = int32_t(in.U32());
    const int order = in.Byte() % 4;
    const size_t bufferSize = in.U32() % 1100;
    // The title fills its whole buffer when the input runs on: no terminator.
    size_t titleBytes = 0;
    while (titleBytes < sizeof job.jobTitle && in.left) {
        const uint8_t c = in.Byte();
        job.jobTitle[titleBytes++] = char(c);
        if (!c)
            break;
    }
    if (titleBytes < sizeof job.jobTitle)
        job.jobTitle[titleBytes] = 0;
    const std::string text = in.Rest();

    CheckMoney(amount, bufferSize % 400);
    CheckDate(time, order);
    char date[9];
    LDateTime stamp;
    stamp.time = time;
    stamp._GetTextDate(date);
    CheckCsvLine(job, date, bufferSize);
    CheckCsvLine(job, date, 1024);
    CheckSummary(text);
}

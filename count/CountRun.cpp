#include "count/CountRun.h"

#include "count/CountOptions.h"
#include "count/CountReport.h"
#include "count/DocumentText.h"
#include "count/Encoding.h"
#include "count/InputFiles.h"
#include "count/JobLog.h"
#include "count/SettingsRates.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

#ifdef _WIN32
const char kSeparator = '\\';
#else
const char kSeparator = '/';
#endif

const char kStdinName[] = "-";

void Report(FILE* err, const std::string& what, const std::string& reason)
{
    fprintf(err, "qtally-count: %s: %s\n", what.c_str(), reason.c_str());
}

// Buffers kept across files so that their memory is reused.
struct Buffers {
    std::string raw;
    std::string xml;
    std::string text;
};

// Reads a file (or standard input) and counts it; false with a reason.
bool CountOne(const std::string& path, FILE* in, const PricingOptions& pricing, Buffers& b,
              CountRow& row, std::string& reason)
{
    bool isStdin = path == kStdinName;
    if (!(isStdin ? ReadWholeStream(in, b.raw, reason) : ReadWholeFile(path, b.raw, reason)))
        return false;
    DocumentKind kind = isStdin ? DocumentKind::PlainText : DocumentKindOf(path.c_str());
    const char* text;
    if (kind != DocumentKind::PlainText) {
        b.text.clear();
        if (!ExtractDocumentText(kind, (const unsigned char*)b.raw.data(), b.raw.size(), b.xml,
                                 b.text, reason))
            return false;
        text = b.text.c_str();
    } else {
        const unsigned char* data = (const unsigned char*)b.raw.data();
        TextEncoding encoding = DetectTextEncoding(data, b.raw.size());
        if (encoding == TextEncoding::SingleByte)
            text = b.raw.c_str();   // counted where it lies
        else {
            b.text.clear();
            AppendAs1252(data, b.raw.size(), encoding, b.text);
            text = b.text.c_str();
        }
    }
    row = CountAndPrice(text, pricing);
    row.file = path;
    return true;
}

// The rates the main window saved, for each one not given on the command line.
void TakeStoredRates(const CountOptions& o, const PricingOptions& stored, PricingOptions& pricing)
{
    if (!o.gaveFixed)
        pricing.fixedCost = stored.fixedCost;
    if (!o.gavePerCharacter)
        pricing.costPerCharacter = stored.costPerCharacter;
    if (!o.gavePerWord)
        pricing.costPerWord = stored.costPerWord;
    if (!o.gavePerLine)
        pricing.costPerLine = stored.costPerLine;
    if (!o.gaveWidth)
        pricing.charactersPerLine = stored.charactersPerLine;
}

// The files the inputs name, folders listed; 2 when one could not be found
// or listed (it is reported), else 0.
int ListInputFiles(const CountOptions& o, std::vector<std::string>& files, FILE* err)
{
    int status = 0;
    for (const std::string& input : o.inputs) {
        if (input == kStdinName) {
            files.push_back(input);
            continue;
        }
        std::string reason;
        switch (KindOfPath(input, reason)) {
        case PathKind::File:
            files.push_back(input);
            break;
        case PathKind::Folder: {
            std::vector<std::string> errors;
            ListFolder(input, o.recurse, files, errors);
            for (const std::string& e : errors) {
                fprintf(err, "qtally-count: %s\n", e.c_str());
                status = 2;
            }
            break;
        }
        default:
            Report(err, input, reason);
            status = 2;
            break;
        }
    }
    return status;
}

// One counted file as a job of the CSV log; false when it was not appended
// (reported).
bool LogJob(const CountRow& row, const std::string& file, const std::string& logPath, FILE* err)
{
    CsvJob job;
    job.characters = (int)row.characters;
    job.words = (int)row.words;
    job.lines = (int)row.lines;
    job.total = row.price;
    // The title box of "Add To CSV" holds at most 259 characters.
    snprintf(job.jobTitle, sizeof job.jobTitle, "%s", BaseName(file).c_str());
    if (AppendJobToLog(job, logPath.c_str()))
        return true;
    Report(err, logPath, "cannot append the job for " + file);
    return false;
}

void WriteReport(const CountOptions& o, const PricingOptions& pricing, const std::vector<CountRow>& rows,
                 const CountRow& total, FILE* out)
{
    ReportColumns columns;
    columns.standardLines = pricing.standardLine > 0;
    columns.pages = pricing.page > 0;
    columns.minimum = pricing.hasMinimum;
    std::string text = o.format == OutputFormat::Csv    ? FormatCsv(rows, total, columns)
                       : o.format == OutputFormat::Json ? FormatJson(rows, total, columns)
                                                        : FormatTable(rows, total, columns);
    fwrite(text.data(), 1, text.size(), out);
    fflush(out);
}

} // namespace

int RunCount(int argc, const char* const* argv, FILE* in, FILE* out, FILE* err)
{
    CountOptions o;
    std::string error;
    if (!ParseCountOptions(argc, argv, o, error)) {
        fprintf(err, "qtally-count: %s\n%s", error.c_str(), kCountUsage);
        return 1;
    }
    if (o.help) {
        fprintf(out, "%s\n%s", kCountUsage, kCountHelp);
        return 0;
    }
    PricingOptions pricing = o.pricing;
    if (o.ratesFromSettings) {
        PricingOptions stored;
        if (!LoadSettingsRates(stored)) {
            fprintf(err, "qtally-count: no settings store on this system\n%s", kCountUsage);
            return 1;
        }
        TakeStoredRates(o, stored, pricing);
    }

    std::vector<std::string> files;
    int status = ListInputFiles(o, files, err);

    Buffers buffers;
    std::vector<CountRow> rows;
    CountRow total;
    for (const std::string& file : files) {
        CountRow row;
        std::string reason;
        if (!CountOne(file, in, pricing, buffers, row, reason)) {
            Report(err, file, reason);
            status = 2;
            continue;
        }
        if (!o.logPath.empty() && !LogJob(row, file, o.logPath, err))
            status = 2;
        AddToTotal(total, row);
        rows.push_back(std::move(row));
    }

    WriteReport(o, pricing, rows, total, out);
    return status;
}

// The command line of qtally-count.
#ifndef QT_COUNT_COUNTOPTIONS_H
#define QT_COUNT_COUNTOPTIONS_H

#include "count/JobCount.h"

#include <string>
#include <vector>

enum class OutputFormat { Table, Csv, Json };

struct CountOptions {
    std::vector<std::string> inputs;   // files, folders, "-" for standard input
    bool recurse = false;
    bool help = false;
    OutputFormat format = OutputFormat::Table;
    std::string logPath;               // empty: no job log
    bool ratesFromSettings = false;
    PricingOptions pricing;
    // Which pricing texts the command line gave: they win over the settings.
    bool gaveFixed = false, gavePerCharacter = false, gavePerWord = false, gavePerLine = false,
         gaveWidth = false;
};

// Parses argv[1..argc). False with a reason for the usage message when an
// option is unknown, lacks its value or has a value that is not valid.
bool ParseCountOptions(int argc, const char* const* argv, CountOptions& options, std::string& error);

// A whole text that is a number as a rate box reads it: optional sign,
// digits with "." as the decimal point, optional exponent.
bool IsRateText(const std::string& text);
// A whole text that is a signed decimal integer within 32 bits.
bool IsIntegerText(const std::string& text, int* value);

extern const char kCountUsage[];
extern const char kCountHelp[];

#endif

#include "count/CountOptions.h"

#include <climits>
#include <cstring>

const char kCountUsage[] =
    "usage: qtally-count [-r] [--csv | --json] [--log FILE] [--fixed AMOUNT] [--per-char RATE]\n"
    "                    [--per-word RATE] [--per-line RATE] [--width N] [--rates-from-settings]\n"
    "                    [--standard-line N] [--per-standard-line RATE] [--page N]\n"
    "                    [--per-page RATE] [--minimum AMOUNT] FILE|FOLDER|- ...\n";

const char kCountHelp[] =
    "Counts characters, words and printed lines of text files (.txt and any other\n"
    "name), .docx and .odt documents exactly as Quilltally's main window counts the\n"
    "same text, and prices each file as one job.\n"
    "\n"
    "Inputs:\n"
    "  FILE             a file; .docx and .odt are read as documents, any other as text\n"
    "  FOLDER           the .txt, .docx and .odt files in it, in name order\n"
    "  -                standard input, as text\n"
    "  -r, --recursive  also the files in the folder's subfolders\n"
    "\n"
    "Pricing (the main window's meaning and first-run defaults):\n"
    "  --fixed AMOUNT         fixed cost per job (0.00)\n"
    "  --per-char RATE        cost per character (0.00)\n"
    "  --per-word RATE        cost per word (0.02)\n"
    "  --per-line RATE        cost per printed line (0.00)\n"
    "  --width N              characters per line for the line count (80)\n"
    "  --rates-from-settings  (Windows) start from the rates and width the main\n"
    "                         window saved; options given here still win\n"
    "Trade units (each adds its own column):\n"
    "  --standard-line N      standard lines of N characters: characters / N\n"
    "  --page N               pages of N characters: characters / N\n"
    "                         Both are shown and priced to two decimals, halves\n"
    "                         rounded up (1,000 characters at 55 = 18.18 lines).\n"
    "                         The characters are the Characters column: spaces,\n"
    "                         tabs and line ends included.\n"
    "  --per-standard-line RATE, --per-page RATE   price of one unit\n"
    "  --minimum AMOUNT       minimum charge per job; the column shows what was\n"
    "                         added to reach it\n"
    "\n"
    "Output: a table with one row per file and a total row, or\n"
    "  --csv                  CSV for spreadsheets (RFC 4180)\n"
    "  --json                 a JSON array (the total row has \"file\": null)\n"
    "  --log FILE             also append each file as one job to a Quilltally CSV\n"
    "                         job log, as \"Add To CSV\" does (the file name is the\n"
    "                         job title)\n"
    "\n"
    "Text files are read as the clipboard gives text on a Western Windows system:\n"
    "UTF-8 (valid, with or without BOM) and UTF-16 with BOM become Windows-1252,\n"
    "each character without a Windows-1252 form counts as one '?'; anything else\n"
    "counts byte for byte. A zero byte ends the text, as on the clipboard.\n"
    "\n"
    "Exit status: 0 all counted, 1 bad command line, 2 a file could not be read\n"
    "or a document is damaged (the others are still counted).\n";

bool IsRateText(const std::string& text)
{
    const char* p = text.c_str();
    if (*p == '+' || *p == '-')
        ++p;
    bool digits = false;
    while (*p >= '0' && *p <= '9') {
        ++p;
        digits = true;
    }
    if (*p == '.') {
        ++p;
        while (*p >= '0' && *p <= '9') {
            ++p;
            digits = true;
        }
    }
    if (!digits)
        return false;
    if (*p == 'e' || *p == 'E') {
        ++p;
        if (*p == '+' || *p == '-')
            ++p;
        if (!(*p >= '0' && *p <= '9'))
            return false;
        while (*p >= '0' && *p <= '9')
            ++p;
    }
    return *p == '\0';
}

bool IsIntegerText(const std::string& text, int* value)
{
    const char* p = text.c_str();
    bool negative = *p == '-';
    if (*p == '+' || *p == '-')
        ++p;
    if (!*p)
        return false;
    long long v = 0;
    for (; *p; ++p) {
        if (*p < '0' || *p > '9')
            return false;
        v = v * 10 + (*p - '0');
        if (v > (long long)INT_MAX + 1)
            return false;
    }
    if (negative)
        v = -v;
    if (v > INT_MAX || v < INT_MIN)
        return false;
    if (value)
        *value = (int)v;
    return true;
}

namespace {

bool Refuse(std::string& error, const std::string& option, const std::string& value,
            const char* what)
{
    error = option + ": '" + value + "' is not " + what;
    return false;
}

// What an option without a value did.
enum class FlagResult { NotAFlag, Taken, Refused };

FlagResult ParseFlag(const std::string& arg, CountOptions& o, std::string& error)
{
    if (arg == "-r" || arg == "--recursive") {
        o.recurse = true;
        return FlagResult::Taken;
    }
    if (arg == "-h" || arg == "--help") {
        o.help = true;
        return FlagResult::Taken;
    }
    if (arg == "--csv" || arg == "--json") {
        OutputFormat f = arg == "--csv" ? OutputFormat::Csv : OutputFormat::Json;
        if (o.format != OutputFormat::Table && o.format != f) {
            error = "--csv and --json cannot be combined";
            return FlagResult::Refused;
        }
        o.format = f;
        return FlagResult::Taken;
    }
    if (arg == "--rates-from-settings") {
#ifdef _WIN32
        o.ratesFromSettings = true;
        return FlagResult::Taken;
#else
        error = "--rates-from-settings: the settings store exists only on Windows";
        return FlagResult::Refused;
#endif
    }
    return FlagResult::NotAFlag;
}

bool IsValueOption(const std::string& name)
{
    static const char* const kWithValue[] = {
        "--log", "--fixed", "--per-char", "--per-word", "--per-line", "--width",
        "--standard-line", "--page", "--per-standard-line", "--per-page", "--minimum"};
    bool known = false;
    for (const char* k : kWithValue)
        known |= name == k;
    return known;
}

// Rates given for the trade units: each needs its unit's size as well.
struct UnitRates {
    bool perStandardLine = false;
    bool perPage = false;
};

// A rate option's value, already checked to be a number.
void SetRate(const std::string& name, const std::string& value, CountOptions& o, UnitRates& units)
{
    PricingOptions& p = o.pricing;
    if (name == "--fixed") {
        p.fixedCost = value;
        o.gaveFixed = true;
    } else if (name == "--per-char") {
        p.costPerCharacter = value;
        o.gavePerCharacter = true;
    } else if (name == "--per-word") {
        p.costPerWord = value;
        o.gavePerWord = true;
    } else if (name == "--per-line") {
        p.costPerLine = value;
        o.gavePerLine = true;
    } else if (name == "--per-standard-line") {
        p.costPerStandardLine = value;
        units.perStandardLine = true;
    } else if (name == "--per-page") {
        p.costPerPage = value;
        units.perPage = true;
    } else {
        p.minimum = value;
        p.hasMinimum = true;
    }
}

bool SetValueOption(const std::string& name, const std::string& value, CountOptions& o,
                    UnitRates& units, std::string& error)
{
    PricingOptions& p = o.pricing;
    if (name == "--log") {
        if (value.empty()) {
            error = "--log needs a file name";
            return false;
        }
        o.logPath = value;
    } else if (name == "--width") {
        if (!IsIntegerText(value, nullptr))
            return Refuse(error, name, value, "a whole number");
        p.charactersPerLine = value;
        o.gaveWidth = true;
    } else if (name == "--standard-line" || name == "--page") {
        int n = 0;
        if (!IsIntegerText(value, &n) || n < 1)
            return Refuse(error, name, value, "a whole number of at least 1");
        (name == "--page" ? p.page : p.standardLine) = n;
    } else {
        if (!IsRateText(value))
            return Refuse(error, name, value, "a number (use '.' as the decimal point)");
        SetRate(name, value, o, units);
    }
    return true;
}

// What only the whole command line can tell.
bool CheckOptionsComplete(const CountOptions& o, const UnitRates& units, std::string& error)
{
    if (units.perStandardLine && o.pricing.standardLine == 0) {
        error = "--per-standard-line needs --standard-line N";
        return false;
    }
    if (units.perPage && o.pricing.page == 0) {
        error = "--per-page needs --page N";
        return false;
    }
    if (!o.help && o.inputs.empty()) {
        error = "no files given";
        return false;
    }
    return true;
}

} // namespace

bool ParseCountOptions(int argc, const char* const* argv, CountOptions& o, std::string& error)
{
    UnitRates units;
    bool onlyInputs = false;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (onlyInputs || arg == "-" || arg.empty() || arg[0] != '-') {
            o.inputs.push_back(arg);
            continue;
        }
        if (arg == "--") {
            onlyInputs = true;
            continue;
        }
        FlagResult flag = ParseFlag(arg, o, error);
        if (flag == FlagResult::Refused)
            return false;
        if (flag == FlagResult::Taken)
            continue;
        // The rest take a value: "--name VALUE" or "--name=VALUE".
        std::string name = arg, value;
        size_t eq = arg.find('=');
        if (eq != std::string::npos) {
            name = arg.substr(0, eq);
            value = arg.substr(eq + 1);
        }
        if (!IsValueOption(name)) {
            error = "unknown option " + name;
            return false;
        }
        if (eq == std::string::npos) {
            if (i + 1 >= argc) {
                error = name + " needs a value";
                return false;
            }
            value = argv[++i];
        }
        if (!SetValueOption(name, value, o, units, error))
            return false;
    }
    return CheckOptionsComplete(o, units, error);
}

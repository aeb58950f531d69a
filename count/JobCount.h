// One file's counts and price, computed the way the main window computes
// them, plus the trade units of the command-line counter.
#ifndef QT_COUNT_JOBCOUNT_H
#define QT_COUNT_JOBCOUNT_H

#include <string>

// Rates and width as texts, read as the main window reads its boxes; the
// defaults are the main window's first-run values.
struct PricingOptions {
    std::string fixedCost = "0.00";
    std::string costPerCharacter = "0.00";
    std::string costPerWord = "0.02";
    std::string costPerLine = "0.00";
    std::string charactersPerLine = "80";
    int standardLine = 0;              // characters per standard line; 0: no such column
    int page = 0;                      // characters per page; 0: no such column
    std::string costPerStandardLine = "0";
    std::string costPerPage = "0";
    bool hasMinimum = false;
    std::string minimum = "0";         // minimum charge per job
};

struct CountRow {
    std::string file;
    long long characters = 0;
    long long words = 0;
    long long lines = 0;
    long long standardLineHundredths = 0;
    long long pageHundredths = 0;
    double minimumTopUp = 0;   // added to reach the minimum charge
    double price = 0;          // in cents, as the main window shows it
};

// Characters / unitSize, in hundredths, halves rounded up: the figure shown
// and priced.
long long UnitHundredths(long long characters, int unitSize);

// The amount as the main window shows it ("%.2lf") and reads it back.
double RoundToShownCents(double amount);

// Measures a zero-terminated Windows-1252 text and prices it.
CountRow CountAndPrice(const char* text, const PricingOptions& options);

// Sums counts and the rounded prices into total.
void AddToTotal(CountRow& total, const CountRow& row);

#endif

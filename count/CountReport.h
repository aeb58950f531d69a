// The counter's output: a table for people, CSV (RFC 4180) and JSON for
// programs. Columns: file, characters, words, lines, price, then the unit
// columns that are switched on.
#ifndef QT_COUNT_COUNTREPORT_H
#define QT_COUNT_COUNTREPORT_H

#include "count/JobCount.h"

#include <string>
#include <vector>

struct ReportColumns {
    bool standardLines = false;
    bool pages = false;
    bool minimum = false;
};

// The total row is labelled "(total)" in the table and in CSV.
std::string FormatTable(const std::vector<CountRow>& rows, const CountRow& total,
                        const ReportColumns& columns);
// Header row, one record per file, the total record; "\r\n" after each.
std::string FormatCsv(const std::vector<CountRow>& rows, const CountRow& total,
                      const ReportColumns& columns);
// An array of objects, one per file, then the total with "file": null.
std::string FormatJson(const std::vector<CountRow>& rows, const CountRow& total,
                       const ReportColumns& columns);

// One CSV field: quoted when it holds a comma, a quotation mark, a line end
// or leading/trailing blanks; quotation marks doubled.
std::string CsvField(const std::string& text);
// A JSON string literal. Names that are not UTF-8 are taken as Windows-1252.
std::string JsonString(const std::string& text);
// "12.34" from hundredths; "%.2f" amounts with "." whatever the locale.
std::string HundredthsText(long long hundredths);
std::string AmountText(double amount);

#endif

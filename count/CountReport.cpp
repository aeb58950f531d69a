#include "count/CountReport.h"

#include "count/Encoding.h"
#include "support/NumberText.h"

#include <cstdio>

namespace {

const char kTotalLabel[] = "(total)";

// The cells of one row, in column order.
std::vector<std::string> Cells(const CountRow& row, const ReportColumns& c)
{
    std::vector<std::string> cells;
    cells.push_back(std::to_string(row.characters));
    cells.push_back(std::to_string(row.words));
    cells.push_back(std::to_string(row.lines));
    cells.push_back(AmountText(row.price));
    if (c.standardLines)
        cells.push_back(HundredthsText(row.standardLineHundredths));
    if (c.pages)
        cells.push_back(HundredthsText(row.pageHundredths));
    if (c.minimum)
        cells.push_back(AmountText(row.minimumTopUp));
    return cells;
}

std::vector<std::string> Names(const ReportColumns& c)
{
    std::vector<std::string> names = {"characters", "words", "lines", "price"};
    if (c.standardLines)
        names.push_back("standard_lines");
    if (c.pages)
        names.push_back("pages");
    if (c.minimum)
        names.push_back("minimum");
    return names;
}

} // namespace

std::string HundredthsText(long long h)
{
    char text[32];
    snprintf(text, sizeof text, "%s%lld.%02lld", h < 0 ? "-" : "", (h < 0 ? -h : h) / 100,
             (h < 0 ? -h : h) % 100);
    return text;
}

std::string AmountText(double amount)
{
    char text[400];
    FormatMoney(amount, text, sizeof text);
    std::string s = text;
    if (!s.empty() && s.back() == ' ')
        s.pop_back();
    return s;
}

std::string CsvField(const std::string& text)
{
    bool quote = !text.empty() && (text.front() == ' ' || text.back() == ' ');
    for (char c : text)
        quote |= c == ',' || c == '"' || c == '\r' || c == '\n';
    if (!quote)
        return text;
    std::string out = "\"";
    for (char c : text) {
        if (c == '"')
            out += '"';
        out += c;
    }
    return out + "\"";
}

std::string JsonString(const std::string& text)
{
    std::string utf8;
    const unsigned char* p = (const unsigned char*)text.data();
    if (IsValidUtf8(p, text.size()))
        utf8 = text;
    else {
        // Windows-1252 (the ANSI names of Windows) to UTF-8.
        static const uint16_t kHigh[32] = {
            0x20AC, 0x81,   0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
            0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x8D,   0x017D, 0x8F,
            0x90,   0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
            0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x9D,   0x017E, 0x0178};
        for (unsigned char c : text) {
            uint32_t cp = c >= 0x80 && c < 0xA0 ? kHigh[c - 0x80] : c;
            if (cp < 0x80)
                utf8 += (char)cp;
            else if (cp < 0x800) {
                utf8 += (char)(0xC0 | cp >> 6);
                utf8 += (char)(0x80 | (cp & 0x3F));
            } else {
                utf8 += (char)(0xE0 | cp >> 12);
                utf8 += (char)(0x80 | ((cp >> 6) & 0x3F));
                utf8 += (char)(0x80 | (cp & 0x3F));
            }
        }
    }
    std::string out = "\"";
    for (unsigned char c : utf8) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += (char)c;
        } else if (c < 0x20) {
            char esc[8];
            snprintf(esc, sizeof esc, "\\u%04x", c);
            out += esc;
        } else
            out += (char)c;
    }
    return out + "\"";
}

std::string FormatTable(const std::vector<CountRow>& rows, const CountRow& total,
                        const ReportColumns& columns)
{
    std::vector<std::string> names = Names(columns);
    std::vector<std::vector<std::string>> cells;
    std::vector<std::string> labels;
    cells.push_back(names);
    labels.push_back("file");
    for (const CountRow& r : rows) {
        cells.push_back(Cells(r, columns));
        labels.push_back(r.file);
    }
    cells.push_back(Cells(total, columns));
    labels.push_back(kTotalLabel);

    size_t labelWidth = 0;
    for (const std::string& l : labels)
        labelWidth = l.size() > labelWidth ? l.size() : labelWidth;
    std::vector<size_t> widths(names.size(), 0);
    for (const auto& row : cells)
        for (size_t i = 0; i < row.size(); ++i)
            widths[i] = row[i].size() > widths[i] ? row[i].size() : widths[i];

    std::string out;
    for (size_t r = 0; r < cells.size(); ++r) {
        std::string line = labels[r];
        line.append(labelWidth - labels[r].size(), ' ');
        for (size_t i = 0; i < cells[r].size(); ++i) {
            line.append(2 + widths[i] - cells[r][i].size(), ' ');
            line += cells[r][i];
        }
        out += line + "\n";
    }
    return out;
}

std::string FormatCsv(const std::vector<CountRow>& rows, const CountRow& total,
                      const ReportColumns& columns)
{
    std::string out = "file";
    for (const std::string& n : Names(columns))
        out += "," + n;
    out += "\r\n";
    auto record = [&](const std::string& label, const CountRow& r) {
        out += CsvField(label);
        for (const std::string& c : Cells(r, columns))
            out += "," + c;
        out += "\r\n";
    };
    for (const CountRow& r : rows)
        record(r.file, r);
    record(kTotalLabel, total);
    return out;
}

std::string FormatJson(const std::vector<CountRow>& rows, const CountRow& total,
                       const ReportColumns& columns)
{
    std::vector<std::string> names = Names(columns);
    std::string out = "[\n";
    auto object = [&](const std::string* file, const CountRow& r, bool last) {
        out += "  {\"file\": ";
        out += file ? JsonString(*file) : "null";
        std::vector<std::string> cells = Cells(r, columns);
        for (size_t i = 0; i < names.size(); ++i)
            out += ", \"" + names[i] + "\": " + cells[i];
        out += last ? "}\n" : "},\n";
    };
    for (const CountRow& r : rows)
        object(&r.file, r, false);
    object(nullptr, total, true);
    return out + "]\n";
}

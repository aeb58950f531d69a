// qtally-count's portable parts: encodings, documents, options, units,
// output, job log, and whole runs over the generated test files.
#include "count/CountOptions.h"
#include "count/CountReport.h"
#include "count/CountRun.h"
#include "count/DocumentText.h"
#include "count/Encoding.h"
#include "count/InputFiles.h"
#include "count/JobCount.h"
#include "count/XmlReader.h"
#include "support/DateTime.h"
#include "wordcount/CsvLog.h"
#include "wordcount/Pricing.h"
#include "wordcount/TextMeasures.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <map>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

#ifndef QT_COUNT_FIXTURES
#error QT_COUNT_FIXTURES names the folder of the generated test files
#endif

namespace {

const std::string kFixtures = QT_COUNT_FIXTURES;

std::string ReadAll(const std::string& path)
{
    std::string data, reason;
    EXPECT_TRUE(ReadWholeFile(path, data, reason)) << path << ": " << reason;
    return data;
}

std::string Convert(const std::string& bytes)
{
    const unsigned char* p = (const unsigned char*)bytes.data();
    std::string out;
    AppendAs1252(p, bytes.size(), DetectTextEncoding(p, bytes.size()), out);
    return out;
}

struct CountRunResult {
    int status;
    std::string out;
    std::string err;
};

std::string Slurp(FILE* f)
{
    std::string s;
    rewind(f);
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, f)) > 0)
        s.append(buffer, n);
    fclose(f);
    return s;
}

CountRunResult RunWith(std::vector<std::string> args, const std::string& input = "")
{
    std::vector<const char*> argv = {"qtally-count"};
    for (const std::string& a : args)
        argv.push_back(a.c_str());
    FILE* in = tmpfile();
    FILE* out = tmpfile();
    FILE* err = tmpfile();
    fwrite(input.data(), 1, input.size(), in);
    rewind(in);
    CountRunResult r;
    r.status = RunCount((int)argv.size(), argv.data(), in, out, err);
    fclose(in);
    r.out = Slurp(out);
    r.err = Slurp(err);
    return r;
}

std::vector<std::vector<std::string>> ParseCsv(const std::string& text)
{
    // Enough for the counter's own output: quoted fields with doubled quotes.
    std::vector<std::vector<std::string>> records(1);
    std::string field;
    bool quoted = false;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"')
                field += text[++i];
            else if (c == '"')
                quoted = false;
            else
                field += c;
        } else if (c == '"')
            quoted = true;
        else if (c == ',') {
            records.back().push_back(field);
            field.clear();
        } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            records.back().push_back(field);
            field.clear();
            records.emplace_back();
            ++i;
        } else
            field += c;
    }
    records.pop_back();   // after the last line end
    return records;
}

struct Measured {
    int characters, words, lines;
};

Measured Measure(const std::string& text, int width = 80)
{
    return {CountCharacters(text.c_str()), CountWords(text.c_str()),
            CountLines(text.c_str(), width)};
}

// The good test files, relative to good/.
const char* const kGoodFiles[] = {
    "boxes.docx", "cp1252.txt", "empty.txt", "invalid-utf8.txt", "letter.docx", "letter.odt",
    "spaces.odt", "stored.docx", "utf16be.txt", "utf16le.txt", "utf8-bom.txt", "utf8.txt",
};

std::string Expected(const std::string& relative)
{
    return ReadAll(kFixtures + "/good/" + relative + ".expect");
}

} // namespace

TEST(CountEncoding, DetectsAndConvertsToWindows1252)
{
    struct Case {
        const char* name;
        std::string bytes;
        TextEncoding encoding;
        std::string text;
    } cases[] = {
        {"ascii", "plain text\r\n", TextEncoding::SingleByte, "plain text\r\n"},
        {"1252 bytes", "caf\xe9 \x93q\x94", TextEncoding::SingleByte, "caf\xe9 \x93q\x94"},
        {"utf-8", "caf\xc3\xa9 \xe2\x80\x9cq\xe2\x80\x9d \xe2\x82\xac", TextEncoding::Utf8,
         "caf\xe9 \x93q\x94 \x80"},
        {"no 1252 form", "\xe4\xb8\xad\xf0\x9f\x98\x80!", TextEncoding::Utf8, "?" "?!"},
        {"controls kept by Windows", "\xc2\x81\xc2\x8d\xc2\x8f\xc2\x90\xc2\x9d\xc2\x80",
         TextEncoding::Utf8, "\x81\x8d\x8f\x90\x9d?"},
        {"utf-8 bom", "\xef\xbb\xbf" "a\xc3\xa9", TextEncoding::Utf8Bom, "a\xe9"},
        {"bom, broken bytes", "\xef\xbb\xbf" "a\xc3(", TextEncoding::Utf8Bom, "a?("},
        {"overlong is not utf-8", "a\xc0\xaf", TextEncoding::SingleByte, "a\xc0\xaf"},
        {"surrogate is not utf-8", "\xed\xa0\x80", TextEncoding::SingleByte, "\xed\xa0\x80"},
        {"cut sequence", "abc\xe2\x82", TextEncoding::SingleByte, "abc\xe2\x82"},
        {"utf-16 le", std::string("\xff\xfe" "a\0\xe9\0\xac\x20\x3d\xd8\x00\xde\x00\xd8x\0", 16),
         TextEncoding::Utf16Le, "a\xe9\x80??x"},
        {"utf-16 be, odd byte", std::string("\xfe\xff\0a\x20\x19\0", 7), TextEncoding::Utf16Be,
         "a\x92"},
        {"utf-16 zero ends the text", std::string("\xff\xfe" "a\0\0\0b\0", 8),
         TextEncoding::Utf16Le, std::string("a\0b", 3)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const unsigned char* p = (const unsigned char*)c.bytes.data();
        EXPECT_EQ(DetectTextEncoding(p, c.bytes.size()), c.encoding);
        std::string out;
        AppendAs1252(p, c.bytes.size(), c.encoding, out);
        EXPECT_EQ(out, c.text);
    }
    for (uint32_t cp = 0; cp < 0x10000; ++cp) {
        unsigned char b = CodePointTo1252(cp);
        if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) {
            ASSERT_EQ(b, cp);
        } else if (b != '?') {
            ASSERT_TRUE(b >= 0x80 && b <= 0x9F) << cp;
        }
    }
}

TEST(CountFixtures, TextsAreWhatTheMeasuresSee)
{
    for (const char* name : kGoodFiles) {
        SCOPED_TRACE(name);
        std::string raw = ReadAll(kFixtures + "/good/" + name);
        std::string text, xml, error;
        DocumentKind kind = DocumentKindOf(name);
        if (kind == DocumentKind::PlainText) {
            text = Convert(raw);
        } else {
            ASSERT_TRUE(ExtractDocumentText(kind, (const unsigned char*)raw.data(), raw.size(),
                                            xml, text, error))
                << error;
        }
        EXPECT_EQ(text, Expected(name));
    }
}

TEST(CountFixtures, FolderRunCountsEachFileAsTheMeasuresDo)
{
    for (bool recurse : {false, true}) {
        SCOPED_TRACE(recurse);
        std::vector<std::string> args = {"--csv", "--width", "40", kFixtures + "/good"};
        if (recurse) {
            args.insert(args.begin(), "-r");
        }
        CountRunResult r = RunWith(args);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.err, "");
        auto records = ParseCsv(r.out);
        std::vector<std::string> names(std::begin(kGoodFiles), std::end(kGoodFiles));
        if (recurse)
            names.push_back("sub/nested.txt");
        ASSERT_EQ(records.size(), names.size() + 2);
        EXPECT_EQ(records[0], (std::vector<std::string>{"file", "characters", "words", "lines",
                                                         "price"}));
        long long words = 0;
        for (size_t i = 0; i < names.size(); ++i) {
            SCOPED_TRACE(names[i]);
            const auto& rec = records[i + 1];
            ASSERT_EQ(rec.size(), 5u);
            EXPECT_EQ(rec[0], kFixtures + "/good/" + names[i]);
            Measured m = Measure(Expected(names[i]), 40);
            EXPECT_EQ(rec[1], std::to_string(m.characters));
            EXPECT_EQ(rec[2], std::to_string(m.words));
            EXPECT_EQ(rec[3], std::to_string(m.lines));
            words += m.words;
        }
        EXPECT_EQ(records.back()[0], "(total)");
        EXPECT_EQ(records.back()[2], std::to_string(words));
    }
}

TEST(CountFixtures, DamagedDocumentsAreNamedAndTheRestCounted)
{
    const std::string damaged = kFixtures + "/damaged";
    CountRunResult r = RunWith({"--csv", damaged, kFixtures + "/good/letter.docx", kFixtures + "/missing.txt"});
    EXPECT_EQ(r.status, 2);
    const char* expected[][2] = {
        {"bad-crc.docx", "CRC mismatch"},
        {"bad-entity.odt", "character reference"},
        {"bad-xml.docx", "do not nest"},
        {"no-body.docx", "no word/document.xml"},
        {"not-a-zip.docx", "not a zip archive"},
        {"truncated.docx", "not a zip archive"},
    };
    for (auto& e : expected) {
        std::string line = "qtally-count: " + damaged + "/" + e[0] + ": ";
        size_t at = r.err.find(line);
        ASSERT_NE(at, std::string::npos) << e[0] << "\n" << r.err;
        EXPECT_NE(r.err.substr(at, r.err.find('\n', at) - at).find(e[1]), std::string::npos)
            << r.err;
    }
    EXPECT_NE(r.err.find("missing.txt: "), std::string::npos);
    auto records = ParseCsv(r.out);
    ASSERT_EQ(records.size(), 3u);
    Measured m = Measure(Expected("letter.docx"));
    EXPECT_EQ(records[1][1], std::to_string(m.characters));
}

TEST(CountDocuments, XmlRules)
{
    struct Case {
        bool odt;
        const char* xml;
        const char* text;   // nullptr: refused as damaged
    } cases[] = {
        {false, "<w:document><w:body><w:p><w:r><w:t>a</w:t><w:tab/><w:t>b</w:t><w:cr/></w:r></w:p>"
                "<w:p/><w:p><w:r><w:t>&lt;&#233;&#x20AC;</w:t></w:r></w:p></w:body></w:document>",
         "a\tb\r\n\r\n\r\n<\xe9\x80"},
        {false, "\xEF\xBB\xBF<w:document><w:body><w:p><w:r><w:t>bom</w:t></w:r></w:p></w:body>"
                "</w:document>",
         "bom"},
        {false, "<!-- c --><?pi x?><w:document><w:body><w:p><w:r><w:t>x</w:t></w:r></w:p>"
                "</w:body></w:document>\n",
         "x"},
        {false, "<w:document><w:body><w:p><w:r><w:t>x</w:t></w:r></w:body></w:document>", nullptr},
        {false, "<w:document><w:body><w:p><w:r><w:t>x", nullptr},
        {false, "<w:document><w:body/></w:document><w:document/>", nullptr},
        {false, "text <w:document/>", nullptr},
        {false, "<w:document attr='>'><w:body><w:p><w:r><w:t>&#0;</w:t></w:r></w:p></w:body>"
                "</w:document>",
         nullptr},
        {false, "", nullptr},
        {true, "<office:text><text:p> a <text:s text:c='2'/>b\n</text:p><text:h>c<text:tab/>"
               "<text:line-break/>d</text:h></office:text>",
         "a   b \r\nc\t\r\nd"},
        {true, "<office:text><text:p>a<draw:frame><svg:title>Pic</svg:title><svg:desc>About"
               "</svg:desc><draw:text-box><text:p>in box</text:p></draw:text-box></draw:frame>"
               "</text:p></office:text>",
         "a\r\nin box"},
        {true, "<office:text><text:p><text:s text:c='-1'/></text:p></office:text>", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.xml);
        std::string out, error;
        size_t n = strlen(c.xml);
        bool ok = c.odt ? OdtXmlText(c.xml, n, out, error) : DocxXmlText(c.xml, n, out, error);
        EXPECT_EQ(ok, c.text != nullptr) << error;
        if (ok && c.text) {
            EXPECT_EQ(out, c.text);
        }
        if (!ok) {
            EXPECT_NE(error, "");
        }
    }
}

TEST(CountOptions, RefusesBadValuesWithTheUsageLine)
{
    const std::vector<std::vector<std::string>> bad = {
        {},
        {"--width", "abc", "f"},
        {"--width", "1.5", "f"},
        {"--width", "99999999999", "f"},
        {"--per-word", "1,5", "f"},
        {"--per-word", "", "f"},
        {"--fixed", "-", "f"},
        {"--per-char=abc", "f"},
        {"--per-line", "1e", "f"},
        {"--standard-line", "0", "f"},
        {"--page", "-3", "f"},
        {"--per-page", "2", "f"},
        {"--per-standard-line", "2", "f"},
        {"--minimum", "x", "f"},
        {"--log"},
        {"--csv", "--json", "f"},
        {"--frobnicate", "f"},
        {"--rates-from-settings", "f"},
    };
    for (const auto& args : bad) {
        std::string joined;
        for (const auto& a : args)
            joined += a + " ";
        SCOPED_TRACE(joined);
        CountRunResult r = RunWith(args);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err.find("usage: qtally-count"), std::string::npos);
    }
    CountOptions o;
    std::string error;
    const char* good[] = {"x", "--width=-5", "--per-word", "+1.5e-2", "--fixed", "3", "-r",
                          "--page", "1800", "--per-page", ".5", "--", "-r", "-"};
    ASSERT_TRUE(ParseCountOptions(14, good, o, error)) << error;
    EXPECT_EQ(o.pricing.charactersPerLine, "-5");
    EXPECT_EQ(o.pricing.costPerWord, "+1.5e-2");
    EXPECT_EQ(o.pricing.fixedCost, "3");
    EXPECT_EQ(o.pricing.costPerCharacter, "0.00");
    EXPECT_EQ(o.pricing.page, 1800);
    EXPECT_TRUE(o.recurse);
    EXPECT_EQ(o.inputs, (std::vector<std::string>{"-r", "-"}));
    CountRunResult help = RunWith({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("--standard-line"), std::string::npos);
}

TEST(CountPricing, MainWindowPriceAndTradeUnits)
{
    struct Case {
        long long characters;
        int size;
        long long hundredths;
    } units[] = {{1000, 55, 1818}, {0, 55, 0}, {27, 55, 49}, {11, 200, 6}, {9, 200, 5},
                 {1800, 1800, 100}, {2699, 1800, 150}, {2700, 1800, 150}, {2701, 1800, 150}};
    for (const Case& c : units)
        EXPECT_EQ(UnitHundredths(c.characters, c.size), c.hundredths) << c.characters << "/" << c.size;

    // With the default options the price is the main window's, rounded as shown.
    const std::string text = "Hello, world! It's a test of the price.\r\nSecond line here.";
    PricingOptions o;
    o.fixedCost = "1";
    o.costPerCharacter = "0.001";
    o.costPerLine = "0.333";
    o.charactersPerLine = "20";
    CountRow row = CountAndPrice(text.c_str(), o);
    char chars[16], words[16];
    snprintf(chars, sizeof chars, "%d", CountCharacters(text.c_str()));
    snprintf(words, sizeof words, "%d", CountWords(text.c_str()));
    PriceResult main = ComputePrice({text.c_str(), "20", chars, words, "1", "0.001", "0.02", "0.333"});
    EXPECT_EQ(row.lines, main.lines);
    EXPECT_EQ(AmountText(row.price), AmountText(main.total));
    EXPECT_EQ(row.standardLineHundredths, 0);

    // 2,000 characters: 36.36 standard lines of 55 at 1.10, 1.11 pages of 1800 at 10.
    std::string long_text(2000, 'a');
    PricingOptions u;
    u.costPerWord = "0";
    u.standardLine = 55;
    u.costPerStandardLine = "1.10";
    u.page = 1800;
    u.costPerPage = "10";
    row = CountAndPrice(long_text.c_str(), u);
    EXPECT_EQ(row.standardLineHundredths, 3636);
    EXPECT_EQ(row.pageHundredths, 111);
    EXPECT_EQ(AmountText(row.price), "51.10");   // 39.996 + 11.10
    u.hasMinimum = true;
    u.minimum = "60";
    row = CountAndPrice(long_text.c_str(), u);
    EXPECT_EQ(AmountText(row.price), "60.00");
    EXPECT_EQ(AmountText(row.minimumTopUp), "8.90");
    u.minimum = "50";
    row = CountAndPrice(long_text.c_str(), u);
    EXPECT_EQ(AmountText(row.price), "51.10");
    EXPECT_EQ(AmountText(row.minimumTopUp), "0.00");
}

TEST(CountReport, CsvJsonAndTable)
{
    struct { const char* in; const char* out; } fields[] = {
        {"plain.txt", "plain.txt"}, {"a,b.txt", "\"a,b.txt\""}, {"say \"hi\".txt", "\"say \"\"hi\"\".txt\""},
        {" lead.txt", "\" lead.txt\""}, {"two\nlines", "\"two\nlines\""}, {"", ""},
    };
    for (auto& f : fields)
        EXPECT_EQ(CsvField(f.in), f.out);
    EXPECT_EQ(JsonString("a\"b\\c\td"), "\"a\\\"b\\\\c\\u0009d\"");
    EXPECT_EQ(JsonString("caf\xc3\xa9"), "\"caf\xc3\xa9\"");   // UTF-8 stays
    EXPECT_EQ(JsonString("caf\xe9 \x80"), "\"caf\xc3\xa9 \xe2\x82\xac\"");   // 1252 becomes UTF-8
    EXPECT_EQ(HundredthsText(1818), "18.18");
    EXPECT_EQ(HundredthsText(5), "0.05");

    CountRow a;
    a.file = "x, \"y\".txt";
    a.characters = 1234;
    a.words = 200;
    a.lines = 15;
    a.price = 5.5;
    a.standardLineHundredths = 2244;
    CountRow total = a;
    ReportColumns c;
    c.standardLines = true;
    EXPECT_EQ(FormatCsv({a}, total, c),
              "file,characters,words,lines,price,standard_lines\r\n"
              "\"x, \"\"y\"\".txt\",1234,200,15,5.50,22.44\r\n"
              "(total),1234,200,15,5.50,22.44\r\n");
    EXPECT_EQ(FormatJson({a}, total, c),
              "[\n  {\"file\": \"x, \\\"y\\\".txt\", \"characters\": 1234, \"words\": 200, "
              "\"lines\": 15, \"price\": 5.50, \"standard_lines\": 22.44},\n"
              "  {\"file\": null, \"characters\": 1234, \"words\": 200, \"lines\": 15, "
              "\"price\": 5.50, \"standard_lines\": 22.44}\n]\n");
    EXPECT_EQ(FormatTable({a}, total, ReportColumns()),
              "file        characters  words  lines  price\n"
              "x, \"y\".txt        1234    200     15   5.50\n"
              "(total)           1234    200     15   5.50\n");
}

namespace {
int DayFirst() { return 1; }
}

TEST(CountJobLog, AppendsTheLineAddToCsvWrites)
{
    SetDateOrderSource(DayFirst);
    char folder[] = "/tmp/qtally-count-XXXXXX";
    ASSERT_TRUE(mkdtemp(folder));
    const std::string log = std::string(folder) + "/jobs.csv";
    const std::string text = std::string(folder) + "/chapter \"one\".txt";
    const std::string content = "It\xe2\x80\x99s the first chapter.\r\nOf many.";
    FILE* f = fopen(text.c_str(), "wb");
    fwrite(content.data(), 1, content.size(), f);
    fclose(f);
    FILE* existing = fopen(log.c_str(), "wb");
    fputs("kept, no line end", existing);
    fclose(existing);

    CountRunResult r = RunWith({"--log", log, "--fixed", "1", "--per-char", "0.003", "--minimum", "0.5",
                     text, "-"},
                    "from standard input");
    EXPECT_EQ(r.status, 0) << r.err;

    LDateTime now;
    now.time = (int32_t)time(nullptr);
    char date[9];
    now._GetTextDate(date);
    std::string expected = "kept, no line end";
    struct { std::string title, body; } jobs[] = {{"chapter \"one\".txt", Convert(content)},
                                                  {"-", "from standard input"}};
    for (auto& j : jobs) {
        CsvJob job;
        Measured m = Measure(j.body);
        job.characters = m.characters;
        job.words = m.words;
        job.lines = m.lines;
        job.total = RoundToShownCents(1 + m.characters * 0.003 + m.words * 0.02);
        snprintf(job.jobTitle, sizeof job.jobTitle, "%s", j.title.c_str());
        char line[1024];
        int n = FormatCsvLine(job, date, line, sizeof line);
        expected.append(line, (size_t)n);
    }
    EXPECT_EQ(ReadAll(log), expected);
    EXPECT_EQ(std::string(date).substr(0, 2), [] {
        time_t t = time(nullptr);
        char d[3];
        strftime(d, sizeof d, "%d", localtime(&t));
        return std::string(d);
    }());
    SetDateOrderSource(nullptr);

    CountRunResult bad = RunWith({"--log", std::string(folder) + "/no/such/folder.csv", text});
    EXPECT_EQ(bad.status, 2);
    EXPECT_NE(bad.err.find("cannot append the job"), std::string::npos);
    std::string cmd = std::string("rm -rf '") + folder + "'";
    EXPECT_EQ(system(cmd.c_str()), 0);
}

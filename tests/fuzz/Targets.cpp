// The fuzz targets by name, and the seed inputs each starts from: valid
// inputs built with the product's own writers, plus a few damaged ones.
#include "setup/SetupLayout.h"
#include "tests/fuzz/FuzzCheck.h"
#include "tools/HelpFile.h"

#include <cstring>
#include <fstream>
#include <sstream>

const FuzzTarget g_fuzzTargets[] = {
    {"setup_layout", FuzzSetupLayout},
    {"measures", FuzzMeasures},
    {"numbers", FuzzNumbers},
    {"text_out", FuzzTextOut},
    {"paths", FuzzPaths},
    {"help_source", FuzzHelpSource},
    {"help_file", FuzzHelpFile},
    {nullptr, nullptr},
};

namespace {

using Seeds = std::vector<std::vector<uint8_t>>;

std::vector<uint8_t> Bytes(const std::string& s)
{
    return std::vector<uint8_t>(s.begin(), s.end());
}

// A setup file: payloads back to back, then sizes, byte sum and trailer.
std::vector<uint8_t> SetupFile(const std::vector<std::string>& payloads, uint32_t sumOffset,
                               uint32_t trailer)
{
    std::vector<uint8_t> file;
    std::vector<uint32_t> sizes;
    uint32_t sum = sumOffset;
    for (const std::string& p : payloads) {
        file.insert(file.end(), p.begin(), p.end());
        sizes.push_back(uint32_t(p.size()));
        sum = AddByteSum(sum, p.data(), p.size());
    }
    std::vector<uint8_t> tail(size_t(SetupTailSize(int(sizes.size()))));
    BuildSetupTail(tail.data(), sizes.data(), int(sizes.size()), sum, trailer);
    file.insert(file.end(), tail.begin(), tail.end());
    return file;
}

Seeds SetupSeeds()
{
    // The program's bytes start with "MZ"; the strings after them become the
    // install folder and row folders of the target.
    const std::string program = std::string("MZ") + "C:\\Program Files\\Corvane\\Quilltally" +
                                std::string(1, '\0') + "docs" + std::string(1, '\0') + "readme.txt" +
                                std::string(40, '\0') + "This program cannot be run in DOS mode.";
    const std::vector<std::string> payloads = {program, "help file", "<html>banner</html>", "GIF89a"};
    Seeds seeds;
    seeds.push_back(SetupFile(payloads, 0, SETUP_TRAILER_INSTALL));
    seeds.push_back(SetupFile(payloads, 1, SETUP_TRAILER_INSTALL));            // bad checksum
    seeds.push_back(SetupFile({program, "", "x", std::string(5000, 'y')}, 0, SETUP_TRAILER_REMOVE));
    std::vector<uint8_t> cut = seeds[0];
    cut.resize(cut.size() - 7);
    seeds.push_back(cut);
    std::vector<uint8_t> negative = seeds[0];                                 // a size past 2 GiB
    WriteU32(negative.data() + negative.size() - SetupTailSize(4) + 4, 0x80000000u);
    seeds.push_back(negative);
    std::string longFolder = "MZ" + std::string(255, 'F') + std::string(1, '\0') + "sub";
    seeds.push_back(SetupFile({longFolder, "a", "b", "c"}, 0, SETUP_TRAILER_INSTALL));
    seeds.push_back({});
    return seeds;
}

Seeds MeasuresSeeds()
{
    const char* texts[] = {
        "Dear Sir,\r\n\r\nThank you for your letter of 3.14 e-mail U.S.A. don't\r\n",
        "\t\x80\xA5\xFF\xE9 caf\xE9 na\xEFve \x92 quoted \"text\"",
        "a\nb\rc\r\n   \n\n",
    };
    Seeds seeds;
    uint8_t align = 0;
    for (const char* t : texts) {
        seeds.push_back(FuzzWriter().Byte(align).Byte(0).U32(82).Text(t).v);
        align += 21;
    }
    std::string longLine(300, 'w');
    for (size_t i = 7; i < longLine.size(); i += 9)
        longLine[i] = ' ';
    seeds.push_back(FuzzWriter().Byte(63).Byte(0).U32(82).Text(longLine).v);
    seeds.push_back(FuzzWriter().Byte(1).Byte(1).U32(0x80000000u).Text(longLine + "\r\n" + longLine).v);
    seeds.push_back(FuzzWriter().Byte(5).Byte(2).U32(1).Text("ab c", false).Byte(0).Text("after the end").v);
    return seeds;
}

Seeds NumbersSeeds()
{
    const char* texts[] = {
        "12.50", "  -3.25e-2", "0.000001", "1e308", "1.7976931348623159e308",
        "2.4703282292062328e-324", "4.9406564584124654e-324", "0x1p3", "2147483647",
        "-2147483648", "2147483648", " +42abc", "", "inf", "1,5", ".5", "-.e5",
        "000000000000000000000000000012", "1e-99999999999",
    };
    Seeds seeds;
    for (const char* t : texts)
        seeds.push_back(FuzzWriter().U32(80).Text(t).v);
    seeds.push_back(FuzzWriter().U32(1).Text("0." + std::string(800, '3') + "e-5").v);
    seeds.push_back(FuzzWriter().U32(uint32_t(-7)).Text(std::string(900, '9') + ".5").v);
    return seeds;
}

Seeds TextOutSeeds()
{
    auto seed = [](double total, uint32_t time, uint8_t order, uint32_t size, const std::string& title,
                   bool terminated, const std::string& text) {
        uint64_t bits;
        std::memcpy(&bits, &total, sizeof bits);
        return FuzzWriter().U64(bits).U32(1200).U32(210).U32(15).U32(time).Byte(order).U32(size)
            .Text(title, terminated).Text(text).v;
    };
    std::string longText;
    for (int i = 0; longText.size() < 400; ++i)
        longText += "Line " + std::to_string(i) + " of the transcript,\r\n\t\xE9t\xE9 ";
    Seeds seeds;
    seeds.push_back(seed(12.5, 1700000000, 0, 1024, "Chapter 1", true, "Short text"));
    seeds.push_back(seed(-1.7976931348623157e308, 86400, 1, 40, std::string(260, 'T'), false, longText));
    seeds.push_back(seed(0.005, 0, 2, 1, "\"quoted\", title", true, std::string(191, 'x')));
    return seeds;
}

Seeds PathsSeeds()
{
    Seeds seeds;
    seeds.push_back(FuzzWriter().Byte(9).Byte(100).Text("C:\\Program Files\\Corvane\\Quilltally")
                        .Text("jobs.csv").v);
    seeds.push_back(FuzzWriter().Byte(10).Byte(255).Text("dir/").Text("name.with.dots.txt").v);
    seeds.push_back(FuzzWriter().Byte(0).Byte(3).Text(std::string(300, 'a') + "\\file.txt")
                        .Text(".hidden").v);
    return seeds;
}

std::string ReadSourceFile(const std::string& relative)
{
    std::ifstream in(std::string(QT_SOURCE_DIR) + "/" + relative, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::vector<std::string> HelpSources()
{
    return {
        ".title Sample Help\n.copyright (c) Corvane\n.topic start Welcome\n"
        "First line\n  joined with the second.\n\n- An item with **bold** text\n"
        "- Go to [[Second|the second topic]] now.\n\n.topic second The Second Topic\n"
        "Back to [[start|the start]].\n",
        ".title T\r\n# comment\r\n.topic a A\r\n" + std::string(3700, 'x') + "\r\n",
        ReadSourceFile("resources/help/quilltally-help.txt"),
    };
}

Seeds HelpSourceSeeds()
{
    Seeds seeds;
    for (const std::string& s : HelpSources())
        seeds.push_back(Bytes(s));
    seeds.push_back(Bytes(".title T\n.topic a A\nSee [[b|there]].\n"));
    return seeds;
}

Seeds HelpFileSeeds()
{
    Seeds seeds;
    for (const std::string& s : HelpSources()) {
        hlp::Document doc;
        std::vector<uint8_t> file;
        std::string error;
        if (hlp::ParseSource(s, doc, error) && hlp::WriteHelpFile(doc, file, error))
            seeds.push_back(file);
    }
    return seeds;
}

} // namespace

std::vector<std::vector<uint8_t>> FuzzSeeds(const std::string& target)
{
    if (target == "setup_layout") return SetupSeeds();
    if (target == "measures") return MeasuresSeeds();
    if (target == "numbers") return NumbersSeeds();
    if (target == "text_out") return TextOutSeeds();
    if (target == "paths") return PathsSeeds();
    if (target == "help_source") return HelpSourceSeeds();
    if (target == "help_file") return HelpFileSeeds();
    return {};
}

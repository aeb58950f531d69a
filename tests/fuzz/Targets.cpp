// The fuzz targets by name, and the seed inputs each starts from: valid
// inputs built with the product's own writers, plus a few damaged ones.
#include "setup/SetupLayout.h"
#include "tests/fuzz/FuzzCheck.h"
#include "tools/HelpFile.h"

#include <cstring>
#include <zlib.h>
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
    {"encoding", FuzzEncoding},
    {"documents", FuzzDocuments},
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


// A zip archive of the given entries, each stored or deflated (raw, as zip
// keeps it), with local headers, central directory and end record.
std::vector<uint8_t> ZipFile(const std::vector<std::pair<std::string, std::string>>& entries, bool deflated)
{
    std::vector<uint8_t> zip, central;
    auto u16 = [](std::vector<uint8_t>& v, uint32_t x) { v.push_back(uint8_t(x)); v.push_back(uint8_t(x >> 8)); };
    auto u32 = [&](std::vector<uint8_t>& v, uint32_t x) { u16(v, x); u16(v, x >> 16); };
    for (const auto& [name, text] : entries) {
        std::string packed = text;
        if (deflated) {
            z_stream z{};
            deflateInit2(&z, 9, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
            packed.resize(deflateBound(&z, uLong(text.size())));
            z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
            z.avail_in = uInt(text.size());
            z.next_out = reinterpret_cast<Bytef*>(&packed[0]);
            z.avail_out = uInt(packed.size());
            deflate(&z, Z_FINISH);
            packed.resize(z.total_out);
            deflateEnd(&z);
        }
        const uint32_t crc = uint32_t(crc32(0, reinterpret_cast<const Bytef*>(text.data()), uInt(text.size())));
        const uint32_t offset = uint32_t(zip.size());
        for (std::vector<uint8_t>* v : {&zip, &central}) {
            const bool local = v == &zip;
            u32(*v, local ? 0x04034b50 : 0x02014b50);
            if (!local)
                u16(*v, 20);
            u16(*v, 20); u16(*v, 0); u16(*v, deflated ? 8 : 0); u16(*v, 0); u16(*v, 0);
            u32(*v, crc); u32(*v, uint32_t(packed.size())); u32(*v, uint32_t(text.size()));
            u16(*v, uint32_t(name.size())); u16(*v, 0);
            if (!local) {
                u16(*v, 0); u16(*v, 0); u16(*v, 0); u32(*v, 0); u32(*v, offset);
            }
            v->insert(v->end(), name.begin(), name.end());
        }
        zip.insert(zip.end(), packed.begin(), packed.end());
    }
    const uint32_t centralAt = uint32_t(zip.size());
    zip.insert(zip.end(), central.begin(), central.end());
    u32(zip, 0x06054b50); u16(zip, 0); u16(zip, 0);
    u16(zip, uint32_t(entries.size())); u16(zip, uint32_t(entries.size()));
    u32(zip, uint32_t(central.size())); u32(zip, centralAt); u16(zip, 0);
    return zip;
}

const char kDocxXml[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?><w:document xmlns:w=\"w\" xmlns:mc=\"mc\"><w:body>"
    "<w:p><w:r><w:t>Dear Sir,</w:t></w:r></w:p><w:p><w:r><w:t xml:space=\"preserve\">caf\xC3\xA9 &amp; "
    "&#8364;5 </w:t><w:tab/><w:t>x</w:t><w:br/><w:noBreakHyphen/></w:r></w:p>"
    "<mc:AlternateContent><mc:Choice><w:p><w:r><w:t>box</w:t></w:r></w:p></mc:Choice>"
    "<mc:Fallback><w:p><w:r><w:t>box</w:t></w:r></w:p></mc:Fallback></mc:AlternateContent>"
    "<w:p><w:del><w:r><w:delText>gone</w:delText></w:r></w:del></w:p></w:body></w:document>";
const char kOdtXml[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?><office:document-content xmlns:office=\"o\" "
    "xmlns:text=\"t\"><office:body><office:text><text:h>Title</text:h><text:p>Two  <text:s text:c=\"3\"/>"
    "spaces<text:tab/>tab<text:line-break/>next <![CDATA[raw]]></text:p><text:p><text:note><text:p>note"
    "</text:p></text:note>\xE2\x80\x9Cquoted\xE2\x80\x9D</text:p></office:text></office:body>"
    "</office:document-content>";

Seeds EncodingSeeds()
{
    Seeds seeds;
    seeds.push_back(FuzzWriter().Byte(0).Text("plain ASCII text\r\n", false).v);
    seeds.push_back(FuzzWriter().Byte(0).Text("caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80", false).v);
    seeds.push_back(FuzzWriter().Byte(0).Text("\xEF\xBB\xBF" "BOM \xC3 broken", false).v);
    seeds.push_back(FuzzWriter().Byte(0).Text(std::string("\xFF\xFEh\0i\0\x3D\xD8\x00\xDE", 10), false).v);
    seeds.push_back(FuzzWriter().Byte(0).Text(std::string("\xFE\xFF\0h\xD8\x3D", 6), false).v);
    seeds.push_back(FuzzWriter().Byte(1).Text("1252 \xE9\x80\x92", false).v);
    return seeds;
}

Seeds DocumentsSeeds()
{
    Seeds seeds;
    seeds.push_back(FuzzWriter().Byte(0).Text(kDocxXml, false).v);
    seeds.push_back(FuzzWriter().Byte(1).Text(kOdtXml, false).v);
    for (bool deflate : {false, true}) {
        std::vector<uint8_t> docx = ZipFile({{"[Content_Types].xml", "<Types/>"}, {"word/document.xml", kDocxXml}}, deflate);
        docx.insert(docx.begin(), 2);
        seeds.push_back(docx);
        std::vector<uint8_t> odt = ZipFile({{"mimetype", "application/vnd.oasis.opendocument.text"},
                                            {"content.xml", kOdtXml}}, deflate);
        odt.insert(odt.begin(), 3);
        seeds.push_back(odt);
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
    if (target == "encoding") return EncodingSeeds();
    if (target == "documents") return DocumentsSeeds();
    return {};
}

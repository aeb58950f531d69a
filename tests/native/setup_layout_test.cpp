// The setup file layout and the producer that writes it.
#include "setup/SetupLayout.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

TEST(SetupLayout, ShippedExampleTailBytes)
{
    // The shipped file: four payload files, 237,371 bytes in all.
    const uint32_t sizes[] = {172032, 15198, 206, 49911};
    unsigned char tail[24];
    ASSERT_EQ(SetupTailSize(4), sizeof tail);
    BuildSetupTail(tail, sizes, 4, 0x01B20FDDu, SETUP_TRAILER_INSTALL);
    const Bytes expected = {0x00, 0xA0, 0x02, 0x00, 0x5E, 0x3B, 0x00, 0x00, 0xCE, 0x00, 0x00, 0x00,
                            0xF7, 0xC2, 0x00, 0x00, 0xDD, 0x0F, 0xB2, 0x01, 0xF0, 0xF0, 0x0F, 0x0F};
    EXPECT_EQ(Bytes(tail, tail + 24), expected);

    uint32_t parsed[4] = {};
    uint32_t checksum = 0;
    ParseSetupTable(tail, 4, parsed, &checksum);
    EXPECT_EQ(Bytes((unsigned char*)parsed, (unsigned char*)(parsed + 4)),
              Bytes((const unsigned char*)sizes, (const unsigned char*)(sizes + 4)));
    EXPECT_EQ(checksum, 0x01B20FDDu);
    EXPECT_TRUE(SetupTableFits(237371, sizes, 4));

    unsigned char removal[4];
    WriteU32(removal, SETUP_TRAILER_REMOVE);
    EXPECT_EQ(Bytes(removal, removal + 4), (Bytes{0x0F, 0x0F, 0xF0, 0xF0}));
}

TEST(SetupLayout, ByteSumWrapsAndSubtractingEndsAtZero)
{
    const unsigned char bytes[] = {0xFF, 0x01, 0x80, 0x00, 0x7F};
    EXPECT_EQ(AddByteSum(0, bytes, sizeof bytes), 0x1FFu);
    EXPECT_EQ(AddByteSum(0xFFFFFF00u, bytes, 1), 0xFFFFFFFFu);
    EXPECT_EQ(AddByteSum(0xFFFFFFFFu, bytes + 1, 1), 0u);
    EXPECT_EQ(SubtractByteSum(0, bytes, 1), 0xFFFFFF01u);
    // The installer's running checksum: the stored sum minus every byte read.
    EXPECT_EQ(SubtractByteSum(AddByteSum(0x01B20FDDu, bytes, sizeof bytes), bytes, sizeof bytes),
              0x01B20FDDu);
}

TEST(SetupLayout, RowCountStopsAtEndRowAndAt128)
{
    EXPECT_EQ(CountSetupRows(g_setupFiles), 5);
    EXPECT_STREQ(g_setupFiles[0].fileName, "qtally.exe");
    EXPECT_STREQ(g_setupFiles[1].fileName, "app.hlp");
    // Later rows only ever go after the existing ones.
    EXPECT_STREQ(g_setupFiles[2].fileName, "banner.htm");
    EXPECT_STREQ(g_setupFiles[3].fileName, "banner.gif");
    EXPECT_STREQ(g_setupFiles[4].fileName, "qtally-count.exe");
    EXPECT_EQ(g_setupFiles[4].folder, nullptr);

    std::vector<SetupFileRow> table(131, SetupFileRow{nullptr, "f"});
    table.back() = {nullptr, nullptr};
    EXPECT_EQ(CountSetupRows(table.data()), 128);
    table[128] = {nullptr, nullptr};
    EXPECT_EQ(CountSetupRows(table.data()), 128);
    table[127] = {"folder only", nullptr};
    EXPECT_EQ(CountSetupRows(table.data()), 127);
    table[0] = {nullptr, nullptr};
    EXPECT_EQ(CountSetupRows(table.data()), 0);
}

TEST(SetupLayout, TargetPaths)
{
    struct Case {
        const char* folder;
        const char* expected;
    } cases[] = {
        {nullptr, "C:\\Q\\a.txt"},
        {"ProgramFiles", "C:\\Q\\a.txt"},
        {"programFILES", "C:\\Q\\a.txt"},
        {"DATAFILES", "C:\\Q\\a.txt"},
        {"Docs", "C:\\Q\\Docs\\a.txt"},
        {"ProgramFilesX", "C:\\Q\\ProgramFilesX\\a.txt"},
    };
    for (const Case& c : cases) {
        char out[260];
        EXPECT_TRUE(GetSetupTargetPath(out, sizeof out, "C:\\Q", SetupFileRow{c.folder, "a.txt"}));
        EXPECT_STREQ(out, c.expected) << (c.folder ? c.folder : "(null)");
    }

    // A cut path would name some other file: refused, and left empty.
    std::string folder(250, 'x');
    char out[260];
    EXPECT_TRUE(GetSetupTargetPath(out, sizeof out, folder.c_str(), SetupFileRow{nullptr, "12345678"}));
    EXPECT_EQ(std::string(out).size(), 259u);
    EXPECT_FALSE(GetSetupTargetPath(out, sizeof out, folder.c_str(), SetupFileRow{nullptr, "123456789"}));
    EXPECT_STREQ(out, "");
    EXPECT_FALSE(GetSetupTargetPath(out, sizeof out, folder.c_str(), SetupFileRow{"docs", "a.txt"}));
}

TEST(SetupLayout, TableMustFitInFrontOfTail)
{
    struct Case {
        uint64_t fileLength;
        std::vector<uint32_t> sizes;
        bool fits;
    } cases[] = {
        {8, {}, true},                           // no rows: sum and trailer only
        {7, {}, false},                          // shorter than the sum and trailer
        {24, {5, 3}, true},                      // exactly the bytes in front
        {23, {5, 3}, false},                     // one byte cut from the payload
        {100, {5, 3}, true},                     // a gap before the table is never read
        {11, {0}, false},                        // shorter than its own table
        {12, {0}, true},
        {20, {0xFFFFFFFFu, 1}, false},           // would wrap to 0 in 32 bits
        {20, {0x80000000u}, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SetupTableFits(c.fileLength, c.sizes.data(), int(c.sizes.size())), c.fits)
            << "length " << c.fileLength << ", rows " << c.sizes.size();
}

// Files in a fresh folder of the test's temporary directory.
class SetupWriterTest : public ::testing::Test {
protected:
    void SetUp() override { mkdir(Folder().c_str(), 0700); }
    static std::string Folder() { return ::testing::TempDir() + "qt_setup_writer"; }
    static std::string Path(const std::string& name) { return Folder() + "/" + name; }
    std::string Write(const std::string& name, const Bytes& bytes)
    {
        std::string path = Path(name);
        FILE* f = fopen(path.c_str(), "wb");
        EXPECT_NE(f, nullptr);
        if (!bytes.empty())
            fwrite(bytes.data(), 1, bytes.size(), f);
        fclose(f);
        created_.push_back(path);
        return path;
    }
    Bytes Read(const std::string& path)
    {
        Bytes bytes;
        FILE* f = fopen(path.c_str(), "rb");
        if (!f)
            return bytes;
        int c;
        while ((c = fgetc(f)) != EOF)
            bytes.push_back((unsigned char)c);
        fclose(f);
        return bytes;
    }
    void TearDown() override
    {
        for (const std::string& p : created_)
            remove(p.c_str());
        remove(Path("out.exe").c_str());
        rmdir(Folder().c_str());
    }
    std::vector<std::string> created_;
};

Bytes Pattern(size_t size, unsigned seed)
{
    Bytes bytes(size);
    for (size_t i = 0; i < size; ++i)
        bytes[i] = (unsigned char)(i * 131 + seed * 7 + (i >> 8));
    return bytes;
}

TEST_F(SetupWriterTest, WritesPayloadsBackToBackThenTail)
{
    const SetupFileRow table[] = {{nullptr, "prog.exe"}, {"Docs", "EMPTY.TXT"}, {nullptr, "big.bin"},
                                  {nullptr, nullptr}};
    Bytes prog = Pattern(5000, 1), big = Pattern(70000, 2);
    std::string inputs[] = {Write("prog.exe", prog), Write("empty.txt", {}), Write("big.bin", big)};
    const char* argv[] = {inputs[0].c_str(), inputs[1].c_str(), inputs[2].c_str()};
    char error[300] = "";
    ASSERT_TRUE(WriteSetupFile(Path("out.exe").c_str(), argv, 3, table, error, sizeof error)) << error;

    Bytes out = Read(Path("out.exe"));
    ASSERT_EQ(out.size(), 5000u + 70000u + SetupTailSize(3));
    EXPECT_TRUE(Bytes(out.begin(), out.begin() + 5000) == prog);
    EXPECT_TRUE(Bytes(out.begin() + 5000, out.begin() + 75000) == big);

    uint32_t sizes[3];
    uint32_t stored;
    ParseSetupTable(out.data() + 75000, 3, sizes, &stored);
    EXPECT_EQ(sizes[0], 5000u);
    EXPECT_EQ(sizes[1], 0u);
    EXPECT_EQ(sizes[2], 70000u);
    uint32_t sum = 0;
    for (size_t i = 0; i < 75000; ++i)
        sum += out[i];
    EXPECT_EQ(stored, sum);
    EXPECT_EQ(ReadU32(out.data() + out.size() - 4), uint32_t(SETUP_TRAILER_INSTALL));
    EXPECT_TRUE(SetupTableFits(out.size(), sizes, 3));
}

TEST_F(SetupWriterTest, RefusesInputsThatDoNotMatchTheTable)
{
    const SetupFileRow table[] = {{nullptr, "a.bin"}, {nullptr, "b.bin"}, {nullptr, nullptr}};
    std::string a = Write("a.bin", Pattern(10, 3)), b = Write("b.bin", Pattern(10, 4));
    std::string wrong = Write("c.bin", Pattern(10, 5));
    std::string missing = Path("missing_dir/b.bin");
    struct Case {
        std::vector<const char*> inputs;
        const char* why;
    } cases[] = {
        {{a.c_str()}, "too few files"},
        {{a.c_str(), b.c_str(), b.c_str()}, "too many files"},
        {{a.c_str(), wrong.c_str()}, "name not in the table"},
        {{b.c_str(), a.c_str()}, "order not the table's"},
        {{a.c_str(), missing.c_str()}, "unreadable input"},
    };
    for (const Case& c : cases) {
        char error[300] = "";
        EXPECT_FALSE(WriteSetupFile(Path("out.exe").c_str(), c.inputs.data(), int(c.inputs.size()),
                                    table, error, sizeof error))
            << c.why;
        EXPECT_STRNE(error, "") << c.why;
        // Nothing half-written is left for the build to pick up.
        EXPECT_TRUE(Read(Path("out.exe")).empty()) << c.why;
    }
}

}

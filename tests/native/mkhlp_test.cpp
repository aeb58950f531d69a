// The help file tool: sources are parsed, written as a help file and read
// back the way a viewer walks the file.
#include "tools/HelpFile.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>

namespace {

using hlp::ContextHash;

struct Built {
    hlp::Document doc;
    std::vector<uint8_t> bytes;
    hlp::ReadResult read;
};

::testing::AssertionResult Build(const std::string& source, Built& b)
{
    std::string error;
    if (!hlp::ParseSource(source, b.doc, error))
        return ::testing::AssertionFailure() << "parse: " << error;
    if (!hlp::WriteHelpFile(b.doc, b.bytes, error))
        return ::testing::AssertionFailure() << "write: " << error;
    if (!hlp::ReadHelpFile(b.bytes, b.read, error))
        return ::testing::AssertionFailure() << "read: " << error;
    return ::testing::AssertionSuccess();
}

const hlp::ReadTopic* TopicByHash(const hlp::ReadResult& r, int32_t hash)
{
    auto it = r.context.find(hash);
    if (it == r.context.end())
        return nullptr;
    for (const auto& t : r.topics)
        if (t.topicOffset == it->second)
            return &t;
    return nullptr;
}

const char kSample[] =
    "# sample\n"
    ".title Sample Help\n"
    ".copyright (c) Someone\n"
    ".topic start Welcome\n"
    "First line of a paragraph\n"
    "  joined with the second.\n"
    "\n"
    "- An item with **bold** text\n"
    "- Go to [[Second|the second topic]] now.\n"
    "\n"
    ".topic second The Second Topic\n"
    "Back to [[start|the start]].\n";

TEST(HelpFile, RoundTripKeepsStructureAndText)
{
    Built b;
    ASSERT_TRUE(Build(kSample, b));
    const hlp::ReadResult& r = b.read;

    std::set<std::string> names;
    for (const auto& e : r.directory) {
        names.insert(e.first);
        EXPECT_LT(e.second, b.bytes.size()) << e.first;
    }
    EXPECT_EQ(names, (std::set<std::string>{"|CONTEXT", "|FONT", "|SYSTEM", "|TOPIC"}));

    EXPECT_EQ(r.minor, 21);
    EXPECT_EQ(r.title, "Sample Help");
    EXPECT_EQ(r.copyright, "(c) Someone");
    ASSERT_EQ(r.windows.size(), 1u);
    EXPECT_EQ(r.windows[0].name, "main");
    EXPECT_EQ(r.windows[0].caption, "Sample Help");
    ASSERT_EQ(r.topics.size(), 2u);
    EXPECT_EQ(r.contents, r.topics[0].topicOffset);

    const hlp::ReadTopic& start = r.topics[0];
    EXPECT_EQ(start.title, "Welcome");
    ASSERT_EQ(start.paragraphs.size(), 4u);
    EXPECT_EQ(start.paragraphs[0].text, "Welcome");
    EXPECT_EQ(start.paragraphs[1].text, "First line of a paragraph joined with the second.");
    EXPECT_EQ(start.paragraphs[2].text, "\x95 An item with bold text");
    EXPECT_EQ(start.paragraphs[3].text, "\x95 Go to the second topic now.");

    // The heading and the bold span use bold fonts; body text does not.
    ASSERT_EQ(r.fonts.size(), 3u);
    auto bold = [&](uint16_t f) { return f < r.fonts.size() && (r.fonts[f].attributes & 1); };
    ASSERT_FALSE(start.paragraphs[0].fonts.empty());
    EXPECT_TRUE(bold(start.paragraphs[0].fonts[0]));
    EXPECT_FALSE(bold(start.paragraphs[1].fonts[0]));
    ASSERT_GE(start.paragraphs[2].fonts.size(), 2u);
    EXPECT_TRUE(bold(start.paragraphs[2].fonts[1]));

    // Jumps name topics by hash; |CONTEXT leads to the right topic both ways,
    // whatever the case of the name in the jump.
    ASSERT_EQ(start.paragraphs[3].jumps.size(), 1u);
    EXPECT_EQ(TopicByHash(r, start.paragraphs[3].jumps[0]), &r.topics[1]);
    ASSERT_EQ(r.topics[1].paragraphs.at(1).jumps.size(), 1u);
    EXPECT_EQ(TopicByHash(r, r.topics[1].paragraphs[1].jumps[0]), &r.topics[0]);

    // One browse sequence in file order.
    EXPECT_EQ(start.browseBack, 0xFFFFFFFFu);
    EXPECT_EQ(start.browseForward, r.topics[1].topicOffset);
    EXPECT_EQ(r.topics[1].browseBack, start.topicOffset);
    EXPECT_EQ(r.topics[1].browseForward, 0xFFFFFFFFu);
}

TEST(HelpFile, SameSourceGivesSameBytes)
{
    Built a, b;
    ASSERT_TRUE(Build(kSample, a));
    ASSERT_TRUE(Build(kSample, b));
    EXPECT_EQ(a.bytes, b.bytes);
}

// Enough text for many topic blocks: every topic, paragraph and jump must
// survive records that straddle block boundaries.
TEST(HelpFile, TopicsSpreadOverManyBlocks)
{
    std::ostringstream src;
    src << ".title Big\n";
    const int topics = 40;
    for (int t = 0; t < topics; ++t) {
        src << ".topic t" << t << " Topic " << t << "\n";
        for (int p = 0; p < 6; ++p) {
            src << "Topic " << t << " paragraph " << p << ":";
            for (int w = 0; w < 20 + (t * 7 + p * 3) % 25; ++w)
                src << " word" << w;
            src << "\n\n";
        }
        src << "Next is [[t" << (t + 1) % topics << "|topic " << (t + 1) % topics << "]].\n\n";
    }
    Built b;
    ASSERT_TRUE(Build(src.str(), b));
    ASSERT_EQ(b.read.topics.size(), static_cast<size_t>(topics));
    EXPECT_GT(b.read.topics.back().topicOffset >> 15, 5u) << "expected several blocks";

    for (int t = 0; t < topics; ++t) {
        const hlp::ReadTopic& rt = b.read.topics[t];
        EXPECT_EQ(rt.title, "Topic " + std::to_string(t));
        EXPECT_EQ(rt.number, static_cast<uint32_t>(t));
        ASSERT_EQ(rt.paragraphs.size(), 8u) << t;
        EXPECT_EQ(rt.paragraphs[3].text.rfind("Topic " + std::to_string(t) + " paragraph 2:", 0), 0u);
        ASSERT_EQ(rt.paragraphs[7].jumps.size(), 1u);
        EXPECT_EQ(TopicByHash(b.read, rt.paragraphs[7].jumps[0]), &b.read.topics[(t + 1) % topics]) << t;
        EXPECT_EQ(TopicByHash(b.read, ContextHash("T" + std::to_string(t))), &rt) << t;
    }
}

// A viewer reads at least 0x44 bytes of the last topic block; a shorter
// block makes it read the wrong bytes. Try stream lengths around a boundary.
TEST(HelpFile, LastTopicBlockIsNeverTiny)
{
    for (int n = 3300; n < 3700; n += 7) {
        Built b;
        ASSERT_TRUE(Build(".title T\n.topic a A\n" + std::string(n, 'x') + "\n", b));
        uint32_t at = b.read.directory.at("|TOPIC");
        uint32_t used = b.bytes[at + 4] | b.bytes[at + 5] << 8 | b.bytes[at + 6] << 16 | b.bytes[at + 7] << 24;
        EXPECT_TRUE(used % 4096 == 0 || used % 4096 >= 0x44) << "text of " << n << " bytes";
        EXPECT_EQ(b.read.topics.at(0).paragraphs.at(1).text, std::string(n, 'x'));
    }
}

TEST(HelpFile, SourceErrorsNameTheLine)
{
    const struct { const char* source; const char* message; } cases[] = {
        {".title T\nstray text\n", "line 2"},
        {".title T\n.topic a A\n.colour red\n", "line 3"},
        {".title T\n.topic bad-name A\n", "line 2"},
        {".title T\n.topic a\n", "line 2"},
        {".title T\n.topic a A\nSee [[b|there]].\n", "unknown topic b"},
        {".title T\n.topic a A\nSome **bold\n", "line 3"},
        {".title T\n.topic a A\nSee [[no bar]].\n", "line 3"},
        {".title T\n.topic a A\nTab\there\n", "line 3"},
        {".title T\x01\n.topic a A\n", "line 1"},           // strings are stored 0-terminated
        {".title T\n.copyright C\x1f\n.topic a A\n", "line 2"},
        {".title T\n.topic a A\x0b\n", "line 2"},
        {".title T\n.topic a A\n**b\x01**\n", "line 3"},
        {".title T\n.topic a A\n[[a|x\x02]]\n", "line 3"},
        {".title T\n.topic a A\n.topic A Again\n", "clash"},
        {".title T\n", "no topics"},
        {".topic a A\n", "no .title"},
    };
    for (const auto& c : cases) {
        hlp::Document doc;
        std::string error;
        EXPECT_FALSE(hlp::ParseSource(c.source, doc, error)) << c.source;
        EXPECT_NE(error.find(c.message), std::string::npos) << c.source << " gave: " << error;
    }
}

TEST(HelpFile, ReaderRejectsDamagedFiles)
{
    Built b;
    ASSERT_TRUE(Build(kSample, b));
    hlp::ReadResult r;
    std::string error;

    std::vector<uint8_t> truncated(b.bytes.begin(), b.bytes.end() - 1);
    EXPECT_FALSE(hlp::ReadHelpFile(truncated, r, error));

    std::vector<uint8_t> badDirectory = b.bytes;
    uint32_t dir = badDirectory[4] | badDirectory[5] << 8 | badDirectory[6] << 16 | badDirectory[7] << 24;
    badDirectory[dir + 9] ^= 0xFF; // B+ tree magic
    EXPECT_FALSE(hlp::ReadHelpFile(badDirectory, r, error));
}

// The help that ships: it builds, and every topic can be reached from the
// contents page by following jumps.
TEST(HelpFile, ShippedHelpReachesEveryTopic)
{
    std::string here = __FILE__;
    std::string path = here.substr(0, here.rfind("tests/native/")) + "resources/help/quilltally-help.txt";
    std::ifstream in(path, std::ios::binary);
    ASSERT_TRUE(in) << path;
    std::stringstream source;
    source << in.rdbuf();
    for (unsigned char c : source.str())
        ASSERT_LT(c, 0x80) << "keep the source in plain ASCII";

    Built b;
    ASSERT_TRUE(Build(source.str(), b));
    const hlp::ReadResult& r = b.read;
    ASSERT_GE(r.topics.size(), 6u);

    std::set<const hlp::ReadTopic*> reached{&r.topics[0]};
    std::vector<const hlp::ReadTopic*> todo{&r.topics[0]};
    while (!todo.empty()) {
        const hlp::ReadTopic* t = todo.back();
        todo.pop_back();
        for (const auto& p : t->paragraphs)
            for (int32_t h : p.jumps) {
                const hlp::ReadTopic* target = TopicByHash(r, h);
                ASSERT_NE(target, nullptr) << "dangling jump in " << t->title;
                if (reached.insert(target).second)
                    todo.push_back(target);
            }
    }
    EXPECT_EQ(reached.size(), r.topics.size());
}

} // namespace

// The help tool: any source either fails with a message or becomes a help
// file that reads back with the same topics, paragraphs and jumps; any file
// is read without going past its bytes.
#include "tests/fuzz/FuzzCheck.h"
#include "tools/HelpFile.h"

namespace {

std::string ParagraphText(const hlp::Paragraph& p)
{
    std::string text = p.style == hlp::Paragraph::Item ? "\x95 " : "";
    for (const hlp::Span& s : p.spans)
        text += s.text;
    return text;
}

std::vector<int32_t> ParagraphJumps(const hlp::Paragraph& p)
{
    std::vector<int32_t> jumps;
    for (const hlp::Span& s : p.spans)
        if (s.kind == hlp::Span::Link)
            jumps.push_back(hlp::ContextHash(s.target));
    return jumps;
}

} // namespace

void FuzzHelpSource(const uint8_t* data, size_t size)
{
    const std::string source(reinterpret_cast<const char*>(data), size);
    hlp::Document doc;
    std::string error;
    if (!hlp::ParseSource(source, doc, error)) {
        FUZZ_CHECK(!error.empty());
        return;
    }
    FUZZ_CHECK(!doc.topics.empty() && !doc.title.empty());
    std::vector<uint8_t> file;
    if (!hlp::WriteHelpFile(doc, file, error)) {
        FUZZ_CHECK(!error.empty());   // too much for one file
        return;
    }
    hlp::ReadResult read;
    const bool readBack = hlp::ReadHelpFile(file, read, error);
    if (!readBack)
        std::fprintf(stderr, "read back: %s\n", error.c_str());
    FUZZ_CHECK(readBack);
    FUZZ_CHECK(read.title == doc.title);
    FUZZ_CHECK(read.copyright == doc.copyright);
    FUZZ_CHECK(read.topics.size() == doc.topics.size());
    FUZZ_CHECK(read.contents == read.topics[0].topicOffset);
    for (size_t t = 0; t < doc.topics.size(); ++t) {
        const hlp::Topic& topic = doc.topics[t];
        const hlp::ReadTopic& got = read.topics[t];
        FUZZ_CHECK(got.title == topic.title);
        FUZZ_CHECK(got.number == t);
        auto at = read.context.find(hlp::ContextHash(topic.name));
        FUZZ_CHECK(at != read.context.end() && at->second == got.topicOffset);
        FUZZ_CHECK(got.paragraphs.size() == topic.paragraphs.size());
        for (size_t p = 0; p < topic.paragraphs.size(); ++p) {
            FUZZ_CHECK(got.paragraphs[p].text == ParagraphText(topic.paragraphs[p]));
            FUZZ_CHECK(got.paragraphs[p].jumps == ParagraphJumps(topic.paragraphs[p]));
        }
    }
}

void FuzzHelpFile(const uint8_t* data, size_t size)
{
    const std::vector<uint8_t> file(data, data + size);
    hlp::ReadResult read;
    std::string error;
    if (!hlp::ReadHelpFile(file, read, error))
        FUZZ_CHECK(!error.empty());
}

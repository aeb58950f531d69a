// Windows Help (.hlp, version 3.1 layout) from a plain-text source, and a
// reader of the same layout that the tests and the tool's own check use.
//
// What is written: the internal file system (header, directory B+ tree),
// |SYSTEM (title, copyright, contents topic, a start-up macro, the main
// window's caption), |FONT (one face, a few descriptors), |TOPIC (4 KB
// blocks, each stored as literal-only LZ77 so every block holds a fixed
// amount of topic data) and |CONTEXT (jump names by hash). No phrases,
// keywords or pictures.
#ifndef QT_TOOLS_HELPFILE_H
#define QT_TOOLS_HELPFILE_H

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace hlp {

// ---- the source ---------------------------------------------------------

struct Span {
    enum Kind { Text, Bold, Link };
    Kind kind = Text;
    std::string text;
    std::string target; // topic name, for links
};

struct Paragraph {
    enum Style { Heading, Body, Item };
    Style style = Body;
    std::vector<Span> spans;
};

struct Topic {
    std::string name;  // jump name: letters, digits, '_' and '.'
    std::string title;
    std::vector<Paragraph> paragraphs; // the heading first
};

struct Document {
    std::string title;
    std::string copyright;
    std::vector<Topic> topics; // the first one is the contents topic
};

// Source syntax, one directive or text line at a time:
//   # comment
//   .title TEXT           the help file's title
//   .copyright TEXT       the notice shown by the viewer's about box
//   .topic NAME TITLE     starts a topic; its title becomes its heading
//   (blank line)          ends a paragraph; text lines of one paragraph join
//   - TEXT                starts a list item
//   **TEXT**              bold; [[NAME|TEXT]] jumps to topic NAME
// Fails, with a message naming the line, on malformed or dangling jumps.
bool ParseSource(const std::string& source, Document& doc, std::string& error);

// The viewer's hash of a jump name (case does not matter).
int32_t ContextHash(const std::string& name);

// Writes the whole file into out.
bool WriteHelpFile(const Document& doc, std::vector<uint8_t>& out, std::string& error);

// ---- reading back -------------------------------------------------------

struct ReadParagraph {
    std::string text;                 // the strings of the paragraph, joined
    std::vector<int32_t> jumps;       // hashes of the topic jumps in it
    std::vector<uint16_t> fonts;      // fonts selected in it, in order
};

struct ReadTopic {
    std::string title;
    uint32_t topicOffset = 0;         // as a viewer computes it
    uint32_t number = 0;
    uint32_t browseBack = 0, browseForward = 0;
    std::vector<ReadParagraph> paragraphs;
};

struct ReadFont {
    uint8_t attributes = 0, halfPoints = 0, family = 0;
    std::string face;
};

struct ReadWindow {
    uint16_t flags = 0;
    std::string name, caption;
};

struct ReadResult {
    std::map<std::string, uint32_t> directory; // internal file -> offset
    uint16_t minor = 0, flags = 0;
    std::string title, copyright;
    std::vector<std::string> macros;
    std::vector<ReadWindow> windows;
    uint32_t contents = 0xFFFFFFFF;
    std::vector<ReadFont> fonts;
    std::vector<ReadTopic> topics;
    std::map<int32_t, uint32_t> context;       // hash -> topic offset
};

// Parses a help file as a viewer would; fails with a message on any
// inconsistency it meets.
bool ReadHelpFile(const std::vector<uint8_t>& data, ReadResult& out, std::string& error);

} // namespace hlp

#endif

// Reads a Windows Help file (version 3.1 layout) back as a viewer would; the
// tests, the fuzz targets and mkhlp's own check use it.
#ifndef QT_TOOLS_HELPREADER_H
#define QT_TOOLS_HELPREADER_H

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace hlp {

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

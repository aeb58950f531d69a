// The numbers of the Windows Help 3.1 layout that the writer produces and the
// reader checks. All numbers in the file are little-endian.
#ifndef QT_TOOLS_HELPFORMAT_H
#define QT_TOOLS_HELPFORMAT_H

#include <cstddef>
#include <cstdint>
#include <string>

namespace hlp {

const uint32_t kFileMagic = 0x00035F3F;
const uint16_t kSystemMagic = 0x036C;
const uint16_t kSystemMinor = 21;       // the 3.1 layout
const uint16_t kSystemFlagsLz77 = 4;    // LZ77 topic blocks of 4 KB
const uint16_t kBTreeMagic = 0x293B;
const uint32_t kNone = 0xFFFFFFFF;

// An internal file starts with its reserved and used sizes and a flag byte.
const size_t kInternalHeaderSize = 9;

const size_t kTopicBlockSize = 4096;
const size_t kBlockHeaderSize = 12;
const size_t kLinkHeaderSize = 21;
const size_t kTopicHeaderSize = 28;
// Each block stores its data as literal-only LZ77: groups of one flag byte
// and eight literals. 453 full groups and one of six literals fill the 4084
// bytes after the block header exactly, so every block but the last holds
// 3630 bytes of topic data and topic positions stay simple to compute.
const size_t kBlockData = 453 * 8 + 6;
// Readers look at least this far into the last block.
const size_t kLastBlockMinimum = 64;

// A record's position: its block above bit 14, below it the record's place
// in the block counted from the block's start, header included.
const unsigned kPosBlockShift = 14;
const uint32_t kPosOffsetMask = 0x3FFF;

// A topic's offset as a viewer counts it: its block above bit 15, below it
// the characters of the block's records before the topic.
inline uint32_t TopicOffset(size_t block, uint32_t chars)
{
    return static_cast<uint32_t>(block * 0x8000 + chars);
}

enum RecordType : uint8_t { kTopicHeader = 0x02, kText = 0x20 };

enum FontIndex : uint16_t { kFontBody = 0, kFontHeading = 1, kFontBold = 2 };

// Paragraph setting bits and the commands of the character stream.
const uint16_t kSpaceAbove = 0x0002, kSpaceBelow = 0x0004, kLeftIndent = 0x0010,
               kFirstIndent = 0x0040, kBorder = 0x0100, kTabs = 0x0200;
const uint8_t kCmdFont = 0x80, kCmdLineBreak = 0x81, kCmdParagraphEnd = 0x82, kCmdTab = 0x83,
              kCmdJump = 0xE3, kCmdHotspotEnd = 0x89, kCmdEnd = 0xFF;

// The viewer's hash of a jump name (case does not matter).
int32_t ContextHash(const std::string& name);

} // namespace hlp

#endif

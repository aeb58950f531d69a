// Writes a Document as a Windows Help file (version 3.1 layout).
//
// What is written: the internal file system (header, directory B+ tree),
// |SYSTEM (title, copyright, contents topic, a start-up macro, the main
// window's caption), |FONT (one face, a few descriptors), |TOPIC (4 KB
// blocks, each stored as literal-only LZ77 so every block holds a fixed
// amount of topic data) and |CONTEXT (jump names by hash). No phrases,
// keywords or pictures.
#ifndef QT_TOOLS_HELPWRITER_H
#define QT_TOOLS_HELPWRITER_H

#include "tools/HelpDocument.h"

#include <cstdint>
#include <string>
#include <vector>

namespace hlp {

// Writes the whole file into out.
bool WriteHelpFile(const Document& doc, std::vector<uint8_t>& out, std::string& error);

} // namespace hlp

#endif

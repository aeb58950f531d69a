// The plain-text help source, parsed into a Document.
#ifndef QT_TOOLS_HELPSOURCE_H
#define QT_TOOLS_HELPSOURCE_H

#include "tools/HelpDocument.h"

#include <string>

namespace hlp {

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

} // namespace hlp

#endif

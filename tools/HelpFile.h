// Windows Help (.hlp, version 3.1 layout) from a plain-text source, and a
// reader of the same layout that the tests and the tool's own check use:
// one include for all three parts.
//   HelpSource.h    the source syntax, parsed into a Document (HelpDocument.h)
//   HelpWriter.h    a Document written as a help file
//   HelpReader.h    a help file read back as a viewer would
//   HelpFormat.h    the layout's numbers and the jump name hash
#ifndef QT_TOOLS_HELPFILE_H
#define QT_TOOLS_HELPFILE_H

#include "tools/HelpDocument.h"
#include "tools/HelpFormat.h"
#include "tools/HelpReader.h"
#include "tools/HelpSource.h"
#include "tools/HelpWriter.h"

#endif

// A help file's content as the source describes it: topics made of
// paragraphs made of spans. The source parser fills it, the writer lays it out.
#ifndef QT_TOOLS_HELPDOCUMENT_H
#define QT_TOOLS_HELPDOCUMENT_H

#include <string>
#include <vector>

namespace hlp {

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

} // namespace hlp

#endif

// mkhlp SOURCE OUTPUT: builds a Windows Help file from its plain-text source
// (syntax in HelpSource.h), then reads the result back as a check.
#include "tools/HelpFile.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: mkhlp SOURCE OUTPUT\n");
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "mkhlp: cannot read %s\n", argv[1]);
        return 1;
    }
    std::stringstream source;
    source << in.rdbuf();

    hlp::Document doc;
    std::vector<uint8_t> file;
    hlp::ReadResult check;
    std::string error;
    if (!hlp::ParseSource(source.str(), doc, error)) {
        std::fprintf(stderr, "%s:%s\n", argv[1], error.c_str());
        return 1;
    }
    if (!hlp::WriteHelpFile(doc, file, error) || !hlp::ReadHelpFile(file, check, error)) {
        std::fprintf(stderr, "mkhlp: %s\n", error.c_str());
        return 1;
    }
    std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
    out.close();
    if (!out) {
        std::fprintf(stderr, "mkhlp: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}

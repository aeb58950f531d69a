#include "count/InputFiles.h"

#include <cerrno>
#include <cstring>

bool IsCountedName(const std::string& name)
{
    size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot == 0)
        return false;
    std::string ext = name.substr(dot + 1);
    for (char& c : ext)
        if (c >= 'A' && c <= 'Z')
            c = (char)(c - 'A' + 'a');
    return ext == "txt" || ext == "docx" || ext == "odt";
}

std::string JoinPath(const std::string& folder, const std::string& name, char separator)
{
    if (folder.empty())
        return name;
    char last = folder.back();
    if (last == '/' || last == '\\')
        return folder + name;
    return folder + separator + name;
}

std::string BaseName(const std::string& path)
{
    size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool ReadWholeStream(FILE* stream, std::string& data, std::string& reason)
{
    data.clear();
    size_t used = 0;
    for (;;) {
        if (data.size() < used + (1 << 20))
            data.resize(used + (1 << 20));
        size_t got = fread(&data[used], 1, data.size() - used, stream);
        used += got;
        if (got == 0)
            break;
    }
    bool failed = ferror(stream) != 0;
    data.resize(used);
    if (failed) {
        reason = strerror(errno);
        return false;
    }
    return true;
}

bool ReadWholeFile(const std::string& path, std::string& data, std::string& reason)
{
    FILE* f = fopen(path.c_str(), "rb");
    if (!f) {
        reason = strerror(errno);
        return false;
    }
    // Read in one go when the size is known; a stream that grows or shrinks
    // meanwhile is read to its end all the same.
    bool ok = true;
    long long size = -1;
    if (fseek(f, 0, SEEK_END) == 0) {
#ifdef _WIN32
        size = _ftelli64(f);
#else
        size = ftello(f);
#endif
        rewind(f);
    }
    if (size > 0) {
        data.resize((size_t)size);
        size_t got = fread(&data[0], 1, (size_t)size, f);
        if (got < (size_t)size) {
            data.resize(got);
            if (ferror(f)) {
                reason = strerror(errno);
                ok = false;
            }
        } else {
            int c = fgetc(f);
            if (c != EOF) {
                std::string rest;
                ok = ReadWholeStream(f, rest, reason);
                data += (char)c;
                data += rest;
            }
        }
    } else
        ok = ReadWholeStream(f, data, reason);
    fclose(f);
    return ok;
}

// The portable path helpers with paths at and around the 259/260-byte limit
// of a path buffer. Output buffers are exactly QT_PATH_SIZE bytes.
#include "support/File.h"
#include "tests/fuzz/FuzzCheck.h"

#include <memory>

namespace {

bool IsSeparator(char c)
{
    return c == '\\' || c == '/';
}

std::unique_ptr<char[]> PathBuffer()
{
    std::unique_ptr<char[]> b(new char[QT_PATH_SIZE]);
    std::memset(b.get(), 'x', QT_PATH_SIZE);
    return b;
}

void CheckTerminated(const char* out)
{
    FUZZ_CHECK(strnlen(out, QT_PATH_SIZE) < QT_PATH_SIZE);
}

std::string FileOf(const std::string& path)
{
    size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

void CheckHelpers(const std::string& path)
{
    auto out = PathBuffer();
    LFile::_GetFolderFromPath(out.get(), path.c_str());
    CheckTerminated(out.get());
    // The folder is read from the part that fits a path buffer.
    std::string head = path.substr(0, QT_PATH_SIZE);
    size_t last = 0;
    for (size_t i = 0; i < head.size(); ++i)
        if (IsSeparator(head[i]))
            last = i;
    FUZZ_CHECK(out.get() == head.substr(0, last));

    out = PathBuffer();
    LFile::_GetFileFromPath(out.get(), path.c_str());
    CheckTerminated(out.get());
    const std::string file = FileOf(path).substr(0, QT_PATH_SIZE - 1);
    FUZZ_CHECK(out.get() == file);

    out = PathBuffer();
    LFile::_GetFileTitleFromPath(out.get(), path.c_str());
    CheckTerminated(out.get());
    size_t dot = file.rfind('.');
    FUZZ_CHECK(out.get() == (dot == std::string::npos || dot == 0 ? file : file.substr(0, dot)));
}

void CheckCat(std::string folder, const std::string& name)
{
    folder = folder.substr(0, QT_PATH_SIZE - 1);   // a path buffer holds 259 bytes and the 0
    auto buffer = PathBuffer();
    std::memcpy(buffer.get(), folder.c_str(), folder.size() + 1);
    LFile::FilePathCat(buffer.get(), name.c_str());
    CheckTerminated(buffer.get());
    std::string expected = folder;
    if (folder.size() < QT_PATH_SIZE - 1) {
        if (!folder.empty() && !IsSeparator(folder.back()))
            expected += '\\';
        expected = (expected + name).substr(0, QT_PATH_SIZE - 1);
    }
    FUZZ_CHECK(buffer.get() == expected);
}

// A text of about the given length made of the piece, repeated.
std::string Repeat(const std::string& piece, size_t length)
{
    if (piece.empty())
        return std::string(length, 'a');
    std::string s;
    while (s.size() < length)
        s += piece;
    return s.substr(0, length);
}

} // namespace

// Input: two lengths near the limit, then two texts (to their 0). Each text
// is used as it is and also stretched to the chosen length, so both the odd
// shapes and the lengths around 259/260 are met.
void FuzzPaths(const uint8_t* data, size_t size)
{
    FuzzReader in{data, size};
    const size_t length1 = 250 + in.Byte() % 20;   // 250..269
    const size_t length2 = in.Byte() % 270;
    const std::string a = in.Text(1000);
    const std::string b = in.Rest();

    const std::string longA = Repeat(a, length1);
    for (const std::string* path : {&a, &b, &longA})
        CheckHelpers(*path);
    CheckCat(a, b);
    CheckCat(longA, b);
    CheckCat(Repeat(a, length2), Repeat(b, QT_PATH_SIZE - length2));
    CheckCat(Repeat(a, length1 - 2), b);
}

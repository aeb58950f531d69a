// File helpers shared by the Win32 and end-to-end tests.
#ifndef QT_TESTS_TESTFILES_H
#define QT_TESTS_TESTFILES_H

#include <cstddef>
#include <string>
#include <vector>

namespace testfiles {

using Bytes = std::vector<unsigned char>;

// The whole file; empty when it cannot be opened. Readers and writers of
// other programs may keep it open meanwhile.
Bytes ReadBytes(const std::string& path);
// The same as text; "<missing>" when the file cannot be opened, so that a
// missing file never passes for an empty one.
std::string ReadText(const std::string& path);

// Creates or replaces the file; true when every byte was written.
bool WriteBytes(const std::string& path, const void* data, size_t size);
inline bool WriteBytes(const std::string& path, const Bytes& bytes)
{
    return WriteBytes(path, bytes.data(), bytes.size());
}
inline bool WriteText(const std::string& path, const std::string& text)
{
    return WriteBytes(path, text.data(), text.size());
}

// A path in the temporary folder.
std::string TempPath(const std::string& name);

// A folder of this name in the temporary folder, made anew and empty.
std::string FreshTempFolder(const std::string& name);

bool Exists(const std::string& path);
// Removes the folder with everything below it.
void DeleteTree(const std::string& folder);
// Where a shell link points; "<no link>" when it cannot be read.
std::string LinkTarget(const std::string& linkPath);

} // namespace testfiles

#endif

// A whole setup file, as downloaded: the table at its end is read, checked
// against the file's length and walked the way the installer walks it, and
// target paths are built from texts found in the file.
#include "setup/SetupLayout.h"
#include "support/File.h"
#include "tests/fuzz/FuzzCheck.h"

#include <memory>

namespace {

std::string Upper(std::string s)
{
    for (char& c : s)
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    return s;
}

void CheckTargetPath(const char* installFolder, const SetupFileRow& row, size_t size)
{
    const bool own = !row.folder || Upper(row.folder) == "PROGRAMFILES" || Upper(row.folder) == "DATAFILES";
    FUZZ_CHECK(IsInstallFolderName(row.folder) == own);
    std::string expected = std::string(installFolder) + "\\";
    if (!own)
        expected += std::string(row.folder) + "\\";
    expected += row.fileName;

    std::unique_ptr<char[]> out(new char[size ? size : 1]);
    std::memset(out.get(), 'x', size);
    const bool fits = GetSetupTargetPath(out.get(), size, installFolder, row);
    FUZZ_CHECK(fits == (expected.size() < size));
    if (size)
        FUZZ_CHECK(out.get() == (fits ? expected : std::string()));
}

// The installer's pass over the payload with a table of the given rows: true
// when the table is accepted and the checksum comes out right.
bool Extract(const uint8_t* file, size_t length, int rows, const SetupFileRow* table,
             const char* installFolder)
{
    const uint64_t tail = SetupTailSize(rows);
    if (length < tail)
        return false;
    uint32_t sizes[SETUP_MAX_ROWS];
    uint32_t checksum = 0;
    const uint8_t* table0 = file + length - tail;
    ParseSetupTable(table0, rows, sizes, &checksum);

    // The tail rebuilt from what was read is the tail that is there.
    unsigned char rebuilt[4 * (SETUP_MAX_ROWS + 2)];
    BuildSetupTail(rebuilt, sizes, rows, checksum, ReadU32(file + length - 4));
    FUZZ_CHECK(std::memcmp(rebuilt, table0, size_t(tail)) == 0);

    uint64_t total = 0;
    for (int i = 0; i < rows; ++i)
        total += sizes[i];
    const bool fits = SetupTableFits(length, sizes, rows);
    FUZZ_CHECK(fits == (total <= length - tail));
    if (!fits)
        return false;

    // Sizes that read as negative are skipped; every byte read lies in front
    // of the table.
    uint64_t position = 0;
    uint32_t sum = 0;
    for (int i = 0; i < rows; ++i) {
        const int32_t size = int32_t(sizes[i]);
        if (size <= 0)
            continue;
        if (table[i].fileName)
            CheckTargetPath(installFolder, table[i], QT_PATH_SIZE);
        for (int64_t remaining = size; remaining > 0; remaining -= SETUP_CHUNK_SIZE) {
            const size_t want = remaining < SETUP_CHUNK_SIZE ? size_t(remaining) : size_t(SETUP_CHUNK_SIZE);
            FUZZ_CHECK(position + want <= length - tail);
            checksum = SubtractByteSum(checksum, file + position, want);
            sum = AddByteSum(sum, file + position, want);
            position += want;
        }
    }
    FUZZ_CHECK((checksum == 0) == (sum == ReadU32(table0 + 4 * rows)));
    return checksum == 0;
}

} // namespace

void FuzzSetupLayout(const uint8_t* data, size_t size)
{
    // An exact copy, so that a read past the file is seen.
    std::unique_ptr<uint8_t[]> file(new uint8_t[size ? size : 1]);
    if (size)
        std::memcpy(file.get(), data, size);

    // Texts for the paths: the file's strings after its first two bytes,
    // the install folder first (cut to a path buffer), then the row folders.
    FuzzReader strings{file.get() + (size < 2 ? size : 2), size < 2 ? 0 : size - 2};
    const std::string installFolder = strings.Text(QT_PATH_SIZE - 1);
    std::vector<std::string> names;
    while (strings.left && names.size() < 2 * SETUP_MAX_ROWS)
        names.push_back(strings.Text(400));

    const int realRows = CountSetupRows(g_setupFiles);
    FUZZ_CHECK(realRows >= 1 && realRows <= SETUP_MAX_ROWS);
    Extract(file.get(), size, realRows, g_setupFiles, installFolder.c_str());

    // A table of any length up to the most rows, with folders from the file.
    const int rows = size ? file[size - 1] % (SETUP_MAX_ROWS + 1) : 0;
    std::vector<SetupFileRow> table(rows + 1, SetupFileRow{nullptr, nullptr});
    for (int i = 0; i < rows; ++i) {
        const size_t k = 2 * size_t(i);
        table[i].folder = k < names.size() && !names[k].empty() ? names[k].c_str() : nullptr;
        table[i].fileName = k + 1 < names.size() ? names[k + 1].c_str() : "a.txt";
    }
    FUZZ_CHECK(CountSetupRows(table.data()) == rows);
    Extract(file.get(), size, rows, table.data(), installFolder.c_str());
    if (rows)
        CheckTargetPath(installFolder.c_str(), table[0], size % 300);
}

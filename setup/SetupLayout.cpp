#include "setup/SetupLayout.h"

#include <stdio.h>

// Row 1 becomes the installed program and the uninstaller; row 2 is what the
// help shortcut points at.
const SetupFileRow g_setupFiles[] = {
    { nullptr, "qtally.exe" },
    { nullptr, "app.hlp" },
    { nullptr, "banner.htm" },
    { nullptr, "banner.gif" },
    { nullptr, "qtally-count.exe" },
    { nullptr, nullptr },
};

const char g_setupCorruptCaption[] = "Install Error";
const char g_setupCorruptText[] =
    "Installation file corrupt.\n\nA checksum error was detected in your install file, "
    "please redownload file and install again.";

int CountSetupRows(const SetupFileRow* table)
{
    int rows = 0;
    while (rows < SETUP_MAX_ROWS && table[rows].fileName)
        ++rows;
    return rows;
}

uint32_t ReadU32(const unsigned char* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

void WriteU32(unsigned char* p, uint32_t value)
{
    p[0] = (unsigned char)value;
    p[1] = (unsigned char)(value >> 8);
    p[2] = (unsigned char)(value >> 16);
    p[3] = (unsigned char)(value >> 24);
}

uint32_t AddByteSum(uint32_t sum, const void* data, size_t size)
{
    const unsigned char* p = static_cast<const unsigned char*>(data);
    for (size_t i = 0; i < size; ++i)
        sum += p[i];
    return sum;
}

uint32_t SubtractByteSum(uint32_t sum, const void* data, size_t size)
{
    const unsigned char* p = static_cast<const unsigned char*>(data);
    for (size_t i = 0; i < size; ++i)
        sum -= p[i];
    return sum;
}

void ParseSetupTable(const unsigned char* bytes, int rows, uint32_t* sizes, uint32_t* checksum)
{
    for (int i = 0; i < rows; ++i)
        sizes[i] = ReadU32(bytes + 4 * i);
    *checksum = ReadU32(bytes + 4 * rows);
}

void BuildSetupTail(unsigned char* out, const uint32_t* sizes, int rows,
                    uint32_t checksum, uint32_t trailer)
{
    for (int i = 0; i < rows; ++i)
        WriteU32(out + 4 * i, sizes[i]);
    WriteU32(out + 4 * rows, checksum);
    WriteU32(out + 4 * rows + 4, trailer);
}

bool SetupTableFits(uint64_t fileLength, const uint32_t* sizes, int rows)
{
    uint64_t tail = SetupTailSize(rows);
    if (fileLength < tail)
        return false;
    // 128 sizes below 2^32 cannot overflow 64 bits.
    uint64_t total = 0;
    for (int i = 0; i < rows; ++i)
        total += sizes[i];
    return total <= fileLength - tail;
}

static bool SameTextIgnoringCase(const char* a, const char* b)
{
    for (;; ++a, ++b) {
        char ca = *a, cb = *b;
        if (ca >= 'a' && ca <= 'z') ca = char(ca - 'a' + 'A');
        if (cb >= 'a' && cb <= 'z') cb = char(cb - 'a' + 'A');
        if (ca != cb)
            return false;
        if (!ca)
            return true;
    }
}

bool IsInstallFolderName(const char* folder)
{
    return !folder || SameTextIgnoringCase(folder, "ProgramFiles") ||
           SameTextIgnoringCase(folder, "DataFiles");
}

bool GetSetupTargetPath(char* out, size_t size, const char* installFolder, const SetupFileRow& row)
{
    int length;
    if (IsInstallFolderName(row.folder))
        length = snprintf(out, size, "%s\\%s", installFolder, row.fileName);
    else
        length = snprintf(out, size, "%s\\%s\\%s", installFolder, row.folder, row.fileName);
    if (length < 0 || size_t(length) >= size) {
        if (size)
            out[0] = 0;
        return false;
    }
    return true;
}

static const char* FileNameOf(const char* path)
{
    const char* name = path;
    for (const char* p = path; *p; ++p)
        if (*p == '/' || *p == '\\')
            name = p + 1;
    return name;
}

// Appends one input to out; false with a reason on failure.
static bool CopyPayloadFile(FILE* out, const char* path, uint32_t* size, uint32_t* sum,
                            char* error, size_t errorSize)
{
    FILE* in = fopen(path, "rb");
    if (!in) {
        snprintf(error, errorSize, "cannot read %s", path);
        return false;
    }
    static unsigned char buffer[65536];
    uint64_t length = 0;
    bool ok = true;
    size_t got;
    while ((got = fread(buffer, 1, sizeof buffer, in)) > 0) {
        length += got;
        *sum = AddByteSum(*sum, buffer, got);
        if (fwrite(buffer, 1, got, out) != got) {
            snprintf(error, errorSize, "cannot write the setup file");
            ok = false;
            break;
        }
    }
    if (ok && ferror(in)) {
        snprintf(error, errorSize, "cannot read %s", path);
        ok = false;
    }
    // The installer skips a size that reads as negative: refuse to make one.
    if (ok && length >= 0x80000000u) {
        snprintf(error, errorSize, "%s is 2 GiB or larger", path);
        ok = false;
    }
    fclose(in);
    *size = uint32_t(length);
    return ok;
}

bool WriteSetupFile(const char* outPath, const char* const* inputs, int count,
                    const SetupFileRow* table, char* error, size_t errorSize)
{
    int rows = CountSetupRows(table);
    if (count != rows) {
        snprintf(error, errorSize, "%d payload files given, the file table has %d rows", count, rows);
        return false;
    }
    for (int i = 0; i < rows; ++i) {
        if (!SameTextIgnoringCase(FileNameOf(inputs[i]), table[i].fileName)) {
            snprintf(error, errorSize, "payload file %d is %s, the file table expects %s",
                     i + 1, inputs[i], table[i].fileName);
            return false;
        }
    }
    FILE* out = fopen(outPath, "wb");
    if (!out) {
        snprintf(error, errorSize, "cannot create %s", outPath);
        return false;
    }
    uint32_t sizes[SETUP_MAX_ROWS];
    uint32_t sum = 0;
    bool ok = true;
    for (int i = 0; i < rows && ok; ++i)
        ok = CopyPayloadFile(out, inputs[i], &sizes[i], &sum, error, errorSize);
    if (ok) {
        unsigned char tail[4 * (SETUP_MAX_ROWS + 2)];
        BuildSetupTail(tail, sizes, rows, sum, SETUP_TRAILER_INSTALL);
        size_t tailSize = size_t(SetupTailSize(rows));
        if (fwrite(tail, 1, tailSize, out) != tailSize) {
            snprintf(error, errorSize, "cannot write the setup file");
            ok = false;
        }
    }
    if (fclose(out) != 0 && ok) {
        snprintf(error, errorSize, "cannot write the setup file");
        ok = false;
    }
    if (!ok)
        remove(outPath);
    return ok;
}

// The setup file: payload files back to back from offset 0, then one u32 size
// per file-table row, the byte sum of all payload bytes and the setup trailer
// (all little-endian). Shared by the installer and the mksetup build tool.
#ifndef QT_SETUP_SETUPLAYOUT_H
#define QT_SETUP_SETUPLAYOUT_H

#include <stddef.h>
#include <stdint.h>

enum : uint32_t {
    SETUP_TRAILER_INSTALL = 0x0F0FF0F0u,
    SETUP_TRAILER_REMOVE  = 0xF0F00F0Fu,
    SETUP_TRAILER_PROGRAM = 0u,
};
enum { SETUP_MAX_ROWS = 128, SETUP_CHUNK_SIZE = 4096 };

// Where one payload file goes: folder null, "ProgramFiles" or "DataFiles"
// mean the install folder itself; any other text names a subfolder of it.
struct SetupFileRow {
    const char* folder;
    const char* fileName;
};

// The installed files, ended by a row with a null name. Row 1 is the program.
extern const SetupFileRow g_setupFiles[];
extern const char g_setupCorruptCaption[];
extern const char g_setupCorruptText[];

// Rows before the end row, at most SETUP_MAX_ROWS.
int CountSetupRows(const SetupFileRow* table);

// Bytes at the end of a setup file that are not payload: sizes, sum, trailer.
inline uint64_t SetupTailSize(int rows) { return 4u * (uint64_t(rows) + 2u); }

uint32_t ReadU32(const unsigned char* p);
void WriteU32(unsigned char* p, uint32_t value);

// Adds every byte (0-255) to sum, modulo 2^32.
uint32_t AddByteSum(uint32_t sum, const void* data, size_t size);
// Takes every byte away from sum: a running checksum that must end at 0.
uint32_t SubtractByteSum(uint32_t sum, const void* data, size_t size);

// The tail without the trailer: rows sizes, then the stored checksum.
void ParseSetupTable(const unsigned char* bytes, int rows, uint32_t* sizes, uint32_t* checksum);
// The whole tail: sizes, checksum, trailer; SetupTailSize(rows) bytes.
void BuildSetupTail(unsigned char* out, const uint32_t* sizes, int rows,
                    uint32_t checksum, uint32_t trailer);

// A damaged download must not overwrite an installation: true only when the
// tail fits in the file and the sizes add up to no more than the bytes in
// front of it.
bool SetupTableFits(uint64_t fileLength, const uint32_t* sizes, int rows);

// True when the row's folder means the install folder itself (any case).
bool IsInstallFolderName(const char* folder);
// "%s\%s" (install folder) or "%s\%s\%s" (subfolder) into out; false, and
// out empty, when the path does not fit (a cut path names another file).
bool GetSetupTargetPath(char* out, size_t size, const char* installFolder, const SetupFileRow& row);

// Producer: writes inputs[0..count) back to back, then the
// tail with the install trailer. The inputs must match the table's rows in
// number and file name. False, with a reason in error, on any failure; a
// partly written output is removed.
bool WriteSetupFile(const char* outPath, const char* const* inputs, int count,
                    const SetupFileRow* table, char* error, size_t errorSize);

#endif

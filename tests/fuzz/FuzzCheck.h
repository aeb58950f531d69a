// Fuzz targets: plain check functions that libFuzzer drives and that the
// native tests replay on every kept input. A broken rule aborts, so that
// libFuzzer keeps the input and a replay fails loudly.
#ifndef QT_TESTS_FUZZ_FUZZCHECK_H
#define QT_TESTS_FUZZ_FUZZCHECK_H

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#define FUZZ_CHECK(cond)                                                                     \
    do {                                                                                     \
        if (!(cond)) {                                                                       \
            std::fprintf(stderr, "%s:%d: fuzz check failed: %s\n", __FILE__, __LINE__, #cond); \
            std::abort();                                                                    \
        }                                                                                    \
    } while (0)

void FuzzSetupLayout(const uint8_t* data, size_t size);
void FuzzMeasures(const uint8_t* data, size_t size);
void FuzzNumbers(const uint8_t* data, size_t size);
void FuzzTextOut(const uint8_t* data, size_t size);
void FuzzPaths(const uint8_t* data, size_t size);
void FuzzHelpSource(const uint8_t* data, size_t size);
void FuzzHelpFile(const uint8_t* data, size_t size);
void FuzzEncoding(const uint8_t* data, size_t size);
void FuzzDocuments(const uint8_t* data, size_t size);

struct FuzzTarget {
    const char* name;   // also the folder of its seeds and kept inputs
    void (*check)(const uint8_t*, size_t);
};
// Every target, ended by a null name.
extern const FuzzTarget g_fuzzTargets[];

// Seed inputs of one target, built with the product's own writers.
std::vector<std::vector<uint8_t>> FuzzSeeds(const std::string& target);

// Takes numbers from the front of an input; what is left is the text part.
// Past the end every number reads as 0.
struct FuzzReader {
    const uint8_t* p;
    size_t left;

    uint8_t Byte()
    {
        if (!left)
            return 0;
        --left;
        return *p++;
    }
    uint32_t U32()
    {
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i)
            v |= uint32_t(Byte()) << (8 * i);
        return v;
    }
    uint64_t U64() { return U32() | uint64_t(U32()) << 32; }
    // Up to max bytes, stopping after a 0 byte (which is not kept).
    std::string Text(size_t max)
    {
        std::string s;
        while (left && s.size() < max) {
            uint8_t c = Byte();
            if (!c)
                break;
            s.push_back(char(c));
        }
        return s;
    }
    std::string Rest() { return Text(SIZE_MAX); }
};

// The writer that matches FuzzReader, for seeds.
struct FuzzWriter {
    std::vector<uint8_t> v;
    FuzzWriter& Byte(uint8_t b) { v.push_back(b); return *this; }
    FuzzWriter& U32(uint32_t x)
    {
        for (int i = 0; i < 4; ++i)
            v.push_back(uint8_t(x >> (8 * i)));
        return *this;
    }
    FuzzWriter& U64(uint64_t x) { return U32(uint32_t(x)).U32(uint32_t(x >> 32)); }
    FuzzWriter& Text(const std::string& s, bool terminate = true)
    {
        v.insert(v.end(), s.begin(), s.end());
        if (terminate)
            v.push_back(0);
        return *this;
    }
};

#endif

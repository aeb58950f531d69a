// make_seeds FOLDER: writes every target's seed inputs to FOLDER/<target>/.
#include "tests/fuzz/FuzzCheck.h"

#include <filesystem>
#include <fstream>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_seeds FOLDER\n");
        return 2;
    }
    for (const FuzzTarget* t = g_fuzzTargets; t->name; ++t) {
        const std::filesystem::path folder = std::filesystem::path(argv[1]) / t->name;
        std::filesystem::create_directories(folder);
        int n = 0;
        for (const auto& seed : FuzzSeeds(t->name)) {
            std::ofstream out(folder / ("seed-" + std::to_string(++n)), std::ios::binary | std::ios::trunc);
            out.write(reinterpret_cast<const char*>(seed.data()), std::streamsize(seed.size()));
            if (!out) {
                std::fprintf(stderr, "make_seeds: cannot write %s\n", folder.c_str());
                return 1;
            }
        }
    }
    return 0;
}

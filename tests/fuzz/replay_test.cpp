// Replays every fuzz target's seeds and kept inputs (regressions/<target>/)
// through its check function, without libFuzzer: the plain and sanitizer
// builds see every input that ever found a fault.
#include "tests/fuzz/FuzzCheck.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

namespace fs = std::filesystem;

std::vector<fs::path> KeptInputs(const std::string& target)
{
    std::vector<fs::path> files;
    const fs::path folder = fs::path(QT_SOURCE_DIR) / "tests/fuzz/regressions" / target;
    if (fs::is_directory(folder))
        for (const auto& e : fs::directory_iterator(folder))
            if (e.is_regular_file())
                files.push_back(e.path());
    return files;
}

class FuzzReplay : public ::testing::TestWithParam<FuzzTarget> {};

TEST_P(FuzzReplay, SeedsAndKeptInputsPass)
{
    const FuzzTarget& t = GetParam();
    const auto seeds = FuzzSeeds(t.name);
    EXPECT_GE(seeds.size(), 3u) << "too few seeds for " << t.name;
    for (const auto& seed : seeds)
        t.check(seed.data(), seed.size());
    for (const fs::path& file : KeptInputs(t.name)) {
        // A failed check aborts the whole program: say first what is replayed.
        std::fprintf(stderr, "replaying %s\n", file.c_str());
        std::ifstream in(file, std::ios::binary);
        ASSERT_TRUE(in) << file;
        const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        t.check(bytes.data(), bytes.size());
    }
}

std::vector<FuzzTarget> AllTargets()
{
    std::vector<FuzzTarget> all;
    for (const FuzzTarget* t = g_fuzzTargets; t->name; ++t)
        all.push_back(*t);
    return all;
}

INSTANTIATE_TEST_SUITE_P(Targets, FuzzReplay, ::testing::ValuesIn(AllTargets()),
                         [](const ::testing::TestParamInfo<FuzzTarget>& info) {
                             return std::string(info.param.name);
                         });

} // namespace

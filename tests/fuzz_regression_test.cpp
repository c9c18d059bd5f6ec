// Every input the fuzz targets ever found trouble with (tests/fuzz_regressions/<target>/), run
// again through the same reader and checks, in every build. An input passes when the reader
// keeps its promises and answers quickly.
#include "fuzz_checks.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// Far above what any of these inputs takes now, far below what they took when found.
constexpr double regression_secondsLimit = 2.0;

TEST(FuzzRegressions, EveryFoundInputIsReadQuicklyAndSafely)
{
    const fs::path root = TRELVIK_FUZZ_REGRESSIONS;
    ASSERT_TRUE(fs::is_directory(root)) << root;
    int inputs = 0;
    for (const fs::directory_entry &target : fs::directory_iterator(root)) {
        const FuzzCheck check = fuzz_checkNamed(target.path().filename().c_str());
        ASSERT_NE(check, nullptr) << "no fuzz target named " << target.path().filename();
        for (const fs::directory_entry &input : fs::directory_iterator(target.path())) {
            SCOPED_TRACE(input.path().string());
            std::ifstream file(input.path(), std::ios::binary);
            const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
            const auto start = std::chrono::steady_clock::now();
            check(bytes.data(), bytes.size());
            const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
            EXPECT_LT(took.count(), regression_secondsLimit);
            ++inputs;
        }
    }
    EXPECT_GT(inputs, 0);
}

} // namespace

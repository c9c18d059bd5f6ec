// Diagnostics and allocation: the one-line error format, the fatal form with status 2.
#include "kernel/common.h"

#include <cstdint>
#include <cstdio>
#include <gtest/gtest.h>
#include <new>
#include <unistd.h>
#include <vector>

namespace {

TEST(Error, WritesOnePrefixedLineToStandardErrorAndReturns)
{
    testing::internal::CaptureStderr();
    error("Cannot retreive setting for key: %s", "fullscreen");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Error: Cannot retreive setting for key: fullscreen\n");
}

TEST(ErrorDeathTest, ErrorQuitPrintsTheMessageAndQuittingThenExitsWithStatus2)
{
    EXPECT_EXIT(error_quit("Failed to open level file: %s", "data/level1.map"), testing::ExitedWithCode(2),
                "^Error: Failed to open level file: data/level1.map\nQuitting!\n$");
}

TEST(ErrorDeathTest, ErrorFlushesStandardOutputFirstSoLinesKeepTheirOrder)
{
    // A pipe shows the order in which both streams reached it.
    EXPECT_EXIT(
        {
            std::fflush(stdout);
            dup2(fileno(stderr), fileno(stdout));
            std::printf("banner\n"); // buffered until error flushes it
            error_quit("late");
        },
        testing::ExitedWithCode(2), "^banner\nError: late\nQuitting!\n$");
}

TEST(EmallocDeathTest, AnImpossibleSizeEndsTheProgramWithOutOfMemory)
{
    // The sanitizers refuse such requests themselves; their allocator is told to return null.
    // The sanitizer's allocator says so itself before returning null.
    EXPECT_EXIT(emalloc(SIZE_MAX / 2), testing::ExitedWithCode(2), "Error: Out of Memory\nQuitting!\n$");
}

TEST(EmallocDeathTest, OperatorNewFailsTheSameWay)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer's operator new aborts without calling the new handler";
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
    GTEST_SKIP() << "the address sanitizer's operator new aborts without calling the new handler";
#endif
#endif
    common_installNewHandler();
    EXPECT_EXIT(
        {
            std::vector<char> huge;
            huge.reserve(SIZE_MAX / 4);
        },
        testing::ExitedWithCode(2), "^Error: Out of Memory\nQuitting!\n$");
}

TEST(Emalloc, ReturnsUsableBlocksEvenOfSizeZero)
{
    void *block = emalloc(0);
    ASSERT_NE(block, nullptr);
    free(block);
    char *text = static_cast<char *>(emalloc(16));
    text[15] = 'x';
    free(text);
}

} // namespace

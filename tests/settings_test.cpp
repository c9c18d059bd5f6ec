// The settings file: words, key=value splitting, last occurrence wins, typed getters and their
// messages, and files that are empty, binary or hold over-long words.
#include "kernel/settings.h"

#include "support/test_support.h"

#include <climits>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <utility>

namespace {

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        settings_clear();
        dir = test_tempDir();
    }
    void TearDown() override
    {
        settings_clear();
        std::filesystem::remove_all(dir);
    }

    // Parses text as a settings file; returns what the parse wrote to standard error.
    std::string parse(const std::string &text)
    {
        const std::string path = dir + "/config.ini";
        test_writeFile(path, text);
        testing::internal::CaptureStderr();
        EXPECT_TRUE(settings_parseFile(path.c_str()));
        return testing::internal::GetCapturedStderr();
    }

    std::string value(const char *key)
    {
        testing::internal::CaptureStderr();
        std::string result = settings_getCharSetting(key);
        lastErrors = testing::internal::GetCapturedStderr();
        return result;
    }

    int32_t integer(const char *key)
    {
        testing::internal::CaptureStderr();
        const int32_t result = settings_getIntSetting(key);
        lastErrors = testing::internal::GetCapturedStderr();
        return result;
    }

    bool boolean(const char *key)
    {
        testing::internal::CaptureStderr();
        const bool result = settings_getBoolSetting(key);
        lastErrors = testing::internal::GetCapturedStderr();
        return result;
    }

    std::string dir;
    std::string lastErrors;
};

TEST_F(SettingsTest, WordsAreSeparatedByAnyWhiteSpaceAndLinesDoNotMatter)
{
    parse("screen_width=640 screen_height=480\r\n\tscreen_bpp=24\v\ffullscreen=false");
    EXPECT_EQ(integer("screen_width"), 640);
    EXPECT_EQ(integer("screen_height"), 480);
    EXPECT_EQ(integer("screen_bpp"), 24);
    EXPECT_FALSE(boolean("fullscreen"));
    EXPECT_EQ(lastErrors, "");
}

TEST_F(SettingsTest, TheLastOccurrenceWinsAndKeysAreCaseSensitive)
{
    parse("screen_width=640\nScreen_Width=1\nscreen_width=800\n");
    EXPECT_EQ(integer("screen_width"), 800);
    EXPECT_EQ(integer("Screen_Width"), 1);
    EXPECT_EQ(integer("SCREEN_WIDTH"), 0);
    EXPECT_EQ(lastErrors, "Error: Cannot retreive setting for key: SCREEN_WIDTH\n");
}

TEST_F(SettingsTest, FreeTextAndHashSignsAreJustWordsWithoutAnEqualsSign)
{
    parse("# screen_width=800\n#screen_height=600\nscreen_width = 640\n");
    EXPECT_EQ(integer("screen_width"), 800);
    EXPECT_EQ(value("#screen_height"), "600");
    EXPECT_EQ(value("screen_height"), "");
    EXPECT_EQ(lastErrors, "Error: Cannot retreive setting for key: screen_height\n");
}

TEST_F(SettingsTest, LeadingEqualsSignsAreSkippedAndTheValueKeepsLaterOnes)
{
    parse("=fullscreen=true k==v a=b=c k2= k3 === =x=");
    EXPECT_TRUE(boolean("fullscreen"));
    EXPECT_EQ(value("k"), "=v");
    EXPECT_EQ(value("a"), "b=c");
    EXPECT_EQ(value("k2"), "");
    EXPECT_NE(lastErrors, "");
    EXPECT_EQ(value("k3"), "");
    EXPECT_EQ(value("x"), "");
}

TEST_F(SettingsTest, IntegersFollowStrtolBaseZeroAndSaturateTo32Bits)
{
    parse("hex=0x20 HEX=0X20 oct=020 unit=32bits neg=-17 plus=+5 none=abc big=99999999999 small=-99999999999 "
          "edge=2147483647 bad_octal=09");
    EXPECT_EQ(integer("hex"), 32);
    EXPECT_EQ(integer("HEX"), 32);
    EXPECT_EQ(integer("oct"), 16);
    EXPECT_EQ(integer("unit"), 32);
    EXPECT_EQ(integer("neg"), -17);
    EXPECT_EQ(integer("plus"), 5);
    EXPECT_EQ(integer("none"), 0);
    EXPECT_EQ(lastErrors, "") << "a value without digits is not reported";
    EXPECT_EQ(integer("big"), INT32_MAX);
    EXPECT_EQ(integer("small"), INT32_MIN);
    EXPECT_EQ(integer("edge"), INT32_MAX);
    EXPECT_EQ(integer("bad_octal"), 0);
}

TEST_F(SettingsTest, BooleansCompareOnlyTheirFirstLetters)
{
    parse("a=true b=trueish c=false d=falsehood e=TRUE f=1 g=yes");
    EXPECT_TRUE(boolean("a"));
    EXPECT_TRUE(boolean("b"));
    EXPECT_FALSE(boolean("c"));
    EXPECT_FALSE(boolean("d"));
    EXPECT_EQ(lastErrors, "");
    for (const char *key : {"e", "f", "g"}) {
        EXPECT_FALSE(boolean(key));
        EXPECT_EQ(lastErrors, std::string("Error: Setting is not a bool value: ") + key + "\n");
    }
}

TEST_F(SettingsTest, AMissingBooleanReportsBothTheMissingKeyAndTheBadValue)
{
    parse("");
    EXPECT_FALSE(boolean("fullscreen"));
    EXPECT_EQ(lastErrors, "Error: Cannot retreive setting for key: fullscreen\n"
                          "Error: Setting is not a bool value: fullscreen\n");
}

// The settings added later (vsync, max_fps) are optional: missing, they take their default
// without a word; unreadable, they are reported and keep it.
TEST_F(SettingsTest, OptionalSettingsDefaultSilentlyAndReportABadValueWithOneLine)
{
    parse("vsync=false max_fps=60 on=yes fps=-1 big=1000000000 octal=010\n");
    const auto quietly = [](auto read) {
        testing::internal::CaptureStderr();
        const auto result = read();
        return std::pair{result, testing::internal::GetCapturedStderr()};
    };
    EXPECT_EQ(quietly([] { return settings_getOptionalBool("missing", true); }), std::pair(true, std::string()));
    EXPECT_EQ(quietly([] { return settings_getOptionalCount("missing", 7); }), std::pair(7, std::string()));
    EXPECT_EQ(quietly([] { return settings_getOptionalBool("vsync", true); }), std::pair(false, std::string()));
    EXPECT_EQ(quietly([] { return settings_getOptionalCount("max_fps", 0); }), std::pair(60, std::string()));
    EXPECT_EQ(quietly([] { return settings_getOptionalCount("octal", 0); }), std::pair(10, std::string()))
        << "plain decimal, whatever strtol would make of a leading 0";
    EXPECT_EQ(quietly([] { return settings_getOptionalBool("on", true); }),
              std::pair(true, std::string("Error: Setting on=yes is not true or false; it stays true\n")));
    EXPECT_EQ(quietly([] { return settings_getOptionalCount("fps", 0); }),
              std::pair(0, std::string("Error: Setting fps=-1 is not a whole number from 0 up; it stays 0\n")));
    EXPECT_EQ(quietly([] { return settings_getOptionalCount("big", 0); }).first, 0) << "too big for the game";
}

TEST_F(SettingsTest, EveryGetterSharesOneBufferButAMissingKeyReturnsAConstant)
{
    parse("a=first b=second");
    const char *first = settings_getCharSetting("a");
    const char *second = settings_getCharSetting("b");
    EXPECT_EQ(first, second);
    EXPECT_STREQ(first, "second");
    testing::internal::CaptureStderr();
    const char *missing = settings_getCharSetting("nothing");
    testing::internal::GetCapturedStderr();
    EXPECT_NE(missing, first);
    EXPECT_STREQ(first, "second");
}

TEST_F(SettingsTest, AWordOfExactly127CharactersIsKeptAndALongerOneIsSkippedWithAMessage)
{
    const std::string longest = "k=" + std::string(125, 'v');
    const std::string tooLong = "t=" + std::string(126, 'v');
    const std::string huge = "h=" + std::string(100000, 'v');
    const std::string errors = parse(longest + "\n" + tooLong + "\n" + huge + "\nafter=1\n");
    EXPECT_EQ(value("k"), std::string(125, 'v'));
    EXPECT_EQ(value("t"), "");
    EXPECT_EQ(value("h"), "");
    EXPECT_EQ(integer("after"), 1) << "reading goes on after a skipped word";
    EXPECT_NE(errors.find("word longer than 127 characters skipped: t=vvvv"), std::string::npos) << errors;
    EXPECT_NE(errors.find("skipped: h=vvvv"), std::string::npos) << errors;
}

TEST_F(SettingsTest, BinaryContentIsReadAsWordsWithoutHarm)
{
    std::string bytes;
    for (int i = 0; i < 4096; ++i)
        bytes.push_back(static_cast<char>((i * 131 + 7) % 256));
    bytes += std::string("\nnul=a\0b\n", 9) + "screen_bpp=24\n";
    parse(bytes);
    EXPECT_EQ(value("nul"), "a") << "a NUL byte ends the value as the getter copies it";
    EXPECT_EQ(integer("screen_bpp"), 24);
}

// The checker points at words by line and column; the game only needs the pairs.
TEST(SettingsText, EveryWordIsKeptWithItsPlace)
{
    const SettingsText read = settings_readText("free text\r\n  screen_width=640\tk==v\n\n=\n" +
                                                std::string(128, 'w') + " screen_bpp= fullscreen=true");
    ASSERT_EQ(read.pairs.size(), 3u);
    EXPECT_EQ(read.pairs[0].key, "screen_width");
    EXPECT_EQ(read.pairs[0].value, "640");
    EXPECT_EQ(read.pairs[0].place.line, 2);
    EXPECT_EQ(read.pairs[0].place.column, 3);
    EXPECT_EQ(read.pairs[1].key, "k");
    EXPECT_EQ(read.pairs[1].value, "=v");
    EXPECT_EQ(read.pairs[1].place.column, 20);
    EXPECT_EQ(read.pairs[2].key, "fullscreen");
    EXPECT_EQ(read.pairs[2].place.line, 5);
    EXPECT_EQ(read.pairs[2].place.column, 142);

    ASSERT_EQ(read.longWords.size(), 1u);
    EXPECT_EQ(read.longWords[0].start, std::string(127, 'w'));
    EXPECT_EQ(read.longWords[0].place.line, 5);
    EXPECT_EQ(read.longWords[0].place.column, 1);

    std::vector<std::string> ignored;
    for (const SettingsPair &word : read.ignored)
        ignored.push_back(word.key);
    EXPECT_EQ(ignored, (std::vector<std::string>{"free", "text", "=", "screen_bpp="}));
    EXPECT_EQ(read.ignored[2].place.line, 4);
}

TEST(SettingsText, ValuesReadAsTheGettersReadThem)
{
    EXPECT_EQ(settings_boolValue("trueish"), true);
    EXPECT_EQ(settings_boolValue("falsehood"), false);
    EXPECT_EQ(settings_boolValue("TRUE"), std::nullopt);
    EXPECT_EQ(settings_boolValue(""), std::nullopt);
    EXPECT_EQ(settings_intValue("020"), 16);
    EXPECT_EQ(settings_intValue("0x20"), 32);
    EXPECT_EQ(settings_intValue("32bits"), 32);
    EXPECT_EQ(settings_intValue("wide"), 0);
    EXPECT_EQ(settings_intValue("-99999999999"), INT32_MIN);
}

TEST_F(SettingsTest, AnEmptyFileParsesAndDefinesNothing)
{
    EXPECT_EQ(parse(""), "");
    EXPECT_EQ(integer("screen_width"), 0);
    EXPECT_EQ(lastErrors, "Error: Cannot retreive setting for key: screen_width\n");
}

TEST_F(SettingsTest, AFileThatCannotBeOpenedIsReportedAndFails)
{
    const std::string path = dir + "/missing.ini";
    testing::internal::CaptureStderr();
    EXPECT_FALSE(settings_parseFile(path.c_str()));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Error: Failed to open settings file: " + path + "\n");
    testing::internal::CaptureStderr();
    EXPECT_FALSE(settings_parseFile(dir.c_str())) << "a directory is not a settings file";
    testing::internal::GetCapturedStderr();
}

} // namespace

// The settings store against the real registry, and its typed helpers.
#include <gtest/gtest.h>

#include <string>

#include <windows.h>

#include "support/Settings.h"
#include "tests/common/TestRegistry.h"

namespace {

const char kRoot[] = "Software\\Corvane";
const char kSectionKey[] = "Software\\Corvane\\Quilltally\\StoreTest";
const char kSection[] = "StoreTest";

// Stores raw bytes the way another program might.
void WriteRaw(const char* name, DWORD type, const void* data, DWORD size)
{
    ASSERT_TRUE(testreg::WriteValue(kSectionKey, name, type, data, size));
}

std::string Read(const char* name, const char* defaultText = "<default>")
{
    char out[260];
    memset(out, 'z', sizeof out);
    ReadSetting(kSection, name, defaultText, out);
    return out;
}

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override { RegDeleteTreeA(HKEY_LOCAL_MACHINE, kRoot); }
    void TearDown() override { RegDeleteTreeA(HKEY_LOCAL_MACHINE, kRoot); }
};

TEST_F(SettingsTest, ReadingANeverWrittenSectionGivesTheDefaultAndCreatesNothing)
{
    EXPECT_EQ(Read("CostPerWord", "0.02"), "0.02");
    EXPECT_EQ(ReadSettingInt(kSection, "HotKey", 119), 119);
    EXPECT_TRUE(ReadSettingFlag(kSection, "HotKeyOn", true));
    EXPECT_FALSE(testreg::KeyExists("Software\\Corvane"));
}

TEST_F(SettingsTest, WritingCreatesTheSectionAndEveryKeyAboveIt)
{
    WriteSetting(kSection, "CostPerWord", "0.05");
    EXPECT_TRUE(testreg::KeyExists(kSectionKey));
    EXPECT_EQ(Read("CostPerWord"), "0.05");
    EXPECT_EQ(Read("Missing"), "<default>");

    // Stored as a string with its terminator.
    HKEY h;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSectionKey, 0, KEY_READ, &h), ERROR_SUCCESS);
    DWORD type = 0, size = 0;
    EXPECT_EQ(RegQueryValueExA(h, "CostPerWord", 0, &type, 0, &size), ERROR_SUCCESS);
    RegCloseKey(h);
    EXPECT_EQ(type, DWORD(REG_SZ));
    EXPECT_EQ(size, 5u);
}

TEST_F(SettingsTest, TextsComeBackExactlyAsStoredWithinTheBuffer)
{
    const std::string cases[] = {"", "abc", "  1,5 ", "-0.5e2x", std::string(259, 'w')};
    for (const std::string& text : cases) {
        WriteSetting(kSection, "Text", text.c_str());
        EXPECT_EQ(Read("Text"), text);   // an empty text is not the default
    }
    WriteSetting(kSection, "Text", std::string(260, 'l').c_str());
    EXPECT_EQ(Read("Text"), "<default>");
}

TEST_F(SettingsTest, ForeignValuesWithoutTerminatorAreReadSafely)
{
    WriteRaw("Short", REG_SZ, "abc", 3);
    EXPECT_EQ(Read("Short"), "abc");
    std::string full(260, 'x');
    WriteRaw("Full", REG_SZ, full.data(), 260);
    EXPECT_EQ(Read("Full"), "<default>");
    WriteRaw("Binary", REG_BINARY, "\x31\x32", 2);
    EXPECT_EQ(Read("Binary"), "12");   // the value's type is not checked
}

TEST_F(SettingsTest, IntegersAndFlagsAreStoredAsText)
{
    WriteSettingInt(kSection, "Int", -123);
    EXPECT_EQ(Read("Int"), "-123");
    EXPECT_EQ(ReadSettingInt(kSection, "Int", 7), -123);
    WriteSettingFlag(kSection, "On", true);
    WriteSettingFlag(kSection, "Off", false);
    EXPECT_EQ(Read("On"), "1");
    EXPECT_EQ(Read("Off"), "0");
    EXPECT_TRUE(ReadSettingFlag(kSection, "On", false));
    EXPECT_FALSE(ReadSettingFlag(kSection, "Off", true));
}

TEST_F(SettingsTest, TypedReadsOfStoredTexts)
{
    struct Case {
        const char* stored;   // nullptr: value missing
        int integer;          // read with default 42
        bool flagFromTrue;    // read with default on
        bool flagFromFalse;   // read with default off
    };
    const Case cases[] = {
        {nullptr, 42, true, false},
        {"", 42, true, false},
        {"abc", 0, true, true},
        {"  12x", 12, true, true},
        {"-5", -5, true, true},
        {"no", 0, true, true},
        {"0", 0, false, false},
        {"00", 0, false, false},
        {"0ff", 0, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored ? c.stored : "(missing)");
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, kRoot);
        if (c.stored)
            WriteSetting(kSection, "Value", c.stored);
        EXPECT_EQ(ReadSettingInt(kSection, "Value", 42), c.integer);
        EXPECT_EQ(ReadSettingFlag(kSection, "Value", true), c.flagFromTrue);
        EXPECT_EQ(ReadSettingFlag(kSection, "Value", false), c.flagFromFalse);
    }
}

} // namespace

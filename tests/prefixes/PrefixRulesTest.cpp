#include "prefixes/PrefixRules.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using Rules = CPrefixRules;

std::string Times(int count, const std::string& text)
{
    std::string repeated;
    for (int i = 0; i < count; ++i)
        repeated += text;
    return repeated;
}

} // namespace

// Judged on the characters the registry sees, in the code page given: a
// key name (not empty, no backslash, at most 255 characters) that the user
// can type before a query (no blank or control character).
TEST(PrefixRules, ANewPrefixIsAKeyNameWithoutBlanks)
{
    const struct {
        std::string text;
        UINT codePage;
        Rules::Verdict verdict;
    } cases[] = {
        {"GOOGLE", 1252, Rules::kPrefix},
        {"", 1252, Rules::kEmpty},
        {"A\\B", 1252, Rules::kBackslash},
        // In 932, 0x95 0x5C is one character whose trail byte has the value
        // of a backslash; 255 of them are 510 bytes.
        {"\x95\x5C", 932, Rules::kPrefix},
        {Times(255, "\x95\x5C"), 932, Rules::kPrefix},
        {Times(255, "\x95\x5C") + "A", 932, Rules::kTooLong},
        {Times(255, "Ж"), CP_UTF8, Rules::kPrefix},
        {Times(256, "Ж"), CP_UTF8, Rules::kTooLong},
        {"TWO WORDS", 1252, Rules::kBlank},
        {"TAB\t", 1252, Rules::kBlank},
        {"BELL\a", 1252, Rules::kBlank},
        {"NO\xC2\xA0" "BREAK", CP_UTF8, Rules::kBlank},
        {"LINE\xE2\x80\xA8SEPARATOR", CP_UTF8, Rules::kBlank},
        {"NEXT\xC2\x85LINE", CP_UTF8, Rules::kBlank},
        {"ÄRGER-2.0_ß", CP_UTF8, Rules::kPrefix},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Rules::Judge(c.text.c_str(), c.codePage), c.verdict) << c.text;
    EXPECT_EQ(Rules::Judge(nullptr), Rules::kEmpty);
}

// A row asked for is upper-cased and needs a URL; a prefix the table holds
// already is not new, so a name another program stored that could not be
// made now keeps working. A stored name, set aside, is still a key name.
TEST(PrefixRules, ARowNeedsAUrlAndOnlyANewPrefixIsJudged)
{
    const struct {
        const char *typed, *url;
        bool held;
        Rules::Verdict verdict;
        const char* prefix;
    } cases[] = {
        {"google", "http://g/%s", false, Rules::kPrefix, "GOOGLE"},
        {"news", "", true, Rules::kEmptyUrl, "NEWS"},
        {"two words", "http://t/%s", false, Rules::kBlank, "TWO WORDS"},
        {"two words", "http://t/%s", true, Rules::kPrefix, "TWO WORDS"},
        {"a\\b", "", false, Rules::kBackslash, "A\\B"},
    };
    for (const auto& c : cases) {
        CString prefix;
        auto holds = [&](const CString& name) { return c.held && name == c.prefix; };
        EXPECT_EQ(Rules::MakeRow(c.typed, c.url, holds, prefix), c.verdict) << c.typed;
        EXPECT_STREQ(prefix, c.prefix);
    }
    EXPECT_TRUE(Rules::IsKeyName("~TWO WORDS"));
    EXPECT_FALSE(Rules::IsKeyName(Times(256, "L").c_str()));
}

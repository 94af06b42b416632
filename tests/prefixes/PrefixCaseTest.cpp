#include "prefixes/PrefixCase.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Upper(const char* text, UINT codePage)
{
    return static_cast<const char*>(UpperCasePrefix(text, codePage));
}

} // namespace

TEST(PrefixCase, WesternLettersBecomeTheirCapitalsIn1252)
{
    EXPECT_EQ(Upper("google moon", 1252), "GOOGLE MOON");
    // é ü ÿ become É Ü Ÿ (0x9F); digits, punctuation and capitals stay.
    EXPECT_EQ(Upper("\xE9\xFC\xFF", 1252), "\xC9\xDC\x9F");
    EXPECT_EQ(Upper("A1-_.%\xC9", 1252), "A1-_.%\xC9");
}

TEST(PrefixCase, LettersWithoutACapitalOfTheSameSizeStay)
{
    // ß has no single capital, µ's capital (Greek Mu) is not in 1252.
    EXPECT_EQ(Upper("\xDF\xB5x", 1252), "\xDF\xB5X");
}

TEST(PrefixCase, DoubleByteCharactersAreMappedAsOneIn932)
{
    // Full-width a (0x82 0x81) becomes full-width A (0x82 0x60).
    EXPECT_EQ(Upper("a\x82\x81z", 932), "A\x82\x60Z");
    // A trail byte that looks like a lower-case letter is not one.
    EXPECT_EQ(Upper("\x83\x61", 932), "\x83\x61");
    // A lead byte with no trail byte stays as it is.
    EXPECT_EQ(Upper("b\x82", 932), "B\x82");
}

TEST(PrefixCase, LettersOfEveryScriptBecomeTheirCapitalsInUtf8)
{
    EXPECT_EQ(Upper("поиск é ü ß 検索", CP_UTF8), "ПОИСК É Ü ß 検索");
    EXPECT_EQ(Upper("ı", CP_UTF8), "ı");  // its capital, I, is one byte shorter
    // A broken sequence stays as it is, and the letters after it do not.
    EXPECT_EQ(Upper("\xC3" "a\xE6\x97", CP_UTF8), "\xC3" "A\xE6\x97");
}

TEST(PrefixCase, WithoutTheCodePagesTablesOnlyAToZAreMapped)
{
    const UINT unknownCodePage = 4242;
    EXPECT_EQ(Upper("az\xE9", unknownCodePage), "AZ\xE9");
}

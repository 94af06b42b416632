#include "text/String.h"
#include "text/StringArray.h"

#include "res/resource.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(String, CopiesShareTheirTextUntilOneIsWritten)
{
    CString original("shared");
    CString copy = original;
    EXPECT_EQ(static_cast<const char*>(copy), static_cast<const char*>(original));

    char* buffer = copy.GetBuffer(10);
    std::strcpy(buffer, "written");
    copy.ReleaseBuffer();
    EXPECT_EQ(copy, "written");
    EXPECT_EQ(original, "shared");
    EXPECT_NE(static_cast<const char*>(copy), static_cast<const char*>(original));
}

TEST(String, ReleaseBufferTakesTheGivenLengthOrStopsAtTheZero)
{
    CString text;
    std::strcpy(text.GetBuffer(8), "abc");
    text.ReleaseBuffer();
    EXPECT_EQ(text.GetLength(), 3);
    std::memcpy(text.GetBuffer(8), "wxyz", 4);
    text.ReleaseBuffer(2);
    EXPECT_EQ(text, "wx");
}

TEST(String, ComparesExactlyAndTheEmptyStringIsNotNull)
{
    CString empty;
    EXPECT_STREQ(static_cast<const char*>(empty), "");
    EXPECT_TRUE(empty.IsEmpty());
    EXPECT_TRUE(CString("") == empty);
    EXPECT_TRUE(CString("Google") != "GOOGLE");
    EXPECT_TRUE("abc" == CString("abc"));
    EXPECT_TRUE(CString("abc", 2) == "ab");
}

TEST(StringArray, KeepsItsItemsInOrder)
{
    CStringArray items;
    items.SetSize(0, 100);
    for (int i = 0; i < 250; ++i)
        EXPECT_EQ(items.Add(CString(std::to_string(i).c_str())), i);
    EXPECT_EQ(items.GetSize(), 250);
    EXPECT_EQ(items[0], "0");
    EXPECT_EQ(items.GetAt(249), "249");
    items.RemoveAll();
    EXPECT_EQ(items.GetSize(), 0);
}

// Texts of the program's string table: whole, and with %1 and %2 filled in
// once (an insert's own % signs stay), other % signs left as they are.
TEST(String, LoadsAndFillsInTheProgramsTexts)
{
    CString text;
    EXPECT_TRUE(text.LoadString(IDS_DESCRIPTION_URL));
    EXPECT_NE(std::string(text).find("%s will be replaced"), std::string::npos);
    AfxFormatString2(text, IDS_AND_MORE, "A, %2", "3");
    EXPECT_STREQ(text, "A, %2 and 3 more");
    AfxFormatString1(text, IDS_KEPT, "%1");
    EXPECT_STREQ(text, LoadText(IDS_KEPT));
    AfxFormatString1(text, IDS_IMPORTED, "");
    EXPECT_STREQ(text, "Imported .");
    EXPECT_EQ(FormattedText(IDS_AND_MORE, "A"), "A and %2 more");
    EXPECT_EQ(Counted(1, IDS_PREFIXES_ONE, IDS_PREFIXES_MANY), "1 prefix");
    EXPECT_EQ(Counted(0, IDS_PREFIXES_ONE, IDS_PREFIXES_MANY), "0 prefixes");
    EXPECT_FALSE(text.LoadString(9999));
    EXPECT_TRUE(text.IsEmpty());
}

#include "registry/ProcessCodePage.h"

#include "tests/support/SearchUrlKey.h"

#include <gtest/gtest.h>

#include <string>

// ASCII is converted without the system; every code page must still give
// what the system gives, and a NUL within a wide text must still end the
// narrow one short, so that it is not taken for exact.
TEST(ProcessCodePage, ConversionsGiveWhatTheSystemGives)
{
    std::string ascii;
    for (int c = 1; c < 0x80; ++c)
        ascii += static_cast<char>(c);
    const std::string texts[] = {ascii, "caf\xE9", "\x83\x5C", "a\xC3\xA9"};  // 1252, 932 and UTF-8 bytes
    for (UINT codePage : {UINT(CP_ACP), UINT(CP_UTF8), 1252u, 932u}) {
        for (const std::string& text : texts) {
            std::wstring wide = Convert(codePage, text.c_str());
            EXPECT_EQ(Tessaly::Widen(text.c_str(), codePage), wide) << codePage << " " << text;
            std::string narrow;
            EXPECT_TRUE(Tessaly::NarrowExactly(wide, narrow, codePage)) << codePage << " " << text;
            EXPECT_EQ(Tessaly::Widen(narrow.c_str(), codePage), wide) << codePage << " " << text;
            EXPECT_EQ(Tessaly::Narrow(wide, codePage), narrow) << codePage << " " << text;
        }
        std::string narrow = "kept";
        EXPECT_FALSE(Tessaly::NarrowExactly(std::wstring(L"a\0b", 3), narrow, codePage)) << codePage;
        EXPECT_EQ(narrow, "kept");
    }
}

#include "registry/IgnoringCase.h"

#include "tests/support/ScratchRegistry.h"
#include "tests/support/SearchUrlKey.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

using NameCase = RegistryTest;

// Whether the registry opens `name` as the key just made as `made`.
bool RegistryTakesForOne(const std::wstring& made, const std::wstring& name)
{
    CreateTestKey(Utf8(made).c_str());
    HKEY key = nullptr;
    const bool opened = ::RegOpenKeyExW(HKEY_CURRENT_USER, name.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS;
    if (opened)
        ::RegCloseKey(key);
    ::RegDeleteKeyW(HKEY_CURRENT_USER, made.c_str());
    return opened;
}

} // namespace

// The rule is the registry's: two names are one exactly where it opens the
// one as the other, and then neither orders before the other.
TEST_F(NameCase, NamesAreOneWhereTheRegistryTakesThemForOneKey)
{
    const std::pair<std::wstring, std::wstring> pairs[] = {
        {L"search", L"SEARCH"}, {L"\xE9t\xFF", L"\xC9T\x178"}, {L"ab", L"abc"},
        {L"\x131", L"I"}, {L"\x3C2", L"\x3A3"},  // dotless i, final sigma
        {L"\xD801\xDC28", L"\xD801\xDC00"},      // a Deseret letter and its capital, compared unit by unit
    };
    const Tessaly::IgnoringCase less;
    for (const auto& [left, right] : pairs) {
        const bool one = RegistryTakesForOne(left, right);
        EXPECT_EQ(Tessaly::EqualIgnoringCase(left, right), one) << Utf8(left) << " " << Utf8(right);
        EXPECT_EQ(less(left, right) || less(right, left), !one) << Utf8(left) << " " << Utf8(right);
    }
}

// ASCII names are compared without the system; the order must still be its
// own for every pair of ASCII units ([ \ ] ^ _ ` lie between the two cases)
// and where one name begins the other.
TEST(NameOrder, AsciiNamesSortAsTheSystemSortsThem)
{
    std::vector<std::wstring> names = {L"", L"ab", L"aB_", L"A\x00E9", L"a\x0131"};
    for (wchar_t c = 0; c < 0x80; ++c)
        names.push_back(std::wstring(1, c));
    auto sign = [](int value) { return (value > 0) - (value < 0); };
    for (const std::wstring& left : names) {
        for (const std::wstring& right : names) {
            int system = ::CompareStringOrdinal(left.c_str(), static_cast<int>(left.size()), right.c_str(),
                                                static_cast<int>(right.size()), TRUE) - CSTR_EQUAL;
            EXPECT_EQ(sign(Tessaly::CompareIgnoringCase(left.c_str(), left.size(), right.c_str(), right.size())),
                      system)
                << Utf8(left) << " " << Utf8(right);
        }
    }
}

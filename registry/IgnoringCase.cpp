#include "registry/IgnoringCase.h"

#include "registry/ProcessCodePage.h"

#include <algorithm>

#include <windows.h>

namespace Tessaly {

namespace {

// ASCII names, most of them, compared without a call: the system's upper
// case of an ASCII letter is its capital, and of no other character an
// ASCII one that these two could hold.
bool CompareAscii(const wchar_t* left, size_t leftLength, const wchar_t* right, size_t rightLength,
                  int& result)
{
    auto upper = [](wchar_t c) { return c >= L'a' && c <= L'z' ? c - L'a' + L'A' : c; };
    size_t common = std::min(leftLength, rightLength);
    for (size_t i = 0; i < common; ++i) {
        if (left[i] >= 0x80 || right[i] >= 0x80)
            return false;
        wchar_t a = upper(left[i]), b = upper(right[i]);
        if (a != b) {
            result = a < b ? -1 : 1;
            return true;
        }
    }
    result = leftLength < rightLength ? -1 : leftLength > rightLength ? 1 : 0;
    return true;
}

} // namespace

int CompareIgnoringCase(const wchar_t* left, size_t leftLength, const wchar_t* right, size_t rightLength)
{
    int ascii = 0;
    if (CompareAscii(left, leftLength, right, rightLength, ascii))
        return ascii;
    int result = ::CompareStringOrdinal(left, static_cast<int>(leftLength), right,
                                        static_cast<int>(rightLength), TRUE);
    // A failed comparison is neither less nor equal.
    return result == CSTR_LESS_THAN ? -1 : result == CSTR_EQUAL ? 0 : 1;
}

bool EqualIgnoringCase(const std::wstring& left, const std::wstring& right)
{
    return CompareIgnoringCase(left.c_str(), left.size(), right.c_str(), right.size()) == 0;
}

bool EqualIgnoringCase(const char* left, const char* right)
{
    return EqualIgnoringCase(Widen(left), Widen(right));
}

bool StartsWithIgnoringCase(const std::wstring& text, const std::wstring& start)
{
    return start.size() <= text.size() &&
           CompareIgnoringCase(text.c_str(), start.size(), start.c_str(), start.size()) == 0;
}

bool IgnoringCase::operator()(const std::wstring& left, const std::wstring& right) const
{
    return CompareIgnoringCase(left.c_str(), left.size(), right.c_str(), right.size()) < 0;
}

} // namespace Tessaly

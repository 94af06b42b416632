#include "registry/IgnoringCase.h"

#include "registry/ProcessCodePage.h"

#include <windows.h>

namespace Tessaly {

int CompareIgnoringCase(const wchar_t* left, size_t leftLength, const wchar_t* right, size_t rightLength)
{
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

#pragma once

#include <string>

namespace Tessaly {

// Names told apart as the registry tells them apart: ordinally, without
// regard to case, one UTF-16 unit at a time in the system's own upper case,
// whatever the user's language (CompareStringOrdinal's case-blind rule).
// Narrow texts are taken as the registry's narrow functions widen them.

// Less than, equal to or greater than 0 as `left` sorts before, with or
// after `right`.
int CompareIgnoringCase(const wchar_t* left, size_t leftLength, const wchar_t* right, size_t rightLength);
bool EqualIgnoringCase(const std::wstring& left, const std::wstring& right);
bool EqualIgnoringCase(const char* left, const char* right);
bool StartsWithIgnoringCase(const std::wstring& text, const std::wstring& start);

// The order, for maps and sets of names.
struct IgnoringCase {
    bool operator()(const std::wstring& left, const std::wstring& right) const;
};

} // namespace Tessaly

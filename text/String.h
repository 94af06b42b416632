#pragma once

#include "registry/ProcessCodePage.h"

#include <algorithm>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <windows.h>

// A narrow, zero-terminated string whose copies share one buffer until one
// of them is written (copy on write). Comparisons are exact, byte by byte.
class CString {
public:
    CString() = default;
    CString(const char* text);  // NOLINT: converts implicitly, as callers expect
    CString(const char* text, int length);

    int GetLength() const { return m_data ? static_cast<int>(m_data->size()) : 0; }
    bool IsEmpty() const { return GetLength() == 0; }

    operator const char*() const { return m_data ? m_data->c_str() : ""; }

    // The string resource `id` of the program, in the language Windows picks
    // for the user, in the process code page; false, leaving this string
    // empty, when there is none.
    bool LoadString(UINT id);

    // Room for at least `minLength` characters plus a zero, owned by this
    // string alone; ReleaseBuffer takes the length (up to the first zero when
    // not given).
    char* GetBuffer(int minLength);
    void ReleaseBuffer(int newLength = -1);

private:
    void MakeUnique();

    std::shared_ptr<std::string> m_data;  // null for the empty string
};

bool operator==(const CString& left, const CString& right);
bool operator==(const CString& left, const char* right);
bool operator==(const char* left, const CString& right);
inline bool operator!=(const CString& left, const CString& right) { return !(left == right); }
inline bool operator!=(const CString& left, const char* right) { return !(left == right); }
inline bool operator!=(const char* left, const CString& right) { return !(left == right); }

// The string resource `id`, as CString::LoadString loads it; empty when
// there is none.
CString LoadText(UINT id);

// The string resource `id` with its %1 (and %2) replaced by the texts given,
// in the manner of MFC: words and their order are the translation's.
void AfxFormatString1(CString& text, UINT id, const char* insert1);
void AfxFormatString2(CString& text, UINT id, const char* insert1, const char* insert2);
// The same, returned: with %2 filled in too when `insert2` is given.
std::string FormattedText(UINT id, const char* insert1, const char* insert2 = nullptr);

// A count with its noun ("1 prefix", "2 prefixes"): the string `one` for 1,
// otherwise `many` with the number for its %1.
std::string Counted(int count, UINT one, UINT many);

// A message written for a box, its lines joined by single spaces, as a
// console prints it; and the system's text for an error, on one line and
// without its full stop, to end a sentence of the program's.
std::string OneLine(const std::string& text);
std::string SystemErrorText(DWORD error);

// Control characters written as a JSON string writes them (\n, \u001b),
// and the line and paragraph separators too: text for a console, where
// they would move the cursor, colour the screen or fake another line.
std::wstring ControlsEscaped(const std::wstring& text);
// A name or URL for a message, in the process code page.
std::string ControlsEscaped(const char* text);

// The order of a sorted list view, which compares texts as lstrcmpW does:
// less than, equal to or greater than 0.
int CompareInListOrder(const std::wstring& left, const std::wstring& right);
// The items in that order by the text `nameOf` gives each (in the process
// code page); items that compare equal keep their order.
template <class Item, class NameOf>
void SortInListOrder(std::vector<Item>& items, NameOf nameOf)
{
    std::vector<std::pair<std::wstring, size_t>> keys;
    keys.reserve(items.size());
    for (size_t i = 0; i < items.size(); ++i)
        keys.push_back({Tessaly::Widen(nameOf(items[i])), i});
    std::stable_sort(keys.begin(), keys.end(),
                     [](const auto& left, const auto& right) { return CompareInListOrder(left.first, right.first) < 0; });
    std::vector<Item> sorted;
    sorted.reserve(items.size());
    for (const auto& key : keys)
        sorted.push_back(std::move(items[key.second]));
    items.swap(sorted);
}

#pragma once

#include "exchange/Shortcut.h"

#include <string>
#include <vector>

// The reading side of the Registry Editor's .reg files: which sections are
// search prefixes, and their URLs, out of either of its formats; and the
// site searches of Chrome's and Firefox's policies, as prefixes.
class CRegFileParser {
public:
    static const wchar_t kVersion5[];  // the header of the current format
    static const wchar_t kVersion4[];  // of the older one, REGEDIT4, in ANSI
    static const wchar_t kCurrentUser[];
    static const std::wstring& SearchUrlPath();

    // Takes the prefixes from a file's text, the policies' after the key's,
    // counting in `skipped` what is no search prefix: other keys, deletions,
    // prefixes without a text URL or with a name the process cannot hold,
    // policy entries that can be no prefix, and lines that mean nothing.
    // False, with nothing taken, when the text has neither header.
    static bool Parse(const std::wstring& text, std::vector<CShortcut>& entries, int& skipped);
};

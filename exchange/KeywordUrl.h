#pragma once

#include "exchange/FoundShortcuts.h"

#include <string>

// The browsers' ways of marking the query in a search URL, turned into the
// %s that the address bar fills in. Each answers true with `url` rewritten,
// or false with the reason the URL cannot serve. Both take time in
// proportion to the URL, whatever it holds.
class CKeywordUrl {
public:
    // Chromium's template parameters: {searchTerms} is the query, as is
    // {google:unescapedSearchTerms} (Chromium's own for a %S it imported),
    // and only the Google parameters with a fixed meaning outside the
    // browser stay.
    static bool FromChromium(std::wstring& url, CFoundShortcuts::Reason& reason);
    // Firefox's %s, and %S, the query as typed.
    static bool FromFirefox(std::wstring& url, CFoundShortcuts::Reason& reason);
};

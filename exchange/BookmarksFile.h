#pragma once

#include "exchange/Shortcut.h"

#include <string>
#include <vector>

#include <windows.h>

// Search prefixes as keyword bookmarks in the Netscape bookmarks file that
// every browser exports and Chrome, Edge and Firefox import through their
// bookmarks import: a bookmark's SHORTCUTURL is its keyword, and a %s in
// its address takes the query. Chromium makes each such bookmark a site
// search; a browser skips a keyword it already has. Plain entries in and
// out, texts in the process code page.
class CBookmarksFile {
public:
    // Whether an entry is in, or why it is left out: a file read back, here
    // or by a browser, gives exactly the entries added.
    enum Reason {
        kAdded,
        kNotTypable,     // a keyword no one can type: white space, a control character, nothing
        kNoQuery,        // no %s for the search terms
        kNotWebAddress,  // not http or https, which a keyword opens only
        kFolded,         // its keyword, in lower case as browsers keep keywords, is another prefix's
    };

    Reason Add(const char* prefix, const char* url);
    const std::vector<CShortcut>& GetEntries() const { return m_entries; }
    // Bookmarks read that are no keyword search: without a keyword, sent by
    // POST, without %s, not http or https, or with text the process cannot
    // hold.
    int GetSkippedCount() const { return m_skipped; }

    // UTF-8, one folder "Search prefixes" with one bookmark per entry, its
    // keyword in lower case as Firefox keeps keywords.
    std::string Format() const;
    // False, with nothing taken, when the bytes are no bookmarks file.
    bool Parse(const std::string& bytes);
    // Whether the bytes start as a bookmarks file does.
    static bool IsBookmarksFile(const std::string& bytes);

    DWORD Save(const char* path) const;

private:
    std::vector<CShortcut> m_entries;
    int m_skipped = 0;
};

#pragma once

#include "exchange/Shortcut.h"

#include <map>
#include <string>
#include <utility>
#include <vector>

// The site searches of browsers' enterprise policies, as prefixes: Chrome's
// SiteSearchSettings and Firefox's SearchEngines, from the JSON files an
// administrator deploys or from .reg sections, and the prefix list in JSON
// that the program itself writes. A policy's shortcut or alias is the
// prefix and {searchTerms} the %s. What cannot be a prefix (no word, sent
// by POST, a parameter only the browser fills in, text the process code page
// cannot hold) is counted. Of a JSON text only the way down to the entries
// and one entry at a time are held, whatever else it holds.
class CPolicyReader {
public:
    // A JSON file, UTF-8 or UTF-16LE with a byte-order mark: false when it
    // is no JSON, or holds none of those lists.
    bool ParseJson(const std::string& bytes);

    // A .reg file's section opening the key `path` below `hive`, or deleting
    // it: whether the key is a policy's that this reads. The string values
    // that follow, up to the next section, go to Value.
    bool Key(const std::wstring& hive, const std::wstring& path, bool deleted);
    void Value(const std::wstring& name, const std::wstring& text);

    // The entries in the order met, Firefox's numbered keys after them, the
    // machine's and then the user's, in their numbers' order; and the count
    // of what was no prefix.
    void Finish(std::vector<CShortcut>& entries, int& skipped);

private:
    class JsonEntries;
    // What a list's entries are.
    enum Kind { kNone, kPrefixList, kChrome, kFirefox };
    // One entry's texts, UTF-8: the word typed, the URL and, for Firefox,
    // the method.
    struct Fields {
        std::string word, url, method;
    };

    bool ParseJson(const std::string& utf8, Kind rootList);
    void Take(Kind kind, const Fields& fields);

    std::vector<CShortcut> m_entries;
    int m_skipped = 0;
    // The .reg section being read: Chrome's key, or a Firefox engine's.
    Kind m_section = kNone;
    Fields* m_engine = nullptr;
    std::map<std::pair<int, unsigned long>, Fields> m_engines;  // by hive and number
};

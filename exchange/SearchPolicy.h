#pragma once

#include <set>
#include <string>
#include <vector>

// The prefixes as the entries of a browser's enterprise policy for site
// searches, each checked as that browser checks it: the word typed before
// the query in lower case, as browsers match it, and the URL with
// {searchTerms} for each %s. Texts in the process code page in, UTF-8 out.
class CSearchPolicy {
public:
    // Whether an entry is in, or why it is left out (the caller names it).
    enum Reason {
        kAdded,
        kSpace,          // white space or a control character, or nothing: no one types it
        kAtSign,         // starting with '@', which the browser keeps for its own
        kNoQuery,        // no %s, so no {searchTerms} for the browser to fill
        kNotWebAddress,  // not http or https: the browser opens no other
        kDuplicate,      // an earlier entry has the word, in lower case
        kTooMany,        // beyond the most the browser takes
    };

    struct Entry {
        std::string prefix, shortcut, url;  // UTF-8; the prefix as given
    };

    Reason Add(const char* prefix, const char* url);
    const std::vector<Entry>& Entries() const { return m_entries; }

protected:
    CSearchPolicy(bool atSignReserved, size_t maxEntries);

private:
    const bool m_atSignReserved;
    const size_t m_maxEntries;
    std::vector<Entry> m_entries;
    std::set<std::string> m_shortcuts;
};

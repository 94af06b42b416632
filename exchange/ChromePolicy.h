#pragma once

#include <string>
#include <vector>

#include <windows.h>

// Search prefixes as Chrome's SiteSearchSettings policy (Chrome 128 and
// later), for an administrator to give every user of a machine or a domain
// the same site searches: a .reg file for Windows, or the JSON that Chrome
// reads from its managed policy folder on Linux and that
// device-management tools take. Texts in the process code page.
class CChromePolicy {
public:
    // The most entries Chrome takes.
    static const size_t kMaxEntries = 100;

    // Whether an entry is in, or why it is left out (the caller names it).
    enum Reason {
        kAdded,
        kSpace,      // white space or a control character, or nothing: no one types it
        kAtSign,     // starting with '@', which Chrome keeps for its own
        kNoQuery,    // no %s, so no {searchTerms} for Chrome to fill
        kNotWebAddress,  // not http or https: Chrome opens no other
        kDuplicate,  // an earlier entry has the shortcut, in lower case
        kTooMany,    // beyond kMaxEntries
    };

    // Without the override, users can neither edit nor turn off the entries.
    explicit CChromePolicy(bool allowUserOverride = true);

    // The prefix as an entry: "name" as given, "shortcut" in lower case,
    // each %s of the URL as {searchTerms}.
    Reason Add(const char* prefix, const char* url);

    // As the Registry Editor writes it: UTF-16LE with a byte-order mark, the
    // list as compact JSON in one value of Chrome's machine policy key.
    std::string FormatReg() const;
    // UTF-8 without a byte-order mark, indented: {"SiteSearchSettings": [...]}.
    std::string FormatJson() const;

    // A name ending in .json takes the JSON, any other the .reg file.
    std::string Format(const char* path) const;
    // The file is replaced whole or left as it was. 0 or the error.
    DWORD Save(const char* path) const;

private:
    struct Entry {
        std::string name, shortcut, url;  // UTF-8
    };

    std::string Dump(bool policyObject) const;

    bool m_allowUserOverride;
    std::vector<Entry> m_entries;
};

#pragma once

#include "exchange/SearchPolicy.h"

#include <string>

#include <windows.h>

// Search prefixes as Chrome's SiteSearchSettings policy (Chrome 128 and
// later), for an administrator to give every user of a machine or a domain
// the same site searches: a .reg file for Windows, or the JSON that Chrome
// reads from its managed policy folder on Linux and that
// device-management tools take. Texts in the process code page.
class CChromePolicy : public CSearchPolicy {
public:
    // The most entries Chrome takes.
    static const size_t kMaxEntries = 100;
    // The policy's name, and the key of the machine's Chrome policies.
    static const char kPolicy[];
    static const wchar_t kKeyPath[];

    // Without the override, users can neither edit nor turn off the entries.
    // An entry's "name" is the prefix as given; Chrome keeps shortcuts
    // starting with '@' for its own.
    explicit CChromePolicy(bool allowUserOverride = true);

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
    std::string Dump(bool policyObject) const;

    bool m_allowUserOverride;
};

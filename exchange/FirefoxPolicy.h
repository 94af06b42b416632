#pragma once

#include "exchange/SearchPolicy.h"

#include <string>

// Search prefixes as Firefox's SearchEngines policy (Firefox 139 and later,
// ESR 60 and later): one engine per prefix, its alias typed before the
// query in the address bar. A .reg file for Windows, or the policies.json
// of Firefox's distribution folder and of device-management tools.
class CFirefoxPolicy : public CSearchPolicy {
public:
    // Where Firefox reads the engines on Windows, below HKEY_LOCAL_MACHINE
    // or HKEY_CURRENT_USER: one numbered subkey each.
    static const wchar_t kKeyPath[];
    // Each engine's name is the prefix and this: no engine Firefox ships
    // is so named, so none is shadowed, and the prefixes tell them apart.
    static const char kNameEnd[];

    CFirefoxPolicy();

    // As the Registry Editor writes it, the engines the policy added before
    // deleted first, as a new list replaces the old.
    std::string FormatReg() const;
    // UTF-8 without a byte-order mark, indented:
    // {"policies": {"SearchEngines": {"Add": [...]}}}.
    std::string FormatJson() const;
    // A name ending in .json takes the JSON, any other the .reg file.
    std::string Format(const char* path) const;
};

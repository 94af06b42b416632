#pragma once

#include "text/String.h"

#include <string>

// A browser profile that may hold search shortcuts.
struct CBrowserProfile {
    enum Kind { kChromium, kFirefox };

    Kind kind;
    // As a person knows it: the browser and the profile's own name
    // ("Google Chrome: Person 1", "Mozilla Firefox: default-release").
    CString name;
    // Its Web Data or places.sqlite.
    std::wstring database;
};

#pragma once

#include "exchange/BrowserProfile.h"
#include "exchange/FoundShortcuts.h"

#include <vector>

// Reads browser profiles from private copies of their databases, so that a
// running browser is neither blocked nor disturbed and its newest changes
// are seen.
class CProfileReader {
public:
    // A profile that cannot be read whole adds nothing but its name and the
    // reason.
    static void Read(const std::vector<CBrowserProfile>& profiles, CFoundShortcuts& found);
    static void Read(const CBrowserProfile& profile, CFoundShortcuts& found);
};

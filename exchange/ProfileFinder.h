#pragma once

#include "exchange/BrowserProfile.h"

#include <string>
#include <vector>

// The current user's browser profiles, found where each browser keeps them
// on Windows, in a fixed order: Google Chrome, Microsoft Edge, Brave,
// Vivaldi and Chromium under the local application data folder, then
// Firefox under the roaming one (the profile its installations start with
// first). Within a Chromium-family browser: Default, then Profile 1, 2, ...
// and any others by name.
class CProfileFinder {
public:
    static std::vector<CBrowserProfile> Find(const std::wstring& localAppData,
                                             const std::wstring& roamingAppData);
    // Below the current user's folders, as the shell names them.
    static std::vector<CBrowserProfile> FindForUser();

private:
    // Chromium's `Local State` names its profiles by folder; the folder's
    // own name stands where it names none.
    static void FindChromium(const std::wstring& userData, const char* browser,
                             std::vector<CBrowserProfile>& profiles);
    // Firefox's profiles.ini lists its profiles, by relative or absolute
    // path, and each installation's default.
    static void FindFirefox(const std::wstring& firefox, std::vector<CBrowserProfile>& profiles);
};

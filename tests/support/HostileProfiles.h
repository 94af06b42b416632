#pragma once

#include <functional>
#include <string>
#include <vector>

// Browser profiles made to stall a reader, fill the disk or reach outside
// the profile, as someone who wants to harm the user would leave them.
struct HostileProfile {
    const char* what;
    bool chromium;  // a Web Data; otherwise a places.sqlite
    // Makes the database at `path`; `elsewhere` is a file outside it.
    std::function<void(const std::wstring& path, const std::wstring& elsewhere)> write;
    // Why the import names it; null for one read whole: it offers wiki,
    // https://w/?q=%s.
    const char* reason;
};
const std::vector<HostileProfile>& HostileProfiles();

// Files made so that each piece of them makes a reader look again at all
// that follows, `n` pieces long: a bookmark whose address is a run of
// ampersands; a Chromium URL of parameters; a profiles.ini of profiles and
// the installations that start them; one whose path climbs folder after
// folder.
std::string BookmarksOfAmpersands(size_t n);
std::string ChromiumUrlOfParameters(int n);
std::string ProfilesIniOfSections(int n);
std::string ProfilesIniClimbing(int n);

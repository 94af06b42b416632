#include "exchange/BookmarksFile.h"
#include "exchange/KeywordUrl.h"
#include "exchange/ProfileFinder.h"

#include "tests/support/BrowserProfiles.h"
#include "tests/support/HostileProfiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <string>

// Inputs built so that each piece makes a reader look again at all that
// follows: read at a size where that took many seconds, each takes about
// eight times what an eighth of it takes (linear work), not sixty-four
// (quadratic). The eighth is large enough to take tens of milliseconds, and
// each is timed at its fastest of three runs taken in turn, so that a busy
// machine slows both alike.
TEST(Readers, TakeTimeInProportionToTheirInput)
{
    TempFolder folder;
    const std::wstring roaming = folder.Make(L"Roaming");
    const std::wstring firefox = MakeFolders(roaming, L"Mozilla\\Firefox");
    auto findFirefox = [&](const std::string& ini) {
        WriteFileBytes(firefox + L"\\profiles.ini", ini);
        CProfileFinder::Find(L"", roaming);
    };
    struct Case {
        const char* what;
        int size;  // pieces
        std::function<std::string(int)> make;
        std::function<void(const std::string&)> read;
    };
    const Case cases[] = {
        {"bookmarks: a value of ampersands", 16000000, [](int n) { return BookmarksOfAmpersands(n); },
         [](const std::string& bytes) { CBookmarksFile().Parse(bytes); }},
        {"Chromium: a URL of parameters", 800000, ChromiumUrlOfParameters,
         [](const std::string& url) {
             std::wstring wide(url.begin(), url.end());
             CFoundShortcuts::Reason reason;
             CKeywordUrl::FromChromium(wide, reason);
         }},
        {"profiles.ini: profiles and installations", 8000, ProfilesIniOfSections, findFirefox},
        {"profiles.ini: a path that climbs and climbs", 40000, ProfilesIniClimbing, findFirefox},
    };
    auto seconds = [](const std::function<void()>& work) {
        const auto start = std::chrono::steady_clock::now();
        work();
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    };
    for (const Case& c : cases) {
        const std::string whole = c.make(c.size), eighth = c.make(c.size / 8);
        double part = 1e9, all = 1e9;
        for (int run = 0; run < 3; ++run) {
            part = std::min(part, seconds([&] { c.read(eighth); }));
            all = std::min(all, seconds([&] { c.read(whole); }));
        }
        EXPECT_LT(all, 20 * part + 0.01) << c.what << ": " << part << " s for an eighth";
    }
}

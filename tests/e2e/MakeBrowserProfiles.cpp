// Leaves a Chrome and a Firefox profile in the current user's folders, as
// those browsers would after a user made a few search shortcuts, for the
// end-to-end test to import. Prints nothing; exits 1 on failure.

#include "exchange/KnownFolder.h"
#include "tests/support/BrowserProfiles.h"

#include <exception>
#include <string>

int main()
{
    try {
        const std::wstring local = CKnownFolder::GetPath(FOLDERID_LocalAppData);
        const std::wstring roaming = CKnownFolder::GetPath(FOLDERID_RoamingAppData);
        if (local.empty() || roaming.empty())
            return 1;
        LeaveChromeProfile(local,
                           {{"google.com", "{google:baseURL}search?q={searchTerms}&{google:RLZ}ie={inputEncoding}", 1},
                            {"bing.com", "https://www.bing.com/search?q={searchTerms}", 3},
                            {"@bookmarks", "chrome://bookmarks/?q={searchTerms}", 0, 1},
                            {"wiki", "https://en.wikipedia.org/w/index.php?search={searchTerms}"},
                            {"карта", "https://yandex.ru/maps/?text={searchTerms}"}});
        LeaveFirefoxProfile(roaming,
                            {{"mdn", "https://developer.mozilla.org/search?q=%s"},
                             {"wiki", "https://de.wikipedia.org/w/index.php?search=%s"}},
                            true);
        return 0;
    } catch (const std::exception&) {
        return 1;
    }
}

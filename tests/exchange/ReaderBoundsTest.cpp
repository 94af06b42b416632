#include "exchange/BookmarksFile.h"
#include "exchange/KeywordUrl.h"
#include "exchange/PrefixFile.h"
#include "exchange/ProfileFinder.h"

#include "tests/support/BrowserProfiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>

namespace {

std::string Repeated(const std::string& text, int count)
{
    std::string repeated;
    for (int i = 0; i < count; ++i)
        repeated += text;
    return repeated;
}

double Seconds(const std::function<void()>& work)
{
    LARGE_INTEGER frequency, start, end;
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&start);
    work();
    ::QueryPerformanceCounter(&end);
    return static_cast<double>(end.QuadPart - start.QuadPart) / frequency.QuadPart;
}

} // namespace

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
    const std::string bookmarks = "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n";
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
        {"bookmarks: a value of ampersands", 16000000,
         [&](int n) { return bookmarks + "<A HREF=\"https://x/?q=%s" + std::string(n, '&') + "\" SHORTCUTURL=k>"; },
         [](const std::string& bytes) { CBookmarksFile().Parse(bytes); }},
        {"Chromium: a URL of parameters", 800000,
         [](int n) { return "https://x/?q=" + Repeated("{searchTerms}{google:RLZ}", n); },
         [](const std::string& url) {
             std::wstring wide(url.begin(), url.end());
             CFoundShortcuts::Reason reason;
             CKeywordUrl::FromChromium(wide, reason);
         }},
        {"profiles.ini: profiles and installations", 8000,
         [](int n) {
             std::string ini;
             for (int i = 0; i < n; ++i)
                 ini += "[Profile" + std::to_string(i) + "]\nPath=" + std::to_string(i) + "\n[Install" +
                        std::to_string(i) + "]\nDefault=" + std::to_string(n - i) + "\n";
             return ini;
         },
         findFirefox},
        {"profiles.ini: a path that climbs and climbs", 40000,
         [](int n) { return "[Profile0]\nIsRelative=0\nPath=C:\\" + Repeated("..\\", n) + "\n"; },
         findFirefox},
        {".reg: data continued over many lines", 800000,
         [](int n) {
             return "REGEDIT4\r\n[HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\SearchUrl\\K]\r\n"
                    "@=hex(1):" + Repeated("41,42,\\\r\n  ", n) + "00\r\n";
         },
         [](const std::string& bytes) { CPrefixFile().Parse(bytes); }},
    };
    for (const Case& c : cases) {
        const std::string whole = c.make(c.size), eighth = c.make(c.size / 8);
        double part = 1e9, all = 1e9;
        for (int run = 0; run < 3; ++run) {
            part = std::min(part, Seconds([&] { c.read(eighth); }));
            all = std::min(all, Seconds([&] { c.read(whole); }));
        }
        EXPECT_LT(all, 20 * part + 0.01) << c.what << ": " << part << " s for an eighth";
    }
}

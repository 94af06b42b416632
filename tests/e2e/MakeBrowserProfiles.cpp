// Leaves a Chrome and a Firefox profile in the current user's folders, as
// those browsers would after a user made a few search shortcuts, for the
// end-to-end test to import. Prints nothing; exits 1 on failure.

#include "tests/support/BrowserProfiles.h"

#include <knownfolders.h>
#include <shlobj.h>

#include <exception>
#include <string>

namespace {

std::wstring KnownFolder(REFKNOWNFOLDERID id)
{
    PWSTR path = nullptr;
    std::wstring folder;
    if (SUCCEEDED(::SHGetKnownFolderPath(id, 0, nullptr, &path)))
        folder = path;
    ::CoTaskMemFree(path);
    return folder;
}

std::wstring MakeFolders(const std::wstring& root, const std::wstring& relative)
{
    std::wstring path = root;
    for (size_t start = 0; start <= relative.size();) {
        size_t end = relative.find(L'\\', start);
        if (end == std::wstring::npos)
            end = relative.size();
        path += L"\\" + relative.substr(start, end - start);
        ::CreateDirectoryW(path.c_str(), nullptr);
        start = end + 1;
    }
    return path;
}

} // namespace

int main()
{
    try {
        const std::wstring local = KnownFolder(FOLDERID_LocalAppData);
        const std::wstring roaming = KnownFolder(FOLDERID_RoamingAppData);
        if (local.empty() || roaming.empty())
            return 1;
        const std::wstring chrome = MakeFolders(local, L"Google\\Chrome\\User Data\\Default");
        WriteFileBytes(local + L"\\Google\\Chrome\\User Data\\Local State",
                       R"({"profile": {"info_cache": {"Default": {"name": "Person 1"}}}})");
        WriteWebData(chrome + L"\\Web Data",
                     {{"google.com", "{google:baseURL}search?q={searchTerms}&{google:RLZ}ie={inputEncoding}", 1},
                      {"bing.com", "https://www.bing.com/search?q={searchTerms}", 3},
                      {"@bookmarks", "chrome://bookmarks/?q={searchTerms}", 0, 1},
                      {"wiki", "https://en.wikipedia.org/w/index.php?search={searchTerms}"},
                      {"карта", "https://yandex.ru/maps/?text={searchTerms}"}});
        const std::wstring firefox = MakeFolders(roaming, L"Mozilla\\Firefox\\Profiles\\e2e.default-release");
        WriteFileBytes(roaming + L"\\Mozilla\\Firefox\\profiles.ini",
                       "[Profile0]\r\nName=default-release\r\nIsRelative=1\r\n"
                       "Path=Profiles/e2e.default-release\r\nDefault=1\r\n\r\n"
                       "[Install308046B0AF4A39CB]\r\nDefault=Profiles/e2e.default-release\r\nLocked=1\r\n");
        WritePlaces(firefox + L"\\places.sqlite",
                    {{"mdn", "https://developer.mozilla.org/search?q=%s"},
                     {"wiki", "https://de.wikipedia.org/w/index.php?search=%s"}},
                    true);
        return 0;
    } catch (const std::exception&) {
        return 1;
    }
}

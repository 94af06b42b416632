#include "tests/bench/ImportBench.h"

#include "app/BrowserImportDlg.h"
#include "app/PrefixListCtrl.h"
#include "exchange/BookmarksFile.h"
#include "exchange/ImportCandidates.h"
#include "exchange/ProfileFinder.h"
#include "exchange/ProfileReader.h"

#include "tests/bench/BenchSupport.h"
#include "tests/support/BrowserProfiles.h"
#include "tests/support/HostileProfiles.h"
#include "tests/support/ListViewHost.h"

#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

double PrintBrowserImport(int count, double load)
{
    TempFolder folder;
    std::vector<ChromiumKeyword> keywords;
    for (int i = 0; i < count; ++i) {
        std::string url = UrlOf(i);
        url.replace(url.find("%s"), 2, "{searchTerms}");
        keywords.push_back({PrefixName(i), url});
    }
    const CBrowserProfile profile = {CBrowserProfile::kChromium, "Google Chrome: Person 1",
                                     folder.Path() + L"\\Web Data"};
    WriteWebData(profile.database, keywords);

    std::unique_ptr<ListViewHost> host;
    CPrefixListCtrl table;
    std::unique_ptr<CImportCandidates> candidates;
    std::vector<CPrefixListCtrl::Row> checked;
    auto defaultsOnly = [&] {
        table.Detach();
        host = std::make_unique<ListViewHost>();
        table.Attach(host->List());
        table.InitColumns();
        table.AddDefaultPrefixes();
    };
    defaultsOnly();
    const int runs = 3;
    double read = Median(runs, [] {}, [&] {
        CFoundShortcuts found;
        CProfileReader::Read(profile, found);
        candidates = std::make_unique<CImportCandidates>(
            found, [&](const CString& prefix, const CString& url) { return table.WouldChange(prefix, url); });
    });
    for (const CImportCandidates::Row& row : candidates->Rows())
        checked.push_back({row.prefix, row.url});
    std::unique_ptr<CBrowserImportDlg> dialog;
    double fill = Median(runs, [&] { dialog = std::make_unique<CBrowserImportDlg>(nullptr, *candidates); },
                         [&] { dialog->Create(); });
    dialog.reset();
    double take = Median(runs, defaultsOnly, [&] { table.AddOrUpdatePrefixes(checked); });
    table.Detach();
    std::printf("\nImport from browser, %d site searches: read %.1f ms, dialog %.1f ms, into the table "
                "%.1f ms (%.2f of a %d-prefix load, %.1f ms); in all %.1f ms\n",
                count, read, fill, take, take / load, count, load, read + fill + take);
    return read + fill + take;
}

namespace {

double ReadProfile(CBrowserProfile::Kind kind, const std::wstring& database, std::string& reason)
{
    return Median(3, [] {}, [&] {
        CFoundShortcuts found;
        CProfileReader::Read(CBrowserProfile{kind, "hostile", database}, found);
        reason = found.UnreadProfiles().empty() ? std::to_string(found.Shortcuts().size()) + " offered"
                                                : static_cast<const char*>(found.UnreadProfiles()[0].reason);
    });
}

} // namespace

void PrintHostileImports(double import)
{
    TempFolder folder;
    const std::wstring elsewhere = folder.Path() + L"\\notes.txt";
    WriteFileBytes(elsewhere, "keep me");
    const std::wstring local = folder.Make(L"Local"), roaming = folder.Make(L"Roaming");
    struct Row {
        const char* what;
        std::function<double(const std::wstring&, std::string&)> time;
    };
    std::vector<Row> rows;
    for (const HostileProfile& hostile : HostileProfiles()) {
        rows.push_back({hostile.what, [&](const std::wstring& path, std::string& reason) {
                            const std::wstring database = hostile.chromium ? path : path + L".sqlite";
                            hostile.write(database, elsewhere);
                            return ReadProfile(hostile.chromium ? CBrowserProfile::kChromium
                                                                : CBrowserProfile::kFirefox,
                                               database, reason);
                        }});
    }
    rows.push_back({"Web Data, a URL of 200,000 parameters (4.8 MB)", [&](const std::wstring& path, std::string& why) {
                        WriteWebData(path, {{"many", ChromiumUrlOfParameters(200000)}});
                        return ReadProfile(CBrowserProfile::kChromium, path, why);
                    }});
    rows.push_back({"Web Data, 550,000 keywords (81 MB)", [&](const std::wstring& path, std::string& why) {
                        WriteWebData(path, {});
                        RunSql(path, "WITH RECURSIVE r(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM r WHERE"
                                     " i < 550000) INSERT INTO keywords (short_name, keyword, favicon_url, url)"
                                     " SELECT 'k', 'k' || i, '', 'https://search.example/' || i || '?q={searchTerms}'"
                                     " FROM r");
                        return ReadProfile(CBrowserProfile::kChromium, path, why);
                    }});
    auto profilesFound = [](const std::vector<CBrowserProfile>& profiles) {
        std::string names;
        for (const CBrowserProfile& profile : profiles)
            names += std::string(names.empty() ? "" : ", ") + static_cast<const char*>(profile.name);
        return std::to_string(profiles.size()) + (profiles.size() == 1 ? " profile" : " profiles") + " found" +
               (names.empty() ? "" : ": " + names);
    };
    rows.push_back({"profiles.ini, 1 MB of profiles and installations", [&](const std::wstring&, std::string& why) {
                        WriteFileBytes(MakeFolders(roaming, L"Mozilla\\Firefox") + L"\\profiles.ini",
                                       ProfilesIniOfSections(19500));  // just within its 1 MB
                        return Median(3, [] {}, [&] { why = profilesFound(CProfileFinder::Find(L"", roaming)); });
                    }});
    rows.push_back({"Local State, 16 MB nested", [&](const std::wstring&, std::string& why) {
                        const std::wstring userData = MakeFolders(local, L"Google\\Chrome\\User Data");
                        WriteFileBytes(MakeFolders(userData, L"Default") + L"\\Web Data", "");
                        WriteFileBytes(userData + L"\\Local State", std::string((16u << 20) - 1, '['));
                        return Median(3, [] {}, [&] { why = profilesFound(CProfileFinder::Find(local, L"")); });
                    }});
    rows.push_back({"bookmarks, 64 MB of ampersands in one value", [&](const std::wstring&, std::string& why) {
                        const std::string file = BookmarksOfAmpersands((64u << 20) - 100);
                        CBookmarksFile bookmarks;
                        double time = Median(3, [] {}, [&] { bookmarks.Parse(file); });
                        why = std::to_string(bookmarks.GetEntries().size()) + " offered";
                        return time;
                    }});
    std::printf("\n| hostile input | ms | x the import above | what it gives |\n|---|---:|---:|---|\n");
    int made = 0;
    for (const Row& row : rows) {
        std::string reason;
        double time = row.time(folder.Make(std::to_wstring(++made)) + L"\\Web Data", reason);
        std::printf("| %s | %.1f | %.2f | %s |\n", row.what, time, time / import, reason.c_str());
        std::fflush(stdout);
    }
    std::printf("the file a journal named: %s\n", ReadFileBytes(elsewhere) == "keep me" ? "kept" : "GONE");
}

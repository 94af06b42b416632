#include "cli/TransferCommands.h"

#include "app/ImportCandidates.h"
#include "cli/CommandLine.h"
#include "cli/Outcome.h"
#include "exchange/BookmarksFile.h"
#include "exchange/ByteFile.h"
#include "exchange/ChromePolicy.h"
#include "exchange/FileName.h"
#include "exchange/PrefixFile.h"
#include "exchange/ProfileFinder.h"
#include "exchange/ProfileReader.h"
#include "framework/KnownFolder.h"
#include "prefixes/PrefixCase.h"
#include "prefixes/PrefixTable.h"
#include "res/resource.h"

#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

using Row = CPrefixTable::Row;

namespace {

// The browsers `--from` names, as their profiles' names begin.
const std::pair<const char*, const char*> kBrowsers[] = {
    {"chrome", "Google Chrome"}, {"edge", "Microsoft Edge"}, {"brave", "Brave"},
    {"vivaldi", "Vivaldi"},      {"chromium", "Chromium"},   {"firefox", "Mozilla Firefox"},
};

// A .reg or bookmarks file's prefixes; false when the bytes are no such file.
template <class File>
bool ReadRows(const std::string& bytes, std::vector<Row>& rows, int& skipped)
{
    File file;
    if (!file.Parse(bytes))
        return false;
    for (const CShortcut& entry : file.GetEntries())
        rows.push_back({entry.prefix, entry.url});
    skipped = file.GetSkippedCount();
    return true;
}

using Listed = std::map<std::string, CString>;

Listed ListedRows(const std::vector<Row>& rows)
{
    Listed listed;
    for (const Row& row : rows)
        listed[static_cast<const char*>(row.prefix)] = row.url;
    return listed;
}

struct Taken {
    int rows = 0;
    int removed = 0;
    bool saved = false;  // or, in a dry run, told
};

// The rows taken into the table, and with `replace` every other row
// removed; saved, or with `dryRun` only told, row by row. A replacement by
// a file of which no row can be taken would empty the key: that file is
// refused, as surely not the one meant.
Taken Take(CPrefixTable& table, const std::vector<Row>& rows, const char* replaceBy, bool dryRun,
           COutcome& outcome)
{
    const std::vector<Row> beforeRows = table.GetRows();
    const Listed before = ListedRows(beforeRows);
    std::set<std::string> taken;
    for (const Row& row : rows) {
        CPrefixTable::Result result = table.AddOrUpdatePrefix(row.prefix, row.url);
        outcome.Refused(result, row.prefix);
        if (result == CPrefixTable::kDone)
            taken.insert(static_cast<const char*>(UpperCasePrefix(row.prefix)));
    }
    if (replaceBy != nullptr && taken.empty()) {
        outcome.Fail(COutcome::kFile, FormattedText(IDS_CLI_NOTHING_TO_REPLACE, replaceBy));
        return Taken();
    }
    Taken done;
    done.rows = static_cast<int>(taken.size());
    for (const auto& row : replaceBy != nullptr ? before : Listed()) {
        if (taken.count(row.first) == 0 && table.RemovePrefix(row.first.c_str()) == CPrefixTable::kDone)
            ++done.removed;
    }
    if (!dryRun) {
        CPrefixStore::Report report = table.Save();
        outcome.Report(report);
        done.saved = report.failures.empty();
        return done;
    }
    const std::vector<Row> afterRows = table.GetRows();
    const Listed after = ListedRows(afterRows);
    for (const Row& row : afterRows) {
        auto was = before.find(static_cast<const char*>(row.prefix));
        if (was == before.end() || was->second != row.url)
            outcome.Print(FormattedText(was == before.end() ? IDS_CLI_WOULD_ADD : IDS_CLI_WOULD_CHANGE,
                                        row.prefix, row.url));
    }
    for (const Row& row : beforeRows) {
        if (after.count(static_cast<const char*>(row.prefix)) == 0)
            outcome.Print(FormattedText(IDS_CLI_WOULD_REMOVE, row.prefix));
    }
    done.saved = true;
    return done;
}

// The imported count, with what was skipped and removed, on one line.
void PrintImported(COutcome& outcome, std::string text, int skipped, int removed)
{
    if (skipped != 0)
        text += FormattedText(IDS_SKIPPED, Counted(skipped, IDS_NOT_PREFIXES_ONE, IDS_NOT_PREFIXES_MANY).c_str());
    if (removed != 0)
        text += " " + FormattedText(IDS_CLI_REMOVED, Counted(removed, IDS_PREFIXES_ONE, IDS_PREFIXES_MANY).c_str());
    outcome.Print(text);
}

std::vector<CBrowserProfile> ProfilesFrom(const std::vector<std::string>& browsers)
{
    std::vector<CBrowserProfile> found = CProfileFinder::Find(CKnownFolder::GetPath(FOLDERID_LocalAppData),
                                                              CKnownFolder::GetPath(FOLDERID_RoamingAppData));
    if (browsers.empty())
        return found;
    std::vector<CBrowserProfile> chosen;
    for (const CBrowserProfile& profile : found) {
        for (const auto& browser : kBrowsers) {
            const std::string start = std::string(browser.second) + ":";
            bool named = false;
            for (const std::string& from : browsers)
                named = named || from == browser.first;
            if (named && std::string(profile.name).compare(0, start.size(), start) == 0)
                chosen.push_back(profile);
        }
    }
    return chosen;
}

template <class File>
File FileOf(const std::vector<Row>& rows)
{
    File file;
    for (const Row& row : rows)
        file.Add(row.prefix, row.url);
    return file;
}

// The rows Chrome takes, each left out named with why.
CChromePolicy PolicyOf(const std::vector<Row>& rows, bool allowUserOverride, int& added, COutcome& outcome)
{
    static const UINT kWhy[] = {0, IDS_CLI_POLICY_SPACE, IDS_CLI_POLICY_AT_SIGN, IDS_CLI_POLICY_NO_QUERY,
                                IDS_CLI_POLICY_NOT_WEB, IDS_CLI_POLICY_DUPLICATE, IDS_CLI_POLICY_FULL};
    CChromePolicy policy(allowUserOverride);
    added = 0;
    for (const Row& row : rows) {
        CChromePolicy::Reason reason = policy.Add(row.prefix, row.url);
        if (reason == CChromePolicy::kAdded)
            ++added;
        else
            outcome.Fail(COutcome::kInPart, FormattedText(IDS_CLI_LEFT_OUT, row.prefix, LoadText(kWhy[reason])));
    }
    return policy;
}

} // namespace

void CTransferCommands::Import(const CCommandLine& line, COutcome& outcome)
{
    const std::string path = line.Operands()[0];
    std::string bytes;
    if (DWORD error = CByteFile::Read(path.c_str(), bytes)) {
        outcome.Fail(COutcome::kFile,
                     FormattedText(IDS_COULD_NOT_READ_FILE, path.c_str(), CByteFile::ErrorText(error).c_str()));
        return;
    }
    bool bookmarks = CBookmarksFile::IsBookmarksFile(bytes) || CFileName::IsHtml(path);
    std::vector<Row> rows;
    int skipped = 0;
    if (bookmarks ? !ReadRows<CBookmarksFile>(bytes, rows, skipped) : !ReadRows<CPrefixFile>(bytes, rows, skipped)) {
        outcome.Fail(COutcome::kFile,
                     FormattedText(bookmarks ? IDS_NOT_BOOKMARKS_FILE : IDS_NOT_REGISTRY_FILE, path.c_str()));
        return;
    }
    CPrefixTable table;
    if (!outcome.Report(table.Load()))
        return;
    const bool dryRun = line.Has("--dry-run");
    // What did not reach the key is named on standard error; no count of
    // it goes out as done.
    Taken done = Take(table, rows, line.Has("--replace") ? path.c_str() : nullptr, dryRun, outcome);
    if (!dryRun && done.saved)
        PrintImported(outcome,
                      FormattedText(IDS_IMPORTED_FROM, Counted(done.rows, IDS_PREFIXES_ONE, IDS_PREFIXES_MANY).c_str(),
                                    path.c_str()),
                      skipped, done.removed);
}

void CTransferCommands::ImportBrowser(const CCommandLine& line, COutcome& outcome)
{
    const std::vector<std::string> browsers = line.Values("--from");
    for (const std::string& from : browsers) {
        bool known = false;
        for (const auto& browser : kBrowsers)
            known = known || from == browser.first;
        if (!known) {
            outcome.Fail(COutcome::kUsage, FormattedText(IDS_CLI_BAD_VALUE, "--from", from.c_str()));
            return;
        }
    }
    CFoundShortcuts found;
    CProfileReader::Read(ProfilesFrom(browsers), found);
    const std::vector<CFoundShortcuts::Unread> unread = found.UnreadProfiles();
    CPrefixTable table;
    if (!outcome.Report(table.Load()))
        return;
    CImportCandidates candidates(std::move(found), [&table](const CString& prefix, const CString& url) {
        const CString* now = table.FindUrl(prefix);
        return now == nullptr || *now != url;
    });
    std::vector<Row> rows;
    for (const CImportCandidates::Row& row : candidates.Rows()) {
        if (row.checked)
            rows.push_back({row.prefix, row.url});
    }
    for (const CFoundShortcuts::Unread& profile : unread)
        outcome.Fail(COutcome::kInPart, FormattedText(IDS_COULD_NOT_READ_PROFILE, profile.source, profile.reason));
    const std::string summary = candidates.Summary(false);
    if (!summary.empty())
        outcome.Print(summary);
    const bool dryRun = line.Has("--dry-run");
    Taken done = Take(table, rows, nullptr, dryRun, outcome);
    if (!dryRun && done.saved)
        outcome.Print(FormattedText(IDS_IMPORTED, Counted(done.rows, IDS_PREFIXES_ONE, IDS_PREFIXES_MANY).c_str()));
}

void CTransferCommands::Export(const CCommandLine& line, COutcome& outcome)
{
    const std::string path = line.Operands()[0];
    std::string format = line.Value("--format");
    if (!line.Has("--format"))
        format = CFileName::HasExtension(path, ".reg") ? "reg"
                 : CFileName::IsHtml(path)             ? "html"
                 : CFileName::HasExtension(path, ".json") ? "chrome-policy" : "";
    if (!line.Has("--format") && format.empty()) {
        outcome.Fail(COutcome::kUsage, FormattedText(IDS_CLI_NO_FORMAT, path.c_str()));
        return;
    }
    if (format != "reg" && format != "html" && format != "chrome-policy") {
        outcome.Fail(COutcome::kUsage, FormattedText(IDS_CLI_BAD_VALUE, "--format", format.c_str()));
        return;
    }
    if (line.Has("--locked") && format != "chrome-policy") {
        outcome.Fail(COutcome::kUsage, static_cast<const char*>(LoadText(IDS_CLI_LOCKED_POLICY_ONLY)));
        return;
    }
    CPrefixTable table;
    if (!outcome.Report(table.Load()))
        return;
    const std::vector<Row> rows = table.GetRows();
    DWORD error = 0;
    int exported = static_cast<int>(rows.size());
    if (format == "reg")
        error = FileOf<CPrefixFile>(rows).Save(path.c_str());
    else if (format == "html")
        error = FileOf<CBookmarksFile>(rows).Save(path.c_str());
    else
        error = PolicyOf(rows, !line.Has("--locked"), exported, outcome).Save(path.c_str());
    if (error != 0) {
        outcome.Fail(COutcome::kFile,
                     FormattedText(IDS_COULD_NOT_WRITE_FILE, path.c_str(), CByteFile::ErrorText(error).c_str()));
        return;
    }
    outcome.Print(FormattedText(IDS_CLI_EXPORTED, Counted(exported, IDS_PREFIXES_ONE, IDS_PREFIXES_MANY).c_str(),
                                path.c_str()));
}

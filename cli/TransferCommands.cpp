#include "cli/TransferCommands.h"

#include "cli/CommandLine.h"
#include "cli/Outcome.h"
#include "exchange/ChromePolicy.h"
#include "exchange/FileName.h"
#include "exchange/ImportCandidates.h"
#include "exchange/PrefixFiles.h"
#include "exchange/ProfileFinder.h"
#include "exchange/ProfileReader.h"
#include "prefixes/PrefixCase.h"
#include "prefixes/PrefixTable.h"
#include "res/resource.h"

#include <algorithm>
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

// How the names of the profiles of the browser `--from` names begin; empty
// for a name it does not know.
std::string ProfileStart(const std::string& from)
{
    for (const auto& browser : kBrowsers) {
        if (from == browser.first)
            return std::string(browser.second) + ":";
    }
    return std::string();
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
    const std::map<std::string, CString> before = table.Rows();
    std::set<std::string> taken;
    for (const Row& row : rows) {
        CPrefixTable::Result result = table.AddOrUpdatePrefix(row.prefix, row.url);
        outcome.Refused(result, row.prefix);
        if (result.Done())
            taken.insert(static_cast<const char*>(UpperCasePrefix(row.prefix)));
    }
    if (replaceBy != nullptr && taken.empty()) {
        outcome.Fail(COutcome::kFile, FormattedText(IDS_CLI_NOTHING_TO_REPLACE, replaceBy));
        return Taken();
    }
    Taken done;
    done.rows = static_cast<int>(taken.size());
    for (const auto& row : before) {
        if (replaceBy != nullptr && taken.count(row.first) == 0 &&
            table.RemovePrefix(row.first.c_str()).Done())
            ++done.removed;
    }
    if (!dryRun) {
        CPrefixStore::Report report = table.Save();
        outcome.Report(report);
        done.saved = report.failures.empty();
        return done;
    }
    for (const Row& row : table.GetRows()) {
        auto was = before.find(static_cast<const char*>(row.prefix));
        if (was == before.end() || was->second != row.url)
            outcome.Print(FormattedText(was == before.end() ? IDS_CLI_WOULD_ADD : IDS_CLI_WOULD_CHANGE,
                                        ControlsEscaped(row.prefix).c_str(), ControlsEscaped(row.url).c_str()));
    }
    for (const Row& row : CPrefixTable::InListOrder(before)) {
        if (table.Rows().count(static_cast<const char*>(row.prefix)) == 0)
            outcome.Print(FormattedText(IDS_CLI_WOULD_REMOVE, ControlsEscaped(row.prefix).c_str()));
    }
    done.saved = true;
    return done;
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
            outcome.Fail(COutcome::kInPart,
                         FormattedText(IDS_CLI_LEFT_OUT, ControlsEscaped(row.prefix).c_str(), LoadText(kWhy[reason])));
    }
    return policy;
}

// The format a file's name tells; empty when it tells none.
std::string FormatOfName(const std::string& path)
{
    static const char* const kNames[] = {"", "reg", "html", "chrome-policy"};  // as CFileName::Format
    return kNames[CFileName::FormatOf(path)];
}

} // namespace

void CTransferCommands::Import(const CCommandLine& line, COutcome& outcome)
{
    const std::string path = line.Operands()[0];
    std::vector<Row> rows;
    int skipped = 0;
    bool bookmarks = false;
    if (DWORD error = CPrefixFiles::Load(path, rows, skipped, bookmarks)) {
        outcome.Fail(COutcome::kFile, CPrefixFiles::LoadError(path, error, bookmarks));
        return;
    }
    CPrefixTable table;
    if (!outcome.Report(table.Load(), false))
        return;
    const bool dryRun = line.Has("--dry-run");
    // What did not reach the key is named on standard error; no count of
    // it goes out as done.
    Taken done = Take(table, rows, line.Has("--replace") ? path.c_str() : nullptr, dryRun, outcome);
    if (dryRun || !done.saved)
        return;
    std::string text = CPrefixFiles::ImportedText(path, done.rows, skipped);
    if (done.removed != 0)
        text += " " + FormattedText(IDS_CLI_REMOVED, Counted(done.removed, IDS_PREFIXES_ONE, IDS_PREFIXES_MANY).c_str());
    outcome.Print(text);
}

void CTransferCommands::ImportBrowser(const CCommandLine& line, COutcome& outcome)
{
    std::vector<std::string> starts;
    for (const std::string& from : line.Values("--from")) {
        starts.push_back(ProfileStart(from));
        if (starts.back().empty()) {
            outcome.Fail(COutcome::kUsage, FormattedText(IDS_CLI_BAD_VALUE, "--from", from.c_str()));
            return;
        }
    }
    std::vector<CBrowserProfile> profiles = CProfileFinder::FindForUser();
    profiles.erase(std::remove_if(profiles.begin(), profiles.end(),
                                  [&](const CBrowserProfile& profile) {
                                      return !starts.empty() &&
                                             std::none_of(starts.begin(), starts.end(), [&](const std::string& start) {
                                                 return std::string(profile.name).compare(0, start.size(), start) == 0;
                                             });
                                  }),
                   profiles.end());
    CFoundShortcuts found;
    CProfileReader::Read(profiles, found);
    CPrefixTable table;
    if (!outcome.Report(table.Load(), false))
        return;
    CImportCandidates candidates(std::move(found), [&table](const CString& prefix, const CString& url) {
        return table.WouldChange(prefix, url);
    });
    std::vector<Row> rows;
    for (const CImportCandidates::Row& row : candidates.Rows()) {
        if (row.checked)
            rows.push_back({row.prefix, row.url});
    }
    for (const CFoundShortcuts::Unread& profile : candidates.UnreadProfiles())
        outcome.Fail(COutcome::kInPart, FormattedText(IDS_COULD_NOT_READ_PROFILE, profile.source, profile.reason));
    const std::string summary = candidates.Summary(false);
    if (!summary.empty())
        outcome.Print(summary);
    const bool dryRun = line.Has("--dry-run");
    Taken done = Take(table, rows, nullptr, dryRun, outcome);
    if (!dryRun && done.saved)
        outcome.Print(CImportCandidates::ImportedText(done.rows));
}

void CTransferCommands::Export(const CCommandLine& line, COutcome& outcome)
{
    const std::string path = line.Operands()[0];
    const bool given = line.Has("--format");
    const std::string format = given ? line.Value("--format") : FormatOfName(path);
    if (!given && format.empty()) {
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
    int exported = 0;
    std::vector<CPrefixFiles::LeftOut> leftOut;
    DWORD error = format == "chrome-policy"
                      ? PolicyOf(rows, !line.Has("--locked"), exported, outcome).Save(path.c_str())
                      : CPrefixFiles::Save(path, rows, format == "html", leftOut);
    if (error != 0) {
        outcome.Fail(COutcome::kFile, CPrefixFiles::SaveError(path, error));
        return;
    }
    for (const CPrefixFiles::LeftOut& row : leftOut)
        outcome.Fail(COutcome::kInPart, CPrefixFiles::LeftOutText(row));
    if (format != "chrome-policy")
        exported = static_cast<int>(rows.size() - leftOut.size());
    outcome.Print(FormattedText(IDS_CLI_EXPORTED, Counted(exported, IDS_PREFIXES_ONE, IDS_PREFIXES_MANY).c_str(),
                                path.c_str()));
}

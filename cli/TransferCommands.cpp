#include "cli/TransferCommands.h"

#include "cli/BackupCommands.h"
#include "cli/CommandLine.h"
#include "cli/Outcome.h"
#include "cli/TableChanges.h"
#include "exchange/ByteFile.h"
#include "exchange/ChromePolicy.h"
#include "exchange/FileName.h"
#include "exchange/FirefoxPolicy.h"
#include "exchange/ImportCandidates.h"
#include "exchange/PrefixBackups.h"
#include "exchange/PrefixFiles.h"
#include "exchange/ProfileFinder.h"
#include "exchange/ProfileReader.h"
#include "prefixes/PrefixCase.h"
#include "prefixes/PrefixTable.h"
#include "res/resource.h"

#include <algorithm>
#include <iterator>
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

} // namespace

// A file of which no row can be taken is refused, as surely not the one
// meant: with `replace` it would empty the key. The summary, when all was
// saved, counts what the file held that is no prefix among the skipped.
void CTransferCommands::Take(CPrefixTable& table, const std::vector<Row>& rows, int skipped,
                             const std::string& from, bool replace, bool dryRun, COutcome& outcome, bool restore)
{
    const std::map<std::string, CString> before = table.Rows();
    std::set<std::string> taken;
    for (const Row& row : rows) {
        CPrefixTable::Result result = table.AddOrUpdatePrefix(row.prefix, row.url);
        outcome.Refused(result, row.prefix);
        if (result.Done())
            taken.insert(static_cast<const char*>(UpperCasePrefix(row.prefix)));
        else
            ++skipped;
    }
    if (taken.empty() && !from.empty() && !restore) {
        outcome.Fail(COutcome::kFile,
                     FormattedText(replace ? IDS_CLI_NOTHING_TO_REPLACE : IDS_CLI_NOTHING_TO_IMPORT, from.c_str()));
        return;
    }
    for (const auto& row : before) {
        const bool kept = taken.count(row.first) != 0 || (restore && CPrefixBackups::KeptByRestore(row.first.c_str()));
        if (replace && !kept)
            table.RemovePrefix(row.first.c_str());
    }
    const CTableChanges changes(before, table.Rows(), taken);
    if (!dryRun) {
        if (outcome.Saved(CBackupCommands::Save(table, outcome), changes.Items()))
            outcome.Print(from.empty() ? FormattedText(IDS_CLI_IMPORTED_BROWSERS, changes.Counts(skipped, false).c_str())
                                       : FormattedText(restore ? IDS_CLI_RESTORED_FROM : IDS_CLI_IMPORTED_FROM,
                                                       from.c_str(), changes.Counts(skipped, replace).c_str()));
        return;
    }
    outcome.Done(changes.Items());
    if (changes.Added().empty() && changes.Changed().empty() && changes.Removed().empty())
        outcome.Print(static_cast<const char*>(LoadText(IDS_CLI_NOTHING_TO_CHANGE)));
    for (const Row& row : changes.Added())
        outcome.Print(FormattedText(IDS_CLI_WOULD_ADD, ControlsEscaped(row.prefix).c_str(),
                                    ControlsEscaped(row.url).c_str()));
    for (const Row& row : changes.Changed())
        outcome.Print(FormattedText(IDS_CLI_WOULD_CHANGE, ControlsEscaped(row.prefix).c_str(),
                                    ControlsEscaped(row.url).c_str()));
    for (const Row& row : changes.Removed())
        outcome.Print(FormattedText(IDS_CLI_WOULD_REMOVE, ControlsEscaped(row.prefix).c_str()));
}

namespace {

// Why each browser's policy leaves a row out, by CSearchPolicy::Reason.
const UINT kChromeWhy[] = {0, IDS_CLI_POLICY_SPACE, IDS_CLI_POLICY_AT_SIGN, IDS_CLI_POLICY_NO_QUERY,
                           IDS_CLI_POLICY_NOT_WEB, IDS_CLI_POLICY_DUPLICATE, IDS_CLI_POLICY_FULL};
const UINT kFirefoxWhy[] = {0, IDS_CLI_FIREFOX_SPACE, 0, IDS_CLI_POLICY_NO_QUERY, IDS_CLI_FIREFOX_NOT_WEB,
                            IDS_CLI_FIREFOX_DUPLICATE, 0};

// The rows the policy takes, each left out named with why; how many it took.
int AddToPolicy(CSearchPolicy& policy, const UINT* why, const std::vector<Row>& rows, COutcome& outcome)
{
    int added = 0;
    for (const Row& row : rows) {
        CSearchPolicy::Reason reason = policy.Add(row.prefix, row.url);
        if (reason == CSearchPolicy::kAdded)
            ++added;
        else
            outcome.Fail(COutcome::kInPart,
                         FormattedText(IDS_CLI_LEFT_OUT, ControlsEscaped(row.prefix).c_str(), LoadText(why[reason])));
    }
    return added;
}

// The formats export writes: the files, and the browsers' policies.
const std::pair<const char*, CFileName::Format> kExportFormats[] = {
    {"reg", CFileName::kReg},
    {"html", CFileName::kHtml},
    {"json", CFileName::kJson},
    {"chrome-policy", CFileName::kUnknown},
    {"firefox-policy", CFileName::kUnknown},
};

// The file's bytes in the format, and how many rows it carries.
std::string Exported(const std::vector<Row>& rows, const std::string& format, const std::string& path,
                     bool locked, int& exported, COutcome& outcome)
{
    if (format == "chrome-policy") {
        CChromePolicy policy(!locked);
        exported = AddToPolicy(policy, kChromeWhy, rows, outcome);
        return policy.Format(path.c_str());
    }
    if (format == "firefox-policy") {
        CFirefoxPolicy policy;
        exported = AddToPolicy(policy, kFirefoxWhy, rows, outcome);
        return policy.Format(path.c_str());
    }
    const auto* known = std::find_if(std::begin(kExportFormats), std::end(kExportFormats),
                                     [&](const auto& name) { return format == name.first; });
    std::vector<CPrefixFiles::LeftOut> leftOut;
    const std::string bytes = CPrefixFiles::Format(rows, known->second, leftOut);
    for (const CPrefixFiles::LeftOut& row : leftOut)
        outcome.Fail(COutcome::kInPart, CPrefixFiles::LeftOutText(row));
    exported = static_cast<int>(rows.size() - leftOut.size());
    return bytes;
}

// The format a file's name tells; empty when it tells none.
std::string FormatOfName(const std::string& path)
{
    static const char* const kNames[] = {"", "reg", "html", "json"};  // as CFileName::Format
    return kNames[CFileName::FormatOf(path)];
}

// The file name that stands for standard input or output, as console tools
// take it.
const char kStandardStream[] = "-";

// The file's name for a message: "-" as the stream it stands for.
std::string Named(const std::string& path, UINT stream)
{
    return path == kStandardStream ? std::string(LoadText(stream)) : path;
}

// Standard input, whole, as CByteFile reads a file: 0 or the error. A pipe
// ends with ERROR_BROKEN_PIPE on Windows, with a read of nothing under Wine;
// the C runtime takes a read of nothing for the end too.
DWORD ReadStandardInput(std::string& bytes)
{
    const HANDLE input = ::GetStdHandle(STD_INPUT_HANDLE);
    char buffer[65536];
    for (;;) {
        DWORD read = 0;
        DWORD error = ::ReadFile(input, buffer, sizeof buffer, &read, nullptr) ? 0 : ::GetLastError();
        if (error == ERROR_BROKEN_PIPE)
            return 0;
        if (error != 0 && error != ERROR_MORE_DATA)
            return error;
        if (read == 0)
            return 0;
        if (bytes.size() + read > CByteFile::kMaxBytes)
            return ERROR_FILE_TOO_LARGE;
        bytes.append(buffer, read);
    }
}

// The prefixes of the file standard input holds, as CPrefixFiles::Load
// reads a file's.
DWORD LoadStandardInput(std::vector<Row>& rows, int& skipped, CFileName::Format& format)
{
    std::string bytes;
    format = CFileName::kUnknown;
    DWORD error = ReadStandardInput(bytes);
    return error != 0 ? error : CPrefixFiles::Parse(bytes, rows, skipped, format);
}

} // namespace

void CTransferCommands::Import(const CCommandLine& line, COutcome& outcome)
{
    const std::string path = line.Operands()[0];
    std::vector<Row> rows;
    int skipped = 0;
    CFileName::Format format = CFileName::kUnknown;
    DWORD error = path == kStandardStream ? LoadStandardInput(rows, skipped, format)
                                          : CPrefixFiles::Load(path, rows, skipped, format);
    const std::string name = Named(path, IDS_CLI_STANDARD_INPUT);
    if (error != 0) {
        outcome.Fail(COutcome::kFile, CPrefixFiles::LoadError(name, error, format));
        return;
    }
    CPrefixTable table;
    if (outcome.Report(table.Load(), false))
        Take(table, rows, skipped, name, line.Has("--replace"), line.Has("--dry-run"), outcome);
}

void CTransferCommands::ImportBrowser(const CCommandLine& line, COutcome& outcome)
{
    std::vector<std::string> starts;
    for (const std::string& from : line.Values("--from")) {
        starts.push_back(ProfileStart(CCommandLine::Folded(from)));
        if (starts.back().empty()) {
            outcome.Usage(FormattedText(IDS_CLI_BAD_VALUE, "--from", from.c_str()));
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
    // Each prefix's first row: those not checked are already so.
    std::vector<Row> rows;
    std::set<std::string> seen;
    for (const CImportCandidates::Row& row : candidates.Rows()) {
        if (seen.insert(static_cast<const char*>(row.prefix)).second)
            rows.push_back({row.prefix, row.url});
    }
    for (const CFoundShortcuts::Unread& profile : candidates.UnreadProfiles())
        outcome.Fail(COutcome::kInPart, FormattedText(IDS_COULD_NOT_READ_PROFILE, profile.source, profile.reason));
    const std::string summary = candidates.Summary(false);
    if (!summary.empty())
        outcome.Print(summary);
    Take(table, rows, 0, std::string(), false, line.Has("--dry-run"), outcome);
}

void CTransferCommands::Export(const CCommandLine& line, COutcome& outcome)
{
    const std::string path = line.Operands()[0];
    const bool given = line.Has("--format");
    const std::string format = given ? CCommandLine::Folded(line.Value("--format")) : FormatOfName(path);
    if (!given && format.empty()) {
        outcome.Usage(FormattedText(IDS_CLI_NO_FORMAT, path.c_str()));
        return;
    }
    if (std::none_of(std::begin(kExportFormats), std::end(kExportFormats),
                     [&](const auto& known) { return format == known.first; })) {
        outcome.Usage(FormattedText(IDS_CLI_BAD_VALUE, "--format", line.Value("--format").c_str()));
        return;
    }
    if (line.Has("--locked") && format != "chrome-policy") {
        outcome.Usage(static_cast<const char*>(LoadText(IDS_CLI_LOCKED_POLICY_ONLY)));
        return;
    }
    CPrefixTable table;
    if (!outcome.Report(table.Load()))
        return;
    int exported = 0;
    const std::vector<Row> rows = table.GetRows();
    const std::string bytes = Exported(rows, format, path, line.Has("--locked"), exported, outcome);
    // With nothing to carry the file stays as it was: a policy emptied by
    // mistake would clear the shortcuts of every machine it reaches.
    if (exported == 0 && !rows.empty()) {
        outcome.Print(FormattedText(IDS_CLI_NOTHING_EXPORTED, Named(path, IDS_CLI_STANDARD_OUTPUT).c_str()));
        return;
    }
    const bool toOutput = path == kStandardStream;
    if (DWORD error = toOutput ? outcome.Out().WriteBytes(bytes) : CByteFile::Write(path.c_str(), bytes)) {
        outcome.Fail(COutcome::kFile, CPrefixFiles::SaveError(Named(path, IDS_CLI_STANDARD_OUTPUT), error));
        return;
    }
    outcome.Done(exported);
    if (!toOutput)
        outcome.Print(FormattedText(IDS_CLI_EXPORTED,
                                    Counted(exported, IDS_PREFIXES_ONE, IDS_PREFIXES_MANY).c_str(), path.c_str()));
}

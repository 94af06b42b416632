#include "cli/TableCommands.h"

#include "cli/BackupCommands.h"
#include "cli/CommandLine.h"
#include "cli/Outcome.h"
#include "cli/TableChanges.h"
#include "exchange/PrefixFiles.h"
#include "exchange/TextEncoding.h"
#include "prefixes/PrefixCase.h"
#include "prefixes/PrefixTable.h"
#include "prefixes/ReportText.h"
#include "registry/ProcessCodePage.h"
#include "res/resource.h"

#include <algorithm>
#include <set>
#include <vector>

using Tessaly::Widen;
using Row = CPrefixTable::Row;

namespace {

// Aligned columns under the list's headings, for a person to read; what
// another program stored cannot move the cursor or start a line.
std::wstring TextList(const std::vector<Row>& rows, COutcome&)
{
    std::vector<std::pair<std::wstring, std::wstring>> lines = {
        {Widen(LoadText(IDS_COLUMN_PREFIX)), Widen(LoadText(IDS_COLUMN_URL))}};
    for (const Row& row : rows)
        lines.push_back({ControlsEscaped(Widen(row.prefix)), ControlsEscaped(Widen(row.url))});
    size_t width = 0;
    for (const auto& line : lines)
        width = std::max(width, line.first.size());
    std::wstring text;
    for (const auto& line : lines)
        text += line.first + std::wstring(width - line.first.size() + 2, L' ') + line.second + L"\r\n";
    return text;
}

// The file an export writes, as text, each row it leaves out named.
std::wstring FileList(const std::vector<Row>& rows, CFileName::Format format, COutcome& outcome)
{
    std::vector<CPrefixFiles::LeftOut> leftOut;
    std::wstring text;
    DecodeText(CPrefixFiles::Format(rows, format, leftOut), text);
    for (const CPrefixFiles::LeftOut& row : leftOut)
        outcome.Fail(COutcome::kInPart, CPrefixFiles::LeftOutText(row));
    return text;
}

// The key read into the table for a command that writes; false, with the
// failure told, when it could not be read through.
bool Load(CPrefixTable& table, COutcome& outcome)
{
    return outcome.Report(table.Load(), false);
}

// The rows' prefixes, as messages name them.
std::string Names(const std::vector<PrefixRow>& rows)
{
    std::vector<CString> names;
    for (const PrefixRow& row : rows)
        names.push_back(row.prefix);
    return CReportText::Names(names);
}

// Saves the edits, `items` of them as the command counts them (a rename is
// one, though it adds a subkey and removes one), and when all were written
// says in one line what they were.
void Confirm(CPrefixTable& table, const CTableChanges::Rows& before, const std::set<std::string>& taken,
             size_t items, COutcome& outcome)
{
    const CTableChanges changes(before, table.Rows(), taken);
    if (!outcome.Saved(CBackupCommands::Save(table, outcome), items))
        return;
    const auto& added = changes.Added();
    const auto& removed = changes.Removed();
    if (added.size() == 1 && removed.size() == 1)
        outcome.Print(FormattedText(IDS_CLI_RENAMED, Names(removed).c_str(), Names(added).c_str()));
    else if (!added.empty())
        outcome.Print(FormattedText(IDS_CLI_ADDED, Names(added).c_str()));
    else if (!changes.Changed().empty())
        outcome.Print(FormattedText(IDS_CLI_CHANGED_URL, Names(changes.Changed()).c_str()));
    else if (!removed.empty())
        outcome.Print(FormattedText(IDS_CLI_REMOVED, Names(removed).c_str()));
    else if (!taken.empty())
        outcome.Print(FormattedText(IDS_CLI_ALREADY_SO, ControlsEscaped(taken.begin()->c_str()).c_str()));
}

} // namespace

void CTableCommands::List(const CCommandLine& line, COutcome& outcome)
{
    const struct {
        const char* name;
        std::wstring (*format)(const std::vector<Row>&, COutcome&);
    } kFormats[] = {
        {"text", TextList},
        {"reg",
         [](const std::vector<Row>& rows, COutcome& outcome) { return FileList(rows, CFileName::kReg, outcome); }},
        {"html",
         [](const std::vector<Row>& rows, COutcome& outcome) { return FileList(rows, CFileName::kHtml, outcome); }},
        {"json",
         [](const std::vector<Row>& rows, COutcome& outcome) {
             return CConsoleStream::WithWindowsLineEnds(FileList(rows, CFileName::kJson, outcome));
         }},
    };
    const std::string format = line.Has("--format") ? CCommandLine::Folded(line.Value("--format")) : "text";
    auto found = std::find_if(std::begin(kFormats), std::end(kFormats),
                              [&](const auto& known) { return format == known.name; });
    if (found == std::end(kFormats)) {
        outcome.Usage(FormattedText(IDS_CLI_BAD_VALUE, "--format", line.Value("--format").c_str()));
        return;
    }
    CPrefixTable table;
    if (!outcome.Report(table.Load()))
        return;
    outcome.Out().Write(found->format(table.GetRows(), outcome));
    outcome.Done(1);
}

void CTableCommands::Add(const CCommandLine& line, COutcome& outcome)
{
    CPrefixTable table;
    if (!Load(table, outcome))
        return;
    const auto before = table.Rows();
    const std::vector<std::string>& words = line.Operands();
    CPrefixTable::Result result = table.AddOrUpdatePrefix(words[0].c_str(), words[1].c_str());
    outcome.Refused(result, words[0].c_str());
    if (result.Done())
        Confirm(table, before, {static_cast<const char*>(UpperCasePrefix(words[0].c_str()))}, 1, outcome);
}

void CTableCommands::Remove(const CCommandLine& line, COutcome& outcome)
{
    CPrefixTable table;
    if (!Load(table, outcome))
        return;
    const auto before = table.Rows();
    size_t removed = 0;
    for (const std::string& prefix : line.Operands()) {
        CPrefixTable::Result result = table.RemovePrefix(prefix.c_str());
        outcome.Refused(result, prefix.c_str());
        removed += result.Done();
    }
    Confirm(table, before, {}, removed, outcome);
}

void CTableCommands::Rename(const CCommandLine& line, COutcome& outcome)
{
    CPrefixTable table;
    if (!Load(table, outcome))
        return;
    const auto before = table.Rows();
    const std::vector<std::string>& words = line.Operands();
    CPrefixTable::Result result = table.RenamePrefix(words[0].c_str(), words[1].c_str());
    // Named as typed, but the row in the way as the list shows it.
    using Result = CPrefixTable::Result;
    const CString named = result.kind == Result::kNoSuchPrefix ? CString(words[0].c_str())
                          : result.kind == Result::kPrefixTaken ? UpperCasePrefix(words[1].c_str())
                                                                : CString(words[1].c_str());
    outcome.Refused(result, named);
    if (result.Done())
        Confirm(table, before, {static_cast<const char*>(UpperCasePrefix(words[1].c_str()))}, 1, outcome);
}

#include "cli/BackupCommands.h"

#include "cli/CommandLine.h"
#include "cli/Outcome.h"
#include "cli/TransferCommands.h"
#include "exchange/PrefixBackups.h"
#include "exchange/TextEncoding.h"
#include "prefixes/PrefixTable.h"
#include "registry/ProcessCodePage.h"
#include "res/resource.h"

#include <nlohmann/json.hpp>

#include <cstdio>
#include <string>
#include <vector>

namespace {

// As ISO 8601 writes it, to the second, in local time.
std::string TimeText(const SYSTEMTIME& time, char between)
{
    char text[32];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u%c%02u:%02u:%02u", time.wYear, time.wMonth, time.wDay, between,
                  time.wHour, time.wMinute, time.wSecond);
    return text;
}

std::string What(const CPrefixBackups::Backup& backup)
{
    return backup.unusable != 0 ? FormattedText(IDS_BACKUP_UNUSABLE, LoadText(backup.unusable))
                                : Counted(static_cast<int>(backup.rows.size()), IDS_PREFIXES_ONE, IDS_PREFIXES_MANY);
}

void ListAsJson(const std::vector<CPrefixBackups::Backup>& backups, COutcome& outcome)
{
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (size_t i = 0; i < backups.size(); ++i) {
        const CPrefixBackups::Backup& backup = backups[i];
        nlohmann::ordered_json item = {{"number", i + 1},
                                       {"time", TimeText(backup.time, 'T')},
                                       {"file", Utf8FromWide(backup.path)},
                                       {"prefixes", backup.unusable == 0 ? nlohmann::ordered_json(backup.rows.size())
                                                                         : nlohmann::ordered_json()},
                                       {"restorable", backup.unusable == 0}};
        if (backup.unusable != 0)
            item["reason"] = Utf8FromWide(Tessaly::Widen(LoadText(backup.unusable)));
        list.push_back(std::move(item));
    }
    const std::string text = list.dump(2, ' ', true, nlohmann::json::error_handler_t::replace) + "\n";
    outcome.Out().Write(CConsoleStream::WithWindowsLineEnds(WideFromUtf8(text)));
}

// The backup a NUMBER of the list or a FILE names; false, told, when none
// can be restored.
bool Chosen(const std::string& word, CPrefixBackups::Backup& backup, COutcome& outcome)
{
    const bool number = !word.empty() && word.size() < 6 && word.find_first_not_of("0123456789") == std::string::npos;
    if (number) {
        const std::vector<CPrefixBackups::Backup> backups = CPrefixBackups().List();
        const size_t index = std::stoul(word);
        if (index == 0 || index > backups.size()) {
            outcome.Fail(COutcome::kUsage, FormattedText(IDS_CLI_NO_BACKUP, word.c_str()));
            return false;
        }
        backup = backups[index - 1];
    } else if (!CPrefixBackups::Read(Tessaly::Widen(word.c_str()), backup)) {
        outcome.Fail(COutcome::kFile, FormattedText(IDS_CLI_NOT_A_BACKUP, word.c_str()));
        return false;
    }
    if (backup.unusable == 0)
        return true;
    outcome.Fail(COutcome::kFile, FormattedText(IDS_CLI_CANNOT_RESTORE, word.c_str(), LoadText(backup.unusable)));
    return false;
}

} // namespace

void CBackupCommands::Backups(const CCommandLine& line, COutcome& outcome)
{
    const std::string format = line.Has("--format") ? CCommandLine::Folded(line.Value("--format")) : "text";
    if (format != "text" && format != "json") {
        outcome.Usage(FormattedText(IDS_CLI_BAD_VALUE, "--format", line.Value("--format").c_str()));
        return;
    }
    const std::vector<CPrefixBackups::Backup> backups = CPrefixBackups().List();
    outcome.Done(1);
    if (format == "json") {
        ListAsJson(backups, outcome);
        return;
    }
    outcome.Print(FormattedText(backups.empty() ? IDS_CLI_NO_BACKUPS : IDS_CLI_BACKUPS_IN,
                                Tessaly::Narrow(CPrefixBackups::UserFolder()).c_str()));
    for (size_t i = 0; i < backups.size(); ++i) {
        char number[16];
        std::snprintf(number, sizeof number, "%3u  ", static_cast<unsigned>(i + 1));
        outcome.Print(number + TimeText(backups[i].time, ' ') + "  " + What(backups[i]));
    }
}

void CBackupCommands::Restore(const CCommandLine& line, COutcome& outcome)
{
    CPrefixBackups::Backup backup;
    if (!Chosen(line.Operands()[0], backup, outcome))
        return;
    CPrefixTable table;
    if (outcome.Report(table.Load(), false))
        CTransferCommands::Take(table, backup.rows, 0, Tessaly::Narrow(backup.path), true, line.Has("--dry-run"),
                                outcome, true);
}

CPrefixStore::Report CBackupCommands::Save(CPrefixTable& table, COutcome& outcome)
{
    CPrefixBackups backups;
    if (DWORD error = backups.BeforeFirstSave())
        outcome.Fail(COutcome::kDone, CPrefixBackups::FailureText(error));
    return table.Save();
}

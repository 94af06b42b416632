#include "cli/CliCommands.h"

#include "cli/BackupCommands.h"
#include "cli/CommandLine.h"
#include "cli/Outcome.h"
#include "cli/TableCommands.h"
#include "cli/TransferCommands.h"
#include "res/resource.h"

#include <algorithm>

const char CCliCommands::kVersion[] = QUILLORY_VERSION;

namespace {

struct Command {
    const char* name;
    size_t fewest;  // operands
    size_t most;
    const char* options;
    void (*run)(const CCommandLine&, COutcome&);
    UINT help;  // its first line shows how it is called
};
const size_t kAny = static_cast<size_t>(-1);
const Command kCommands[] = {
    {"list", 0, 0, "--format=", CTableCommands::List, IDS_CLI_HELP_LIST},
    {"add", 2, 2, "--quiet", CTableCommands::Add, IDS_CLI_HELP_ADD},
    {"remove", 1, kAny, "--quiet", CTableCommands::Remove, IDS_CLI_HELP_REMOVE},
    {"rename", 2, 2, "--quiet", CTableCommands::Rename, IDS_CLI_HELP_RENAME},
    {"import", 1, 1, "--replace --dry-run --quiet", CTransferCommands::Import, IDS_CLI_HELP_IMPORT},
    {"import-browser", 0, 0, "--from= --dry-run --quiet", CTransferCommands::ImportBrowser,
     IDS_CLI_HELP_IMPORT_BROWSER},
    {"export", 1, 1, "--format= --locked --quiet", CTransferCommands::Export, IDS_CLI_HELP_EXPORT},
    {"backups", 0, 0, "--format=", CBackupCommands::Backups, IDS_CLI_HELP_BACKUPS},
    {"restore", 1, 1, "--dry-run --quiet", CBackupCommands::Restore, IDS_CLI_HELP_RESTORE},
};

const Command* FindCommand(const std::string& name)
{
    const std::string folded = CCommandLine::Folded(name);
    auto found = std::find_if(std::begin(kCommands), std::end(kCommands),
                              [&](const Command& command) { return folded == command.name; });
    return found == std::end(kCommands) ? nullptr : found;
}

std::string FirstLine(UINT id)
{
    const std::string text = static_cast<const char*>(LoadText(id));
    return text.substr(0, text.find('\n'));
}

bool IsHelp(const std::string& word)
{
    const std::string folded = CCommandLine::Folded(word);
    return folded == "--help" || folded == "-h" || folded == "/?" || folded == "-?";
}

// --help, help COMMAND and --version; false when the words ask for none.
bool Helped(const std::vector<std::string>& words, COutcome& outcome)
{
    const std::string first = CCommandLine::Folded(words[0]);
    if (words.size() == 1 && first == "--version") {
        outcome.Print(FormattedText(IDS_CLI_VERSION, CCliCommands::kVersion));
        return true;
    }
    // help COMMAND and --help COMMAND, or COMMAND --help
    const bool asked = first == "help" || IsHelp(first);
    if (!asked && !(words.size() == 2 && IsHelp(words[1])))
        return false;
    if (words.size() == 1) {
        outcome.Print(std::string(LoadText(IDS_CLI_USAGE)), false);
        return true;
    }
    const std::string& name = words[asked ? 1 : 0];
    const Command* command = FindCommand(name);
    if (command == nullptr) {
        outcome.Fail(COutcome::kUsage, FormattedText(IDS_CLI_UNKNOWN_COMMAND, name.c_str()));
    } else if (words.size() > 2) {
        outcome.SetCommand(command->name);
        outcome.Usage(FormattedText(IDS_CLI_UNEXPECTED, words[2].c_str()));
    } else {
        outcome.Print(std::string(LoadText(command->help)), false);
    }
    return true;
}

} // namespace

void CCliCommands::Run(const std::vector<std::string>& words, COutcome& outcome)
{
    if (words.empty()) {
        outcome.Fail(COutcome::kUsage, FirstLine(IDS_CLI_USAGE));
        outcome.Fail(COutcome::kUsage, static_cast<const char*>(LoadText(IDS_CLI_SEE_USAGE)));
        return;
    }
    if (Helped(words, outcome))
        return;
    const Command* command = FindCommand(words[0]);
    if (command == nullptr) {
        outcome.Fail(COutcome::kUsage, FormattedText(IDS_CLI_UNKNOWN_COMMAND, words[0].c_str()));
        return;
    }
    outcome.SetCommand(command->name);
    CCommandLine line;
    std::string wrong;
    bool missingValue = false;
    const std::vector<std::string> rest(words.begin() + 1, words.end());
    std::string error;
    if (!line.Parse(rest, command->options, wrong, missingValue))
        error = FormattedText(missingValue ? IDS_CLI_NO_VALUE : IDS_CLI_UNKNOWN_OPTION, wrong.c_str());
    else if (line.Operands().size() > command->most && !line.OptionLike().empty())
        error = FormattedText(IDS_CLI_UNKNOWN_OPTION, line.OptionLike().c_str());
    else if (line.Operands().size() > command->most)
        error = FormattedText(IDS_CLI_UNEXPECTED, line.Operands()[command->most].c_str());
    else if (line.Operands().size() < command->fewest)
        error = FormattedText(IDS_CLI_TOO_FEW, command->name);
    if (!error.empty()) {
        outcome.Usage(error);
        outcome.Fail(COutcome::kUsage, FirstLine(command->help));
        return;
    }
    outcome.SetQuiet(line.Has("--quiet"));
    command->run(line, outcome);
}

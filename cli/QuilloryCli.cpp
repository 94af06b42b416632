// quillory-cli: the search prefixes from the command line, over the same
// store and rules as the dialog, for scripts and administrators.

#include "cli/CliCommands.h"
#include "cli/CommandLine.h"
#include "cli/Outcome.h"
#include "res/resource.h"

#include <string>
#include <vector>

int main()
{
    COutcome outcome;
    std::vector<std::string> words;
    size_t bad = 0;
    if (!CCommandLine::Arguments(words, bad))
        outcome.Fail(COutcome::kUsage, FormattedText(IDS_CLI_UNREADABLE_ARGUMENT, std::to_string(bad + 1).c_str()));
    else
        CCliCommands::Run(words, outcome);
    return outcome.ExitCode();
}

#include "tests/cli/CliRun.h"

#include "cli/CliCommands.h"
#include "cli/Outcome.h"
#include "tests/support/ChildProcess.h"

CliResult RunInProcess(const std::vector<std::string>& words)
{
    CliResult result;
    result.exit = CaptureStreams(
        [&words] {
            COutcome outcome;
            CCliCommands::Run(words, outcome);
            return outcome.ExitCode();
        },
        result.out, result.err);
    return result;
}

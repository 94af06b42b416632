#pragma once

#include "prefixes/PrefixTable.h"

#include <string>
#include <vector>

class CCommandLine;
class COutcome;

// The commands that carry prefixes between the key and files or browsers.
class CTransferCommands {
public:
    static void Import(const CCommandLine& line, COutcome& outcome);
    static void ImportBrowser(const CCommandLine& line, COutcome& outcome);
    static void Export(const CCommandLine& line, COutcome& outcome);

    // The rows taken into the table from the file `from` (empty: from the
    // browsers), and with `replace` every other row removed; saved, or with
    // `dryRun` only told, row by row. A `restore` takes a backup, which is
    // meant even when it holds no prefix.
    static void Take(CPrefixTable& table, const std::vector<CPrefixTable::Row>& rows, int skipped,
                     const std::string& from, bool replace, bool dryRun, COutcome& outcome, bool restore = false);
};

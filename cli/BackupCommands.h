#pragma once

#include "prefixes/PrefixStore.h"

class CCommandLine;
class COutcome;
class CPrefixTable;

// The backups a change leaves of the key, listed and restored; and the save
// every command that writes makes through them.
class CBackupCommands {
public:
    static void Backups(const CCommandLine& line, COutcome& outcome);
    static void Restore(const CCommandLine& line, COutcome& outcome);

    // The table saved, the key backed up first; a backup that cannot be
    // made is told, and the save goes on.
    static CPrefixStore::Report Save(CPrefixTable& table, COutcome& outcome);
};

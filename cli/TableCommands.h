#pragma once

class CCommandLine;
class COutcome;

// The commands that show and edit the prefixes in the key, one by one.
class CTableCommands {
public:
    static void List(const CCommandLine& line, COutcome& outcome);
    static void Add(const CCommandLine& line, COutcome& outcome);
    static void Remove(const CCommandLine& line, COutcome& outcome);
    static void Rename(const CCommandLine& line, COutcome& outcome);
};

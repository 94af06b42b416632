#pragma once

class CCommandLine;
class COutcome;

// The commands that carry prefixes between the key and files or browsers.
class CTransferCommands {
public:
    static void Import(const CCommandLine& line, COutcome& outcome);
    static void ImportBrowser(const CCommandLine& line, COutcome& outcome);
    static void Export(const CCommandLine& line, COutcome& outcome);
};

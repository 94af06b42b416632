#pragma once

#include "cli/ConsoleStream.h"
#include "prefixes/PrefixStore.h"
#include "prefixes/PrefixTable.h"

#include <string>

// What a command did: its output, its errors (one line each on standard
// error, as they come) and, from the most serious of them, the exit code.
class COutcome {
public:
    enum Code {
        kDone = 0,
        kUsage = 1,     // the command line is wrong
        kFile = 2,      // a file that cannot be read or written, or is not one of ours
        kRegistry = 3,  // the registry failed
        kInPart = 4,    // done, but some rows were refused or failed
    };

    COutcome();

    const CConsoleStream& Out() const { return m_out; }
    // A line of output, its control characters escaped; or with `oneLine`
    // false, a text of the program's own as it is.
    void Print(const std::string& text, bool oneLine = true) const;
    // The text made one line, as Print makes it: a message written for a
    // box may hold breaks.
    void Fail(Code code, const std::string& text);
    // Names the prefix the table refused, and why.
    void Refused(CPrefixTable::Result result, const char* prefix);
    // Names every failure of the store's report; true when the key was read
    // through. A prefix stored incomplete is named without a failing code,
    // and not at all without `incomplete`: a command that writes prefixes
    // makes whole what it writes, and leaves the rest as they were.
    bool Report(const CPrefixStore::Report& report, bool incomplete = true);

    int ExitCode() const { return m_code; }

private:
    CConsoleStream m_out;
    CConsoleStream m_err;
    Code m_code = kDone;
};

#pragma once

#include "cli/ConsoleStream.h"
#include "prefixes/PrefixStore.h"
#include "prefixes/PrefixTable.h"

#include <string>

// What a command did: its output, its errors (one line each on standard
// error, as they come) and, from the most serious of them and what was
// done, the exit code.
class COutcome {
public:
    enum Code {
        kDone = 0,
        kUsage = 1,     // the command line is wrong
        kFile = 2,      // a file that cannot be read or written, or holds nothing to take
        kRegistry = 3,  // the registry failed
        kInPart = 4,    // some items done, others refused, absent, failed or left out
        kNothingDone = 5,  // every item refused, absent, failed or left out
    };

    COutcome();

    const CConsoleStream& Out() const { return m_out; }
    // A line of output, its control characters escaped; or with `oneLine`
    // false, a text of the program's own as it is. Nothing when quiet.
    void Print(const std::string& text, bool oneLine = true) const;
    void SetQuiet(bool quiet) { m_quiet = quiet; }
    // The text made one line, as Print makes it: a message written for a
    // box may hold breaks.
    void Fail(Code code, const std::string& text);
    // A usage error, pointing to the help of the command named here.
    void Usage(const std::string& text);
    void SetCommand(const std::string& name) { m_command = name; }
    // Items the command did (or, in a dry run, would do): a command whose
    // every item failed ends with kNothingDone rather than kInPart.
    void Done(size_t items) { m_done += items; }
    // Names the prefix the table refused, and why.
    void Refused(CPrefixTable::Result result, const char* prefix);
    // Names every failure of the store's report; true when the key was read
    // through. A prefix stored incomplete is named without a failing code.
    // For a command that writes (not `listing`), a prefix it did not name
    // is none of its items: one stored incomplete is not named (the command
    // makes whole what it writes and leaves the rest as they were), and one
    // that cannot be read is named without a failing code.
    bool Report(const CPrefixStore::Report& report, bool listing = true);
    // Reports a save of `items` edits, each failure one item not done;
    // true when every edit was written.
    bool Saved(const CPrefixStore::Report& report, size_t items);

    int ExitCode() const { return m_code == kInPart && m_done == 0 ? kNothingDone : m_code; }

private:
    CConsoleStream m_out;
    CConsoleStream m_err;
    Code m_code = kDone;
    size_t m_done = 0;
    bool m_quiet = false;
    std::string m_command;
};

#pragma once

#include "prefixes/PrefixStore.h"

#include <string>
#include <vector>

// What a store's report tells the user, in the program's words: a message
// for each kind of failure, in the order of the steps, as a box shows them;
// or a line for each failure, naming its prefix and the system's reason, as
// the command line prints them.
class CReportText {
public:
    static std::vector<std::string> Messages(const CPrefixStore::Report& report);
    static std::string Line(const CPrefixStore::Failure& failure);
    // The first ten items, then how many more: a box of a size to read.
    static std::string Listed(const std::vector<std::string>& items, const char* separator);
    // Prefixes named in a message, whatever another program stored.
    static std::string Names(const std::vector<CString>& names);
};

#pragma once

#include <string>
#include <vector>

// A command line run in this process, against the scratch registry: its
// exit code and the bytes of its two streams.
struct CliResult {
    int exit;
    std::string out;
    std::string err;
};
CliResult RunInProcess(const std::vector<std::string>& words);

#pragma once

#include <string>
#include <vector>

class COutcome;

// The program's commands by name, with how each is called, its help and
// --version: the words typed, run.
class CCliCommands {
public:
    static const char kVersion[];

    static void Run(const std::vector<std::string>& words, COutcome& outcome);
};

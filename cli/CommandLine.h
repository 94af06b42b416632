#pragma once

#include <string>
#include <vector>

// The words typed after the program's name, sorted into a command, its
// operands and its options. Options start with "--", before or after the
// operands, their values as the next word or after "="; "--" ends them, so
// that an operand may start with "-". Option names are taken in any case,
// as Windows' own tools take theirs.
class CCommandLine {
public:
    // The word in lower case, A to Z only: commands, options and the values
    // of options that name a choice.
    static std::string Folded(const std::string& word);

    // The program's own arguments, in the process code page; false when one
    // holds characters the code page cannot (its index in `bad`).
    static bool Arguments(std::vector<std::string>& words, size_t& bad);

    // `options` names what the command takes: "--name" a switch, "--name="
    // an option with a value, each separated by a space. False, with the
    // offending word or option in `error`, when a word is no option of the
    // command or an option lacks its value; `missingValue` tells which.
    bool Parse(const std::vector<std::string>& words, const char* options, std::string& error,
               bool& missingValue);

    const std::vector<std::string>& Operands() const { return m_operands; }
    bool Has(const char* option) const;
    // Every value given for the option, in order.
    std::vector<std::string> Values(const char* option) const;
    // The last value given; empty when none.
    std::string Value(const char* option) const;
    // The first operand that looks like an option, "-x" or "/x"; empty when
    // none does.
    std::string OptionLike() const;

private:
    struct Option {
        std::string name;
        std::string value;
    };
    std::vector<std::string> m_operands;
    std::vector<Option> m_options;
};

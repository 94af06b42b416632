#include "cli/CommandLine.h"

#include "registry/ProcessCodePage.h"

#include <memory>

#include <shellapi.h>

namespace {

// How the command takes `name`: 0 not at all, 1 as a switch, 2 with a value.
int TakesOption(const char* options, const std::string& name)
{
    const std::string list = std::string(" ") + options + " ";
    if (list.find(" " + name + " ") != std::string::npos)
        return 1;
    return list.find(" " + name + "= ") != std::string::npos ? 2 : 0;
}

} // namespace

std::string CCommandLine::Folded(const std::string& word)
{
    std::string folded = word;
    for (char& c : folded) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return folded;
}

bool CCommandLine::Arguments(std::vector<std::string>& words, size_t& bad)
{
    int count = 0;
    std::unique_ptr<LPWSTR, decltype(&::LocalFree)> argv(::CommandLineToArgvW(::GetCommandLineW(), &count),
                                                         &::LocalFree);
    words.clear();
    for (int i = 1; argv && i < count; ++i) {
        std::string word;
        if (!Tessaly::NarrowExactly(argv.get()[i], word)) {
            bad = words.size();
            return false;
        }
        words.push_back(word);
    }
    return true;
}

bool CCommandLine::Parse(const std::vector<std::string>& words, const char* options, std::string& error,
                         bool& missingValue)
{
    m_operands.clear();
    m_options.clear();
    missingValue = false;
    bool optionsEnded = false;
    for (size_t i = 0; i < words.size(); ++i) {
        const std::string& word = words[i];
        if (optionsEnded || word.size() < 2 || word.compare(0, 2, "--") != 0) {
            m_operands.push_back(word);
            continue;
        }
        if (word == "--") {
            optionsEnded = true;
            continue;
        }
        size_t equals = word.find('=');
        Option option = {Folded(word.substr(0, equals)), std::string()};
        int takes = TakesOption(options, option.name);
        if (takes == 0 || (takes == 1 && equals != std::string::npos)) {
            error = word;
            return false;
        }
        if (takes == 2 && equals != std::string::npos)
            option.value = word.substr(equals + 1);
        else if (takes == 2 && i + 1 < words.size())
            option.value = words[++i];
        else if (takes == 2) {
            error = option.name;
            missingValue = true;
            return false;
        }
        m_options.push_back(option);
    }
    return true;
}

bool CCommandLine::Has(const char* option) const
{
    for (const Option& given : m_options) {
        if (given.name == option)
            return true;
    }
    return false;
}

std::vector<std::string> CCommandLine::Values(const char* option) const
{
    std::vector<std::string> values;
    for (const Option& given : m_options) {
        if (given.name == option)
            values.push_back(given.value);
    }
    return values;
}

std::string CCommandLine::Value(const char* option) const
{
    std::vector<std::string> values = Values(option);
    return values.empty() ? std::string() : values.back();
}

std::string CCommandLine::OptionLike() const
{
    for (const std::string& word : m_operands) {
        // "/f" and "/?" but not "/folder/file.reg"
        bool slash = word.size() >= 2 && word.size() <= 3 && word[0] == '/' && word.find('/', 1) == std::string::npos;
        if ((word.size() >= 2 && word[0] == '-') || slash)
            return word;
    }
    return std::string();
}

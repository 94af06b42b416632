#include "cli/Outcome.h"

#include "registry/Win32Exception.h"
#include "res/resource.h"

namespace {

// Usage and file errors end a command before it changes anything, so they
// come first; of the rest a registry failure tells more than a refusal.
int Rank(COutcome::Code code)
{
    static const int kRanks[] = {0, 4, 3, 2, 1};
    return kRanks[code];
}

std::string OneLine(const std::string& text)
{
    std::string line;
    for (char c : text) {
        if (c != '\r' && c != '\n')
            line += c;
        else if (!line.empty() && line.back() != ' ')
            line += ' ';
    }
    while (!line.empty() && line.back() == ' ')
        line.pop_back();
    return line;
}

// The step's message naming the subkey, and the system's words for why.
std::string FailureText(const CPrefixStore::Failure& failure)
{
    using Failure = CPrefixStore::Failure;
    const std::string why = Tessaly::CWin32Exception::ErrorText(failure.error);
    switch (failure.step) {
    case Failure::Read:
        return failure.subkey.IsEmpty() ? std::string(LoadText(IDS_READ_FAILED)) + " " + why
                                        : FormattedText(IDS_CLI_NOT_READ, failure.subkey, why.c_str());
    case Failure::Keep:
        return FormattedText(IDS_CLI_NOT_WRITTEN_OVER, failure.subkey);
    case Failure::Write:
        return FormattedText(IDS_CLI_NOT_WRITTEN, failure.subkey, why.c_str());
    default:
        return FormattedText(IDS_CLI_NOT_DELETED, failure.subkey, why.c_str());
    }
}

// A row our own rules kept from the key; anything else the registry refused.
bool IsRefusal(const CPrefixStore::Failure& failure)
{
    using Failure = CPrefixStore::Failure;
    return failure.step == Failure::Keep ||
           (failure.step == Failure::Read && !failure.subkey.IsEmpty()) ||
           failure.error == ERROR_ALREADY_EXISTS || failure.error == ERROR_NO_UNICODE_TRANSLATION ||
           failure.error == ERROR_INVALID_DATA;
}

} // namespace

COutcome::COutcome() : m_out(STD_OUTPUT_HANDLE), m_err(STD_ERROR_HANDLE)
{
}

void COutcome::Print(const std::string& text, bool oneLine) const
{
    m_out.WriteLine(oneLine ? OneLine(text) : text);
}

void COutcome::Fail(Code code, const std::string& text)
{
    m_err.WriteLine(OneLine(text));
    if (Rank(code) > Rank(m_code))
        m_code = code;
}

void COutcome::Refused(CPrefixTable::Result result, const char* prefix)
{
    static const UINT kTexts[] = {0, IDS_CLI_INVALID_PREFIX, IDS_CLI_EMPTY_URL, IDS_CLI_NO_PREFIX,
                                  IDS_CLI_PREFIX_TAKEN};
    if (result != CPrefixTable::kDone)
        Fail(kInPart, FormattedText(kTexts[result], prefix));
}

bool COutcome::Report(const CPrefixStore::Report& report)
{
    for (const CPrefixStore::Failure& failure : report.failures)
        Fail(IsRefusal(failure) ? kInPart : kRegistry, FailureText(failure));
    return report.walked;
}

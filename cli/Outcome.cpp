#include "cli/Outcome.h"

#include "prefixes/ReportText.h"
#include "registry/ProcessCodePage.h"
#include "res/resource.h"
#include "text/String.h"

#include <algorithm>

namespace {

// Usage and file errors end a command before it changes anything, so they
// come first; of the rest a registry failure tells more than a refusal.
int Rank(COutcome::Code code)
{
    static const int kRanks[] = {0, 4, 3, 2, 1, 1};
    return kRanks[code];
}

// A row our own rules kept from the key; anything else the registry refused.
bool IsRefusal(const CPrefixStore::Failure& failure)
{
    using Failure = CPrefixStore::Failure;
    return failure.step == Failure::Keep || failure.step == Failure::Changed ||
           (failure.step == Failure::Read && !failure.subkey.IsEmpty()) ||
           failure.error == ERROR_ALREADY_EXISTS || failure.error == ERROR_NO_UNICODE_TRANSLATION ||
           failure.error == ERROR_INVALID_DATA;
}

// A message on one line; a name in it that holds control characters shows
// them escaped.
std::wstring Line(const std::string& text)
{
    return ControlsEscaped(Tessaly::Widen(OneLine(text).c_str())) + L"\r\n";
}

} // namespace

COutcome::COutcome() : m_out(STD_OUTPUT_HANDLE), m_err(STD_ERROR_HANDLE)
{
}

void COutcome::Print(const std::string& text, bool oneLine) const
{
    if (m_quiet)
        return;
    if (oneLine)
        m_out.Write(Line(text));
    else
        m_out.WriteLine(text);
}

void COutcome::Fail(Code code, const std::string& text)
{
    m_err.Write(Line(text));
    if (Rank(code) > Rank(m_code))
        m_code = code;
}

void COutcome::Usage(const std::string& text)
{
    Fail(kUsage, m_command.empty() ? text : FormattedText(IDS_CLI_SEE_HELP, text.c_str(), m_command.c_str()));
}

void COutcome::Refused(CPrefixTable::Result result, const char* prefix)
{
    static const UINT kTexts[] = {0, IDS_CLI_INVALID_PREFIX, IDS_CLI_NO_PREFIX, IDS_CLI_PREFIX_TAKEN};
    if (result.Done())
        return;
    if (result.why == CPrefixRules::kEmptyUrl)
        Fail(kInPart, FormattedText(IDS_CLI_EMPTY_URL, ControlsEscaped(prefix).c_str()));
    else
        Fail(kInPart, FormattedText(kTexts[result.kind], ControlsEscaped(prefix).c_str(),
                                    CPrefixRules::Reason(result.why).c_str()));
}

bool COutcome::Report(const CPrefixStore::Report& report, bool listing)
{
    using Failure = CPrefixStore::Failure;
    for (const Failure& failure : report.failures) {
        const bool incomplete = failure.step == Failure::Incomplete;
        const bool unread = failure.step == Failure::Read && !failure.subkey.IsEmpty();
        if ((incomplete && listing) || (unread && !listing))
            m_err.Write(Line(CReportText::Line(failure)));
        else if (!incomplete)
            Fail(IsRefusal(failure) ? kInPart : kRegistry, CReportText::Line(failure));
    }
    return report.walked;
}

bool COutcome::Saved(const CPrefixStore::Report& report, size_t items)
{
    Report(report);
    size_t failed = 0;
    for (const CPrefixStore::Failure& failure : report.failures)
        failed += failure.step != CPrefixStore::Failure::Incomplete;
    Done(items - std::min(items, failed));
    return failed == 0;
}

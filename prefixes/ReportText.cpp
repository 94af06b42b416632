#include "prefixes/ReportText.h"

#include "res/resource.h"
#include "text/String.h"

#include <algorithm>

namespace {

// The message, naming the prefixes kept as they are, when there are any.
std::string WithKept(UINT failure, const std::vector<CString>& kept)
{
    std::string text = static_cast<const char*>(LoadText(failure));
    return kept.empty() ? text : text + FormattedText(IDS_KEPT, CReportText::Names(kept).c_str());
}

} // namespace

std::vector<std::string> CReportText::Messages(const CPrefixStore::Report& report)
{
    using Failure = CPrefixStore::Failure;
    std::vector<std::string> messages;
    if (report.Failed(Failure::Read))
        messages.push_back(WithKept(IDS_READ_FAILED, report.Subkeys(Failure::Read)));
    if (report.Failed(Failure::Incomplete))
        messages.push_back(FormattedText(IDS_INCOMPLETE, Names(report.Subkeys(Failure::Incomplete)).c_str()));
    // Named: the rows not written over subkeys passed over.
    if (report.Failed(Failure::Keep) || report.Failed(Failure::Write))
        messages.push_back(WithKept(IDS_ADD_FAILED, report.Subkeys(Failure::Keep)));
    if (report.Failed(Failure::Delete))
        messages.push_back(WithKept(IDS_DELETE_FAILED, {}));
    if (report.Failed(Failure::Changed))
        messages.push_back(FormattedText(IDS_CHANGED, Names(report.Subkeys(Failure::Changed)).c_str()));
    return messages;
}

std::string CReportText::Listed(const std::vector<std::string>& items, const char* separator)
{
    const size_t listed = std::min<size_t>(items.size(), 10);
    std::string text;
    for (size_t i = 0; i < listed; ++i)
        text += (i == 0 ? "" : separator) + items[i];
    if (items.size() > listed)
        text = FormattedText(IDS_AND_MORE, text.c_str(), std::to_string(items.size() - listed).c_str());
    return text;
}

std::string CReportText::Names(const std::vector<CString>& names)
{
    std::vector<std::string> escaped;
    for (const CString& name : names)
        escaped.push_back(ControlsEscaped(name));
    return Listed(escaped, ", ");
}

std::string CReportText::Line(const CPrefixStore::Failure& failure)
{
    using Failure = CPrefixStore::Failure;
    const std::string why = SystemErrorText(failure.error);
    const std::string subkey = ControlsEscaped(failure.subkey);
    switch (failure.step) {
    case Failure::Read:
        return failure.subkey.IsEmpty() ? FormattedText(IDS_CLI_KEY_NOT_READ, why.c_str())
                                        : FormattedText(IDS_CLI_NOT_READ, subkey.c_str(), why.c_str());
    case Failure::Incomplete:
        return FormattedText(IDS_CLI_INCOMPLETE, subkey.c_str());
    case Failure::Changed:
        return FormattedText(IDS_CLI_CHANGED, subkey.c_str());
    case Failure::Keep:
        return FormattedText(IDS_CLI_NOT_WRITTEN_OVER, subkey.c_str());
    case Failure::Write:
        return FormattedText(IDS_CLI_NOT_WRITTEN, subkey.c_str(), why.c_str());
    default:
        return FormattedText(IDS_CLI_NOT_DELETED, subkey.c_str(), why.c_str());
    }
}

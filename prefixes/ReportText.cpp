#include "prefixes/ReportText.h"

#include "res/resource.h"
#include "text/String.h"

#include <algorithm>

namespace {

const size_t kKeptNamesListed = 10;

// The message, naming the prefixes kept as they are, when there are any.
std::string WithKept(UINT failure, const std::vector<CString>& kept)
{
    std::string text = static_cast<const char*>(LoadText(failure));
    if (kept.empty())
        return text;
    size_t listed = std::min(kept.size(), kKeptNamesListed);
    std::string names;
    for (size_t i = 0; i < listed; ++i)
        names += (i == 0 ? "" : ", ") + std::string(kept[i]);
    if (kept.size() > listed)
        names = FormattedText(IDS_AND_MORE, names.c_str(), std::to_string(kept.size() - listed).c_str());
    return text + FormattedText(IDS_KEPT, names.c_str());
}

} // namespace

std::vector<std::string> CReportText::Messages(const CPrefixStore::Report& report)
{
    using Failure = CPrefixStore::Failure;
    std::vector<std::string> messages;
    if (report.Failed(Failure::Read))
        messages.push_back(WithKept(IDS_READ_FAILED, report.Subkeys(Failure::Read)));
    // Named: the rows not written over subkeys passed over.
    if (report.Failed(Failure::Keep) || report.Failed(Failure::Write))
        messages.push_back(WithKept(IDS_ADD_FAILED, report.Subkeys(Failure::Keep)));
    if (report.Failed(Failure::Delete))
        messages.push_back(WithKept(IDS_DELETE_FAILED, {}));
    return messages;
}

std::string CReportText::Line(const CPrefixStore::Failure& failure)
{
    using Failure = CPrefixStore::Failure;
    const std::string why = SystemErrorText(failure.error);
    switch (failure.step) {
    case Failure::Read:
        return failure.subkey.IsEmpty() ? FormattedText(IDS_CLI_KEY_NOT_READ, why.c_str())
                                        : FormattedText(IDS_CLI_NOT_READ, failure.subkey, why.c_str());
    case Failure::Keep:
        return FormattedText(IDS_CLI_NOT_WRITTEN_OVER, failure.subkey);
    case Failure::Write:
        return FormattedText(IDS_CLI_NOT_WRITTEN, failure.subkey, why.c_str());
    default:
        return FormattedText(IDS_CLI_NOT_DELETED, failure.subkey, why.c_str());
    }
}

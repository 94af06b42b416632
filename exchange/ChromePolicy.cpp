#include "exchange/ChromePolicy.h"

#include "exchange/ByteFile.h"
#include "exchange/FileName.h"
#include "exchange/PrefixFile.h"
#include "exchange/TextEncoding.h"
#include "prefixes/PrefixRules.h"
#include "prefixes/SearchQuery.h"
#include "registry/ProcessCodePage.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <utility>

namespace {

const char kPolicy[] = "SiteSearchSettings";

} // namespace

CChromePolicy::CChromePolicy(bool allowUserOverride) : m_allowUserOverride(allowUserOverride)
{
}

CChromePolicy::Reason CChromePolicy::Add(const char* prefix, const char* url)
{
    const std::wstring name = Tessaly::Widen(prefix);
    const std::wstring address = Tessaly::Widen(url);
    if (!CPrefixRules::IsTypable(name))
        return kSpace;
    if (name[0] == L'@')
        return kAtSign;
    if (!CSearchQuery::HasQueryPlace(address))
        return kNoQuery;
    if (!CSearchQuery::IsWebAddress(address))
        return kNotWebAddress;
    const std::wstring withTerms = CSearchQuery::WithQuery(address, std::wstring(L"{searchTerms}"));
    Entry entry = {Utf8FromWide(name), Utf8FromWide(LowerCase(name)), Utf8FromWide(withTerms)};
    if (std::any_of(m_entries.begin(), m_entries.end(),
                    [&](const Entry& earlier) { return earlier.shortcut == entry.shortcut; }))
        return kDuplicate;
    if (m_entries.size() >= kMaxEntries)
        return kTooMany;
    m_entries.push_back(std::move(entry));
    return kAdded;
}

// The list alone, compact, for the .reg value; or the policy object,
// indented, for a JSON file. Text that is no UTF-8 would come out replaced
// rather than throw, though conversion leaves none.
std::string CChromePolicy::Dump(bool policyObject) const
{
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (const Entry& entry : m_entries)
        list.push_back({{"name", entry.name},
                        {"shortcut", entry.shortcut},
                        {"url", entry.url},
                        {"allow_user_override", m_allowUserOverride}});
    const nlohmann::ordered_json value = policyObject ? nlohmann::ordered_json{{kPolicy, std::move(list)}} : list;
    return value.dump(policyObject ? 2 : -1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

std::string CChromePolicy::FormatReg() const
{
    const std::wstring section = L"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Policies\\Google\\Chrome]\r\n\"" +
                                 Tessaly::Widen(kPolicy) + L"\"=" +
                                 CPrefixFile::StringData(WideFromUtf8(Dump(false))) + L"\r\n\r\n";
    return CPrefixFile::FileBytes(section);
}

std::string CChromePolicy::FormatJson() const
{
    return Dump(true) + "\n";
}

std::string CChromePolicy::Format(const char* path) const
{
    return CFileName::HasExtension(path, ".json") ? FormatJson() : FormatReg();
}

DWORD CChromePolicy::Save(const char* path) const
{
    return CByteFile::Write(path, Format(path));
}

#include "exchange/SearchPolicy.h"

#include "exchange/TextEncoding.h"
#include "prefixes/PrefixRules.h"
#include "prefixes/SearchQuery.h"
#include "registry/ProcessCodePage.h"

#include <utility>

CSearchPolicy::CSearchPolicy(bool atSignReserved, size_t maxEntries)
    : m_atSignReserved(atSignReserved), m_maxEntries(maxEntries)
{
}

CSearchPolicy::Reason CSearchPolicy::Add(const char* prefix, const char* url)
{
    const std::wstring name = Tessaly::Widen(prefix);
    const std::wstring address = Tessaly::Widen(url);
    if (!CPrefixRules::IsTypable(name))
        return kSpace;
    if (m_atSignReserved && name[0] == L'@')
        return kAtSign;
    if (!CSearchQuery::HasQueryPlace(address))
        return kNoQuery;
    if (!CSearchQuery::IsWebAddress(address))
        return kNotWebAddress;
    const std::wstring withTerms = CSearchQuery::WithQuery(address, std::wstring(L"{searchTerms}"));
    Entry entry = {Utf8FromWide(name), Utf8FromWide(LowerCase(name)), Utf8FromWide(withTerms)};
    if (m_shortcuts.count(entry.shortcut) != 0)
        return kDuplicate;
    if (m_entries.size() >= m_maxEntries)
        return kTooMany;
    m_shortcuts.insert(entry.shortcut);
    m_entries.push_back(std::move(entry));
    return kAdded;
}

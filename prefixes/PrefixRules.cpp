#include "prefixes/PrefixRules.h"

#include "prefixes/PrefixCase.h"
#include "registry/ProcessCodePage.h"
#include "registry/RegistryKey.h"
#include "res/resource.h"

#include <algorithm>
#include <vector>

CPrefixRules::Verdict CPrefixRules::MakeRow(const char* typed, const char* url, const Holds& holds,
                                            CString& prefix)
{
    prefix = UpperCasePrefix(typed);
    Verdict verdict = holds(prefix) ? kPrefix : Judge(prefix);
    return verdict == kPrefix && !IsUsableUrl(url) ? kEmptyUrl : verdict;
}

CString CPrefixRules::Shown(const char* stored)
{
    return UpperCasePrefix(stored);
}

CPrefixRules::Verdict CPrefixRules::MakeName(const char* typed, CString& prefix)
{
    prefix = UpperCasePrefix(typed);
    return Judge(prefix);
}

CPrefixRules::Verdict CPrefixRules::Judge(const char* prefix, UINT codePage)
{
    // In a double-byte code page a trail byte may have the value of a
    // backslash: the characters count, not the bytes.
    const std::wstring wide = Tessaly::Widen(prefix != nullptr ? prefix : "", codePage);
    if (wide.empty())
        return kEmpty;
    if (wide.find(L'\\') != std::wstring::npos)
        return kBackslash;
    if (wide.size() > Tessaly::CRegistryKey::kLongestKeyName)
        return kTooLong;
    return IsTypable(wide) ? kPrefix : kBlank;
}

bool CPrefixRules::IsKeyName(const char* prefix)
{
    Verdict verdict = Judge(prefix);
    return verdict == kPrefix || verdict == kBlank;
}

bool CPrefixRules::IsTypable(const std::wstring& keyword)
{
    if (keyword.empty())
        return false;
    std::vector<WORD> types(keyword.size());
    if (!::GetStringTypeW(CT_CTYPE1, keyword.data(), static_cast<int>(keyword.size()), types.data()))
        return false;
    return std::none_of(types.begin(), types.end(),
                        [](WORD type) { return (type & (C1_SPACE | C1_BLANK | C1_CNTRL)) != 0; });
}

bool CPrefixRules::IsUsableUrl(const char* url)
{
    return url != nullptr && *url != '\0';
}

std::string CPrefixRules::Reason(Verdict verdict)
{
    static const UINT kTexts[] = {0, IDS_PREFIX_EMPTY, IDS_PREFIX_BACKSLASH, IDS_PREFIX_TOO_LONG,
                                  IDS_PREFIX_BLANK};
    return verdict == kPrefix || verdict == kEmptyUrl ? std::string() : std::string(LoadText(kTexts[verdict]));
}

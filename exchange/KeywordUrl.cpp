#include "exchange/KeywordUrl.h"

#include "prefixes/SearchQuery.h"

namespace {

// Each parameter, a {name} with no brace inside, written as what it stands
// for: the query as %s; the Google parameters with a fixed meaning; other
// Google ones, which only Chrome fills in, dropped; any other as it is. In
// one pass, however many the URL holds. Whether the query has a place.
bool ExpandChromium(const std::wstring& url, std::wstring& expanded)
{
    bool query = false;
    expanded.clear();
    for (size_t at = 0; at < url.size();) {
        const size_t open = url.find(L'{', at);
        expanded.append(url, at, open == std::wstring::npos ? std::wstring::npos : open - at);
        if (open == std::wstring::npos)
            break;
        const size_t end = url.find_first_of(L"{}", open + 1);
        if (end == std::wstring::npos || url[end] == L'{') {  // a brace of the address
            expanded += L'{';
            at = open + 1;
            continue;
        }
        const std::wstring name = url.substr(open + 1, end - open - 1);
        if (name == L"searchTerms" || name == L"google:unescapedSearchTerms") {
            expanded += CSearchQuery::QueryPlace<std::wstring>();
            query = true;
        } else if (name == L"google:baseURL") {
            expanded += L"https://www.google.com/";
        } else if (name == L"inputEncoding") {
            expanded += L"UTF-8";
        } else if (name.compare(0, 7, L"google:") != 0) {
            expanded.append(url, open, end - open + 1);
        }
        at = end + 1;
    }
    return query;
}

} // namespace

bool CKeywordUrl::FromChromium(std::wstring& url, CFoundShortcuts::Reason& reason)
{
    std::wstring expanded;
    if (!ExpandChromium(url, expanded)) {
        reason = CFoundShortcuts::kNoSearchTerm;
        return false;
    }
    size_t open = expanded.find(L'{');
    if (open != std::wstring::npos && expanded.find(L'}', open) != std::wstring::npos) {
        reason = CFoundShortcuts::kBrowserParameter;
        return false;
    }
    if (!CSearchQuery::IsWebAddress(expanded)) {
        reason = CFoundShortcuts::kNotWebAddress;
        return false;
    }
    url.swap(expanded);
    return true;
}

bool CKeywordUrl::FromFirefox(std::wstring& url, CFoundShortcuts::Reason& reason)
{
    for (size_t at = url.find(L"%S"); at != std::wstring::npos; at = url.find(L"%S", at + 2))
        url.replace(at, 2, CSearchQuery::QueryPlace<std::wstring>());
    if (!CSearchQuery::HasQueryPlace(url)) {
        reason = CFoundShortcuts::kNoSearchTerm;
        return false;
    }
    if (!CSearchQuery::IsWebAddress(url)) {
        reason = CFoundShortcuts::kNotWebAddress;
        return false;
    }
    return true;
}

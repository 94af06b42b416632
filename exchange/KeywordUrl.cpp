#include "exchange/KeywordUrl.h"

#include "exchange/TextEncoding.h"

namespace {

bool IsWebAddress(const std::wstring& url)
{
    return StartsWithIgnoringCase(url, L"http://") || StartsWithIgnoringCase(url, L"https://");
}

void ReplaceAll(std::wstring& text, const std::wstring& from, const std::wstring& to)
{
    for (size_t at = text.find(from); at != std::wstring::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

// Every {google:...} parameter, which only Chrome knows how to fill in.
void RemoveGoogleParameters(std::wstring& url)
{
    const std::wstring start = L"{google:";
    for (size_t at = url.find(start); at != std::wstring::npos; at = url.find(start, at)) {
        size_t end = url.find(L'}', at);
        if (end == std::wstring::npos)
            return;
        url.erase(at, end - at + 1);
    }
}

} // namespace

bool CKeywordUrl::FromChromium(std::wstring& url, CFoundShortcuts::Reason& reason)
{
    if (url.find(L"{searchTerms}") == std::wstring::npos) {
        reason = CFoundShortcuts::kNoSearchTerm;
        return false;
    }
    ReplaceAll(url, L"{searchTerms}", L"%s");
    ReplaceAll(url, L"{google:baseURL}", L"https://www.google.com/");
    ReplaceAll(url, L"{inputEncoding}", L"UTF-8");
    RemoveGoogleParameters(url);
    size_t open = url.find(L'{');
    if (open != std::wstring::npos && url.find(L'}', open) != std::wstring::npos) {
        reason = CFoundShortcuts::kBrowserParameter;
        return false;
    }
    if (!IsWebAddress(url)) {
        reason = CFoundShortcuts::kNotWebAddress;
        return false;
    }
    return true;
}

bool CKeywordUrl::FromFirefox(std::wstring& url, CFoundShortcuts::Reason& reason)
{
    ReplaceAll(url, L"%S", L"%s");
    if (url.find(L"%s") == std::wstring::npos) {
        reason = CFoundShortcuts::kNoSearchTerm;
        return false;
    }
    if (!IsWebAddress(url)) {
        reason = CFoundShortcuts::kNotWebAddress;
        return false;
    }
    return true;
}

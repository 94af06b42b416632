#include "prefixes/SearchQuery.h"

#include "registry/ProcessCodePage.h"

#include <algorithm>

const CSearchQuery::Replacement CSearchQuery::kReplacements[4] = {
    {" ", "+"}, {"%", "%25"}, {"&", "%26"}, {"+", "%2B"}};

namespace {

std::string Encode(const char* query)
{
    std::string encoded;
    for (const char* c = query; *c != '\0'; ++c) {
        const char* text = nullptr;
        for (const CSearchQuery::Replacement& replacement : CSearchQuery::kReplacements) {
            if (*c == replacement.character[0])
                text = replacement.text;
        }
        if (text != nullptr)
            encoded += text;
        else
            encoded += *c;
    }
    return encoded;
}

} // namespace

CString CSearchQuery::Expand(const char* urlTemplate, const char* query)
{
    return WithQuery<std::string>(urlTemplate, Encode(query)).c_str();
}

bool CSearchQuery::HasQueryPlace(const std::wstring& urlTemplate)
{
    return urlTemplate.find(QueryPlace<std::wstring>()) != std::wstring::npos;
}

bool CSearchQuery::IsWebAddress(const char* url)
{
    return IsWebAddress(Tessaly::Widen(url));
}

bool CSearchQuery::IsWebAddress(const std::wstring& url)
{
    // Schemes are ASCII and case-blind: HTTP:// is a web address too, and no
    // other letter that some case table folds to an ASCII one is.
    auto startsWith = [&](const std::wstring& scheme) {
        return url.size() >= scheme.size() &&
               std::equal(scheme.begin(), scheme.end(), url.begin(), [](wchar_t expected, wchar_t c) {
                   return c == expected || (expected >= L'a' && expected <= L'z' && c == expected - L'a' + L'A');
               });
    };
    return startsWith(L"http://") || startsWith(L"https://");
}

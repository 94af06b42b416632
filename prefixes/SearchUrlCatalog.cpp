#include "prefixes/SearchUrlCatalog.h"

#include "prefixes/PrefixRules.h"

namespace {

struct Service {
    const char* label;
    const char* url;
};

// In the order the drop-down list shows them.
const Service kServices[] = {
    {"Web Search: Google", "http://www.google.com/search?q=%s"},
    {"Web Search: AllTheWeb", "http://www.alltheweb.com/search?c=web&q=%s"},
    {"Web Search: MSN", "http://search.msn.com/results.asp?q=%s"},
    {"Web Directory: Google - Directory", "http://directory.google.com/search?cat=gwd%2FTop&q=%s"},
    {"Web Directory: Yahoo", "http://search.yahoo.com/bin/search?p=%s"},
    {"Usenet Groups: Google - Groups", "http://groups.google.com/groups?q=%s"},
    {"News: AllTheWeb News", "http://www.alltheweb.com/search?c=news&q=%s"},
    {"News: Google - News", "http://news.google.com/news?q=%s"},
    {"Words: Dictionary.com", "http://www.dictionary.com/search?q=%s"},
    {"Words: Merriam-Webster - Dictionary",
     "http://www.m-w.com/cgi-bin/dictionary?book=Dictionary&va=%s"},
    {"Words: Merriam-Webster - Thesaurus",
     "http://www.m-w.com/cgi-bin/thesaurus?book=Thesaurus&va=%s"},
    {"Images: AllTheWeb Pictures", "http://www.alltheweb.com/search?c=img&q=%s"},
    {"Images: Google Images", "http://images.google.com/images?q=%s"},
    {"Movies: Internet Movie Database", "http://www.imdb.com/Find?for=%s"},
    {"Movies: All Movie Guide", "http://www.allmovie.com/cg/avg.dll?p=avg&type=2&srch=%s"},
    {"Music: All Music Guide - Artist", "http://www.allmusic.com/cg/amg.dll?p=amg&opt1=1&sql=%s"},
    {"Music: All Music Guide - Album", "http://www.allmusic.com/cg/amg.dll?p=amg&opt1=2&sql=%s"},
};

const int kGrowBy = 100;

} // namespace

CSearchUrlCatalog::CSearchUrlCatalog()
{
    m_labels.SetSize(0, kGrowBy);
    m_urls.SetSize(0, kGrowBy);
    for (const Service& service : kServices)
        Add(service.label, service.url);
}

void CSearchUrlCatalog::Add(const char* label, const char* url)
{
    if (label == nullptr || *label == '\0' || !CPrefixRules::IsUsableUrl(url) ||
        !Lookup(label).IsEmpty())
        return;
    m_labels.Add(label);
    m_urls.Add(url);
}

CString CSearchUrlCatalog::Lookup(const char* label) const
{
    for (int row = 0; row < m_labels.GetSize(); ++row) {
        if (m_labels[row] == label)
            return m_urls[row];
    }
    return CString();
}

CString CSearchUrlCatalog::Next()
{
    if (!HasNext())
        return CString();
    return m_labels[m_cursor++];
}

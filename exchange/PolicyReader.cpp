#include "exchange/PolicyReader.h"

#include "exchange/ChromePolicy.h"
#include "exchange/FirefoxPolicy.h"
#include "exchange/JsonLevels.h"
#include "exchange/KeywordUrl.h"
#include "exchange/TextEncoding.h"
#include "prefixes/PrefixRules.h"
#include "registry/IgnoringCase.h"
#include "registry/ProcessCodePage.h"

#include <algorithm>
#include <iterator>

using Tessaly::EqualIgnoringCase;

namespace {

// A Firefox engine's values that make a prefix, in the order of Fields.
const char* const kFirefoxFields[] = {"Alias", "URLTemplate", "Method"};

} // namespace

// The lists' entries as the parser meets them. A list is an array: the
// whole text (the prefix list, or Chrome's list in a .reg value),
// SiteSearchSettings of Chrome's policy file, or policies.SearchEngines.Add
// of Firefox's. Of an entry only its own string members are read.
class CPolicyReader::JsonEntries : public CJsonLevels {
public:
    JsonEntries(CPolicyReader& reader, Kind rootList) : m_reader(reader), m_rootList(rootList) {}

    // Whether the text held a list.
    bool Found() const { return m_found; }

    bool start_array(std::size_t size)
    {
        if (!CJsonLevels::start_array(size))
            return false;
        if (InList()) {
            ++m_reader.m_skipped;  // a list in the list
        } else if (m_list == kNone) {
            m_list = Under({}) ? m_rootList
                     : Under({CChromePolicy::kPolicy}) ? kChrome
                     : Under({"policies", "SearchEngines", "Add"}) ? kFirefox
                                                                   : kNone;
            m_listDepth = Depth();
            m_found = m_found || m_list != kNone;
        }
        return true;
    }
    bool end_array()
    {
        if (Depth() == m_listDepth)
            m_list = kNone;
        return CJsonLevels::end_array();
    }
    bool start_object(std::size_t size)
    {
        if (!CJsonLevels::start_object(size))
            return false;
        if (InList()) {
            m_inEntry = true;
            m_fields = Fields();
        }
        return true;
    }
    bool end_object()
    {
        if (m_inEntry && InList()) {
            m_reader.Take(m_list, m_fields);
            m_inEntry = false;
        }
        return CJsonLevels::end_object();
    }
    bool string(String& value)
    {
        if (std::string* field = Field())
            *field = value;
        return Scalar();
    }
    bool null() { return Scalar(); }
    bool boolean(bool) { return Scalar(); }
    bool number_integer(nlohmann::json::number_integer_t) { return Scalar(); }
    bool number_unsigned(nlohmann::json::number_unsigned_t) { return Scalar(); }
    bool number_float(nlohmann::json::number_float_t, const String&) { return Scalar(); }

private:
    // Whether the innermost open level is an element of the list.
    bool InList() const { return m_list != kNone && Depth() == m_listDepth + 1; }
    // A value that is an element of the list itself is no entry.
    bool Scalar()
    {
        if (m_list != kNone && Depth() == m_listDepth)
            ++m_reader.m_skipped;
        return true;
    }
    // The field of the entry the string value read belongs to, if any.
    std::string* Field()
    {
        static const char* const kNames[][3] = {{"", "", ""},
                                                {"prefix", "url", ""},
                                                {"shortcut", "url", ""},
                                                {kFirefoxFields[0], kFirefoxFields[1], kFirefoxFields[2]}};
        if (!m_inEntry || !InList())
            return nullptr;
        std::string* const fields[] = {&m_fields.word, &m_fields.url, &m_fields.method};
        for (int i = 0; i < 3; ++i) {
            if (*kNames[m_list][i] != '\0' && LastKey() == kNames[m_list][i])
                return fields[i];
        }
        return nullptr;
    }

    CPolicyReader& m_reader;
    const Kind m_rootList;
    Kind m_list = kNone;
    size_t m_listDepth = 0;
    bool m_found = false;
    bool m_inEntry = false;
    Fields m_fields;
};

namespace {

// The machine's policies and the user's, each hive by both of its names.
const wchar_t* const kHives[] = {L"HKEY_LOCAL_MACHINE", L"HKLM", L"HKEY_CURRENT_USER", L"HKCU"};

// 0 for the machine's, 1 for the user's, -1 for another hive.
int HiveOf(const std::wstring& name)
{
    const auto* found = std::find_if(std::begin(kHives), std::end(kHives),
                                     [&](const wchar_t* known) { return EqualIgnoringCase(name, known); });
    return found == std::end(kHives) ? -1 : static_cast<int>(found - std::begin(kHives)) / 2;
}

// The number of a Firefox engine's key: 1 to 9 digits, with no leading
// zero, so that no two keys the registry tells apart share a number.
bool EngineNumber(const std::wstring& name, unsigned long& number)
{
    if (name.empty() || name.size() > 9 || name.find_first_not_of(L"0123456789") != std::wstring::npos ||
        (name.size() > 1 && name[0] == L'0'))
        return false;
    number = std::wcstoul(name.c_str(), nullptr, 10);
    return true;
}

} // namespace

bool CPolicyReader::ParseJson(const std::string& bytes)
{
    std::wstring text;
    if (bytes.compare(0, 2, "\xFF\xFE") == 0)
        return DecodeText(bytes, text) && ParseJson(Utf8FromWide(text), kPrefixList);
    return ParseJson(bytes, kPrefixList);
}

bool CPolicyReader::ParseJson(const std::string& utf8, Kind rootList)
{
    JsonEntries entries(*this, rootList);
    return nlohmann::json::sax_parse(utf8, &entries) && entries.Found();
}

// A deletion takes away what the file set before it, as reg import does:
// the whole list, as a new list is written, or one engine.
bool CPolicyReader::Key(const std::wstring& hive, const std::wstring& path, bool deleted)
{
    m_section = kNone;
    m_engine = nullptr;
    const std::wstring engines = CFirefoxPolicy::kKeyPath;
    const int machine = HiveOf(hive);
    unsigned long number = 0;
    if (machine < 0)
        return false;
    if (EqualIgnoringCase(path, engines)) {
        if (deleted)
            m_engines.erase(m_engines.lower_bound({machine, 0}), m_engines.lower_bound({machine + 1, 0}));
        return true;
    }
    if (!deleted && EqualIgnoringCase(path, CChromePolicy::kKeyPath)) {
        m_section = kChrome;
        return true;
    }
    if (path.size() <= engines.size() || path[engines.size()] != L'\\' ||
        !EqualIgnoringCase(path.substr(0, engines.size()), engines) ||
        !EngineNumber(path.substr(engines.size() + 1), number))
        return false;
    if (deleted) {
        m_engines.erase({machine, number});
    } else {
        m_section = kFirefox;
        m_engine = &m_engines[{machine, number}];
    }
    return true;
}

void CPolicyReader::Value(const std::wstring& name, const std::wstring& text)
{
    if (m_section == kChrome && EqualIgnoringCase(name, Tessaly::Widen(CChromePolicy::kPolicy))) {
        const size_t taken = m_entries.size();
        const int skipped = m_skipped;
        if (!ParseJson(Utf8FromWide(text), kChrome)) {
            m_entries.resize(taken);  // Chrome takes a broken value for none
            m_skipped = skipped + 1;
        }
    } else if (m_engine != nullptr) {
        std::string* const fields[] = {&m_engine->word, &m_engine->url, &m_engine->method};
        for (size_t i = 0; i < std::size(fields); ++i) {
            if (EqualIgnoringCase(name, Tessaly::Widen(kFirefoxFields[i])))
                *fields[i] = Utf8FromWide(text);
        }
    }
}

void CPolicyReader::Finish(std::vector<CShortcut>& entries, int& skipped)
{
    for (const auto& engine : m_engines)
        Take(kFirefox, engine.second);
    m_engines.clear();
    m_engine = nullptr;
    entries.insert(entries.end(), m_entries.begin(), m_entries.end());
    skipped += m_skipped;
}

// An entry whose word and URL the process can hold, the URL Chrome's or
// Firefox's template turned into the address bar's; a Firefox engine sent
// by POST has no URL to give the query to.
void CPolicyReader::Take(Kind kind, const Fields& fields)
{
    std::wstring word, url;
    CFoundShortcuts::Reason reason;
    CString prefix, address;
    const bool get = fields.method.empty() || EqualIgnoringCase(fields.method.c_str(), "GET");
    if (get && FromUtf8(fields.word, word) && FromUtf8(fields.url, url) &&
        word.find(L'\0') == std::wstring::npos && url.find(L'\0') == std::wstring::npos &&
        (kind == kPrefixList || CKeywordUrl::FromChromium(url, reason)) && NarrowText(word, prefix) &&
        NarrowText(url, address) && !prefix.IsEmpty() && CPrefixRules::IsUsableUrl(address))
        m_entries.push_back({prefix, address, CString()});
    else
        ++m_skipped;
}

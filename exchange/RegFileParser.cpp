#include "exchange/RegFileParser.h"

#include "exchange/LineReader.h"
#include "exchange/PolicyReader.h"
#include "exchange/TextEncoding.h"
#include "prefixes/PrefixRules.h"
#include "prefixes/PrefixStore.h"
#include "registry/IgnoringCase.h"

#include <cstring>
#include <map>

const wchar_t CRegFileParser::kVersion5[] = L"Windows Registry Editor Version 5.00";
const wchar_t CRegFileParser::kVersion4[] = L"REGEDIT4";
const wchar_t CRegFileParser::kCurrentUser[] = L"HKEY_CURRENT_USER";
const std::wstring& CRegFileParser::SearchUrlPath()
{
    // The store's path, which is ASCII.
    static const std::wstring path(CPrefixStore::kKeyPath,
                                   CPrefixStore::kKeyPath + std::strlen(CPrefixStore::kKeyPath));
    return path;
}

using Tessaly::EqualIgnoringCase;

namespace {

const wchar_t kCurrentUserShort[] = L"HKCU";
const wchar_t kSpaces[] = L" \t";
const wchar_t* const kCurrentUser = CRegFileParser::kCurrentUser;

// A quoted string at `position`, its escapes undone; `position` ends after
// the closing quote. False for a string that never ends or holds a NUL.
bool ParseQuoted(const std::wstring& line, size_t& position, std::wstring& text)
{
    if (position >= line.size() || line[position] != L'"')
        return false;
    text.clear();
    for (size_t i = position + 1; i < line.size(); ++i) {
        wchar_t c = line[i];
        if (c == L'"') {
            position = i + 1;
            return true;
        }
        if (c == L'\\') {
            if (++i == line.size())
                return false;
            c = line[i] == L'n' ? L'\n' : line[i] == L'r' ? L'\r' : line[i];
        }
        if (c == L'\0')
            return false;
        text += c;
    }
    return false;
}

// Where the data of a value line (`@=...` or `"name"=...`) starts, after
// the `=`, with the value's name (empty for the default); npos for any
// other line.
size_t DataStart(const std::wstring& line, std::wstring& name)
{
    size_t position = line.find_first_not_of(kSpaces);
    name.clear();
    if (position == std::wstring::npos)
        return std::wstring::npos;
    if (line[position] == L'@')
        ++position;
    else if (!ParseQuoted(line, position, name))
        return std::wstring::npos;
    position = line.find_first_not_of(kSpaces, position);
    if (position == std::wstring::npos || line[position] != L'=')
        return std::wstring::npos;
    position = line.find_first_not_of(kSpaces, position + 1);
    return position == std::wstring::npos ? line.size() : position;
}

bool IsHexData(const std::wstring& line)
{
    std::wstring name;
    size_t start = DataStart(line, name);
    return start != std::wstring::npos && line.compare(start, 3, L"hex") == 0;
}

bool ParseHex(const std::wstring& text, std::string& bytes)
{
    bytes.clear();
    size_t position = 0;
    while (position < text.size()) {
        size_t comma = text.find(L',', position);
        std::wstring item = Trimmed(text.substr(position, comma - position));
        if (item.empty() && comma == std::wstring::npos)
            break;  // after a final comma
        if (item.empty() || item.size() > 2 ||
            item.find_first_not_of(L"0123456789abcdefABCDEF") != std::wstring::npos)
            return false;
        bytes += static_cast<char>(std::wcstoul(item.c_str(), nullptr, 16));
        if (comma == std::wstring::npos)
            break;
        position = comma + 1;
    }
    return true;
}

// Long binary data goes on over lines that end in a backslash; the pieces
// are joined in one buffer. Data cut off by the end of the file, or by a
// key line (which never continues data), keeps its backslash and so is
// unreadable.
void JoinContinuedData(CLineReader& lines, std::wstring& line)
{
    if (!IsHexData(line))
        return;
    std::wstring next;
    for (size_t end = line.find_last_not_of(kSpaces); end != std::wstring::npos && line[end] == L'\\';
         end = line.find_last_not_of(kSpaces)) {
        size_t mark = lines.Position();
        if (!lines.Next(next))
            return;
        next = TrimLeft(next);
        if (!next.empty() && next[0] == L'[') {
            lines.Rewind(mark);
            return;
        }
        line.resize(end);
        line += next;
    }
}

enum class DefaultValue { None, Text, Other };

// A string value, as `"text"` or, as the Registry Editor writes one with a
// line break, `hex(1):` bytes: UTF-16LE in version 5 files, ANSI in REGEDIT4.
DefaultValue ParseString(const std::wstring& data, bool ansi, std::wstring& text)
{
    std::wstring trimmed = TrimRight(data);
    if (trimmed == L"-")
        return DefaultValue::None;
    size_t position = 0;
    if (ParseQuoted(trimmed, position, text))
        return position == trimmed.size() ? DefaultValue::Text : DefaultValue::Other;
    std::string bytes;
    if (trimmed.compare(0, 7, L"hex(1):") != 0 || !ParseHex(trimmed.substr(7), bytes))
        return DefaultValue::Other;
    bool decoded = ansi ? ToWide(bytes.data(), bytes.size(), SystemAnsiCodePage(), 0, text)
                        : FromUtf16(bytes.data(), bytes.size(), text);
    if (!decoded)
        return DefaultValue::Other;
    text.resize(std::wcslen(text.c_str()));  // a string ends at its first NUL
    return DefaultValue::Text;
}

// One prefix key of the file; later sections for the same key add to it,
// as they would in the registry.
struct PrefixKey {
    std::wstring name;
    DefaultValue value = DefaultValue::None;
    std::wstring url;
};

class Parser {
public:
    explicit Parser(bool ansi) : m_ansi(ansi) {}

    void KeyLine(const std::wstring& line)
    {
        m_prefix = nullptr;
        m_inSearchUrl = false;
        m_inPolicy = false;
        m_inSection = true;
        size_t close = line.rfind(L']');
        std::wstring path = close == std::wstring::npos ? std::wstring() : line.substr(1, close - 1);
        const bool deleted = !path.empty() && path[0] == L'-';
        size_t slash = path.find(L'\\');
        std::wstring below = slash == std::wstring::npos ? std::wstring() : path.substr(slash + 1);
        const std::wstring& searchUrl = CRegFileParser::SearchUrlPath();
        const size_t searchUrlLength = searchUrl.size();
        bool inCurrentUser = slash != std::wstring::npos &&
                             (EqualIgnoringCase(path.substr(0, slash), kCurrentUser) ||
                              EqualIgnoringCase(path.substr(0, slash), kCurrentUserShort));
        if (inCurrentUser && EqualIgnoringCase(below, searchUrl)) {
            m_inSearchUrl = true;
            return;
        }
        bool underSearchUrl = below.size() > searchUrlLength + 1 &&
                              below[searchUrlLength] == L'\\' &&
                              EqualIgnoringCase(below.substr(0, searchUrlLength), searchUrl);
        std::wstring name = underSearchUrl ? below.substr(searchUrlLength + 1) : std::wstring();
        if (inCurrentUser && underSearchUrl && name.find(L'\\') == std::wstring::npos) {
            m_prefix = &KeyNamed(name);
            return;
        }
        const size_t hive = deleted ? 1 : 0;
        m_inPolicy = slash != std::wstring::npos && m_policies.Key(path.substr(hive, slash - hive), below, deleted);
        if (!m_inPolicy)
            ++m_skipped;  // another key, a deletion, or no key at all
    }

    // A line of its own that is no key, blank or comment: left-trimmed.
    void OtherLine(const std::wstring& line)
    {
        if (!m_inSection) {
            ++m_skipped;  // means nothing before the first key
        } else if (m_inSearchUrl) {
            m_searchUrlHasValues = true;
        } else if (m_prefix != nullptr && line[0] == L'@') {
            std::wstring name;
            size_t start = DataStart(line, name);
            m_prefix->value = start == std::wstring::npos
                                  ? DefaultValue::Other
                                  : ParseString(line.substr(start), m_ansi, m_prefix->url);
        } else if (m_inPolicy) {
            std::wstring name, text;
            size_t start = DataStart(line, name);
            if (start != std::wstring::npos && ParseString(line.substr(start), m_ansi, text) == DefaultValue::Text)
                m_policies.Value(name, text);
        }
    }

    int Finish(std::vector<CShortcut>& entries)
    {
        for (const PrefixKey& key : m_keys) {
            CString name, url;
            // In the process code page exactly.
            if (key.value == DefaultValue::Text && !key.name.empty() && NarrowText(key.name, name) &&
                NarrowText(key.url, url) && CPrefixRules::IsUsableUrl(url))
                entries.push_back({name, url, CString()});
            else
                ++m_skipped;
        }
        int skipped = m_skipped + (m_searchUrlHasValues ? 1 : 0);
        m_policies.Finish(entries, skipped);
        return skipped;
    }

private:
    PrefixKey& KeyNamed(const std::wstring& name)
    {
        auto found = m_index.emplace(name, m_keys.size());
        if (found.second)
            m_keys.push_back({name, DefaultValue::None, std::wstring()});
        return m_keys[found.first->second];
    }

    const bool m_ansi;
    std::vector<PrefixKey> m_keys;
    std::map<std::wstring, size_t, Tessaly::IgnoringCase> m_index;  // as the registry tells keys apart
    PrefixKey* m_prefix = nullptr;
    CPolicyReader m_policies;
    bool m_inPolicy = false;
    bool m_inSection = false;
    bool m_inSearchUrl = false;
    bool m_searchUrlHasValues = false;
    int m_skipped = 0;
};

} // namespace

bool CRegFileParser::Parse(const std::wstring& text, std::vector<CShortcut>& entries, int& skipped)
{
    CLineReader lines(text);
    std::wstring line;
    while (lines.Next(line) && TrimLeft(line).empty()) {
    }
    line = Trimmed(line);
    if (line != kVersion5 && line != kVersion4)
        return false;

    Parser parser(line == kVersion4);
    while (lines.Next(line)) {
        line = TrimLeft(line);
        JoinContinuedData(lines, line);
        if (line.empty() || line[0] == L';' || line[0] == L'#')
            continue;
        if (line[0] == L'[')
            parser.KeyLine(line);
        else
            parser.OtherLine(line);
    }
    entries.clear();
    skipped = parser.Finish(entries);
    return true;
}

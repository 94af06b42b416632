#include "exchange/BookmarksFile.h"

#include "exchange/ByteFile.h"
#include "exchange/KeywordUrl.h"
#include "exchange/TextEncoding.h"
#include "registry/ProcessCodePage.h"

#include <cwctype>
#include <map>

namespace {

const char kDoctype[] = "<!DOCTYPE NETSCAPE-Bookmark-file-1>";
const char kFolder[] = "Search prefixes";

std::string Escaped(const std::string& text)
{
    std::string escaped;
    for (char c : text) {
        switch (c) {
        case '&': escaped += "&amp;"; break;
        case '<': escaped += "&lt;"; break;
        case '>': escaped += "&gt;"; break;
        case '"': escaped += "&quot;"; break;
        case '\'': escaped += "&#39;"; break;
        default: escaped += c;
        }
    }
    return escaped;
}

std::wstring LowerCase(const std::wstring& text)
{
    std::wstring lower = text;
    if (!lower.empty())
        ::LCMapStringW(LOCALE_INVARIANT, LCMAP_LOWERCASE, text.c_str(), static_cast<int>(text.size()),
                       &lower[0], static_cast<int>(lower.size()));
    return lower;
}

// Character references: the five every writer uses, and numbers.
std::wstring Unescaped(const std::wstring& text)
{
    static const std::map<std::wstring, wchar_t> named = {
        {L"amp", L'&'}, {L"lt", L'<'}, {L"gt", L'>'}, {L"quot", L'"'}, {L"apos", L'\''}, {L"nbsp", 0xA0}};
    std::wstring plain;
    for (size_t i = 0; i < text.size(); ++i) {
        size_t end = text[i] == L'&' ? text.find(L';', i) : std::wstring::npos;
        if (end == std::wstring::npos || end - i > 10) {
            plain += text[i];
            continue;
        }
        std::wstring name = text.substr(i + 1, end - i - 1);
        unsigned long code = 0;
        if (name.size() > 1 && name[0] == L'#') {
            bool hex = name[1] == L'x' || name[1] == L'X';
            wchar_t* stop = nullptr;
            code = std::wcstoul(name.c_str() + (hex ? 2 : 1), &stop, hex ? 16 : 10);
            if (*stop != L'\0' || code == 0 || code > 0x10FFFF)
                code = 0;
        } else if (named.count(name) != 0) {
            code = named.at(name);
        }
        if (code == 0) {
            plain += text[i];
            continue;
        }
        if (code >= 0x10000) {
            plain += static_cast<wchar_t>(0xD800 + ((code - 0x10000) >> 10));
            plain += static_cast<wchar_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
        } else {
            plain += static_cast<wchar_t>(code);
        }
        i = end;
    }
    return plain;
}

// The attributes of the tag whose name ends at `position`, by lower-case
// name; `position` ends after the tag's '>'.
std::map<std::wstring, std::wstring> ParseAttributes(const std::wstring& text, size_t& position)
{
    std::map<std::wstring, std::wstring> attributes;
    const wchar_t* spaces = L" \t\r\n\f";
    while (position < text.size()) {
        position = text.find_first_not_of(spaces, position);
        if (position == std::wstring::npos || text[position] == L'>')
            break;
        if (text[position] == L'=') {  // a value without a name
            ++position;
            continue;
        }
        size_t end = text.find_first_of(L" \t\r\n\f=>", position);
        if (end == std::wstring::npos)
            end = text.size();
        std::wstring name = text.substr(position, end - position);
        for (wchar_t& c : name)
            c = static_cast<wchar_t>(std::towlower(c));
        position = text.find_first_not_of(spaces, end);
        std::wstring value;
        if (position != std::wstring::npos && text[position] == L'=') {
            position = text.find_first_not_of(spaces, position + 1);
            if (position == std::wstring::npos)
                break;
            wchar_t quote = text[position];
            if (quote == L'"' || quote == L'\'') {
                end = text.find(quote, position + 1);
                if (end == std::wstring::npos)
                    break;  // cut off: the value is not whole
                value = text.substr(position + 1, end - position - 1);
                position = end + 1;
            } else {
                end = text.find_first_of(L" \t\r\n\f>", position);
                value = text.substr(position, end - position);
                position = end;
            }
        }
        attributes.emplace(name, Unescaped(value));
    }
    if (position < text.size())
        ++position;
    return attributes;
}

size_t FindIgnoringCase(const std::wstring& text, const wchar_t* what, size_t from)
{
    const size_t length = std::wcslen(what);
    for (size_t at = from; at < text.size() && length <= text.size() - at; ++at) {
        if (::CompareStringOrdinal(text.c_str() + at, static_cast<int>(length), what,
                                   static_cast<int>(length), TRUE) == CSTR_EQUAL)
            return at;
    }
    return std::wstring::npos;
}

} // namespace

void CBookmarksFile::Add(const char* prefix, const char* url)
{
    m_entries.push_back({prefix, url, CString()});
}

std::string CBookmarksFile::Format() const
{
    std::string text = std::string(kDoctype) +
                       "\r\n<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">"
                       "\r\n<TITLE>Bookmarks</TITLE>\r\n<H1>Bookmarks</H1>\r\n<DL><p>\r\n"
                       "    <DT><H3>" + kFolder + "</H3>\r\n    <DL><p>\r\n";
    for (const CShortcut& entry : m_entries) {
        const std::wstring prefix = Tessaly::Widen(entry.prefix);
        text += "        <DT><A HREF=\"" + Escaped(Utf8FromWide(Tessaly::Widen(entry.url))) +
                "\" SHORTCUTURL=\"" + Escaped(Utf8FromWide(LowerCase(prefix))) + "\">" +
                Escaped(Utf8FromWide(prefix)) + "</A>\r\n";
    }
    return text + "    </DL><p>\r\n</DL><p>\r\n";
}

bool CBookmarksFile::IsBookmarksFile(const std::string& bytes)
{
    std::wstring text;
    if (!DecodeText(bytes.substr(0, 1024), text))
        return false;
    size_t start = text.find_first_not_of(L" \t\r\n");
    return start != std::wstring::npos &&
           FindIgnoringCase(text.substr(start, std::char_traits<char>::length(kDoctype)),
                            Tessaly::Widen(kDoctype).c_str(), 0) == 0;
}

bool CBookmarksFile::Parse(const std::string& bytes)
{
    std::wstring text;
    if (!IsBookmarksFile(bytes) || !DecodeText(bytes, text))
        return false;
    std::vector<CShortcut> entries;
    int skipped = 0;
    for (size_t at = FindIgnoringCase(text, L"<a", 0); at != std::wstring::npos;
         at = FindIgnoringCase(text, L"<a", at)) {
        at += 2;
        if (at < text.size() && !std::iswspace(text[at]) && text[at] != L'>')
            continue;  // another tag: <abbr>, <address>
        auto attributes = ParseAttributes(text, at);
        size_t close = FindIgnoringCase(text, L"</a", at);
        std::wstring url = attributes[L"href"];
        const std::wstring keyword = attributes[L"shortcuturl"];
        CFoundShortcuts::Reason reason = CFoundShortcuts::kReasonCount;
        CShortcut entry;
        bool usable = !keyword.empty() && attributes[L"postdata"].empty() &&
                      attributes[L"post_data"].empty() && CKeywordUrl::FromFirefox(url, reason) &&
                      NarrowText(keyword, entry.prefix) && NarrowText(url, entry.url);
        if (usable)
            entries.push_back(entry);
        else
            ++skipped;
        at = close;
    }
    m_entries.swap(entries);
    m_skipped = skipped;
    return true;
}

DWORD CBookmarksFile::Save(const char* path) const
{
    return CByteFile::Write(path, Format());
}

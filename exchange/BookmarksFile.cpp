#include "exchange/BookmarksFile.h"

#include "exchange/ByteFile.h"
#include "exchange/KeywordUrl.h"
#include "exchange/TextEncoding.h"
#include "registry/ProcessCodePage.h"

#include <algorithm>
#include <map>
#include <set>

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

// The number of a character reference's name, #65 or #x41: digits only,
// of a character that can stand alone; 0 for anything else.
unsigned long ReferenceNumber(const std::wstring& name)
{
    const bool hex = name.size() > 1 && (name[1] == L'x' || name[1] == L'X');
    const size_t start = hex ? 2 : 1;
    if (name.size() <= start || name[0] != L'#' ||
        name.find_first_not_of(hex ? L"0123456789abcdefABCDEF" : L"0123456789", start) != std::wstring::npos)
        return 0;
    unsigned long code = std::wcstoul(name.c_str() + start, nullptr, hex ? 16 : 10);
    return code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF) ? 0 : code;
}

// Character references: the five every writer uses, and numbers. The end
// of one is looked for only as far as the longest can reach.
std::wstring Unescaped(const std::wstring& text)
{
    static const std::map<std::wstring, wchar_t> named = {
        {L"amp", L'&'}, {L"lt", L'<'}, {L"gt", L'>'}, {L"quot", L'"'}, {L"apos", L'\''}, {L"nbsp", 0xA0}};
    const size_t longest = 10;  // &#x10FFFF;
    std::wstring plain;
    for (size_t i = 0; i < text.size(); ++i) {
        size_t end = std::wstring::npos;
        if (text[i] == L'&')
            end = text.substr(i, longest + 1).find(L';');
        if (end == std::wstring::npos) {
            plain += text[i];
            continue;
        }
        std::wstring name = text.substr(i + 1, end - 1);
        auto found = named.find(name);
        unsigned long code = found != named.end() ? found->second : ReferenceNumber(name);
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
        i += end;
    }
    return plain;
}

const wchar_t kSpaces[] = L" \t\r\n\f";

// The attributes of a tag from `position`, just after its name, by
// lower-case name; `position` ends after the tag's '>'. A quoted value runs
// to its closing quote, as in a browser: one that never closes takes the
// rest of the text, and `position` ends there.
std::map<std::wstring, std::wstring> ParseAttributes(const std::wstring& text, size_t& position)
{
    std::map<std::wstring, std::wstring> attributes;
    while (position < text.size()) {
        position = text.find_first_not_of(kSpaces, position);
        if (position == std::wstring::npos || text[position] == L'>')
            break;
        if (text[position] == L'=' || text[position] == L'/') {  // a value without a name
            ++position;
            continue;
        }
        size_t end = text.find_first_of(L" \t\r\n\f=>", position);
        if (end == std::wstring::npos)
            end = text.size();
        const std::wstring name = LowerCase(text.substr(position, end - position));
        position = text.find_first_not_of(kSpaces, end);
        std::wstring value;
        if (position != std::wstring::npos && text[position] == L'=') {
            position = text.find_first_not_of(kSpaces, position + 1);
            if (position == std::wstring::npos)
                break;
            wchar_t quote = text[position];
            if (quote == L'"' || quote == L'\'') {
                end = text.find(quote, position + 1);
                if (end == std::wstring::npos) {
                    position = text.size();  // cut off: the value is not whole
                    break;
                }
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
    position = position < text.size() ? position + 1 : text.size();
    return attributes;
}

// The first `size` bytes, or a few fewer so as to split no UTF-8
// character (UTF-16 splits none at an even size).
std::string Head(const std::string& bytes, size_t size)
{
    size_t end = std::min(bytes.size(), size);
    for (int back = 0; back < 3 && bytes.compare(0, 2, "\xFF\xFE") != 0 && end > 0 && end < bytes.size() &&
                       (static_cast<unsigned char>(bytes[end]) & 0xC0) == 0x80;
         ++back)
        --end;
    return bytes.substr(0, end);
}

bool IsAsciiLetter(wchar_t c)
{
    return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z');
}

// The next tag from `position` on, as a browser's parser meets them:
// comments, declarations and a '<' that starts no tag are passed over.
// False at the end of the text; otherwise `name` is the tag's in lower
// case, "/a" for an end tag, and `position` is just after it.
bool NextTag(const std::wstring& text, size_t& position, std::wstring& name)
{
    while ((position = text.find(L'<', position)) != std::wstring::npos) {
        const size_t start = ++position;
        const size_t letter = start < text.size() && text[start] == L'/' ? start + 1 : start;
        if (letter < text.size() && IsAsciiLetter(text[letter])) {
            size_t end = text.find_first_of(L" \t\r\n\f/>", letter);
            if (end == std::wstring::npos)
                end = text.size();
            name = LowerCase(text.substr(start, end - start));
            position = end;
            return true;
        }
        if (text.compare(start, 3, L"!--") == 0) {
            size_t end = text.find(L"-->", start + 1);
            position = end == std::wstring::npos ? text.size() : end + 3;
        } else if (start < text.size() && (text[start] == L'!' || text[start] == L'?')) {
            size_t end = text.find(L'>', start);
            position = end == std::wstring::npos ? text.size() : end + 1;
        }
    }
    position = text.size();
    return false;
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
    if (!DecodeText(Head(bytes, 1024), text))
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
    // Elements whose content is text, not tags.
    static const std::set<std::wstring> rawText = {L"script", L"style", L"textarea", L"title"};
    std::vector<CShortcut> entries;
    int skipped = 0;
    std::wstring tag;
    for (size_t at = 0; NextTag(text, at, tag);) {
        auto attributes = ParseAttributes(text, at);
        if (rawText.count(tag) != 0) {
            at = FindIgnoringCase(text, (L"</" + tag).c_str(), at);
            at = at == std::wstring::npos ? text.size() : at;
        }
        if (tag != L"a")
            continue;
        std::wstring url = attributes[L"href"];
        const std::wstring keyword = attributes[L"shortcuturl"];
        CFoundShortcuts::Reason reason = CFoundShortcuts::kReasonCount;
        CShortcut entry;
        bool usable = CKeywordUrl::IsTypableKeyword(keyword) && attributes[L"postdata"].empty() &&
                      attributes[L"post_data"].empty() && CKeywordUrl::FromFirefox(url, reason) &&
                      NarrowText(keyword, entry.prefix) && NarrowText(url, entry.url);
        if (usable)
            entries.push_back(entry);
        else
            ++skipped;
    }
    m_entries.swap(entries);
    m_skipped = skipped;
    return true;
}

DWORD CBookmarksFile::Save(const char* path) const
{
    return CByteFile::Write(path, Format());
}

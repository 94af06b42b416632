#include "exchange/BookmarksFile.h"

#include "exchange/ByteFile.h"
#include "exchange/KeywordUrl.h"
#include "exchange/TextEncoding.h"
#include "prefixes/PrefixCase.h"
#include "prefixes/PrefixRules.h"
#include "registry/IgnoringCase.h"
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
        case '\t': escaped += "&#9;"; break;  // a browser's parser drops these from an address
        case '\n': escaped += "&#10;"; break;
        case '\r': escaped += "&#13;"; break;
        default: escaped += c;
        }
    }
    return escaped;
}

// What a number in a reference stands for, as a browser reads it: a code
// point no text can hold is U+FFFD, and 0x80 to 0x9F are the characters of
// Windows-1252 there, as old pages meant them.
unsigned long ReferencedCharacter(unsigned long code)
{
    if (code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return 0xFFFD;
    if (code < 0x80 || code > 0x9F)
        return code;
    const char byte = static_cast<char>(code);
    wchar_t character = 0;
    ::MultiByteToWideChar(1252, 0, &byte, 1, &character, 1);
    return character;
}

int DigitValue(wchar_t c, bool hex)
{
    if (c >= L'0' && c <= L'9')
        return c - L'0';
    if (hex && ((c >= L'a' && c <= L'f') || (c >= L'A' && c <= L'F')))
        return (c | 0x20) - L'a' + 10;
    return -1;
}

// A numeric reference from `at`, just after its "&#": decimal or x and hex
// digits, as many as there are, and the ';' that may end it. False where
// there are no digits; otherwise its character, with `at` after it.
bool ParseNumber(const std::wstring& text, size_t end, size_t& at, unsigned long& code)
{
    const bool hex = at < end && (text[at] == L'x' || text[at] == L'X');
    const size_t first = hex ? at + 1 : at;
    size_t i = first;
    code = 0;
    for (int digit; i < end && (digit = DigitValue(text[i], hex)) >= 0; ++i)
        code = std::min<unsigned long>(code * (hex ? 16 : 10) + digit, 0x110000);
    if (i == first)
        return false;
    at = i < end && text[i] == L';' ? i + 1 : i;
    code = ReferencedCharacter(code);
    return true;
}

// Text from `begin` to `end` with its character references decoded: numbers,
// and the names every writer uses (a name's ';' is looked for only as far
// as the longest name reaches).
std::wstring Unescaped(const std::wstring& text, size_t begin, size_t end)
{
    static const std::map<std::wstring, wchar_t> named = {
        {L"amp", L'&'}, {L"lt", L'<'}, {L"gt", L'>'}, {L"quot", L'"'}, {L"apos", L'\''}, {L"nbsp", 0xA0},
        {L"AMP", L'&'}, {L"LT", L'<'}, {L"GT", L'>'}, {L"QUOT", L'"'}};
    std::wstring plain;
    plain.reserve(end - begin);
    for (size_t i = begin; i < end;) {
        unsigned long code = 0;
        size_t next = i + 2;
        if (text[i] == L'&' && i + 1 < end && text[i + 1] == L'#') {
            if (!ParseNumber(text, end, next, code))
                code = 0;
        } else if (text[i] == L'&') {
            const size_t stop = std::min(end, i + 6);
            const size_t semicolon = std::find(text.begin() + i + 1, text.begin() + stop, L';') - text.begin();
            auto found = semicolon < stop ? named.find(text.substr(i + 1, semicolon - i - 1)) : named.end();
            code = found != named.end() ? found->second : 0;
            next = semicolon + 1;
        }
        if (code == 0) {
            plain += text[i++];
        } else if (code >= 0x10000) {
            plain += static_cast<wchar_t>(0xD800 + ((code - 0x10000) >> 10));
            plain += static_cast<wchar_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
            i = next;
        } else {
            plain += static_cast<wchar_t>(code);
            i = next;
        }
    }
    return plain;
}

const wchar_t kSpaces[] = L" \t\r\n\f";

// The attributes of a tag from `position`, just after its name, by
// lower-case name, of those `wanted`; `position` ends after the tag's '>'.
// A quoted value runs to its closing quote, as in a browser: one that never
// closes takes the rest of the text, and `position` ends there.
std::map<std::wstring, std::wstring> ParseAttributes(const std::wstring& text, size_t& position,
                                                     const std::set<std::wstring>& wanted)
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
        // Only a tag whose attributes are wanted pays for their names.
        const std::wstring name = wanted.empty() ? std::wstring() : LowerCase(text.substr(position, end - position));
        position = text.find_first_not_of(kSpaces, end);
        size_t start = 0;
        end = 0;
        if (position != std::wstring::npos && text[position] == L'=') {
            position = text.find_first_not_of(kSpaces, position + 1);
            if (position == std::wstring::npos)
                break;
            wchar_t quote = text[position];
            if (quote == L'"' || quote == L'\'') {
                start = position + 1;
                end = text.find(quote, start);
                if (end == std::wstring::npos) {
                    position = text.size();  // cut off: the value is not whole
                    break;
                }
                position = end + 1;
            } else {
                start = position;
                end = std::min(text.find_first_of(L" \t\r\n\f>", position), text.size());
                position = end;
            }
        }
        if (wanted.count(name) != 0 && attributes.count(name) == 0)
            attributes.emplace(name, Unescaped(text, start, end));
    }
    position = position < text.size() ? position + 1 : text.size();
    return attributes;
}

// The first `size` bytes, or a few fewer so as to split no UTF-8
// character (UTF-16 splits none at an even size).
std::string Head(const std::string& bytes, size_t size)
{
    size_t end = std::min(bytes.size(), size);
    const bool utf16 = bytes.compare(0, 2, "\xFF\xFE") == 0;
    for (int back = 0; !utf16 && back < 3 && end > 0 && end < bytes.size(); ++back) {
        if ((static_cast<unsigned char>(bytes[end]) & 0xC0) != 0x80)  // no continuation byte
            break;
        --end;
    }
    return bytes.substr(0, end);
}

bool IsAsciiLetter(wchar_t c)
{
    return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z');
}

// The next tag from `position` on, as a browser's parser meets them:
// comments, declarations, "</" without a name and a '<' that starts no tag
// are passed over. False at the end of the text; otherwise `name` is the
// tag's in lower case, "/a" for an end tag, and `position` is just after it.
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
            // Ended by "-->", or "--!>"; "<!-->" is a whole comment.
            size_t close = text.find(L"--", start + 1);
            while (close != std::wstring::npos && text.compare(close + 2, 1, L">") != 0 &&
                   text.compare(close + 2, 2, L"!>") != 0)
                close = text.find(L"--", close + 1);
            position = close == std::wstring::npos ? text.size() : text.find(L'>', close) + 1;
        } else if (start < text.size() && (text[start] == L'!' || text[start] == L'?' || text[start] == L'/')) {
            // A declaration, or "</" and no name: passed over to its '>'.
            size_t end = text.find(L'>', start);
            position = end == std::wstring::npos ? text.size() : end + 1;
        }
    }
    position = text.size();
    return false;
}

// `what` starts with a character that has no case, '<', which is looked for
// first.
size_t FindIgnoringCase(const std::wstring& text, const wchar_t* what, size_t from)
{
    const size_t length = std::wcslen(what);
    for (size_t at = text.find(what[0], from); at != std::wstring::npos && length <= text.size() - at;
         at = text.find(what[0], at + 1)) {
        if (Tessaly::CompareIgnoringCase(text.c_str() + at, length, what, length) == 0)
            return at;
    }
    return std::wstring::npos;
}

} // namespace

CBookmarksFile::Reason CBookmarksFile::Add(const char* prefix, const char* url)
{
    const std::wstring keyword = LowerCase(Tessaly::Widen(prefix));
    std::wstring address = Tessaly::Widen(url);
    CFoundShortcuts::Reason why = CFoundShortcuts::kReasonCount;
    if (!CPrefixRules::IsTypable(keyword))
        return kNotTypable;
    if (!CKeywordUrl::FromFirefox(address, why))
        return why == CFoundShortcuts::kNotWebAddress ? kNotWebAddress : kNoQuery;
    // Read back, the keyword is upper-cased as every prefix typed is; one
    // that comes back as itself is no other prefix's keyword.
    CString back;
    if (!NarrowText(keyword, back) || UpperCasePrefix(back) != prefix)
        return kFolded;
    m_entries.push_back({prefix, url, CString()});
    return kAdded;
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
    static const std::set<std::wstring> rawText = {L"iframe", L"noembed", L"noframes", L"script",
                                                   L"style",  L"textarea", L"title", L"xmp"};
    static const std::set<std::wstring> linkAttributes = {L"href", L"shortcuturl", L"postdata", L"post_data"};
    static const std::set<std::wstring> none;
    std::vector<CShortcut> entries;
    int skipped = 0;
    std::wstring tag;
    for (size_t at = 0; NextTag(text, at, tag);) {
        auto attributes = ParseAttributes(text, at, tag == L"a" ? linkAttributes : none);
        if (rawText.count(tag) != 0) {
            at = FindIgnoringCase(text, (L"</" + tag).c_str(), at);
            at = at == std::wstring::npos ? text.size() : at;
        }
        if (tag != L"a")
            continue;
        std::wstring url = std::move(attributes[L"href"]);
        const std::wstring keyword = attributes[L"shortcuturl"];
        CFoundShortcuts::Reason reason = CFoundShortcuts::kReasonCount;
        CShortcut entry;
        bool usable = CPrefixRules::IsTypable(keyword) && attributes[L"postdata"].empty() &&
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

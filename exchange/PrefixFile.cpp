#include "exchange/PrefixFile.h"

#include "exchange/ByteFile.h"
#include "exchange/RegFileParser.h"
#include "exchange/TextEncoding.h"
#include "prefixes/PrefixStore.h"
#include "registry/ProcessCodePage.h"

#include <cstring>

using Tessaly::Widen;

namespace {

std::wstring Quoted(const std::wstring& text)
{
    std::wstring quoted = L"\"";
    for (wchar_t c : text) {
        if (c == L'\\' || c == L'"')
            quoted += L'\\';
        quoted += c;
    }
    return quoted + L'"';
}

} // namespace

// A line break cannot stand between quotes; the Registry Editor writes such
// a text as the bytes of the string, terminator included.
std::wstring CPrefixFile::StringData(const std::wstring& text)
{
    if (text.find_first_of(L"\r\n") == std::wstring::npos)
        return Quoted(text);
    static const wchar_t digits[] = L"0123456789abcdef";
    std::wstring data = L"hex(1):";
    for (size_t i = 0; i <= text.size(); ++i) {
        unsigned c = i < text.size() ? text[i] : 0;
        for (unsigned byte : {c & 0xFFu, c >> 8}) {
            data += digits[byte >> 4];
            data += digits[byte & 0xFu];
            data += L',';
        }
    }
    data.pop_back();
    return data;
}

std::string CPrefixFile::FileBytes(const std::wstring& sections)
{
    const std::wstring text = std::wstring(CRegFileParser::kVersion5) + L"\r\n\r\n" + sections;
    std::string bytes = "\xFF\xFE";
    bytes.append(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
    return bytes;
}

bool CPrefixFile::Add(const char* prefix, const char* url)
{
    if (std::strpbrk(prefix, "\r\n") != nullptr)
        return false;
    m_entries.push_back({prefix, url, CString()});
    return true;
}

std::string CPrefixFile::Format() const
{
    const std::wstring keyStart = std::wstring(L"[") + CRegFileParser::kCurrentUser + L"\\" +
                                  CRegFileParser::SearchUrlPath() + L"\\";
    std::wstring text;
    for (const Entry& entry : m_entries) {
        text += keyStart + Widen(entry.prefix) + L"]\r\n";
        for (const CPrefixStore::Value& value : CPrefixStore::ValuesOf(entry.url)) {
            std::wstring name = *value.name == '\0' ? L"@" : Quoted(Widen(value.name));
            text += name + L"=" + StringData(Widen(value.text)) + L"\r\n";
        }
        text += L"\r\n";
    }
    return FileBytes(text);
}

bool CPrefixFile::Parse(const std::string& bytes)
{
    std::wstring text;
    std::vector<Entry> entries;
    int skipped = 0;
    if (!DecodeText(bytes, text) || !CRegFileParser::Parse(text, entries, skipped))
        return false;
    m_entries.swap(entries);
    m_skipped = skipped;
    return true;
}

DWORD CPrefixFile::Save(const char* path) const
{
    return CByteFile::Write(path, Format());
}

DWORD CPrefixFile::Load(const char* path)
{
    std::string bytes;
    DWORD error = CByteFile::Read(path, bytes);
    if (error != 0)
        return error;
    return Parse(bytes) ? 0 : ERROR_BAD_FORMAT;
}

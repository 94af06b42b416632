#include "prefixes/PrefixFile.h"

#include "prefixes/SearchQuery.h"
#include "registry/ProcessCodePage.h"

#include <cstring>
#include <map>

using Tessaly::Widen;

namespace {

const wchar_t kVersion5[] = L"Windows Registry Editor Version 5.00";
const wchar_t kVersion4[] = L"REGEDIT4";
const wchar_t kCurrentUser[] = L"HKEY_CURRENT_USER";
const wchar_t kCurrentUserShort[] = L"HKCU";
const wchar_t kSearchUrlPath[] = L"Software\\Microsoft\\Internet Explorer\\SearchUrl";
const wchar_t kSpaces[] = L" \t";
// Far beyond any set of prefixes; a larger file is refused, not read whole.
const DWORD kMaxFileBytes = 64u << 20;

// Closes a file handle on every way out.
class FileHandle {
public:
    explicit FileHandle(HANDLE handle) : m_handle(handle) {}
    ~FileHandle() { Close(); }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    bool IsValid() const { return m_handle != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return m_handle; }
    bool Close()
    {
        HANDLE handle = m_handle;
        m_handle = INVALID_HANDLE_VALUE;
        return handle == INVALID_HANDLE_VALUE || ::CloseHandle(handle);
    }

private:
    HANDLE m_handle;
};

bool EqualsIgnoringCase(const std::wstring& left, const wchar_t* right)
{
    return ::CompareStringOrdinal(left.c_str(), static_cast<int>(left.size()), right, -1, TRUE) ==
           CSTR_EQUAL;
}

std::wstring TrimLeft(const std::wstring& text)
{
    size_t start = text.find_first_not_of(kSpaces);
    return start == std::wstring::npos ? std::wstring() : text.substr(start);
}

std::wstring TrimRight(const std::wstring& text)
{
    size_t end = text.find_last_not_of(kSpaces);
    return end == std::wstring::npos ? std::wstring() : text.substr(0, end + 1);
}

// ---- Writing

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

// A line break cannot stand between quotes; the Registry Editor writes such
// a text as the bytes of the string, terminator included.
std::wstring StringData(const std::wstring& text)
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

// ---- Reading

UINT SystemAnsiCodePage()
{
    UINT codePage = 0;
    int got = ::GetLocaleInfoW(LOCALE_SYSTEM_DEFAULT,
                               LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER,
                               reinterpret_cast<LPWSTR>(&codePage), sizeof codePage / sizeof(WCHAR));
    return got != 0 && codePage != 0 ? codePage : 1252;
}

bool ToWide(const char* bytes, size_t size, UINT codePage, DWORD flags, std::wstring& text)
{
    text.clear();
    if (size == 0)
        return true;
    int length = ::MultiByteToWideChar(codePage, flags, bytes, static_cast<int>(size), nullptr, 0);
    if (length == 0)
        return false;
    text.resize(static_cast<size_t>(length));
    ::MultiByteToWideChar(codePage, flags, bytes, static_cast<int>(size), &text[0], length);
    return true;
}

bool FromUtf16(const char* bytes, size_t size, std::wstring& text)
{
    if (size % sizeof(wchar_t) != 0)
        return false;  // cut off inside a character
    text.resize(size / sizeof(wchar_t));
    if (size != 0)
        std::memcpy(&text[0], bytes, size);
    return true;
}

// The file's text. A byte-order mark names UTF-16LE or UTF-8; without one,
// valid UTF-8 is taken as such, and anything else is in the system's ANSI
// code page, as the Registry Editor writes REGEDIT4 files. Text in an ANSI
// code page is seldom valid UTF-8 unless it is plain ASCII, which both read
// alike; an editor that saved a REGEDIT4 file as UTF-8 is read right.
bool Decode(const std::string& bytes, std::wstring& text)
{
    if (bytes.compare(0, 2, "\xFF\xFE") == 0)
        return FromUtf16(bytes.data() + 2, bytes.size() - 2, text);
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0)
        return ToWide(bytes.data() + 3, bytes.size() - 3, CP_UTF8, MB_ERR_INVALID_CHARS, text);
    return ToWide(bytes.data(), bytes.size(), CP_UTF8, MB_ERR_INVALID_CHARS, text) ||
           ToWide(bytes.data(), bytes.size(), SystemAnsiCodePage(), 0, text);
}

// The lines of a text, ended by CR LF, LF or CR alone.
class LineReader {
public:
    explicit LineReader(const std::wstring& text) : m_text(text) {}

    bool Next(std::wstring& line)
    {
        if (m_position >= m_text.size())
            return false;
        size_t end = m_text.find_first_of(L"\r\n", m_position);
        if (end == std::wstring::npos)
            end = m_text.size();
        line.assign(m_text, m_position, end - m_position);
        m_position = end + 1;
        if (end < m_text.size() && m_text[end] == L'\r' && m_position < m_text.size() &&
            m_text[m_position] == L'\n')
            ++m_position;
        return true;
    }
    size_t Position() const { return m_position; }
    void Rewind(size_t position) { m_position = position; }

private:
    const std::wstring& m_text;
    size_t m_position = 0;
};

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

// The data of a value line (`@=...` or `"name"=...`), from the `=` on; npos
// for any other line.
size_t DataStart(const std::wstring& line)
{
    size_t position = line.find_first_not_of(kSpaces);
    std::wstring name;
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
    size_t start = DataStart(line);
    return start != std::wstring::npos && line.compare(start, 3, L"hex") == 0;
}

bool ParseHex(const std::wstring& text, std::string& bytes)
{
    bytes.clear();
    size_t position = 0;
    while (position < text.size()) {
        size_t comma = text.find(L',', position);
        std::wstring item = TrimLeft(TrimRight(text.substr(position, comma - position)));
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
void JoinContinuedData(LineReader& lines, std::wstring& line)
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

// A string default, as `"text"` or, as the Registry Editor writes one with a
// line break, `hex(1):` bytes: UTF-16LE in version 5 files, ANSI in REGEDIT4.
DefaultValue ParseDefault(const std::wstring& data, bool ansi, std::wstring& text)
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

std::wstring RegistryFold(const std::wstring& name)
{
    std::wstring folded = name;
    if (!folded.empty())
        ::CharUpperBuffW(&folded[0], static_cast<DWORD>(folded.size()));
    return folded;
}

class Parser {
public:
    explicit Parser(bool ansi) : m_ansi(ansi) {}

    void KeyLine(const std::wstring& line)
    {
        m_prefix = nullptr;
        m_inSearchUrl = false;
        m_inSection = true;
        size_t close = line.rfind(L']');
        std::wstring path = close == std::wstring::npos ? std::wstring() : line.substr(1, close - 1);
        size_t slash = path.find(L'\\');
        std::wstring below = slash == std::wstring::npos ? std::wstring() : path.substr(slash + 1);
        const size_t searchUrlLength = std::wcslen(kSearchUrlPath);
        bool inCurrentUser = slash != std::wstring::npos &&
                             (EqualsIgnoringCase(path.substr(0, slash), kCurrentUser) ||
                              EqualsIgnoringCase(path.substr(0, slash), kCurrentUserShort));
        if (inCurrentUser && EqualsIgnoringCase(below, kSearchUrlPath)) {
            m_inSearchUrl = true;
            return;
        }
        bool underSearchUrl = below.size() > searchUrlLength + 1 &&
                              below[searchUrlLength] == L'\\' &&
                              EqualsIgnoringCase(below.substr(0, searchUrlLength), kSearchUrlPath);
        std::wstring name = underSearchUrl ? below.substr(searchUrlLength + 1) : std::wstring();
        if (inCurrentUser && underSearchUrl && name.find(L'\\') == std::wstring::npos) {
            m_prefix = &KeyNamed(name);
            return;
        }
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
            size_t start = DataStart(line);
            m_prefix->value = start == std::wstring::npos
                                  ? DefaultValue::Other
                                  : ParseDefault(line.substr(start), m_ansi, m_prefix->url);
        }
    }

    int Finish(std::vector<CPrefixFile::Entry>& entries)
    {
        for (const PrefixKey& key : m_keys) {
            CString name, url;
            if (key.value == DefaultValue::Text && !key.url.empty() && Narrow(key.name, name) &&
                Narrow(key.url, url))
                entries.push_back({name, url});
            else
                ++m_skipped;
        }
        return m_skipped + (m_searchUrlHasValues ? 1 : 0);
    }

private:
    PrefixKey& KeyNamed(const std::wstring& name)
    {
        auto found = m_index.emplace(RegistryFold(name), m_keys.size());
        if (found.second)
            m_keys.push_back({name, DefaultValue::None, std::wstring()});
        return m_keys[found.first->second];
    }

    // In the process code page, when it holds the text exactly.
    static bool Narrow(const std::wstring& wide, CString& text)
    {
        std::string narrow;
        if (wide.empty() || !Tessaly::NarrowExactly(wide, narrow))
            return false;
        text = narrow.c_str();
        return true;
    }

    const bool m_ansi;
    std::vector<PrefixKey> m_keys;
    std::map<std::wstring, size_t> m_index;
    PrefixKey* m_prefix = nullptr;
    bool m_inSection = false;
    bool m_inSearchUrl = false;
    bool m_searchUrlHasValues = false;
    int m_skipped = 0;
};

} // namespace

void CPrefixFile::Add(const char* prefix, const char* url)
{
    m_entries.push_back({prefix, url});
}

std::string CPrefixFile::Format() const
{
    const std::wstring keyStart =
        std::wstring(L"[") + kCurrentUser + L"\\" + kSearchUrlPath + L"\\";
    std::wstring text = std::wstring(kVersion5) + L"\r\n\r\n";
    for (const Entry& entry : m_entries) {
        text += keyStart + Widen(entry.prefix) + L"]\r\n";
        text += L"@=" + StringData(Widen(entry.url)) + L"\r\n";
        for (const CSearchQuery::Replacement& replacement : CSearchQuery::kReplacements)
            text += Quoted(Widen(replacement.character)) + L"=" +
                    Quoted(Widen(replacement.text)) + L"\r\n";
        text += L"\r\n";
    }
    std::string bytes = "\xFF\xFE";
    bytes.append(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
    return bytes;
}

bool CPrefixFile::Parse(const std::string& bytes)
{
    std::wstring text;
    if (!Decode(bytes, text))
        return false;
    LineReader lines(text);
    std::wstring line;
    while (lines.Next(line) && TrimLeft(line).empty()) {
    }
    line = TrimLeft(TrimRight(line));
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
    std::vector<Entry> entries;
    m_skipped = parser.Finish(entries);
    m_entries.swap(entries);
    return true;
}

DWORD CPrefixFile::Save(const char* path) const
{
    const std::string bytes = Format();
    const std::string temporary =
        std::string(path) + ".quillory-" + std::to_string(::GetCurrentProcessId()) + ".tmp";
    FileHandle file(::CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsValid())
        return ::GetLastError();
    DWORD written = 0;
    bool ok = ::WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                          nullptr) &&
              written == bytes.size() && ::FlushFileBuffers(file.Get()) && file.Close() &&
              ::MoveFileExA(temporary.c_str(), path,
                            MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (ok)
        return 0;
    DWORD error = ::GetLastError();
    file.Close();
    ::DeleteFileA(temporary.c_str());
    return error != 0 ? error : ERROR_WRITE_FAULT;
}

DWORD CPrefixFile::Load(const char* path)
{
    FileHandle file(::CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsValid())
        return ::GetLastError();
    LARGE_INTEGER size = {};
    if (!::GetFileSizeEx(file.Get(), &size))
        return ::GetLastError();
    if (size.QuadPart > kMaxFileBytes)
        return ERROR_FILE_TOO_LARGE;
    std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    if (!bytes.empty() &&
        !::ReadFile(file.Get(), &bytes[0], static_cast<DWORD>(bytes.size()), &read, nullptr))
        return ::GetLastError();
    bytes.resize(read);
    return Parse(bytes) ? 0 : ERROR_BAD_FORMAT;
}

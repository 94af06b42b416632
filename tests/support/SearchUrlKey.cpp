#include "tests/support/SearchUrlKey.h"

#include "registry/ProcessCodePage.h"
#include "tests/support/ScratchRegistry.h"

#include <cwchar>

namespace {

// The values beside the URL, as the browser wants them.
const wchar_t* const kReplacements[][2] = {{L" ", L"+"}, {L"%", L"%25"}, {L"&", L"%26"}, {L"+", L"%2B"}};

std::string ReadText(HKEY key, const wchar_t* name, DWORD* type)
{
    WCHAR data[4096] = {};
    DWORD size = sizeof data - sizeof(WCHAR);
    if (::RegQueryValueExW(key, name, nullptr, type, reinterpret_cast<BYTE*>(data), &size) != 0)
        return "<missing>";
    return Utf8(data);
}

StoredPrefix ReadPrefix(HKEY searchUrl, const std::string& name)
{
    StoredPrefix entry;
    HKEY subkey = nullptr;
    if (::RegOpenKeyExW(searchUrl, Wide(name).c_str(), 0, KEY_READ, &subkey) != 0)
        return entry;
    DWORD subkeys = 0;
    ::RegQueryInfoKeyW(subkey, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr,
                       &entry.valueCount, nullptr, nullptr, nullptr, nullptr);
    entry.url = ReadText(subkey, L"", &entry.urlType);
    entry.hasTheFiveValues = entry.valueCount == 5 && entry.urlType == REG_SZ && subkeys == 0;
    for (const auto& replacement : kReplacements) {
        DWORD type = REG_NONE;
        entry.hasTheFiveValues = entry.hasTheFiveValues &&
                                 ReadText(subkey, replacement[0], &type) == Utf8(replacement[1]) &&
                                 type == REG_SZ;
    }
    ::RegCloseKey(subkey);
    return entry;
}

HKEY OpenSearchUrl()
{
    HKEY searchUrl = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, Wide(kSearchUrlPath).c_str(), 0, KEY_READ, &searchUrl))
        return nullptr;
    return searchUrl;
}

} // namespace

std::wstring Convert(UINT codePage, const char* text)
{
    int length = ::MultiByteToWideChar(codePage, 0, text, -1, nullptr, 0);
    std::wstring wide(static_cast<size_t>(length > 0 ? length : 1), L'\0');
    ::MultiByteToWideChar(codePage, 0, text, -1, &wide[0], length);
    wide.resize(wide.size() - 1);
    return wide;
}

std::wstring Wide(const std::string& utf8)
{
    return Convert(CP_UTF8, utf8.c_str());
}

std::string Utf8(const std::wstring& wide)
{
    int length = ::WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<size_t>(length > 0 ? length : 1), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, &text[0], length, nullptr, nullptr);
    text.resize(text.size() - 1);
    return text;
}

std::string Utf8FromProcessCodePage(const char* text)
{
    return Utf8(Convert(CP_ACP, text));
}

std::string PrefixPath(const std::string& name)
{
    return std::string(kSearchUrlPath) + "\\" + name;
}

void StorePrefix(const std::string& name, const char* url, bool whole)
{
    CreateTestKey(PrefixPath(name).c_str(), url);
    for (const auto& value : kReplacements) {
        if (whole && url != nullptr)
            ::RegSetKeyValueW(HKEY_CURRENT_USER, Wide(PrefixPath(name)).c_str(), value[0], REG_SZ, value[1],
                              static_cast<DWORD>((std::wcslen(value[1]) + 1) * sizeof(WCHAR)));
    }
}

void StoreNumberAsUrl(const std::string& name)
{
    StorePrefix(name, nullptr);
    DWORD number = 42;
    ::RegSetKeyValueW(HKEY_CURRENT_USER, Wide(PrefixPath(name)).c_str(), L"", REG_DWORD, &number,
                      sizeof number);
}

std::vector<std::string> StoredNames()
{
    std::vector<std::string> names;
    HKEY searchUrl = OpenSearchUrl();
    if (searchUrl == nullptr)
        return names;
    WCHAR name[256];
    for (DWORD index = 0;; ++index) {
        DWORD length = 256;
        if (::RegEnumKeyExW(searchUrl, index, name, &length, nullptr, nullptr, nullptr, nullptr))
            break;
        names.push_back(Utf8(name));
    }
    ::RegCloseKey(searchUrl);
    return names;
}

std::map<std::string, StoredPrefix> StoredPrefixes()
{
    std::map<std::string, StoredPrefix> stored;
    HKEY searchUrl = OpenSearchUrl();
    if (searchUrl == nullptr)
        return stored;
    for (const std::string& name : StoredNames())
        stored[name] = ReadPrefix(searchUrl, name);
    ::RegCloseKey(searchUrl);
    return stored;
}

bool SameKeyName(const std::string& left, const std::string& right)
{
    std::wstring a = Wide(left), b = Wide(right);
    return ::CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                  static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

std::string Local(const std::string& utf8)
{
    return Tessaly::Narrow(Wide(utf8));
}

std::string Utf16Bytes(const std::string& utf8)
{
    std::wstring wide = Wide(utf8);
    return std::string(reinterpret_cast<const char*>(wide.data()), wide.size() * sizeof(wchar_t));
}

std::string Utf8FromUtf16Bytes(const std::string& bytes)
{
    return Utf8(std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / 2));
}

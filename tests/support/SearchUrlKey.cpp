#include "tests/support/SearchUrlKey.h"

const char kSearchUrlPath[] = "Software\\Microsoft\\Internet Explorer\\SearchUrl";

namespace {

std::string ReadText(HKEY key, const char* name, DWORD* type)
{
    char data[4096] = {};
    DWORD size = sizeof data - 1;
    if (::RegQueryValueExA(key, name, nullptr, type, reinterpret_cast<BYTE*>(data), &size) != 0)
        return "<missing>";
    return data;
}

StoredPrefix ReadPrefix(HKEY searchUrl, const char* name)
{
    StoredPrefix entry;
    HKEY subkey = nullptr;
    if (::RegOpenKeyExA(searchUrl, name, 0, KEY_READ, &subkey) != 0)
        return entry;
    ::RegQueryInfoKeyA(subkey, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                       &entry.valueCount, nullptr, nullptr, nullptr, nullptr);
    entry.url = ReadText(subkey, "", &entry.urlType);
    entry.hasTheFiveValues = entry.valueCount == 5 && entry.urlType == REG_SZ;
    const char* const replacements[][2] = {{" ", "+"}, {"%", "%25"}, {"&", "%26"}, {"+", "%2B"}};
    for (const auto& replacement : replacements) {
        DWORD type = REG_NONE;
        entry.hasTheFiveValues = entry.hasTheFiveValues &&
                                 ReadText(subkey, replacement[0], &type) == replacement[1] &&
                                 type == REG_SZ;
    }
    ::RegCloseKey(subkey);
    return entry;
}

} // namespace

std::string PrefixPath(const std::string& name)
{
    return std::string(kSearchUrlPath) + "\\" + name;
}

std::vector<std::string> StoredNames()
{
    std::vector<std::string> names;
    HKEY searchUrl = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, kSearchUrlPath, 0, KEY_READ, &searchUrl) != 0)
        return names;
    char name[256];
    for (DWORD index = 0;; ++index) {
        DWORD length = sizeof name;
        if (::RegEnumKeyExA(searchUrl, index, name, &length, nullptr, nullptr, nullptr, nullptr))
            break;
        names.push_back(name);
    }
    ::RegCloseKey(searchUrl);
    return names;
}

std::map<std::string, StoredPrefix> StoredPrefixes()
{
    std::map<std::string, StoredPrefix> stored;
    HKEY searchUrl = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, kSearchUrlPath, 0, KEY_READ, &searchUrl) != 0)
        return stored;
    for (const std::string& name : StoredNames())
        stored[name] = ReadPrefix(searchUrl, name.c_str());
    ::RegCloseKey(searchUrl);
    return stored;
}

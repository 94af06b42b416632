#include "exchange/ProfileFinder.h"

#include "exchange/ByteFile.h"
#include "exchange/FileHandle.h"
#include "exchange/LineReader.h"
#include "exchange/TextEncoding.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cwctype>
#include <map>

namespace {

struct ChromiumBrowser {
    const wchar_t* userData;  // below the local application data folder
    const char* name;
};
const ChromiumBrowser kChromiumBrowsers[] = {
    {L"Google\\Chrome\\User Data", "Google Chrome"},
    {L"Microsoft\\Edge\\User Data", "Microsoft Edge"},
    {L"BraveSoftware\\Brave-Browser\\User Data", "Brave"},
    {L"Vivaldi\\User Data", "Vivaldi"},
    {L"Chromium\\User Data", "Chromium"},
};
const char kFirefox[] = "Mozilla Firefox";

bool IsFile(const std::wstring& path)
{
    DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// For a person to read: exact where the process code page allows.
CString DisplayName(const char* browser, const std::wstring& profile)
{
    CString name;
    if (!NarrowText(profile, name)) {
        std::string lossy(profile.size() * 4 + 1, '\0');
        ::WideCharToMultiByte(CP_ACP, 0, profile.c_str(), -1, &lossy[0],
                              static_cast<int>(lossy.size()), nullptr, nullptr);
        name = lossy.c_str();
    }
    return (std::string(browser) + ": " + static_cast<const char*>(name)).c_str();
}

std::vector<std::wstring> Subfolders(const std::wstring& folder)
{
    std::vector<std::wstring> names;
    for (const WIN32_FIND_DATAW& found : FindFiles(folder + L"\\*")) {
        std::wstring name = found.cFileName;
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 && name != L"." && name != L"..")
            names.push_back(name);
    }
    return names;
}

// Default first, then Profile 1, 2, ... by number, then the rest by name.
bool ChromiumOrder(const std::wstring& left, const std::wstring& right)
{
    auto rank = [](const std::wstring& folder) -> std::pair<int, long> {
        if (folder == L"Default")
            return {0, 0};
        if (folder.compare(0, 8, L"Profile ") == 0 && folder.size() > 8 && folder.size() < 16 &&
            std::all_of(folder.begin() + 8, folder.end(), [](wchar_t c) { return c >= L'0' && c <= L'9'; }))
            return {1, std::stol(folder.substr(8))};
        return {2, 0};
    };
    auto l = rank(left), r = rank(right);
    if (l != r)
        return l < r;
    return ::CompareStringOrdinal(left.c_str(), -1, right.c_str(), -1, TRUE) == CSTR_LESS_THAN;
}

// profile.info_cache.<folder>.name of `Local State`; nothing when the file
// is missing or broken.
std::map<std::wstring, std::wstring> ChromiumProfileNames(const std::wstring& userData)
{
    std::map<std::wstring, std::wstring> names;
    std::string bytes;
    if (CByteFile::Read(userData + L"\\Local State", bytes) != 0)
        return names;
    const nlohmann::json state = nlohmann::json::parse(bytes, nullptr, false);
    if (!state.is_object())
        return names;
    auto profile = state.find("profile");
    if (profile == state.end() || !profile->is_object())
        return names;
    auto cache = profile->find("info_cache");
    if (cache == profile->end() || !cache->is_object())
        return names;
    for (auto entry = cache->begin(); entry != cache->end(); ++entry) {
        if (!entry->is_object())
            continue;
        auto name = entry->find("name");
        if (name != entry->end() && name->is_string() && !name->get<std::string>().empty())
            names[WideFromUtf8(entry.key())] = WideFromUtf8(name->get<std::string>());
    }
    return names;
}

struct IniSection {
    std::wstring name;
    std::map<std::wstring, std::wstring> values;  // by lower-case key
};

std::vector<IniSection> ParseIni(const std::wstring& text)
{
    std::vector<IniSection> sections;
    CLineReader lines(text);
    std::wstring line;
    while (lines.Next(line)) {
        line = Trimmed(line);
        if (line.size() >= 2 && line.front() == L'[' && line.back() == L']') {
            sections.push_back({line.substr(1, line.size() - 2), {}});
        } else if (!sections.empty() && !line.empty() && line[0] != L';' && line[0] != L'#') {
            size_t equals = line.find(L'=');
            if (equals == std::wstring::npos)
                continue;
            std::wstring key = Trimmed(line.substr(0, equals));
            std::transform(key.begin(), key.end(), key.begin(), ::towlower);
            sections.back().values[key] = Trimmed(line.substr(equals + 1));
        }
    }
    return sections;
}

std::wstring Value(const IniSection& section, const wchar_t* key)
{
    auto found = section.values.find(key);
    return found == section.values.end() ? std::wstring() : found->second;
}

bool IsAbsolute(const std::wstring& path)
{
    return (path.size() >= 2 && path[1] == L':') || (!path.empty() && (path[0] == L'\\' || path[0] == L'/'));
}

// A profile path as Firefox writes it: relative ones with forward slashes.
std::wstring ProfileFolder(const std::wstring& firefox, std::wstring path, bool relative)
{
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return relative ? firefox + L"\\" + path : path;
}

long ProfileNumber(const std::wstring& section)
{
    if (section.size() <= 7 || section.size() > 15 ||
        !std::all_of(section.begin() + 7, section.end(), [](wchar_t c) { return c >= L'0' && c <= L'9'; }))
        return -1;
    return std::stol(section.substr(7));
}

} // namespace

std::vector<CBrowserProfile> CProfileFinder::Find(const std::wstring& localAppData,
                                                  const std::wstring& roamingAppData)
{
    std::vector<CBrowserProfile> profiles;
    // An unknown folder is no reason to look in the root of a drive.
    for (const ChromiumBrowser& browser : kChromiumBrowsers) {
        if (!localAppData.empty())
            FindChromium(localAppData + L"\\" + browser.userData, browser.name, profiles);
    }
    if (!roamingAppData.empty())
        FindFirefox(roamingAppData + L"\\Mozilla\\Firefox", profiles);
    return profiles;
}

void CProfileFinder::FindChromium(const std::wstring& userData, const char* browser,
                                  std::vector<CBrowserProfile>& profiles)
{
    std::vector<std::wstring> folders = Subfolders(userData);
    if (folders.empty())
        return;
    std::sort(folders.begin(), folders.end(), ChromiumOrder);
    const std::map<std::wstring, std::wstring> names = ChromiumProfileNames(userData);
    for (const std::wstring& folder : folders) {
        const std::wstring database = userData + L"\\" + folder + L"\\Web Data";
        // The browser's own, never a person's.
        if (folder == L"System Profile" || folder == L"Guest Profile" || !IsFile(database))
            continue;
        auto name = names.find(folder);
        profiles.push_back({CBrowserProfile::kChromium,
                            DisplayName(browser, name != names.end() ? name->second : folder),
                            database});
    }
}

void CProfileFinder::FindFirefox(const std::wstring& firefox, std::vector<CBrowserProfile>& profiles)
{
    std::string bytes;
    std::wstring text;
    if (CByteFile::Read(firefox + L"\\profiles.ini", bytes) != 0 || !DecodeText(bytes, text))
        return;
    const std::vector<IniSection> sections = ParseIni(text);
    // Each listed profile by its folder: the default one (as Firefox before
    // version 67 marks it) first, then in the order Profile0, Profile1, ...
    std::vector<std::pair<long, const IniSection*>> listed;
    for (const IniSection& section : sections) {
        long number = ProfileNumber(section.name);
        if (StartsWithIgnoringCase(section.name, L"Profile") && number >= 0)
            listed.emplace_back(Value(section, L"default") == L"1" ? -1 : number, &section);
    }
    std::stable_sort(listed.begin(), listed.end(),
                     [](const auto& left, const auto& right) { return left.first < right.first; });
    std::vector<std::pair<std::wstring, std::wstring>> folders;  // folder, name
    for (const auto& entry : listed) {
        const std::wstring path = Value(*entry.second, L"path");
        if (path.empty())
            continue;
        // Firefox writes IsRelative every time; without it, the path tells.
        std::wstring relative = Value(*entry.second, L"isrelative");
        bool isRelative = relative.empty() ? !IsAbsolute(path) : relative == L"1";
        folders.emplace_back(ProfileFolder(firefox, path, isRelative), Value(*entry.second, L"name"));
    }
    // The profiles that installations start with come first.
    std::vector<std::pair<std::wstring, std::wstring>> ordered;
    for (const IniSection& section : sections) {
        std::wstring path = Value(section, L"default");
        if (!StartsWithIgnoringCase(section.name, L"Install") || path.empty())
            continue;
        std::wstring folder = ProfileFolder(firefox, path, !IsAbsolute(path));
        auto known = std::find_if(folders.begin(), folders.end(),
                                  [&](const auto& f) { return EqualIgnoringCase(f.first, folder); });
        ordered.emplace_back(folder, known != folders.end() ? known->second : std::wstring());
    }
    ordered.insert(ordered.end(), folders.begin(), folders.end());
    std::vector<std::wstring> seen;
    for (const auto& entry : ordered) {
        const std::wstring& folder = entry.first;
        if (std::any_of(seen.begin(), seen.end(), [&](const std::wstring& s) { return EqualIgnoringCase(s, folder); }))
            continue;
        seen.push_back(folder);
        const std::wstring database = folder + L"\\places.sqlite";
        if (!IsFile(database))
            continue;
        std::wstring name = entry.second;
        if (name.empty())
            name = folder.substr(folder.find_last_of(L'\\') + 1);
        profiles.push_back({CBrowserProfile::kFirefox, DisplayName(kFirefox, name), database});
    }
}

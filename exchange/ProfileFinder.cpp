#include "exchange/ProfileFinder.h"

#include "exchange/ByteFile.h"
#include "exchange/FileHandle.h"
#include "exchange/JsonLevels.h"
#include "exchange/KnownFolder.h"
#include "exchange/LineReader.h"
#include "exchange/TextEncoding.h"
#include "registry/IgnoringCase.h"
#include "registry/ProcessCodePage.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <map>
#include <set>

using Tessaly::IgnoringCase;
using Tessaly::StartsWithIgnoringCase;

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
    return (std::string(browser) + ": " + Tessaly::Narrow(profile).c_str()).c_str();
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
    return IgnoringCase()(left, right);
}

// A browser's own list of its profiles is small; a larger file is taken
// as none, so that reading it takes little time and memory.
const DWORD kMaxLocalStateBytes = 16u << 20;
const DWORD kMaxProfilesIniBytes = 1u << 20;

// profile.info_cache.<folder>.name of `Local State`, taken as the parser
// meets it, so that nothing of the file is held but the way down to it.
class ProfileNames : public CJsonLevels {
public:
    bool string(String& value)
    {
        const bool isName = Depth() == 4 && LastKey() == "name" && KeyOf(1) == "profile" &&
                            KeyOf(2) == "info_cache" && !value.empty();
        if (isName && Objects() == 4)
            names[WideFromUtf8(KeyOf(3))] = WideFromUtf8(value);
        return true;
    }

    std::map<std::wstring, std::wstring> names;
};

// The names of `Local State`; nothing when the file is missing or broken.
std::map<std::wstring, std::wstring> ChromiumProfileNames(const std::wstring& userData)
{
    std::string bytes;
    ProfileNames names;
    if (CByteFile::Read(userData + L"\\Local State", bytes, kMaxLocalStateBytes) != 0 ||
        !nlohmann::json::sax_parse(bytes, &names))
        return {};
    return names.names;
}

struct IniSection {
    std::wstring name;
    std::map<std::wstring, std::wstring, IgnoringCase> values;
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
            sections.back().values[Trimmed(line.substr(0, equals))] = Trimmed(line.substr(equals + 1));
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
    if (CByteFile::Read(firefox + L"\\profiles.ini", bytes, kMaxProfilesIniBytes) != 0 ||
        !DecodeText(bytes, text))
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
    std::map<std::wstring, std::wstring, IgnoringCase> names;  // the first by folder
    for (const auto& entry : listed) {
        const std::wstring path = Value(*entry.second, L"path");
        if (path.empty())
            continue;
        // Firefox writes IsRelative every time; without it, the path tells.
        std::wstring relative = Value(*entry.second, L"isrelative");
        bool isRelative = relative.empty() ? !IsAbsolute(path) : relative == L"1";
        folders.emplace_back(ProfileFolder(firefox, path, isRelative), Value(*entry.second, L"name"));
        names.emplace(folders.back());
    }
    // The profiles that installations start with come first.
    std::vector<std::pair<std::wstring, std::wstring>> ordered;
    for (const IniSection& section : sections) {
        std::wstring path = Value(section, L"default");
        if (!StartsWithIgnoringCase(section.name, L"Install") || path.empty())
            continue;
        std::wstring folder = ProfileFolder(firefox, path, !IsAbsolute(path));
        auto known = names.find(folder);
        ordered.emplace_back(folder, known != names.end() ? known->second : std::wstring());
    }
    ordered.insert(ordered.end(), folders.begin(), folders.end());
    std::set<std::wstring, IgnoringCase> seen;
    for (const auto& entry : ordered) {
        const std::wstring& folder = entry.first;
        const std::wstring database = folder + L"\\places.sqlite";
        // A NUL would end the path early where the system reads it, and the
        // system opens no path of MAX_PATH or more for this program: asking
        // it only costs time (Wine's takes time in the square of the length).
        if (database.find(L'\0') != std::wstring::npos || database.size() >= MAX_PATH ||
            !seen.insert(folder).second)
            continue;
        if (!IsFile(database))
            continue;
        std::wstring name = entry.second;
        if (name.empty())
            name = folder.substr(folder.find_last_of(L'\\') + 1);
        profiles.push_back({CBrowserProfile::kFirefox, DisplayName(kFirefox, name), database});
    }
}

std::vector<CBrowserProfile> CProfileFinder::FindForUser()
{
    return Find(CKnownFolder::GetPath(FOLDERID_LocalAppData), CKnownFolder::GetPath(FOLDERID_RoamingAppData));
}

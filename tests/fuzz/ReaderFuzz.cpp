// `make fuzz` (README: "Fuzzing"): every reader of files other programs
// write, over inputs mutated from the seeds in corpus/ and the databases the
// test support makes; each crash, each input slower than its bound, and
// each result that breaks a promise (see the checks below) is reported and
// its input saved in the working folder. Exits 0 when nothing was found.
//
//   reader_fuzz --corpus DIR [--reader NAME] [--inputs N] [--seconds S] [--seed N]
//   reader_fuzz --corpus DIR --reader NAME --replay SAVED   (SAVED.0, SAVED.1, ...)

#include "exchange/BookmarksFile.h"
#include "exchange/ChromePolicy.h"
#include "exchange/FileHandle.h"
#include "exchange/FirefoxPolicy.h"
#include "exchange/PrefixFile.h"
#include "exchange/PrefixFiles.h"
#include "exchange/ProfileFinder.h"
#include "exchange/ProfileReader.h"
#include "exchange/TextEncoding.h"
#include "prefixes/PrefixRules.h"
#include "registry/IgnoringCase.h"
#include "registry/ProcessCodePage.h"

#include "tests/fuzz/Mutator.h"
#include "tests/support/BrowserProfiles.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <windows.h>

namespace {

using Input = std::vector<std::string>;  // the bytes of each file one reading takes
using Pairs = std::vector<std::pair<std::string, std::string>>;

struct Reader {
    const char* name;
    std::vector<std::string> words;
    std::vector<Input> seeds;
    std::function<std::string(const Input&)> read;  // what the result broke, or nothing
};

// What the crash handler and the watchdog report.
const char* g_reader = "";
unsigned long long g_index = 0, g_seed = 0;
const Input* g_input = nullptr;
std::atomic<ULONGLONG> g_deadline(0);
std::atomic<bool> g_saving(false);

void Save(const std::string& what)
{
    const std::string name = std::string(g_reader) + "-" + std::to_string(g_index);
    for (size_t part = 0; g_input != nullptr && part < g_input->size(); ++part)
        WriteFileBytes(name + "." + std::to_string(part), (*g_input)[part]);
    std::printf("%s: %s, input %s of seed %s, saved as %s.*\n", what.c_str(), g_reader,
                std::to_string(g_index).c_str(), std::to_string(g_seed).c_str(), name.c_str());
    std::fflush(stdout);
}

LONG WINAPI OnCrash(EXCEPTION_POINTERS* exception)
{
    char code[16];
    std::snprintf(code, sizeof code, "0x%08lX", exception->ExceptionRecord->ExceptionCode);
    Save(std::string("crash (exception ") + code + ")");
    ::ExitProcess(1);
}

// An input still read long after its bound is reported from here while
// the reading goes on; once it ends, the reading waits rather than free the
// input (each side says what it does before it looks at the other).
DWORD WINAPI Watchdog(void*)
{
    for (;; ::Sleep(100)) {
        const ULONGLONG deadline = g_deadline;
        if (deadline == 0 || ::GetTickCount64() <= deadline + 10000)
            continue;
        g_saving = true;
        if (g_deadline == deadline) {
            Save("still reading long after its bound");
            ::ExitProcess(1);
        }
        g_saving = false;
    }
}

std::string CheckShortcuts(const std::vector<CShortcut>& shortcuts)
{
    for (const CShortcut& shortcut : shortcuts) {
        const std::wstring address = Tessaly::Widen(shortcut.url);
        if (!CPrefixRules::IsTypable(Tessaly::Widen(shortcut.prefix)))
            return "a keyword no one can type: " + std::string(shortcut.prefix);
        if ((!Tessaly::StartsWithIgnoringCase(address, L"http://") &&
             !Tessaly::StartsWithIgnoringCase(address, L"https://")) ||
            address.find(L"%s") == std::wstring::npos)
            return "no web address with a place for the query: " + std::string(shortcut.url);
    }
    return "";
}

std::string CheckProfiles(const std::vector<CBrowserProfile>& profiles)
{
    for (const CBrowserProfile& profile : profiles) {
        const std::wstring& path = profile.database;
        const std::wstring file = path.substr(path.find_last_of(L'\\') + 1);
        DWORD attributes = ::GetFileAttributesW(path.c_str());
        if (path.find(L'\0') != std::wstring::npos || (file != L"Web Data" && file != L"places.sqlite") ||
            attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
            return "not a profile's database: " + Utf8FromWide(path);
    }
    return "";
}

Pairs PairsOf(const CPrefixFile& file)
{
    Pairs pairs;
    for (const CShortcut& entry : file.GetEntries())
        pairs.emplace_back(static_cast<const char*>(entry.prefix), static_cast<const char*>(entry.url));
    return pairs;
}

std::string CheckRegFile(const Input& input)
{
    CPrefixFile file, written, again;
    if (!file.Parse(input[0]))
        return "";
    for (const auto& entry : PairsOf(file)) {
        if (entry.first.empty() || entry.first.find('\\') != std::string::npos || entry.second.empty())
            return "an entry that is no prefix: " + entry.first;
        written.Add(entry.first.c_str(), entry.second.c_str());
    }
    again.Parse(written.Format());
    return PairsOf(again) == PairsOf(file) ? "" : "read back otherwise than written";
}

const wchar_t* const kCompanions[] = {L"", L"-journal", L"-wal"};

std::set<std::wstring> TemporaryFiles()
{
    WCHAR temporary[MAX_PATH + 1] = {};
    ::GetTempPathW(MAX_PATH + 1, temporary);
    std::set<std::wstring> names;
    for (const WIN32_FIND_DATAW& found : FindFiles(std::wstring(temporary) + L"*"))
        names.insert(found.cFileName);
    return names;
}

// A profile read from its copy: what it offers, and whether its files,
// the one its journal names and the temporary folder stayed as they were.
std::string ReadProfile(CBrowserProfile::Kind kind, const std::wstring& path, const Input& input,
                        const std::wstring& victim)
{
    for (size_t part = 0; part < input.size(); ++part) {
        ::DeleteFileW((path + kCompanions[part]).c_str());
        if (part == 0 || !input[part].empty())
            WriteFileBytes(path + kCompanions[part], input[part]);
    }
    const std::set<std::wstring> temporary = TemporaryFiles();
    CFoundShortcuts found;
    CProfileReader::Read(CBrowserProfile{kind, "fuzz", path}, found);
    for (size_t part = 0; part < input.size(); ++part) {
        if (ReadFileBytes(path + kCompanions[part]) != input[part])
            return "the profile's file changed: " + Utf8FromWide(path + kCompanions[part]);
    }
    if (ReadFileBytes(victim) != "keep me")
        return "the file the journal names changed";
    return TemporaryFiles() != temporary ? "the temporary folder changed" : CheckShortcuts(found.Shortcuts());
}

Input DatabaseSeed(const std::wstring& path)
{
    Input seed;
    for (const wchar_t* companion : kCompanions)
        seed.push_back(ReadFileBytes(path + companion));
    return seed;
}

std::vector<Input> CorpusFiles(const std::string& folder)
{
    std::vector<Input> files;
    for (const WIN32_FIND_DATAW& found : FindFiles(Tessaly::Widen((folder + "\\*.*").c_str()))) {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
            files.push_back({ReadFileBytes(Tessaly::Widen(folder.c_str()) + L"\\" + found.cFileName)});
    }
    return files;
}

std::vector<Reader> Readers(const std::string& corpus, const TempFolder& root)
{
    const std::wstring local = root.Make(L"Local"), roaming = root.Make(L"Roaming");
    const std::wstring chrome = MakeFolders(local, L"Google\\Chrome\\User Data");
    const std::wstring firefox = MakeFolders(roaming, L"Mozilla\\Firefox");
    WriteFileBytes(MakeFolders(chrome, L"Default") + L"\\Web Data", "");
    for (const wchar_t* profile : {L"Profiles\\a.default", L"Profiles\\b.default-release"})
        WriteFileBytes(MakeFolders(firefox, profile) + L"\\places.sqlite", "");
    const std::wstring victim = root.Path() + L"\\notes.txt";
    WriteFileBytes(victim, "keep me");
    const std::wstring webData = root.Make(L"Chrome") + L"\\Web Data";
    const std::wstring places = root.Make(L"Firefox") + L"\\places.sqlite";
    std::vector<Reader> readers = {
        {"bookmarks", {"<A ", "</A>", "<!--", "-->", " HREF=\"https://x/?q=%s", " SHORTCUTURL=", " POST_DATA=",
                       "&amp;", "&#x", "<TITLE>", "<H3 TITLE=\"", "<", "&", "\t"},
         CorpusFiles(corpus + "\\bookmarks"),
         [](const Input& input) {
             CBookmarksFile file;
             return file.Parse(input[0]) ? CheckShortcuts(file.GetEntries()) : "";
         }},
        {"reg", {"\r\n[HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\SearchUrl\\", "]", "@=", "\"",
                 "hex(1):", "hex(2):", ",\\\r\n  ", "[-", "=-", ";", "\\\\"},
         CorpusFiles(corpus + "\\reg"), CheckRegFile},
        {"local-state", {"{", "}", "[", "]", "\"profile\":", "\"info_cache\":", "\"name\":", ",", "\\u0000", "null"},
         CorpusFiles(corpus + "\\local-state"),
         [=](const Input& input) {
             WriteFileBytes(chrome + L"\\Local State", input[0]);
             return CheckProfiles(CProfileFinder::Find(local, L""));
         }},
        {"profiles-ini", {"\n[Profile0]\n", "\n[Install1]\n", "Path=", "IsRelative=0", "Default=1", "Name=",
                          "Profiles/", "..\\", "C:\\", "\n", "="},
         CorpusFiles(corpus + "\\profiles-ini"),
         [=](const Input& input) {
             WriteFileBytes(firefox + L"\\profiles.ini", input[0]);
             return CheckProfiles(CProfileFinder::Find(L"", roaming));
         }},
        {"web-data", {"{searchTerms}", "{google:baseURL}", "{google:unescapedSearchTerms}", "https://", " "}, {},
         [=](const Input& input) { return ReadProfile(CBrowserProfile::kChromium, webData, input, victim); }},
        {"places", {"%S", "https://", " ", "javascript:"}, {},
         [=](const Input& input) { return ReadProfile(CBrowserProfile::kFirefox, places, input, victim); }},
        {"policy", {"{", "}", "[", "]", ",", "\"SiteSearchSettings\":", "\"Add\":", "{searchTerms}", "\\u0000"}, {},
         [](const Input& input) {  // every entry has a name and a URL
             std::vector<PrefixRow> rows;
             int skipped = 0;
             CFileName::Format format = CFileName::kUnknown;
             CPrefixFiles::Parse(input[0], rows, skipped, format);
             return std::any_of(rows.begin(), rows.end(), [](const PrefixRow& row) {
                 return row.prefix.IsEmpty() || row.url.IsEmpty(); }) ? "an entry that is no prefix" : "";
         }},
    };
    // Our own exports, the databases as the browsers write them, and one
    // left in the middle of a transaction with a journal naming another file.
    CBookmarksFile bookmarks;
    CPrefixFile reg;
    bookmarks.Add("GOOGLE", "http://www.google.com/search?q=%s");
    reg.Add("WIKI", "https://de.wikipedia.org/w/index.php?search=%s&go=Go");
    readers[0].seeds.push_back({bookmarks.Format()});
    readers[1].seeds.push_back({reg.Format()});
    CChromePolicy chromePolicy;
    CFirefoxPolicy firefoxPolicy;
    chromePolicy.Add("GOOGLE", "http://www.google.com/search?q=%s");
    firefoxPolicy.Add("WIKI", "https://de.wikipedia.org/w/index.php?search=%s&go=Go");
    for (const std::string& seed :
         {chromePolicy.FormatJson(), chromePolicy.FormatReg(), firefoxPolicy.FormatJson(), firefoxPolicy.FormatReg()})
        readers[6].seeds.push_back({seed});
    const std::wstring seed = root.Make(L"Seed") + L"\\database";
    const std::vector<ChromiumKeyword> keywords = {
        {"wiki", "https://w/?q={searchTerms}"}, {"g", "{google:baseURL}search?q={searchTerms}&{google:RLZ}"},
        {"google.com", "{google:baseURL}search?q={searchTerms}", 1}, {"post", "https://p/", 0, 0, 1, "q=1"}};
    for (ChromiumSchema schema : {ChromiumSchema::Current, ChromiumSchema::Older}) {
        WriteWebData(seed, keywords, schema);
        readers[4].seeds.push_back(DatabaseSeed(seed));
    }
    WriteInterruptedWebData(seed, keywords);
    NameSuperJournal(seed + L"-journal", Utf8FromWide(victim));
    readers[4].seeds.push_back(DatabaseSeed(seed));
    for (bool inLog : {false, true}) {
        WritePlaces(seed, {{"wiki", "https://w/?q=%s"}, {"raw", "https://r/?q=%S"}, {"post", "https://p/", "q=%s"}},
                    inLog);
        readers[5].seeds.push_back(DatabaseSeed(seed));
    }
    return readers;
}

// Runs one reader over mutated inputs; the number of findings.
int Fuzz(const Reader& reader, unsigned long long inputs, double seconds)
{
    g_reader = reader.name;
    CMutator mutator(g_seed * 1000003 + std::hash<std::string>()(reader.name), reader.words);
    const ULONGLONG start = ::GetTickCount64();
    ULONGLONG slowest = 0;
    int findings = 0;
    for (g_index = 0; g_index < inputs && (::GetTickCount64() - start) < seconds * 1000; ++g_index) {
        Input input = reader.seeds[mutator.Below(reader.seeds.size())];
        const Input& other = reader.seeds[mutator.Below(reader.seeds.size())];
        size_t part = mutator.Below(2) == 0 ? 0 : mutator.Below(input.size());
        mutator.Mutate(input[part], other[part]);
        size_t bytes = 0;
        for (const std::string& file : input)
            bytes += file.size();
        g_input = &input;
        const ULONGLONG begun = ::GetTickCount64(), bound = 5000 + bytes / 250;
        g_deadline = begun + bound;
        const std::string broken = reader.read(input);
        g_deadline = 0;
        while (g_saving)
            ::Sleep(INFINITE);
        const ULONGLONG took = ::GetTickCount64() - begun;
        slowest = std::max(slowest, took);
        if (took > bound && ++findings <= 20)
            Save("slower than its bound (" + std::to_string(took) + " ms)");
        if (!broken.empty() && ++findings <= 20)
            Save("broken promise (" + broken + ")");
        g_input = nullptr;
    }
    std::printf("%-12s %8s inputs in %6.1f s, the slowest %5d ms, %d findings\n", reader.name,
                std::to_string(g_index).c_str(), (::GetTickCount64() - start) / 1000.0, static_cast<int>(slowest),
                findings);
    std::fflush(stdout);
    return findings;
}

} // namespace

int main(int argc, char** argv)
{
    std::map<std::string, std::string> options;
    for (int i = 1; i + 1 < argc; i += 2)
        options[argv[i]] = argv[i + 1];
    const std::string corpus = options["--corpus"], only = options["--reader"], replay = options["--replay"];
    const unsigned long long inputs = options.count("--inputs") ? std::stoull(options["--inputs"]) : ~0ull;
    const double seconds = options.count("--seconds") ? std::atof(options["--seconds"].c_str()) : 1e9;
    g_seed = options.count("--seed") ? std::stoull(options["--seed"]) : 0;
    if (corpus.empty() || (inputs == ~0ull && seconds >= 1e9 && replay.empty())) {
        std::printf("usage: reader_fuzz --corpus DIR [--reader NAME] [--inputs N] [--seconds S] [--seed N]\n");
        return 2;
    }
    ::SetUnhandledExceptionFilter(OnCrash);
    ::CloseHandle(::CreateThread(nullptr, 0, Watchdog, nullptr, 0, nullptr));
    TempFolder root;
    const std::wstring temporary = root.Make(L"Temp") + L"\\";
    ::SetEnvironmentVariableW(L"TMP", temporary.c_str());
    ::SetEnvironmentVariableW(L"TEMP", temporary.c_str());
    std::vector<Reader> readers = Readers(corpus, root);
    int findings = 0, chosen = 0;
    for (const Reader& reader : readers) {
        if (!replay.empty() && reader.name == only) {
            Input input = reader.seeds.front();
            for (size_t part = 0; part < input.size(); ++part)
                input[part] = ReadFileBytes(replay + "." + std::to_string(part));
            const std::string broken = reader.read(input);
            std::printf("%s\n", broken.empty() ? "nothing broken" : broken.c_str());
            return broken.empty() ? 0 : 1;
        }
        chosen += only.empty() || only == reader.name ? 1 : 0;
    }
    std::printf("seed %s\n", std::to_string(g_seed).c_str());
    for (const Reader& reader : readers) {
        if (reader.seeds.empty())
            findings += std::printf("%s: no seeds in %s\n", reader.name, corpus.c_str()) > 0 ? 1 : 0;
        else if (only.empty() || only == reader.name)
            findings += Fuzz(reader, inputs, seconds / chosen);
    }
    return findings == 0 && chosen > 0 ? 0 : 1;
}

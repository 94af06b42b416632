// Feeds every reader of files that other programs write with damaged and
// hostile inputs, made by mutating a small seed corpus, and reports each
// crash, each input read slower than its bound (5 s, and 4 s more per
// megabyte, far above what linear work takes and far below what quadratic
// work on a large input does; one still read 10 s after it ends the run),
// and each result that breaks what the readers promise:
//   - every shortcut offered has a keyword one can type and an http or
//     https URL holding %s;
//   - every .reg entry has a name without a backslash and a URL, and reads
//     back as it is written;
//   - every profile found is an existing file with the browser's own name;
//   - reading a profile changes no file outside its private copy: not the
//     profile's own files, not a file its journal names, and nothing is
//     left in the temporary folder.
//
//   reader_fuzz --corpus DIR [--reader NAME] [--inputs N] [--seconds S] [--seed N]
//   reader_fuzz --corpus DIR --reader NAME --replay SAVED   (SAVED.0, SAVED.1, ...)
//
// The same seed makes the same changes to the same seeds (a journal SQLite
// writes holds a random number of its own). Exits 0 when nothing was found,
// and 1 otherwise, each finding's input saved in the working folder. Its
// temporary folder is its own, so that other programs' files there do not
// count as changes.

#include "exchange/BookmarksFile.h"
#include "exchange/FileHandle.h"
#include "exchange/KeywordUrl.h"
#include "exchange/PrefixFile.h"
#include "exchange/ProfileFinder.h"
#include "exchange/ProfileReader.h"
#include "exchange/TextEncoding.h"
#include "registry/ProcessCodePage.h"

#include "tests/fuzz/Mutator.h"
#include "tests/support/BrowserProfiles.h"

#include <cstdio>
#include <cstdlib>
#include <atomic>
#include <cstring>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include <windows.h>

namespace {

using Input = std::vector<std::string>;  // the bytes of each file one reading takes

struct Reader {
    const char* name;
    std::vector<std::string> words;
    std::vector<Input> seeds;
    // What the result broke, or nothing.
    std::function<std::string(const Input&)> read;
};

// What the crash handler and the watchdog report.
const char* g_reader = "";
unsigned long long g_index = 0, g_seed = 0;
const Input* g_input = nullptr;
std::atomic<ULONGLONG> g_deadline(0);
std::atomic<bool> g_saving(false);

void Save(const char* what)
{
    for (size_t part = 0; g_input != nullptr && part < g_input->size(); ++part) {
        const std::string name = std::string(g_reader) + "-" + std::to_string(g_index) + "." + std::to_string(part);
        WriteFileBytes(name, (*g_input)[part]);
    }
    const std::string index = std::to_string(g_index);
    std::printf("%s: %s, input %s of seed %s, saved as %s-%s.*\n", what, g_reader, index.c_str(),
                std::to_string(g_seed).c_str(), g_reader, index.c_str());
    std::fflush(stdout);
}

LONG WINAPI OnCrash(EXCEPTION_POINTERS* exception)
{
    char what[64];
    std::snprintf(what, sizeof what, "crash (exception 0x%08lX)", exception->ExceptionRecord->ExceptionCode);
    Save(what);
    ::ExitProcess(1);
}

// An input that is still read long after its bound is reported from here.
// The reading goes on meanwhile; once it ends, it waits for the report
// rather than free the input (each side says what it does before it looks
// at the other).
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

std::string CheckShortcut(const CString& prefix, const CString& url)
{
    const std::wstring keyword = Tessaly::Widen(prefix), address = Tessaly::Widen(url);
    if (!CKeywordUrl::IsTypableKeyword(keyword))
        return "a keyword no one can type: " + std::string(prefix);
    if (!StartsWithIgnoringCase(address, L"http://") && !StartsWithIgnoringCase(address, L"https://"))
        return "not a web address: " + std::string(url);
    return address.find(L"%s") == std::wstring::npos ? "no place for the query: " + std::string(url) : "";
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

std::set<std::wstring> TemporaryFiles()
{
    WCHAR temporary[MAX_PATH + 1] = {};
    ::GetTempPathW(MAX_PATH + 1, temporary);
    std::set<std::wstring> names;
    for (const WIN32_FIND_DATAW& found : FindFiles(std::wstring(temporary) + L"*"))
        names.insert(found.cFileName);
    return names;
}

const wchar_t* const kCompanions[] = {L"", L"-journal", L"-wal"};

void WriteDatabase(const std::wstring& path, const Input& input)
{
    for (size_t part = 0; part < input.size(); ++part) {
        ::DeleteFileW((path + kCompanions[part]).c_str());
        if (part == 0 || !input[part].empty())
            WriteFileBytes(path + kCompanions[part], input[part]);
    }
}

Input DatabaseSeed(const std::wstring& path)
{
    Input seed;
    for (const wchar_t* companion : kCompanions)
        seed.push_back(ReadFileBytes(path + companion));
    return seed;
}

// A profile read from its copy: what it offers, and whether its files,
// the one its journal names and the temporary folder stayed as they were.
std::string ReadProfile(CBrowserProfile::Kind kind, const std::wstring& path, const Input& input,
                        const std::wstring& victim)
{
    WriteDatabase(path, input);
    const std::set<std::wstring> temporary = TemporaryFiles();
    CFoundShortcuts found;
    CProfileReader::Read(CBrowserProfile{kind, "fuzz", path}, found);
    for (const CShortcut& shortcut : found.Shortcuts()) {
        std::string broken = CheckShortcut(shortcut.prefix, shortcut.url);
        if (!broken.empty())
            return broken;
    }
    for (size_t part = 0; part < input.size(); ++part) {
        if (ReadFileBytes(path + kCompanions[part]) != input[part])
            return "the profile's file changed: " + Utf8FromWide(path + kCompanions[part]);
    }
    if (ReadFileBytes(victim) != "keep me")
        return "the file the journal names changed";
    return TemporaryFiles() != temporary ? "the temporary folder changed" : "";
}

std::vector<Input> CorpusFiles(const std::string& folder, const char* pattern)
{
    std::vector<Input> files;
    for (const WIN32_FIND_DATAW& found : FindFiles(Tessaly::Widen((folder + "\\" + pattern).c_str())))
        files.push_back({ReadFileBytes(Tessaly::Widen(folder.c_str()) + L"\\" + found.cFileName)});
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
                       "&amp;", "&#x", "&#", "<DT>", "<TITLE>", "<H3 TITLE=\"", ">", "<", "&", "%S", "\t"},
         CorpusFiles(corpus + "\\bookmarks", "*.html"),
         [](const Input& input) {
             CBookmarksFile file;
             std::string broken;
             if (file.Parse(input[0]))
                 for (const CShortcut& entry : file.GetEntries())
                     broken = broken.empty() ? CheckShortcut(entry.prefix, entry.url) : broken;
             return broken;
         }},
        {"reg", {"\r\n[HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\SearchUrl\\", "]", "@=", "\"",
                 "hex(1):", "hex(2):", "68,00,", ",\\\r\n  ", "[-", "=-", ";", "REGEDIT4", "\\\\", "\\\""},
         CorpusFiles(corpus + "\\reg", "*.reg"),
         [](const Input& input) -> std::string {
             CPrefixFile file, written, again;
             if (!file.Parse(input[0]))
                 return "";
             for (const CShortcut& entry : file.GetEntries()) {
                 if (*entry.prefix == '\0' || std::strchr(entry.prefix, '\\') != nullptr || *entry.url == '\0')
                     return "an entry that is no prefix: " + std::string(entry.prefix);
                 written.Add(entry.prefix, entry.url);
             }
             again.Parse(written.Format());
             bool same = again.GetEntries().size() == file.GetEntries().size();
             for (size_t i = 0; same && i < file.GetEntries().size(); ++i)
                 same = again.GetEntries()[i].prefix == file.GetEntries()[i].prefix &&
                        again.GetEntries()[i].url == file.GetEntries()[i].url;
             return same ? "" : "read back otherwise than written";
         }},
        {"local-state", {"{", "}", "[", "]", "\"profile\":", "\"info_cache\":", "\"name\":", "\"Default\":", ",",
                         "\\u0000", "\\ud800", "null", "1e999", "\"\\\\\""},
         CorpusFiles(corpus + "\\local-state", "*.json"),
         [=](const Input& input) {
             WriteFileBytes(chrome + L"\\Local State", input[0]);
             return CheckProfiles(CProfileFinder::Find(local, L""));
         }},
        {"profiles-ini", {"\n[Profile0]\n", "\n[Install1]\n", "Path=", "IsRelative=0", "IsRelative=1", "Default=1",
                          "Default=", "Name=", "Profiles/", "..\\", "C:\\", "\\\\?\\", "\n", "="},
         CorpusFiles(corpus + "\\profiles-ini", "*.ini"),
         [=](const Input& input) {
             WriteFileBytes(firefox + L"\\profiles.ini", input[0]);
             return CheckProfiles(CProfileFinder::Find(L"", roaming));
         }},
        {"web-data", {"{searchTerms}", "{google:baseURL}", "{google:unescapedSearchTerms}", "https://", " ", "@"},
         {},
         [=](const Input& input) { return ReadProfile(CBrowserProfile::kChromium, webData, input, victim); }},
        {"places", {"%s", "%S", "https://", " ", "javascript:"}, {},
         [=](const Input& input) { return ReadProfile(CBrowserProfile::kFirefox, places, input, victim); }},
    };
    // The databases as the browsers write them, one left in the middle of
    // a transaction with a journal that names another file, and the corpus'
    // hostile schemas.
    const std::wstring seed = root.Make(L"Seed") + L"\\database";
    const std::vector<ChromiumKeyword> keywords = {
        {"wiki", "https://w/?q={searchTerms}"}, {"g", "{google:baseURL}search?q={searchTerms}&{google:RLZ}"},
        {"google.com", "{google:baseURL}search?q={searchTerms}", 1},
        {"post", "https://p/", 0, 0, 1, "q={searchTerms}"}};
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
    for (Reader* reader : {&readers[4], &readers[5]}) {
        for (const Input& sql : CorpusFiles(corpus + "\\" + reader->name, "*.sql")) {
            ::DeleteFileW(seed.c_str());
            RunSql(seed, sql[0]);
            reader->seeds.push_back(DatabaseSeed(seed));
        }
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
            Save(("slower than its bound (" + std::to_string(took) + " ms)").c_str());
        if (!broken.empty() && ++findings <= 20)
            Save(("broken promise (" + broken + ")").c_str());
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
    std::string corpus, only, replay;
    unsigned long long inputs = ~0ull;
    double seconds = 1e9;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i], value = argv[i + 1];
        if (option == "--corpus")
            corpus = value;
        else if (option == "--reader")
            only = value;
        else if (option == "--inputs")
            inputs = std::strtoull(value.c_str(), nullptr, 10);
        else if (option == "--seconds")
            seconds = std::atof(value.c_str());
        else if (option == "--replay")
            replay = value;
        else if (option == "--seed")
            g_seed = std::strtoull(value.c_str(), nullptr, 10);
    }
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
    for (const Reader& reader : readers)
        chosen += only.empty() || only == reader.name ? 1 : 0;
    for (const Reader& reader : readers) {
        if (!replay.empty() && reader.name == only) {
            Input input = reader.seeds.front();
            for (size_t part = 0; part < input.size(); ++part)
                input[part] = ReadFileBytes(replay + "." + std::to_string(part));
            const std::string broken = reader.read(input);
            std::printf("%s\n", broken.empty() ? "nothing broken" : broken.c_str());
            return broken.empty() ? 0 : 1;
        }
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

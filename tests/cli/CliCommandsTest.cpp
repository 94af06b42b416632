#include "cli/CliCommands.h"
#include "cli/Outcome.h"
#include "exchange/BookmarksFile.h"
#include "exchange/PrefixFile.h"
#include "exchange/TextEncoding.h"
#include "prefixes/PrefixRules.h"
#include "tests/cli/CliRun.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/RegistryCallLayer.h"
#include "tests/support/ScratchRegistry.h"
#include "tests/support/SearchUrlKey.h"
#include "tests/support/UserFolders.h"

#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

using Words = std::vector<std::string>;
using Rows = std::map<std::string, std::string>;  // by the subkey's name, UTF-8

using Result = CliResult;

Rows KeyRows()
{
    Rows rows;
    for (const auto& stored : StoredPrefixes())
        rows[stored.first] = stored.second.url;
    return rows;
}

// Every value's count, type and text: "as it was" means exactly.
std::string KeyState()
{
    std::string state;
    for (const auto& stored : StoredPrefixes())
        state += stored.first + "|" + std::to_string(stored.second.valueCount) + "|" +
                 std::to_string(stored.second.urlType) + "|" + stored.second.url + "\n";
    return state;
}

// Each "{D}" as the folder.
std::string InFolder(std::string text, const std::string& folder)
{
    for (size_t at; (at = text.find("{D}")) != std::string::npos;)
        text.replace(at, 3, folder);
    return text;
}

// "..." in `expected` stands for any text: the words of a message are the
// string table's, what it names is the command's.
bool Matches(const std::string& actual, const std::string& expected)
{
    size_t dots = expected.find("...");
    if (dots == std::string::npos)
        return actual == expected;
    if (actual.compare(0, dots, expected, 0, dots) != 0)
        return false;
    const std::string rest = expected.substr(dots + 3);
    for (size_t at = dots; at <= actual.size(); ++at) {
        if (Matches(actual.substr(at), rest))
            return true;
    }
    return false;
}

// The text, its lines each matching one pattern in turn.
void ExpectLines(const std::string& actual, const std::vector<std::string>& expected, const std::string& folder,
                 const char* what)
{
    std::string patterns;
    for (const std::string& line : expected)
        patterns += InFolder(line, folder) + "\r\n";
    EXPECT_PRED2(Matches, actual, patterns) << what;
    EXPECT_EQ(std::count(actual.begin(), actual.end(), '\n'), static_cast<long>(expected.size())) << what;
}

// The version the program's file carries, as Windows shows it.
std::string FileVersion()
{
    const std::wstring exe = L"" QUILLORY_CLI_EXE;
    std::string data(::GetFileVersionInfoSizeW(exe.c_str(), nullptr), '\0');
    VS_FIXEDFILEINFO* info = nullptr;
    UINT size = 0;
    if (data.empty() || !::GetFileVersionInfoW(exe.c_str(), 0, static_cast<DWORD>(data.size()), &data[0]) ||
        !::VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&info), &size))
        return "<none>";
    return std::to_string(HIWORD(info->dwFileVersionMS)) + "." + std::to_string(LOWORD(info->dwFileVersionMS)) +
           "." + std::to_string(HIWORD(info->dwFileVersionLS)) + "." + std::to_string(LOWORD(info->dwFileVersionLS));
}

const char kGoogle[] = "https://www.google.com/search?q=%s";
const char kWiki[] = "https://de.wikipedia.org/wiki/%s";
const Rows kTwo = {{"GOOGLE", kGoogle}, {"Wiki", kWiki}};
const Rows kNoKey = {{"<no key>", ""}};
const char kNumber[] = "<a number>";  // stored where the URL should be
const char kUrlOnly[] = "https://half.example/%s";  // stored without the other values

class CommandLine : public RegistryTest {
protected:
    void SetUp() override
    {
        m_folder = Utf8(m_user.root.Path());
        CPrefixFile reg;
        reg.Add("GOOGLE", "https://www.google.de/search?q=%s");
        reg.Add("Über", "https://ü.example/%s");
        reg.Add("two words", "https://two.example/%s");
        reg.Save((m_folder + "\\good.reg").c_str());
        CBookmarksFile bookmarks;
        bookmarks.Add("WIKI", kWiki);
        bookmarks.Add("MAPS", "https://maps.example/?q=%s");
        bookmarks.Save((m_folder + "\\good.html").c_str());
        WriteFileBytes(m_folder + "\\notes.txt", std::string("hello"));
        WriteFileBytes(m_folder + "\\plain.html",
                       "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<DL><p><DT><A HREF=\"https://x.example/\">x</A>\n</DL>\n");
        LeaveChromeProfile(m_user.local, {{"wiki", "https://en.wikipedia.org/?search={searchTerms}"},
                                          {"gh", "https://github.com/search?q={searchTerms}"},
                                          {"google.com", "{google:baseURL}search?q={searchTerms}", 1}});
        LeaveFirefoxProfile(m_user.roaming, {{"wiki", "https://wiki.example/%s"}});
    }

    UserFolders m_user;  // its root holds the files too
    std::string m_folder;
};

TEST_F(CommandLine, EachCommandLineGivesItsExitCodeOutputAndKey)
{
    using Lines = std::vector<std::string>;
    const std::string blank = CPrefixRules::Reason(CPrefixRules::kBlank);
    struct Case {
        const char* what;
        Rows before;
        Words words;
        int exit;
        std::optional<Rows> after;  // none: the key exactly as it was
        Lines out, err;
        const char* failCall = nullptr;  // fails with ERROR_ACCESS_DENIED
        std::string written = {};         // how the file an export names begins
        const char* input = nullptr;      // the file standard input reads
    } cases[] = {
        {"list: the dialog's order and headings, any script", {{"zeta", "z/%s"}, {"ÄPFEL", "ä/%s"}, {"GOOGLE", kGoogle}},
         {"list"}, 0, std::nullopt, {"Prefix  URL", "ÄPFEL   ä/%s", "GOOGLE  " + std::string(kGoogle), "ZETA    z/%s"}, {}},
        {"list as JSON", {{"Ü\"1", "a\\b"}}, {"list", "--format", "json"}, 0, std::nullopt,
         {"[", "  {", "    \"prefix\": \"\\u00dc\\\"1\",", "    \"url\": \"a\\\\b\"", "  }", "]"}, {}},
        {"list escapes what would drive the terminal", {{"ESC\x1B[31M", "https://x/?q=%s\r\nFAKE  x"}}, {"list"}, 0,
         std::nullopt, {"Prefix...", "ESC\\u001b[31M  https://x/?q=%s\\r\\nFAKE  x"}, {}},
        {"list names a prefix stored incomplete", {{"HALF", kUrlOnly}}, {"list"}, 0, std::nullopt,
         {"Prefix...", "HALF...half..."}, {"...HALF..."}},
        {"a command that writes leaves it unnamed", {{"HALF", kUrlOnly}, {"Wiki", kWiki}}, {"rename", "wiki", "w"}, 0,
         Rows{{"HALF", kUrlOnly}, {"W", kWiki}}, {"...WIKI...W."}, {}},
        {"a new account lists nothing", kNoKey, {"list", "--format", "json"}, 0, std::nullopt, {"[]"}, {}},
        {"a new account: add makes the key, upper-cased in any script", kNoKey, {"add", "über", kWiki}, 0,
         Rows{{"ÜBER", kWiki}}, {"...ÜBER."}, {}},
        {"add: already so is done, and said", kTwo, {"add", "google", kGoogle}, 0, std::nullopt, {"GOOGLE..."}, {}},
        {"--quiet says nothing of what is done", kNoKey, {"add", "x", kWiki, "--quiet"}, 0, Rows{{"X", kWiki}}, {}, {}},
        {"a subkey that cannot be read is named and kept", {{"NUM", kNumber}, {"GOOGLE", kGoogle}},
         {"add", "num", kWiki}, 5, std::nullopt, {}, {"...NUM...", "...NUM..."}},
        {"a rename onto it, one item not done", {{"NUM", kNumber}, {"Wiki", kWiki}}, {"rename", "wiki", "num"}, 5,
         std::nullopt, {}, {"...NUM...", "...NUM..."}},
        {"a command that writes another prefix is not kept from its 0", {{"NUM", kNumber}}, {"add", "x", kWiki}, 0,
         Rows{{"NUM", "*"}, {"X", kWiki}}, {"...X."}, {"...NUM..."}},  // 42 read as text
        {"a prefix the rules refuse, and why", kTwo, {"add", "two words", kWiki}, 5, std::nullopt, {},
         {"two words..." + blank}},
        {"an empty URL", kTwo, {"add", "X", ""}, 5, std::nullopt, {}, {"...X..."}},
        {"the registry refuses", kTwo, {"add", "NEU", kWiki}, 3, std::nullopt, {}, {"...NEU..."},
         "RegCreateKeyExA"},
        {"remove: the rest go, the missing one named", kTwo, {"remove", "NOPE", "google"}, 4,
         Rows{{"Wiki", kWiki}}, {"...GOOGLE."}, {"...NOPE..."}},
        {"remove: none there, nothing done", kTwo, {"remove", "NOPE", "NONE"}, 5, std::nullopt, {},
         {"...NOPE...", "...NONE..."}},
        {"rename", kTwo, {"rename", "wiki", "--", "-SEARCH"}, 0,
         Rows{{"GOOGLE", kGoogle}, {"-SEARCH", kWiki}}, {"...WIKI...-SEARCH."}, {}},
        {"rename onto a prefix there", kTwo, {"rename", "wiki", "google"}, 5, std::nullopt, {}, {"...GOOGLE..."}},
        {"rename to a name the rules refuse", kTwo, {"rename", "wiki", "my wiki"}, 5, std::nullopt, {},
         {"my wiki..." + blank}},
        {"unknown command", kTwo, {"frob"}, 1, std::nullopt, {}, {"...frob...--help..."}},
        {"help for an unknown command", kTwo, {"frob", "--help"}, 1, std::nullopt, {}, {"...frob...--help..."}},
        {"help for a command and a word more", kTwo, {"--HELP", "add", "extra"}, 1, std::nullopt, {},
         {"...extra...help add."}},
        {"no words", kTwo, {}, 1, std::nullopt, {}, {"...COMMAND...", "...--help..."}},
        {"too few operands", kTwo, {"add", "X"}, 1, std::nullopt, {}, {"...add...help add.", "...quillory-cli add PREFIX URL..."}},
        {"unknown option", kTwo, {"remove", "X", "--force"}, 1, std::nullopt, {},
         {"...--force...help remove.", "...remove PREFIX..."}},
        {"a word like an option where none is taken", kTwo, {"list", "-q"}, 1, std::nullopt, {}, {"...-q...help list.", "..."}},
        {"a Windows switch among the operands", kTwo, {"add", "/f", "X", kWiki}, 1, std::nullopt, {},
         {".../f...help add.", "..."}},
        {"a word too many", kTwo, {"rename", "a", "b", "c"}, 1, std::nullopt, {}, {"...c...help rename.", "..."}},
        {"option without its value", kTwo, {"list", "--format"}, 1, std::nullopt, {}, {"...--format...list.", "...list..."}},
        {"unknown format", kTwo, {"list", "--format", "xml"}, 1, std::nullopt, {}, {"...--format: xml. ...help list."}},
        {"commands, options and values in any case", kNoKey, {"LIST", "--Format", "JSON"}, 0, std::nullopt, {"[]"}, {}},
        {"import a .reg, what is no prefix skipped", kTwo, {"import", "{D}\\good.reg"}, 4,
         Rows{{"GOOGLE", "https://www.google.de/search?q=%s"}, {"Wiki", kWiki}, {"ÜBER", "https://ü.example/%s"}},
         {"...{D}\\good.reg: 1...1...0...1..."}, {"two words..." + blank}},
        {"import --replace", kTwo, {"import", "--replace", "{D}\\good.html"}, 0,
         Rows{{"MAPS", "https://maps.example/?q=%s"}, {"Wiki", kWiki}}, {"...{D}\\good.html: 1...0...1...0...1..."}, {}},
        {"import - reads standard input", kTwo, {"import", "-"}, 0,
         Rows{{"GOOGLE", kGoogle}, {"MAPS", "https://maps.example/?q=%s"}, {"Wiki", kWiki}}, {"...: 1...0...1...0..."}, {},
         nullptr, {}, "{D}\\good.html"},
        {"import --dry-run: nothing would change, said", {{"WIKI", kWiki}, {"MAPS", "https://maps.example/?q=%s"}},
         {"import", "{D}\\good.html", "--dry-run"}, 0, std::nullopt, {"..."}, {}},
        {"rename to its own name", kTwo, {"rename", "google", "GOOGLE"}, 0, std::nullopt, {"GOOGLE..."}, {}},
        {"import of a file with no prefix", kTwo, {"import", "{D}\\plain.html"}, 2, std::nullopt, {},
         {"{D}\\plain.html..."}},
        {"import --replace --dry-run", kTwo, {"import", "{D}\\good.html", "--replace", "--dry-run"}, 0, std::nullopt,
         {"...MAPS: https://maps.example/?q=%s", "...GOOGLE"}, {}},
        {"--replace by a file with no prefix empties nothing", kTwo, {"import", "{D}\\plain.html", "--replace"}, 2,
         std::nullopt, {}, {"{D}\\plain.html...--replace..."}},
        {"import of a missing file", kTwo, {"import", "{D}\\missing.reg"}, 2, std::nullopt, {},
         {"...{D}\\missing.reg. ..."}},
        {"import of a file not ours", kTwo, {"import", "{D}\\notes.txt"}, 2, std::nullopt, {}, {"{D}\\notes.txt..."}},
        {"the policy leaves out what Chrome refuses", {{"MY SITE", kWiki}, {"@AT", kWiki}, {"GOOGLE", kGoogle}},
         {"export", "{D}\\policy.json", "--format", "chrome-policy"}, 4, std::nullopt, {"...1...{D}\\policy.json."},
         {"@AT...", "MY SITE..."}},
        {"Firefox's policy leaves out what Firefox refuses",
         {{"MY SITE", kWiki}, {"JS", "javascript:x//%s"}, {"@AT", kWiki}},
         {"export", "{D}\\ff.json", "--format", "Firefox-Policy"}, 4, std::nullopt, {"...1...{D}\\ff.json."},
         {"JS...", "MY SITE..."}, nullptr, "{\n  \"policies\": {"},
        {"export: a .json name is the prefix list", kTwo, {"export", "{D}\\list.json"}, 0, std::nullopt,
         {"...2...{D}\\list.json."}, {}, nullptr, "[\n  {\n    \"prefix\": \"GOOGLE\""},
        {"export: what bookmarks cannot carry is named",
         {{"K", kWiki}, {"\xE2\x84\xAA", "https://kelvin.example/%s"}, {"JS", "javascript:x//%s"}, {"A\r\nB", kWiki}},
         {"export", "{D}\\out.html"}, 4, std::nullopt, {"...1...{D}\\out.html."},
         {"A\\r\\nB...", "JS...", "\xE2\x84\xAA..."}},
        {"export: every prefix left out, nothing done, no file", {{"JS", "javascript:x//%s"}},
         {"export", "{D}\\out.html"}, 5, std::nullopt, {"Nothing...{D}\\out.html..."}, {"JS..."}},
        {"export: a name past the registry's limit is named", {{std::string(256, 'L'), kWiki}, {"GOOGLE", kGoogle}},
         {"export", "{D}\\out.reg"}, 4, std::nullopt, {"...1...{D}\\out.reg."}, {"...LLLLLLLL..."}},
        {"export: the format by the name", kTwo, {"export", "{D}\\out.reg"}, 0, std::nullopt,
         {"...2...{D}\\out.reg."}, {}, nullptr, std::string("\xFF\xFEW\0i\0n\0", 8)},
        {"export: the format given", kTwo, {"export", "{D}\\out.txt", "--format", "html"}, 0, std::nullopt,
         {"...2...{D}\\out.txt."}, {}, nullptr, "<!DOCTYPE NETSCAPE-Bookmark-file-1>"},
        {"export where no folder is", kTwo, {"export", "{D}\\none\\out.reg"}, 2, std::nullopt, {},
         {"...{D}\\none\\out.reg. ..."}},
        {"a name that tells no format", kTwo, {"export", "{D}\\prefixes.txt"}, 1, std::nullopt, {},
         {"...{D}\\prefixes.txt...--format..."}},
        {"--locked outside the policy", kTwo, {"export", "{D}\\x.reg", "--locked"}, 1, std::nullopt, {},
         {"--locked..."}},
        {"browsers: the first profile wins, what is left out counted", kTwo, {"import-browser", "--dry-run"}, 0,
         std::nullopt, {"...1...", "...GH: https://github.com/search?q=%s", "...WIKI: https://en.wikipedia.org/?search=%s"},
         {}},
        {"browsers: only those named", kTwo, {"import-browser", "--from", "FireFox", "--from=edge"}, 0,
         Rows{{"GOOGLE", kGoogle}, {"Wiki", "https://wiki.example/%s"}}, {"...: 0...1...0...0..."}, {}},
        {"browsers: one unknown", kTwo, {"import-browser", "--from", "opera"}, 1, std::nullopt, {},
         {"...--from: opera. ...help import-browser."}},
        {"version, as the file's", kTwo, {"--version"}, 0, std::nullopt, {"... " + FileVersion()}, {}},
        {"help for a command", kTwo, {"help", "rename"}, 0, std::nullopt,
         {"...quillory-cli rename OLD NEW...", "", "...", "..."}, {}},
        {"-? as /?", kTwo, {"Rename", "-?"}, 0, std::nullopt, {"...quillory-cli rename OLD NEW...", "", "...", "..."}, {}},
    };
    for (const Case& c : cases) {
        ::RegDeleteTreeA(HKEY_CURRENT_USER, "Software");
        if (c.before != kNoKey) {
            CreateTestKey(kSearchUrlPath);
            for (const auto& row : c.before) {
                if (row.second == kNumber)
                    StoreNumberAsUrl(row.first);
                else
                    StorePrefix(row.first, row.second.c_str(), row.second != kUrlOnly);
            }
        }
        const std::string before = KeyState();
        Result result;
        {
            std::optional<RegistryCallLayer> calls;
            if (c.failCall) {
                calls.emplace();
                calls->FailEveryCallTo(c.failCall, ERROR_ACCESS_DENIED);
            }
            Words words;
            for (const std::string& word : c.words)
                words.push_back(InFolder(word, m_folder));
            HANDLE input = c.input ? ::CreateFileA(InFolder(c.input, m_folder).c_str(), GENERIC_READ, 0, nullptr,
                                                   OPEN_EXISTING, 0, nullptr)
                                   : ::GetStdHandle(STD_INPUT_HANDLE);
            const HANDLE oldInput = ::GetStdHandle(STD_INPUT_HANDLE);
            ::SetStdHandle(STD_INPUT_HANDLE, input);
            result = RunInProcess(words);
            ::SetStdHandle(STD_INPUT_HANDLE, oldInput);
            if (c.input)
                ::CloseHandle(input);
        }
        EXPECT_EQ(result.exit, c.exit) << c.what;
        if (!c.written.empty()) {
            EXPECT_EQ(ReadFileBytes(InFolder(c.words[1], m_folder)).substr(0, c.written.size()), c.written) << c.what;
        }
        ExpectLines(result.out, c.out, m_folder, c.what);
        ExpectLines(result.err, c.err, m_folder, c.what);
        if (!c.after)
            EXPECT_EQ(KeyState(), before) << c.what;
        else
            EXPECT_EQ(KeyRows(), *c.after) << c.what;
    }
}

// The two files list prints, and export to standard output, are exactly
// those export writes.
TEST_F(CommandLine, ListPrintsTheFilesExportWrites)
{
    for (const auto& row : kTwo)
        StorePrefix(row.first, row.second.c_str());
    for (const std::string format : {"reg", "html"}) {
        const std::string file = m_folder + "\\out." + format;
        ASSERT_EQ(RunInProcess({"export", file}).exit, 0) << format;
        std::wstring text;
        ASSERT_TRUE(DecodeText(ReadFileBytes(file), text));
        EXPECT_EQ(RunInProcess({"list", "--format", format}).out, Utf8(text)) << format;
        // Standard output, not a console: the file's bytes, nothing else.
        EXPECT_EQ(RunInProcess({"export", "-", "--format", format}).out, ReadFileBytes(file)) << format;
    }
}

}  // namespace

namespace {

// The program itself, through a pipe: words in any script reach it whole,
// and come back as UTF-8 without a byte-order mark. It reads the user's own
// key, so the prefix is one no one has.
TEST(CommandLineProgram, PassesUnicodeWordsThroughAPipeAsUtf8)
{
    TempFolder folder;
    CPrefixFile file;
    file.Add("\u00DCBER\U0001F600QUILLORY", "https://\u00FC.example/%s");
    file.Save((Utf8(folder.Path()) + "\\one.reg").c_str());
    std::string out, err;
    DWORD exit = RunChild(L"\"" QUILLORY_CLI_EXE L"\" import --dry-run \"" + folder.Path() + L"\\one.reg\"", out, err);
    EXPECT_EQ(exit, 0u);
    EXPECT_EQ(out, "Would add \u00DCBER\U0001F600QUILLORY: https://\u00FC.example/%s\r\n");
    EXPECT_EQ(err, "");
    exit = RunChild(L"\"" QUILLORY_CLI_EXE L"\" frob\u00DC\u4E2D\U0001F600", out, err);
    EXPECT_EQ(exit, 1u);
    EXPECT_EQ(err, "Unknown command: frob\u00DC\u4E2D\U0001F600. quillory-cli --help lists the commands.\r\n");
}

// Every help text fits a console of 80 columns, in the language it runs in.
void ExpectHelpFits()
{
    std::string text = RunInProcess({"--help"}).out;
    for (const char* command : {"list", "add", "remove", "rename", "import", "import-browser", "export", "backups",
                                "restore"})
        text += RunInProcess({"help", command}).out;
    const std::wstring wide = Tessaly::Widen(text.c_str());
    for (size_t start = 0, end; (end = wide.find(L"\r\n", start)) != std::wstring::npos; start = end + 2)
        EXPECT_LT(end - start, 80u) << Utf8(wide.substr(start, end - start));
}

TEST_F(CommandLine, HelpFitsAConsole)
{
    ExpectHelpFits();
}

// In the user's language, from the same string table as the dialog.
TEST_F(CommandLine, InGermanItSpeaksGerman)
{
    ExpectHelpFits();
    Result result = RunInProcess({"remove", "NOPE"});
    EXPECT_EQ(result.exit, 5);
    EXPECT_EQ(result.err, "Es gibt kein Präfix NOPE.\r\n");
    result = RunInProcess({"help", "add"});
    EXPECT_EQ(result.out.substr(0, result.out.find('\r')), "Aufruf: quillory-cli add PRÄFIX URL [--quiet]");
}

}  // namespace

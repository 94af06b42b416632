#include "cli/CliCommands.h"
#include "cli/Outcome.h"
#include "exchange/BookmarksFile.h"
#include "exchange/PrefixFile.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/RegistryCallLayer.h"
#include "tests/support/ScratchRegistry.h"
#include "tests/support/SearchUrlKey.h"
#include "tests/support/UserFolders.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

using Words = std::vector<std::string>;
using Rows = std::map<std::string, std::string>;  // by the subkey's name, UTF-8

struct Result {
    int exit;
    std::string out;
    std::string err;
};

// A command line run in this process, against the scratch registry.
Result RunInProcess(const Words& words)
{
    Result result;
    result.exit = CaptureStreams(
        [&words] {
            COutcome outcome;
            CCliCommands::Run(words, outcome);
            return outcome.ExitCode();
        },
        result.out, result.err);
    return result;
}

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

// "..." in `expected` stands for any text, such as the system's words for
// an error.
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

void ExpectText(const std::string& actual, const std::string& expected, const std::string& folder,
                const char* what)
{
    EXPECT_PRED2(Matches, actual, InFolder(expected, folder)) << what;
}

const char kGoogle[] = "https://www.google.com/search?q=%s";
const char kWiki[] = "https://de.wikipedia.org/wiki/%s";
const Rows kTwo = {{"GOOGLE", kGoogle}, {"Wiki", kWiki}};
const Rows kNoKey = {{"<no key>", ""}};
const char kNumber[] = "<a number>";  // stored where the URL should be

class CommandLine : public RegistryTest {
protected:
    void SetUp() override
    {
        m_folder = Utf8(m_user.root.Path());
        CPrefixFile reg;
        reg.Add("GOOGLE", "https://www.google.de/search?q=%s");
        reg.Add("Über", "https://ü.example/%s");
        reg.Save((m_folder + "\\good.reg").c_str());
        CBookmarksFile bookmarks;
        bookmarks.Add("wiki", kWiki);
        bookmarks.Add("maps", "https://maps.example/?q=%s");
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
    struct Case {
        const char* what;
        Rows before;
        Words words;
        int exit;
        std::optional<Rows> after;  // none: the key exactly as it was
        std::string out, err;
        const char* failCall = nullptr;  // fails with ERROR_ACCESS_DENIED
        std::string written = {};         // how the file an export names begins
    } cases[] = {
        {"list: the dialog's order and headings, any script", {{"zeta", "z/%s"}, {"ÄPFEL", "ä/%s"}, {"GOOGLE", kGoogle}},
         {"list"}, 0, std::nullopt,
         "Prefix  URL\r\nÄPFEL   ä/%s\r\nGOOGLE  " + std::string(kGoogle) + "\r\nZETA    z/%s\r\n", ""},
        {"list as JSON", {{"Ü\"1", "a\\b"}}, {"list", "--format", "json"}, 0, std::nullopt,
         "[\r\n  {\r\n    \"prefix\": \"\\u00dc\\\"1\",\r\n    \"url\": \"a\\\\b\"\r\n  }\r\n]\r\n", ""},
        {"list as .reg text", kTwo, {"list", "--format=reg"}, 0, std::nullopt,
         "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\...", ""},
        {"no key lists nothing", kNoKey, {"list", "--format", "json"}, 0, std::nullopt, "[]\r\n", ""},
        {"a subkey that cannot be read is named and kept", {{"NUM", kNumber}, {"GOOGLE", kGoogle}},
         {"add", "num", kWiki}, 4, std::nullopt, "",
         "Could not read the prefix NUM; it is kept as it is. ...\r\nDid not write NUM: a prefix of that name "
         "that could not be read is kept as it is.\r\n"},
        {"add: upper-cased, any script", kTwo, {"add", "über", "https://ü/%s"}, 0,
         Rows{{"GOOGLE", kGoogle}, {"Wiki", kWiki}, {"ÜBER", "https://ü/%s"}}, "", ""},
        {"add over a name in other case updates it", kTwo, {"add", "wiki", "https://w/%s"}, 0,
         Rows{{"GOOGLE", kGoogle}, {"Wiki", "https://w/%s"}}, "", ""},
        {"no key: add makes it", kNoKey, {"add", "neu", kWiki}, 0, Rows{{"NEU", kWiki}}, "", ""},
        {"a prefix with a backslash", kTwo, {"add", "a\\b", kWiki}, 4, std::nullopt, "",
         "a\\b cannot be a prefix: a prefix is not empty, holds no backslash and has at most 255 characters.\r\n"},
        {"an empty URL", kTwo, {"add", "X", ""}, 4, std::nullopt, "", "The URL of X is empty.\r\n"},
        {"the registry refuses", kTwo, {"add", "NEU", kWiki}, 3, std::nullopt, "",
         "Could not write the prefix NEU to the registry. ...", "RegCreateKeyExA"},
        {"remove: the rest go, the missing one named", kTwo, {"remove", "NOPE", "google"}, 4,
         Rows{{"Wiki", kWiki}}, "", "There is no prefix NOPE.\r\n"},
        {"rename", kTwo, {"rename", "wiki", "--", "-SEARCH"}, 0,
         Rows{{"GOOGLE", kGoogle}, {"-SEARCH", kWiki}}, "", ""},
        {"rename onto a prefix there", kTwo, {"rename", "wiki", "google"}, 4, std::nullopt, "",
         "There is a prefix GOOGLE already.\r\n"},
        {"rename of none", kTwo, {"rename", "nope", "x"}, 4, std::nullopt, "", "There is no prefix nope.\r\n"},
        {"unknown command", kTwo, {"frob"}, 1, std::nullopt, "",
         "Unknown command: frob. quillory-cli --help lists the commands.\r\n"},
        {"help for an unknown command", kTwo, {"frob", "--help"}, 1, std::nullopt, "",
         "Unknown command: frob. quillory-cli --help lists the commands.\r\n"},
        {"too few operands", kTwo, {"add", "X"}, 1, std::nullopt, "", "Usage: quillory-cli add PREFIX URL\r\n"},
        {"unknown option", kTwo, {"remove", "X", "--force"}, 1, std::nullopt, "",
         "Unknown option: --force. Usage: quillory-cli remove PREFIX...\r\n"},
        {"option without its value", kTwo, {"list", "--format"}, 1, std::nullopt, "",
         "The option --format needs a value. Usage: quillory-cli list [--format text|reg|html|json]\r\n"},
        {"unknown format", kTwo, {"list", "--format", "xml"}, 1, std::nullopt, "", "Unknown value for --format: xml.\r\n"},
        {"import a .reg", kTwo, {"import", "{D}\\good.reg"}, 0,
         Rows{{"GOOGLE", "https://www.google.de/search?q=%s"}, {"Wiki", kWiki}, {"ÜBER", "https://ü.example/%s"}},
         "Imported 2 prefixes from {D}\\good.reg.\r\n", ""},
        {"import --replace", kTwo, {"import", "--replace", "{D}\\good.reg"}, 0,
         Rows{{"GOOGLE", "https://www.google.de/search?q=%s"}, {"ÜBER", "https://ü.example/%s"}},
         "Imported 2 prefixes from {D}\\good.reg. Removed 1 prefix.\r\n", ""},
        {"import --replace --dry-run", kTwo, {"import", "{D}\\good.html", "--replace", "--dry-run"}, 0, std::nullopt,
         "Would add MAPS: https://maps.example/?q=%s\r\nWould remove GOOGLE\r\n", ""},
        {"--replace by a file with no prefix empties nothing", kTwo, {"import", "{D}\\plain.html", "--replace"}, 2,
         std::nullopt, "",
         "{D}\\plain.html holds no prefix that can be imported, so --replace would remove every prefix; nothing "
         "was changed.\r\n"},
        {"import of a missing file", kTwo, {"import", "{D}\\missing.reg"}, 2, std::nullopt, "",
         "Could not read {D}\\missing.reg. ..."},
        {"import of a file not ours", kTwo, {"import", "{D}\\notes.txt"}, 2, std::nullopt, "",
         "{D}\\notes.txt is not a registry file. Quillory imports the .reg files ..."},
        {"the policy leaves out what Chrome refuses", {{"MY SITE", kWiki}, {"@AT", kWiki}, {"GOOGLE", kGoogle}},
         {"export", "{D}\\policy.json"}, 4, std::nullopt, "Exported 1 prefix to {D}\\policy.json.\r\n",
         "@AT is left out of the policy: Chrome takes no shortcut that starts with @.\r\n"
         "MY SITE is left out of the policy: Chrome takes no shortcut that is empty or holds a space.\r\n"},
        {"export: the format by the name", kTwo, {"export", "{D}\\out.reg"}, 0, std::nullopt,
         "Exported 2 prefixes to {D}\\out.reg.\r\n", "", nullptr, std::string("\xFF\xFEW\0i\0n\0", 8)},
        {"export: the format given", kTwo, {"export", "{D}\\out.txt", "--format", "html"}, 0, std::nullopt,
         "Exported 2 prefixes to {D}\\out.txt.\r\n", "", nullptr, "<!DOCTYPE NETSCAPE-Bookmark-file-1>"},
        {"export where no folder is", kTwo, {"export", "{D}\\none\\out.reg"}, 2, std::nullopt, "",
         "Could not write {D}\\none\\out.reg. ..."},
        {"a name that tells no format", kTwo, {"export", "{D}\\prefixes.txt"}, 1, std::nullopt, "",
         "The name {D}\\prefixes.txt does not tell the format; give --format reg, html or chrome-policy.\r\n"},
        {"--locked outside the policy", kTwo, {"export", "{D}\\x.reg", "--locked"}, 1, std::nullopt, "",
         "--locked is for --format chrome-policy only.\r\n"},
        {"browsers: the first profile wins, what is left out counted", kTwo, {"import-browser", "--dry-run"}, 0,
         std::nullopt,
         "Not shown: 1 built-in search engine.\r\nWould add GH: https://github.com/search?q=%s\r\n"
         "Would change WIKI: https://en.wikipedia.org/?search=%s\r\n", ""},
        {"browsers: only those named", kTwo, {"import-browser", "--from", "firefox", "--from=edge"}, 0,
         Rows{{"GOOGLE", kGoogle}, {"Wiki", "https://wiki.example/%s"}}, "Imported 1 prefix.\r\n", ""},
        {"browsers: one unknown", kTwo, {"import-browser", "--from", "opera"}, 1, std::nullopt, "",
         "Unknown value for --from: opera.\r\n"},
        {"version", kTwo, {"--version"}, 0, std::nullopt, "Quillory command line ...\r\n", ""},
        {"help for a command", kTwo, {"help", "rename"}, 0, std::nullopt, "Usage: quillory-cli rename OLD NEW\r\n\r\n...", ""},
    };
    for (const Case& c : cases) {
        ::RegDeleteTreeA(HKEY_CURRENT_USER, kSearchUrlPath);
        if (c.before != kNoKey) {
            CreateTestKey(kSearchUrlPath);
            for (const auto& row : c.before) {
                if (row.second == kNumber)
                    StoreNumberAsUrl(row.first);
                else
                    StorePrefix(row.first, row.second.c_str());
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
            result = RunInProcess(words);
        }
        EXPECT_EQ(result.exit, c.exit) << c.what;
        if (!c.written.empty()) {
            EXPECT_EQ(ReadFileBytes(InFolder(c.words[1], m_folder)).substr(0, c.written.size()), c.written) << c.what;
        }
        ExpectText(result.out, c.out, m_folder, c.what);
        ExpectText(result.err, c.err, m_folder, c.what);
        if (!c.after)
            EXPECT_EQ(KeyState(), before) << c.what;
        else
            EXPECT_EQ(KeyRows(), *c.after) << c.what;
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

// In the user's language, from the same string table as the dialog.
TEST_F(CommandLine, InGermanItSpeaksGerman)
{
    Result result = RunInProcess({"remove", "NOPE"});
    EXPECT_EQ(result.exit, 4);
    EXPECT_EQ(result.err, "Es gibt kein Präfix NOPE.\r\n");
    result = RunInProcess({"help", "add"});
    EXPECT_EQ(result.out.substr(0, result.out.find('\r')), "Aufruf: quillory-cli add PRÄFIX URL");
}

}  // namespace

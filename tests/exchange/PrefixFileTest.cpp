#include "exchange/PrefixFile.h"

#include "exchange/BookmarksFile.h"
#include "exchange/PrefixFiles.h"
#include "prefixes/PrefixCase.h"
#include "res/resource.h"
#include "tests/support/BrowserProfiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

// This executable runs in code page 1252: é is one byte here.

namespace {

const char kKey[] = "[HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\SearchUrl\\";
const char kVersion5[] = "Windows Registry Editor Version 5.00";

using Entries = std::vector<std::pair<std::string, std::string>>;

Entries EntriesOf(const CPrefixFile& file)
{
    Entries entries;
    for (const CPrefixFile::Entry& entry : file.GetEntries())
        entries.emplace_back(static_cast<const char*>(entry.prefix), static_cast<const char*>(entry.url));
    return entries;
}

// Text of code page 1252 as the bytes of the given file encoding.
std::string Utf16(const std::string& text)
{
    std::string bytes = "\xFF\xFE";
    for (char c : text) {
        wchar_t wide = 0;
        ::MultiByteToWideChar(1252, 0, &c, 1, &wide, 1);
        bytes += static_cast<char>(wide & 0xFF);
        bytes += static_cast<char>(wide >> 8);
    }
    return bytes;
}

std::string Utf8(const std::string& text)
{
    std::string bytes;
    for (char c : text) {
        wchar_t wide = 0;
        char utf8[4] = {};
        ::MultiByteToWideChar(1252, 0, &c, 1, &wide, 1);
        int length = ::WideCharToMultiByte(CP_UTF8, 0, &wide, 1, utf8, sizeof utf8, nullptr, nullptr);
        bytes.append(utf8, static_cast<size_t>(length));
    }
    return bytes;
}

std::string TempDirectory()
{
    char path[MAX_PATH] = {};
    ::GetTempPathA(sizeof path, path);
    return path;
}

std::vector<std::string> FilesIn(const std::string& directory)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found = {};
    HANDLE search = ::FindFirstFileA((directory + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (found.cFileName[0] != '.')
            names.push_back(found.cFileName);
    } while (::FindNextFileA(search, &found));
    ::FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

TEST(PrefixFile, WritesWhatTheRegistryEditorWrites)
{
    CPrefixFile file;
    file.Add("GOOGLE", "http://www.google.com/search?q=%s");
    file.Add("Q\"]\xC9", "http://x/\"a\"\\b?q=%s&c=%25+d");
    file.Add("LINES", "http://x/\r\n%s");
    const std::string replacements =
        "\" \"=\"+\"\r\n\"%\"=\"%25\"\r\n\"&\"=\"%26\"\r\n\"+\"=\"%2B\"\r\n\r\n";
    const std::string expected =
        std::string(kVersion5) + "\r\n\r\n" +
        kKey + "GOOGLE]\r\n@=\"http://www.google.com/search?q=%s\"\r\n" + replacements +
        kKey + "Q\"]\xC9]\r\n@=\"http://x/\\\"a\\\"\\\\b?q=%s&c=%25+d\"\r\n" + replacements +
        // A line break cannot stand between quotes: the string's bytes.
        kKey + "LINES]\r\n@=hex(1):68,00,74,00,74,00,70,00,3a,00,2f,00,2f,00,78,00,2f,00,0d,00,"
               "0a,00,25,00,73,00,00,00\r\n" + replacements;
    EXPECT_EQ(file.Format(), Utf16(expected));

    CPrefixFile back;
    ASSERT_TRUE(back.Parse(file.Format()));
    EXPECT_EQ(EntriesOf(back), EntriesOf(file));
    EXPECT_EQ(back.GetSkippedCount(), 0);
}

// Every encoding and layout the Registry Editor and editors write, and
// everything in such a file that is no search prefix.
TEST(PrefixFile, ReadsPrefixesFromEveryFormAndCountsTheRest)
{
    const std::string prefixA = std::string(kKey) + "A]\r\n@=\"http://a/?q=%s\"\r\n";
    const Entries justA = {{"A", "http://a/?q=%s"}};
    struct Case {
        const char* what;
        std::string bytes;
        Entries entries;
        int skipped;
    };
    const Case cases[] = {
        {"UTF-16LE, version 5", Utf16(std::string(kVersion5) + "\r\n\r\n" + prefixA), justA, 0},
        {"REGEDIT4 in the ANSI code page",
         "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\SearchUrl"
         "\\\xC9T\xC9]\r\n@=\"http://e/\xE9/%s\"\r\n",
         {{"\xC9T\xC9", "http://e/\xE9/%s"}}, 0},
        {"UTF-8 with a byte-order mark",
         "\xEF\xBB\xBF" + Utf8(std::string(kVersion5) + "\n" + kKey + "\xC9]\n@=\"http://\xE9\"\n"),
         {{"\xC9", "http://\xE9"}}, 0},
        {"REGEDIT4 saved as UTF-8",
         Utf8("REGEDIT4\r\n" + std::string(kKey) + "\xC9]\r\n@=\"http://\xE9\"\r\n"),
         {{"\xC9", "http://\xE9"}}, 0},
        {"UTF-8 without one", Utf8(std::string(kVersion5) + "\n" + kKey + "\xC9]\n@=\"http://\xE9\"\n"),
         {{"\xC9", "http://\xE9"}}, 0},
        {"CR LF, LF and CR mixed, blanks, comments, spaces around =",
         std::string("\r\n") + kVersion5 + "  \n; a comment\r\n# another\r" + kKey +
             "A]\n  @ = \"http://a/?q=%s\"  \r\n\r\n",
         justA, 0},
        {"root as HKCU in any case, a later section adding to the same key",
         std::string(kVersion5) + "\n[hkcu\\SOFTWARE\\Microsoft\\Internet Explorer\\searchurl\\a]\n"
                                  "@=\"http://old\"\n" + kKey + "A]\n\"other\"=\"x\"\n@=\"http://a/?q=%s\"\n",
         {{"a", "http://a/?q=%s"}}, 0},  // the key keeps its first spelling
        {"a continued hex(1) string and other continued data",
         std::string(kVersion5) + "\n" + kKey + "A]\n\"bin\"=hex:01,02,\\\n  03,04\n"
                                  "@=hex(1):68,00,74,00,\\\n  74,00,70,00,3a,00,0a,00,00,00\n",
         {{"A", "http:\n"}}, 0},
        {"other keys, the key itself with a value, deletions, deeper keys, a key never closed",
         std::string(kVersion5) + "\n[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Internet Explorer"
                                  "\\SearchUrl\\LM]\n@=\"http://lm\"\n"
                                  "[HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\SearchUrl]\n"
                                  "\"x\"=\"y\"\n[-" + (kKey + 1) + "GONE]\n" + kKey + "A\\DEEPER]\n"
                                  "@=\"http://d\"\n" + kKey + "OPEN\n@=\"http://o\"\n" + prefixA,
         justA, 5},
        {"defaults that are no text, empty, deleted or missing",
         std::string(kVersion5) + "\n" + kKey + "DWORD]\n@=dword:00000001\n" + kKey +
             "EMPTY]\n@=\"\"\n" + kKey + "DELETED]\n@=\"http://d\"\n@=-\n" + kKey + "NONE]\n" + prefixA,
         justA, 4},
        {"lines that mean nothing before the first key",
         std::string(kVersion5) + "\nnonsense\n\"v\"=\"w\"\n" + prefixA, justA, 2},
        {"a name the process code page cannot hold", Utf8(std::string(kVersion5) + "\n") +
                                                         kKey + "\xD0\x9F]\n@=\"http://p\"\n" + prefixA,
         justA, 1},
        {"two such names the registry tells apart (a Deseret letter and its capital), as two keys",
         std::string(kVersion5) + "\n" + kKey + "\xF0\x90\x90\xA8]\n@=\"http://a\"\n" + kKey +
             "\xF0\x90\x90\x80]\n@=\"http://b\"\n" + prefixA,
         justA, 2},
    };
    for (const Case& c : cases) {
        CPrefixFile file;
        ASSERT_TRUE(file.Parse(c.bytes)) << c.what;
        EXPECT_EQ(EntriesOf(file), c.entries) << c.what;
        EXPECT_EQ(file.GetSkippedCount(), c.skipped) << c.what;
    }
}

// Damaged or foreign files: refused whole, or read up to what is readable,
// never a crash; a refused file leaves what was read before.
TEST(PrefixFile, DamagedFilesAreRefusedOrSkippedInPart)
{
    const std::string header = std::string(kVersion5) + "\r\n";
    const std::string prefixA = std::string(kKey) + "A]\r\n@=\"http://a/?q=%s\"\r\n";
    const std::string huge(1 << 20, 'x');
    std::string longData;
    for (int line = 0; line < 40000; ++line)
        longData += "00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,16,17,\\\r\n  ";
    longData += "ff\r\n";
    // What is read, by name and URL: a key line swallowed into data that
    // goes on would leave the count as it is. A refused file leaves what was
    // read before, A.
    const Entries a = {{"A", "http://a/?q=%s"}};
    struct Case {
        const char* what;
        std::string bytes;
        bool isRegistryFile;
        Entries entries;
        int skipped;
    };
    const Case cases[] = {
        {"empty", "", false, a, 0},
        {"a byte-order mark and no header", Utf16(prefixA), false, a, 0},
        {"UTF-16 with an odd byte count", Utf16(header + prefixA) + "x", false, a, 0},
        {"NUL bytes in the header", std::string("Windows Registry\0Editor Version 5.00\r\n", 39),
         false, a, 0},
        {"another program's text", "[Settings]\r\nA=1\r\n", false, a, 0},
        {"UTF-16 without a byte-order mark", Utf16(header).substr(2), false, a, 0},
        {"only the header", header, true, {}, 0},
        {"cut off in a quoted string", header + prefixA + kKey + "B]\r\n@=\"http://b/?q", true, a, 1},
        {"a lone backslash at the end", header + prefixA + kKey + "B]\r\n@=hex(1):41,00,\\", true, a, 1},
        {"a key line after data that goes on", header + kKey + "B]\r\n@=hex(1):41,00,\\\r\n" + prefixA,
         true, a, 1},
        {"a 1 MB value over 40,000 lines", header + prefixA + kKey + "B]\r\n\"bin\"=hex:" + longData,
         true, a, 1},
        {"a backslash ending a quoted string", header + kKey + "B]\r\n@=\"http://b\\", true, {}, 1},
        {"a 1 MB line", header + prefixA + "; " + huge + "\r\n" + kKey + "B]\r\n@=\"" + huge + "\"\r\n",
         true, {a[0], {"B", huge}}, 0},
        {"a NUL in a URL", header + prefixA + kKey + "B]\r\n@=\"http://b\0/\"\r\n", true, a, 1},
        {"text after the closing quote", header + kKey + "B]\r\n@=\"http://b\" x\r\n" + prefixA, true, a, 1},
        {"bad hex", header + kKey + "B]\r\n@=hex(1):4g,00\r\n" + kKey + "C]\r\n@=hex(1):41\r\n", true, {}, 2},
    };
    for (const Case& c : cases) {
        CPrefixFile file;
        ASSERT_TRUE(file.Parse(Utf16(header + prefixA))) << c.what;
        EXPECT_EQ(file.Parse(c.bytes), c.isRegistryFile) << c.what;
        EXPECT_TRUE(EntriesOf(file) == c.entries) << c.what;  // a 1 MB URL is not printed
        if (c.isRegistryFile) {
            EXPECT_EQ(file.GetSkippedCount(), c.skipped) << c.what;
        }
    }
}

// Names and addresses another program planted: each file leaves out what
// it cannot carry, naming why, and reads back as exactly the rest.
TEST(PrefixFiles, EachFileLeavesOutWhatItCannotCarryAndReadsBackTheRest)
{
    const std::vector<PrefixRow> rows = {
        {"PWN]\r\n[HKEY_CURRENT_USER]\r\n\"INJECTED\"=\"1\"\r\n;", "https://e/?q=%s"},
        {"A]B", "https://a/?q=%s&b=\"<c>\""}, {"\xC4PFEL", "https://x/?q=%s\r\nz"},
        {"ESC\x1B[31M", "https://x/?q=%s"}, {"TWO WORDS", "https://t/%s"},
        {"JS", "javascript:alert(1)//%s"}, {"FILE", "file:///c:/%s"}, {"NOQUERY", "https://n/"},
        {"lower", "https://l/%s"},
    };
    const struct {
        CFileName::Format format;
        std::vector<UINT> why;  // by row: why it is left out, or 0
    } cases[] = {
        {CFileName::kReg, {IDS_LEFT_OUT_LINE_BREAK, 0, 0, 0, 0, 0, 0, 0, 0}},
        {CFileName::kHtml, {IDS_LEFT_OUT_NOT_TYPABLE, 0, 0, IDS_LEFT_OUT_NOT_TYPABLE, IDS_LEFT_OUT_NOT_TYPABLE,
                            IDS_LEFT_OUT_NOT_WEB, IDS_LEFT_OUT_NOT_WEB, IDS_CLI_POLICY_NO_QUERY, IDS_LEFT_OUT_FOLDED}},
        {CFileName::kJson, {0, 0, 0, 0, 0, 0, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        std::vector<CPrefixFiles::LeftOut> leftOut;
        const std::string bytes = CPrefixFiles::Format(rows, c.format, leftOut);
        Entries carried, expected, named;
        for (size_t i = 0; i < rows.size(); ++i)
            (c.why[i] ? expected : carried)
                .emplace_back(rows[i].prefix, c.why[i] ? std::to_string(c.why[i]) : std::string(rows[i].url));
        for (const auto& row : leftOut)
            named.emplace_back(row.prefix, std::to_string(row.why));
        EXPECT_EQ(named, expected) << c.format;
        std::vector<PrefixRow> back;
        int skipped = 0;
        CFileName::Format format = CFileName::kUnknown;
        ASSERT_EQ(CPrefixFiles::Parse(bytes, back, skipped, format), 0u) << c.format;
        EXPECT_EQ(format, c.format);
        Entries read;
        for (const PrefixRow& row : back)
            read.emplace_back(static_cast<const char*>(c.format == CFileName::kHtml ? UpperCasePrefix(row.prefix)
                                                                                    : row.prefix),
                              static_cast<const char*>(row.url));
        EXPECT_EQ(read, carried) << c.format;
    }
}

TEST(PrefixFile, SavingReplacesTheFileWholeOrLeavesNothing)
{
    const std::string directory = TempDirectory() + "quillory-file-" +
                                  std::to_string(::GetCurrentProcessId());
    ::CreateDirectoryA(directory.c_str(), nullptr);
    const std::string path = directory + "\\SearchUrl.reg";
    CPrefixFile file;
    file.Add("A", "http://a/?q=%s");

    std::ofstream(path, std::ios::binary) << "an older and much longer file than the new one";
    EXPECT_EQ(file.Save(path.c_str()), 0u);
    EXPECT_EQ(ReadFileBytes(path), file.Format());
    EXPECT_EQ(FilesIn(directory), std::vector<std::string>{"SearchUrl.reg"});

    CPrefixFile read;
    EXPECT_EQ(read.Load(path.c_str()), 0u);
    EXPECT_EQ(EntriesOf(read), EntriesOf(file));

    // A target that cannot be replaced leaves nothing beside it.
    const std::string folder = directory + "\\folder.reg";
    ::CreateDirectoryA(folder.c_str(), nullptr);
    EXPECT_NE(file.Save(folder.c_str()), 0u);
    EXPECT_EQ(FilesIn(directory), (std::vector<std::string>{"SearchUrl.reg", "folder.reg"}));
    EXPECT_TRUE(FilesIn(folder).empty());
    ::RemoveDirectoryA(folder.c_str());

    // A read-only file stays as it is, as Windows' own replace leaves it.
    ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(CPrefixFile().Save(path.c_str()), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(ReadFileBytes(path), file.Format());
    ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);

    EXPECT_EQ(file.Save((directory + "\\missing\\SearchUrl.reg").c_str()), ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(read.Load((directory + "\\missing.reg").c_str()), ERROR_FILE_NOT_FOUND);
    std::ofstream(path, std::ios::binary) << "not a registry file";
    EXPECT_EQ(read.Load(path.c_str()), static_cast<DWORD>(ERROR_BAD_FORMAT));
    EXPECT_EQ(EntriesOf(read), EntriesOf(file));  // unchanged by the refused file

    ::DeleteFileA(path.c_str());
    ::RemoveDirectoryA(directory.c_str());
}

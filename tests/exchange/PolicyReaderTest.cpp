#include "exchange/ChromePolicy.h"
#include "exchange/FirefoxPolicy.h"
#include "exchange/PrefixFiles.h"
#include "prefixes/PrefixCase.h"
#include "tests/support/SearchUrlKey.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

// This executable runs in code page 1252.

namespace {

using Rows = std::vector<std::pair<std::string, std::string>>;

const char kReg[] = "Windows Registry Editor Version 5.00\r\n\r\n";
const char kFirefoxKey[] = "SOFTWARE\\Policies\\Mozilla\\Firefox\\SearchEngines\\Add";

std::string RegFile(const std::string& sections)
{
    return "\xFF\xFE" + Utf16Bytes(kReg + sections);
}

DWORD Read(const std::string& bytes, CFileName::Format& format, Rows& rows, int& skipped)
{
    std::vector<PrefixRow> read;
    DWORD error = CPrefixFiles::Parse(bytes, read, skipped, format);
    for (const PrefixRow& row : read)
        rows.emplace_back(static_cast<const char*>(row.prefix), static_cast<const char*>(row.url));
    return error;
}

} // namespace

// Each policy's entries as the prefixes they give, the rest counted; the
// other policies and settings beside them are not read.
TEST(PolicyReader, TakesEachPolicysEntriesAndCountsWhatCanBeNoPrefix)
{
    const struct {
        const char* what;
        std::string bytes;
        CFileName::Format named;
        DWORD error;
        Rows rows;
        int skipped;
    } cases[] = {
        {"Chrome's policy file",
         R"({"Other": [{"shortcut": "o", "url": "https://o/{searchTerms}"}], "SiteSearchSettings": [
            {"name": "Wiki", "shortcut": "wiki", "url": "https://w/?q={searchTerms}", "allow_user_override": true},
            {"shortcut": "g", "url": "{google:baseURL}search?q={searchTerms}"},
            {"name": "No shortcut", "url": "https://n/{searchTerms}"}, {"shortcut": "noquery", "url": "https://n/"},
            "no entry", [1], {"shortcut": "deep", "url": {"url": "https://d/{searchTerms}"}}]})",
         CFileName::kUnknown, 0, {{"wiki", "https://w/?q=%s"}, {"g", "https://www.google.com/search?q=%s"}}, 5},
        {"Firefox's policies.json",
         R"({"policies": {"DisableTelemetry": true, "SearchEngines": {"Default": "A", "Add": [
            {"Name": "A", "URLTemplate": "https://a/?q={searchTerms}", "Alias": "a", "Method": "GET"},
            {"Name": "P", "URLTemplate": "https://p/?q={searchTerms}", "Method": "POST", "Alias": "p"},
            {"Name": "No alias", "URLTemplate": "https://n/?q={searchTerms}"},
            {"Name": "L", "URLTemplate": "https://l/{moz:locale}/{searchTerms}", "Alias": "l"},
            {"Name": "Ü", "URLTemplate": "https://u/?q={searchTerms}", "Alias": "ü"}]}}})",
         CFileName::kJson, 0, {{"a", "https://a/?q=%s"}, {"\xFC", "https://u/?q=%s"}}, 3},
        {"Firefox's engines in .reg sections, by number",
         RegFile("[-HKEY_LOCAL_MACHINE\\" + std::string(kFirefoxKey) + "]\r\n\r\n[HKLM\\" + kFirefoxKey +
                 "\\10]\r\n\"alias\"=\"ten\"\r\n\"URLTemplate\"=\"https://t/{searchTerms}\"\r\n\r\n"
                 "[HKEY_CURRENT_USER\\" + kFirefoxKey + "\\2]\r\n\"Alias\"=\"two\"\r\n"
                 "\"URLTemplate\"=\"https://two/{searchTerms}\"\r\n\r\n[HKLM\\" + kFirefoxKey +
                 "\\x]\r\n\"Alias\"=\"x\"\r\n\"URLTemplate\"=\"https://x/{searchTerms}\"\r\n"),
         CFileName::kUnknown, 0, {{"two", "https://two/%s"}, {"ten", "https://t/%s"}}, 1},
        {"Chrome's policy beside prefixes in one .reg file",
         RegFile("[HKEY_CURRENT_USER\\SOFTWARE\\Policies\\Google\\Chrome]\r\n\"SiteSearchSettings\"=\"[{\\\"shortcut"
                 "\\\":\\\"c\\\",\\\"url\\\":\\\"https://c/?q={searchTerms}\\\"}]\"\r\n\"Other\"=dword:00000001\r\n\r\n"
                 "[HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\SearchUrl\\IE]\r\n"
                 "@=\"http://ie/%s\"\r\n"),
         CFileName::kReg, 0, {{"IE", "http://ie/%s"}, {"c", "https://c/?q=%s"}}, 0},
        {"the prefix list, UTF-16", "\xFF\xFE" + Utf16Bytes(R"([{"prefix": "L", "url": "{x}%s"}, {"prefix": "N"}])"),
         CFileName::kUnknown, 0, {{"L", "{x}%s"}}, 1},
        {"JSON of none of them", R"({"SearchEngines": {"Add": []}})", CFileName::kUnknown, ERROR_BAD_FORMAT, {}, 0},
        {"JSON cut off", R"([{"prefix": "A", "url": "http://a/%s"})", CFileName::kUnknown, ERROR_BAD_FORMAT, {}, 0},
        {"JSON nested past any policy", std::string(100, '[') + std::string(100, ']'), CFileName::kJson,
         ERROR_BAD_FORMAT, {}, 0},
    };
    for (const auto& c : cases) {
        CFileName::Format format = c.named;
        Rows rows;
        int skipped = 0;
        EXPECT_EQ(Read(c.bytes, format, rows, skipped), c.error) << c.what;
        EXPECT_EQ(rows, c.rows) << c.what;
        EXPECT_EQ(skipped, c.skipped) << c.what;
    }
}

// prefix -> policy -> prefix, for either browser in either form.
TEST(PolicyReader, PrefixesComeBackFromEachPolicyAsTheyWere)
{
    const Rows prefixes = {{"WIKI", "https://w/?q=%s&x=\"y\"\\z"}, {Local("ÄRGER"), "http://a/%s/%s"}};
    CChromePolicy chrome;
    CFirefoxPolicy firefox;
    for (const auto& prefix : prefixes) {
        chrome.Add(prefix.first.c_str(), prefix.second.c_str());
        firefox.Add(prefix.first.c_str(), prefix.second.c_str());
    }
    for (const std::string& bytes :
         {chrome.FormatJson(), chrome.FormatReg(), firefox.FormatJson(), firefox.FormatReg()}) {
        CFileName::Format format = CFileName::kUnknown;
        Rows rows;
        int skipped = 0;
        ASSERT_EQ(Read(bytes, format, rows, skipped), 0u) << bytes;
        for (auto& row : rows)
            row.first = static_cast<const char*>(UpperCasePrefix(row.first.c_str()));
        EXPECT_EQ(rows, prefixes) << bytes;
        EXPECT_EQ(skipped, 0) << bytes;
    }
}

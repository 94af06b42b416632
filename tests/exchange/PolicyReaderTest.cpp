#include "exchange/ChromePolicy.h"
#include "exchange/FirefoxPolicy.h"
#include "exchange/PrefixFiles.h"
#include "tests/support/SearchUrlKey.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

// This executable runs in code page 1252.

namespace {

using Rows = std::vector<std::pair<std::string, std::string>>;

const char kFirefoxKey[] = "SOFTWARE\\Policies\\Mozilla\\Firefox\\SearchEngines\\Add";

std::string RegFile(const std::string& sections)
{
    return "\xFF\xFE" + Utf16Bytes("Windows Registry Editor Version 5.00\r\n\r\n" + sections);
}

} // namespace

// Each policy's entries as the prefixes they give, the rest counted; the
// other policies and settings beside them are not read. What the program
// writes as either browser's policy comes back as the prefixes it was.
TEST(PolicyReader, TakesEachPolicysEntriesAndCountsWhatCanBeNoPrefix)
{
    CChromePolicy chrome;
    CFirefoxPolicy firefox;
    for (CSearchPolicy* policy : {static_cast<CSearchPolicy*>(&chrome), static_cast<CSearchPolicy*>(&firefox)})
        policy->Add(Local("ÄRGER").c_str(), "https://w/?q=%s&x=\"y\"\\z%s");
    const Rows ours = {{"\xE4rger", "https://w/?q=%s&x=\"y\"\\z%s"}};
    const struct {
        const char* what;
        std::string bytes;
        DWORD error;
        Rows rows;
        int skipped;
    } cases[] = {
        {"Chrome's policy file", R"({"Other": [{"shortcut": "o", "url": "https://o/{searchTerms}"}],
            "SiteSearchSettings": [{"shortcut": "wiki", "url": "https://w/?q={searchTerms}", "name": "Wiki"},
            {"shortcut": "g", "url": "{google:baseURL}search?q={searchTerms}"}, {"url": "https://n/{searchTerms}"},
            {"shortcut": "noquery", "url": "https://n/"}, "no entry", [1], {"shortcut": "d", "x": {"url": "x"},
            "url": "https://d/{searchTerms}"}]})", 0,
         {{"wiki", "https://w/?q=%s"}, {"g", "https://www.google.com/search?q=%s"}, {"d", "https://d/%s"}}, 4},
        {"Firefox's policies.json", R"({"policies": {"DisableTelemetry": true, "SearchEngines": {"Add": [
            {"Name": "A", "URLTemplate": "https://a/?q={searchTerms}", "Alias": "a", "Method": "GET"},
            {"Name": "P", "URLTemplate": "https://p/?q={searchTerms}", "Method": "POST", "Alias": "p"},
            {"Name": "No alias", "URLTemplate": "https://n/?q={searchTerms}"}, {"Name": "Ü", "URLTemplate":
            "https://u/?q={searchTerms}", "Alias": "ü"}, {"URLTemplate": "https://l/{moz:locale}/{searchTerms}",
            "Alias": "l"}]}}})", 0, {{"a", "https://a/?q=%s"}, {"\xFC", "https://u/?q=%s"}}, 3},
        {"Firefox's engines in .reg sections, by hive and number, after the deletion",
         RegFile("[HKLM\\" + std::string(kFirefoxKey) + "\\1]\r\n\"Alias\"=\"gone\"\r\n\"URLTemplate\"=\"https://g/{searchTerms}\"\r\n"
                 "[-HKEY_LOCAL_MACHINE\\" + kFirefoxKey + "]\r\n[HKLM\\" + kFirefoxKey + "\\10]\r\n\"alias\"=\"ten\"\r\n"
                 "\"URLTemplate\"=\"https://t/{searchTerms}\"\r\n[HKEY_CURRENT_USER\\" + kFirefoxKey + "\\2]\r\n"
                 "\"URLTemplate\"=\"https://cu/{searchTerms}\"\r\n[HKLM\\" + kFirefoxKey + "\\2]\r\n\"Alias\"=\"two\"\r\n"
                 "\"URLTemplate\"=\"https://two/{searchTerms}\"\r\n[HKLM\\" + kFirefoxKey + "\\02]\r\n"),
         0, {{"two", "https://two/%s"}, {"ten", "https://t/%s"}}, 2},
        {"Chrome's policy beside prefixes in one .reg file",
         RegFile("[HKEY_CURRENT_USER\\SOFTWARE\\Policies\\Google\\Chrome]\r\n\"SiteSearchSettings\"=\"[{\\\"shortcut"
                 "\\\":\\\"c\\\",\\\"url\\\":\\\"https://c/?q={searchTerms}\\\"}]\"\r\n\"Other\"=dword:00000001\r\n\r\n"
                 "[HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\SearchUrl\\IE]\r\n@=\"http://ie/%s\"\r\n"),
         0, {{"IE", "http://ie/%s"}, {"c", "https://c/?q=%s"}}, 0},
        {"Chrome's value broken after an entry", RegFile("[HKLM\\SOFTWARE\\Policies\\Google\\Chrome]\r\n"
                 "\"SiteSearchSettings\"=\"[{\\\"shortcut\\\":\\\"c\\\",\\\"url\\\":\\\"https://c/{searchTerms}\\\"},\"\r\n"), 0, {}, 1},
        {"the prefix list, UTF-16", "\xFF\xFE" + Utf16Bytes(R"([{"prefix": "L", "url": "{x}%s"}, {"prefix": "N"}])"),
         0, {{"L", "{x}%s"}}, 1},
        {"our Chrome policy file", chrome.FormatJson(), 0, ours, 0},
        {"our Chrome policy .reg", chrome.FormatReg(), 0, ours, 0},
        {"our policies.json", firefox.FormatJson(), 0, ours, 0},
        {"our Firefox policy .reg", firefox.FormatReg(), 0, ours, 0},
        {"JSON of none of them", R"({"SearchEngines": {"Add": []}})", ERROR_BAD_FORMAT, {}, 0},
        {"JSON cut off", R"([{"prefix": "A", "url": "http://a/%s"})", ERROR_BAD_FORMAT, {}, 0},
        {"JSON nested past any policy", std::string(100, '[') + std::string(100, ']'), ERROR_BAD_FORMAT, {}, 0},
    };
    for (const auto& c : cases) {
        CFileName::Format format = CFileName::kUnknown;
        std::vector<PrefixRow> read;
        int skipped = 0;
        EXPECT_EQ(CPrefixFiles::Parse(c.bytes, read, skipped, format), c.error) << c.what;
        Rows rows;
        for (const PrefixRow& row : read)
            rows.emplace_back(static_cast<const char*>(row.prefix), static_cast<const char*>(row.url));
        EXPECT_EQ(rows, c.rows) << c.what;
        EXPECT_EQ(skipped, c.skipped) << c.what;
    }
}

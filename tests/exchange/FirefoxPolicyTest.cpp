#include "exchange/FirefoxPolicy.h"

#include "tests/support/BrowserProfiles.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/SearchUrlKey.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <string>

// Firefox keeps no shortcut starting with '@' for itself and has no limit.
TEST(FirefoxPolicy, LeavesOutWhatFirefoxWouldRefuse)
{
    const struct {
        const char* prefix;
        const char* url;
        CFirefoxPolicy::Reason reason;
    } cases[] = {
        {"@WORK", "http://w/%s", CFirefoxPolicy::kAdded},
        {"@work", "http://other/%s", CFirefoxPolicy::kDuplicate},
        {"a b", "http://s/%s", CFirefoxPolicy::kSpace},
        {"x", "http://x/?q=", CFirefoxPolicy::kNoQuery},
        {"x", "ftp://x/%s", CFirefoxPolicy::kNotWebAddress},
    };
    CFirefoxPolicy policy;
    for (const auto& c : cases)
        EXPECT_EQ(policy.Add(c.prefix, c.url), c.reason) << c.prefix;
    for (int i = 0; i < 150; ++i)
        ASSERT_EQ(policy.Add(("k" + std::to_string(i)).c_str(), "http://k/%s"), CFirefoxPolicy::kAdded);
}

TEST(FirefoxPolicy, JsonIsPoliciesJson)
{
    CFirefoxPolicy policy;
    policy.Add("Wiki", "http://w/\"q\"\\%s?x=%s");
    policy.Add(Local("ÄRGER").c_str(), "https://a/?q=%s");
    const std::string bytes = policy.FormatJson();
    ASSERT_EQ(bytes.substr(0, 1), "{");  // no byte-order mark
    EXPECT_EQ(nlohmann::json::parse(bytes), nlohmann::json::parse(R"json({"policies": {"SearchEngines": {"Add": [
        {"Name": "Wiki (Quillory)", "URLTemplate": "http://w/\"q\"\\{searchTerms}?x={searchTerms}",
         "Alias": "wiki", "Method": "GET"},
        {"Name": "ÄRGER (Quillory)", "URLTemplate": "https://a/?q={searchTerms}", "Alias": "ärger",
         "Method": "GET"}]}}})json"));
}

// Through the platform's own reg import, on a scratch key in place of the
// machine's: a second import of a shorter list leaves none of the first.
TEST(FirefoxPolicy, RegFileImportsAsNumberedEnginesReplacingTheLast)
{
    TempFolder folder;
    const std::string file = Utf8(folder.Path() + L"\\firefox.reg");
    const std::string below = "QuilloryPolicyTest" + std::to_string(::GetCurrentProcessId());
    const std::string scratch = "HKEY_CURRENT_USER\\" + below;
    auto import = [&](const CFirefoxPolicy& policy) {
        std::string bytes = policy.FormatReg();
        const std::string machine = Utf16Bytes("HKEY_LOCAL_MACHINE\\SOFTWARE\\Policies");
        for (size_t at; (at = bytes.find(machine)) != std::string::npos;)
            bytes.replace(at, machine.size(), Utf16Bytes(scratch));
        WriteFileBytes(file, bytes);
        return RunChild("reg.exe import \"" + file + "\"");
    };
    auto value = [&](int engine, const char* name) {
        const std::wstring key = Wide(below + "\\Mozilla\\Firefox\\SearchEngines\\Add\\" +
                                      std::to_string(engine));
        wchar_t data[200] = {};
        DWORD size = sizeof data;
        LSTATUS status = ::RegGetValueW(HKEY_CURRENT_USER, key.c_str(), Wide(name).c_str(), RRF_RT_REG_SZ,
                                        nullptr, data, &size);
        return status == ERROR_SUCCESS ? Utf8(data) : "error " + std::to_string(status);
    };
    CFirefoxPolicy three, one;
    for (const char* prefix : {"A", "B", "C"})
        three.Add(prefix, "https://x/?q=%s");
    one.Add(Local("ÜBER").c_str(), "https://u/?q=%s&a=\"b\"");
    ASSERT_EQ(import(three), 0u);
    EXPECT_EQ(value(3, "Alias"), "c");
    ASSERT_EQ(import(one), 0u);
    EXPECT_EQ(value(1, "Name"), "ÜBER (Quillory)");
    EXPECT_EQ(value(1, "URLTemplate"), "https://u/?q={searchTerms}&a=\"b\"");
    EXPECT_EQ(value(1, "Alias"), "über");
    EXPECT_EQ(value(1, "Method"), "GET");
    EXPECT_EQ(value(2, "Alias"), "error 2");
    ::RegDeleteTreeW(HKEY_CURRENT_USER, Wide(below).c_str());
    ::RegDeleteKeyW(HKEY_CURRENT_USER, Wide(below).c_str());
}

#include "exchange/FirefoxPolicy.h"

#include "tests/support/BrowserProfiles.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/ScratchRegistry.h"
#include "tests/support/SearchUrlKey.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <string>

// Firefox keeps no alias starting with '@' for itself, as Chrome does.
TEST(FirefoxPolicy, JsonIsPoliciesJsonWithAnEnginePerPrefix)
{
    CFirefoxPolicy policy;
    EXPECT_EQ(policy.Add(Local("@ÄRGER").c_str(), "http://w/\"q\"\\%s?x=%s"), CFirefoxPolicy::kAdded);
    const std::string bytes = policy.FormatJson();
    ASSERT_EQ(bytes.substr(0, 1), "{");  // no byte-order mark
    EXPECT_EQ(nlohmann::json::parse(bytes), nlohmann::json::parse(R"json({"policies": {"SearchEngines": {"Add": [
        {"Name": "@ÄRGER (Quillory)", "URLTemplate": "http://w/\"q\"\\{searchTerms}?x={searchTerms}",
         "Alias": "@ärger", "Method": "GET"}]}}})json"));
}

// Through the platform's own reg import, on the scratch key in place of the
// machine's: a second import of a shorter list leaves none of the first.
TEST_F(RegistryTest, FirefoxPolicyRegFileImportsAsNumberedEnginesReplacingTheLast)
{
    TempFolder folder;
    const std::string file = Utf8(folder.Path() + L"\\firefox.reg");
    auto import = [&](const CFirefoxPolicy& policy) {
        std::string bytes = policy.FormatReg();
        const std::string machine = Utf16Bytes("HKEY_LOCAL_MACHINE\\SOFTWARE\\Policies");
        for (size_t at; (at = bytes.find(machine)) != std::string::npos;)
            bytes.replace(at, machine.size(), Utf16Bytes("HKEY_CURRENT_USER\\" + ScratchKeyPath()));
        WriteFileBytes(file, bytes);
        return RunChild("reg.exe import \"" + file + "\"");
    };
    auto value = [&](char engine, const char* name) {
        wchar_t data[100] = L"<none>";
        DWORD size = sizeof data;
        const std::string key = std::string("Mozilla\\Firefox\\SearchEngines\\Add\\") + engine;
        ::RegGetValueW(HKEY_CURRENT_USER, Wide(key).c_str(), Wide(name).c_str(), RRF_RT_REG_SZ, nullptr, data, &size);
        return Utf8(data);
    };
    CFirefoxPolicy two, one;
    for (const char* prefix : {"A", "B"})
        two.Add(prefix, "https://a/?q=%s");
    one.Add(Local("ÜBER").c_str(), "https://u/?q=%s&a=\"b\"");
    ASSERT_EQ(import(two), 0u);
    ASSERT_EQ(import(one), 0u);
    const std::vector<std::string> values = {value('1', "Name"), value('1', "URLTemplate"), value('1', "Alias"),
                                             value('1', "Method"), value('2', "Alias")};
    EXPECT_EQ(values, std::vector<std::string>({"ÜBER (Quillory)", "https://u/?q={searchTerms}&a=\"b\"", "über",
                                                "GET", "<none>"}));
}

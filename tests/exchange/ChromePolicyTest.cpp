#include "exchange/ChromePolicy.h"

#include "registry/ProcessCodePage.h"
#include "tests/support/BrowserProfiles.h"
#include "tests/support/SearchUrlKey.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <string>

namespace {

void AddTwo(CChromePolicy& policy)
{
    policy.Add("Wiki", "http://w/\"q\"\\%s?x=%s");
    policy.Add(Local("ÄRGER").c_str(), "https://a/?q=%s");
}

// The two as the Registry Editor writes them: the JSON's own escapes,
// escaped again for the .reg string.
std::string TwoAsReg(const std::string& override)
{
    const std::string text =
        std::string("Windows Registry Editor Version 5.00\r\n\r\n"
                    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Policies\\Google\\Chrome]\r\n") +
        R"("SiteSearchSettings"="[{\"name\":\"Wiki\",\"shortcut\":\"wiki\",)"
        R"(\"url\":\"http://w/\\\"q\\\"\\\\{searchTerms}?x={searchTerms}\",\"allow_user_override\":)" +
        override + R"(},{\"name\":\"ÄRGER\",\"shortcut\":\"ärger\",)"
        R"(\"url\":\"https://a/?q={searchTerms}\",\"allow_user_override\":)" + override + "}]\"\r\n\r\n";
    return "\xFF\xFE" + Utf16Bytes(text);
}

} // namespace

TEST(ChromePolicy, LeavesOutWhatChromeWouldRefuseAndSaysWhy)
{
    struct Case {
        const char* prefix;
        const char* url;
        CChromePolicy::Reason reason;
    };
    const Case cases[] = {
        {"GOOGLE", "http://g/?q=%s", CChromePolicy::kAdded},
        {"google", "http://other/?q=%s", CChromePolicy::kDuplicate},
        {"ÄRGER", "http://a/%s", CChromePolicy::kAdded},
        {"ärger", "http://b/%s", CChromePolicy::kDuplicate},  // lower case beyond ASCII
        {"a b", "http://s/%s", CChromePolicy::kSpace},
        {"@work", "http://w/%s", CChromePolicy::kAtSign},
        {"work@", "http://w/%s", CChromePolicy::kAdded},
        {"x", "http://x/?q=", CChromePolicy::kNoQuery},
        {"x", "file:///c:/%s", CChromePolicy::kNotWebAddress},
        {"X", "http://x/?q=%s", CChromePolicy::kAdded},  // the one left out took no shortcut
    };
    CChromePolicy policy;
    size_t added = 0;
    for (const Case& c : cases) {
        EXPECT_EQ(policy.Add(Local(c.prefix).c_str(), c.url), c.reason) << c.prefix;
        added += c.reason == CChromePolicy::kAdded ? 1 : 0;
    }
    for (; added < CChromePolicy::kMaxEntries; ++added)
        ASSERT_EQ(policy.Add(("k" + std::to_string(added)).c_str(), "http://k/%s"), CChromePolicy::kAdded);
    EXPECT_EQ(policy.Add("last", "http://k/%s"), CChromePolicy::kTooMany);
}

TEST(ChromePolicy, RegFileIsWhatTheRegistryEditorWrites)
{
    CChromePolicy open, locked(false);
    AddTwo(open);
    AddTwo(locked);
    EXPECT_EQ(open.FormatReg(), TwoAsReg("true"));
    EXPECT_EQ(locked.FormatReg(), TwoAsReg("false"));
}

TEST(ChromePolicy, SavedByTheNameAsJsonThatReadsBackOrAsReg)
{
    CChromePolicy policy;
    AddTwo(policy);
    TempFolder folder;
    const std::wstring json = folder.Path() + L"\\chrome.JSON", reg = folder.Path() + L"\\chrome.policy";
    ASSERT_EQ(policy.Save(Tessaly::Narrow(json).c_str()), 0u);
    ASSERT_EQ(policy.Save(Tessaly::Narrow(reg).c_str()), 0u);
    EXPECT_EQ(ReadFileBytes(reg), TwoAsReg("true"));

    const std::string bytes = ReadFileBytes(json);
    ASSERT_EQ(bytes.substr(0, 1), "{");  // no byte-order mark
    EXPECT_EQ(nlohmann::json::parse(bytes), nlohmann::json::parse(R"({"SiteSearchSettings": [
        {"name": "Wiki", "shortcut": "wiki", "url": "http://w/\"q\"\\{searchTerms}?x={searchTerms}",
         "allow_user_override": true},
        {"name": "ÄRGER", "shortcut": "ärger", "url": "https://a/?q={searchTerms}", "allow_user_override": true}]})"));
}

#include "exchange/PrefixBackups.h"

#include "res/resource.h"
#include "tests/support/BrowserProfiles.h"
#include "tests/support/ScratchRegistry.h"
#include "tests/support/SearchUrlKey.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Each backup's prefixes as "A B", or why it cannot be restored; newest first.
std::vector<std::string> Listed(const CPrefixBackups& backups)
{
    std::vector<std::string> listed;
    for (const CPrefixBackups::Backup& backup : backups.List()) {
        std::string names = backup.unusable != 0 ? "unusable " + std::to_string(backup.unusable) : "";
        for (const PrefixRow& row : backup.rows)
            names += (names.empty() ? "" : " ") + std::string(row.prefix);
        listed.push_back(names);
    }
    return listed;
}

} // namespace

// Step by step on one folder: the key as each step leaves it, then the
// first save of a new object (a dialog opened, a command run).
TEST_F(RegistryTest, BackupsAreMadeOnceForEachNewStateAndThirtyKept)
{
    TempFolder temp;
    const std::wstring folder = temp.Path() + L"\\Quillory\\Backups";
    const struct {
        const char* what;
        const char* add;  // a prefix stored before the step, or none
        std::vector<std::string> listed;
    } steps[] = {
        {"a new account's key, the folder made", nullptr, {""}},
        {"the same state again", nullptr, {""}},
        {"a changed key", "A", {"A", ""}},
        {"and changed again", "B", {"A B", "A", ""}},
        {"a name beyond ASCII, a URL with a line break", "\xC4", {"A B \xC4", "A B", "A", ""}},
    };
    for (const auto& step : steps) {
        if (step.add != nullptr)
            StorePrefix(Utf8FromProcessCodePage(step.add), "https://x/?q=%s\r\n");
        CPrefixBackups backups(folder);
        EXPECT_EQ(backups.BeforeFirstSave(), 0u) << step.what;
        StorePrefix("LATER", "https://l/%s");  // after the first save: no backup of its own
        EXPECT_EQ(backups.BeforeFirstSave(), 0u) << step.what;
        ::RegDeleteTreeA(HKEY_CURRENT_USER, (std::string(kSearchUrlPath) + "\\LATER").c_str());
        EXPECT_EQ(Listed(backups), step.listed) << step.what;
    }
    for (int i = 0; i < 35; ++i) {
        StorePrefix("N" + std::to_string(i), "https://n/%s");
        ASSERT_EQ(CPrefixBackups(folder).BeforeFirstSave(), 0u);
    }
    std::vector<size_t> sizes;  // the prefixes of each backup kept, newest first
    for (const CPrefixBackups::Backup& backup : CPrefixBackups(folder).List())
        sizes.push_back(backup.rows.size());
    ASSERT_EQ(sizes.size(), CPrefixBackups::kKept);
    EXPECT_EQ(sizes.front(), 38u);  // A, B, \xC4 and N0 to N34
    EXPECT_EQ(sizes.back(), 9u);    // of the 39 made, holding 0 to 38, the oldest 9 gone

    // A backup edited by hand is told, not offered; another key's file is
    // not listed; a folder that cannot be made is an error, and nothing more.
    const CPrefixBackups::Backup newest = CPrefixBackups(folder).List().front();
    std::string bytes = ReadFileBytes(newest.path);
    bytes[bytes.find(Utf16Bytes("https://n/"))] = 'H';
    WriteFileBytes(folder + L"\\SearchUrl-29991231T235959.998Z-1-1.reg", bytes);
    WriteFileBytes(folder + L"\\SearchUrl-29991231T235959.999Z-1-1.reg",
                   "\xFF\xFE" + Utf16Bytes("Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\X]\r\n"));
    EXPECT_EQ(Listed(CPrefixBackups(folder)).front(), "unusable " + std::to_string(IDS_BACKUP_DAMAGED));
    WriteFileBytes(temp.Path() + L"\\file", "");
    EXPECT_NE(CPrefixBackups(temp.Path() + L"\\file\\Backups").BeforeFirstSave(), 0u);
}

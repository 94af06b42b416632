#include "tests/cli/CliRun.h"
#include "tests/support/ScratchRegistry.h"
#include "tests/support/SearchUrlKey.h"
#include "tests/support/UserFolders.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

// Each command that writes leaves the key as it was in a backup; restore
// makes it that again, backed up first itself.
TEST_F(RegistryTest, CommandsBackUpTheKeyAndRestoreTakesItBack)
{
    UserFolders user;
    StorePrefix("GOOGLE", "https://www.google.com/search?q=%s");
    StorePrefix("TWO\r\nLINES", "https://t/%s");  // no backup can hold it: restore leaves it
    ASSERT_EQ(RunInProcess({"add", "wiki", "https://w/%s"}).exit, 0);
    ASSERT_EQ(RunInProcess({"rename", "google", "g"}).exit, 0);
    const CliResult restored = RunInProcess({"restore", "2"});
    EXPECT_EQ(restored.exit, 0) << restored.err;
    EXPECT_EQ(StoredNames(), (std::vector<std::string>{"GOOGLE", "TWO\r\nLINES"}));
    const nlohmann::json backups = nlohmann::json::parse(RunInProcess({"backups", "--format", "json"}).out);
    std::vector<int> prefixes;
    for (const auto& backup : backups)
        prefixes.push_back(backup["prefixes"]);
    EXPECT_EQ(prefixes, (std::vector<int>{2, 2, 1}));  // before the restore, the rename, the add
    EXPECT_EQ(RunInProcess({"restore", "4"}).exit, 1);
}

#include "registry/RegistryKey.h"

#include "tests/support/RegistryFailure.h"
#include "tests/support/RegistryCallLayer.h"
#include "tests/support/ScratchRegistry.h"

using Tessaly::CRegistryKey;

namespace {

class DeleteKey : public RegistryTest {
protected:
    static CRegistryKey Root()
    {
        return CRegistryKey(HKEY_CURRENT_USER, "", KEY_ALL_ACCESS, nullptr);
    }

    static void CreateTree()
    {
        for (const char* path : {"T\\a\\x\\deep", "T\\a\\y", "T\\b", "T\\c\\z"})
            CreateTestKey(path, "v");
    }
};

} // namespace

TEST_F(DeleteKey, RefusesASubkeyWithSubkeysAndDeletesNothing)
{
    CreateTestKey("Parent\\Child");
    RegistryCallLayer calls;
    ExpectRegistryFailure([&] { Root().DeleteKey("Parent"); },
                          "CRegistryKey::DeleteKey()", DWORD(ERROR_ACCESS_DENIED));
    EXPECT_EQ(calls.CallsTo("RegDeleteKeyA"), 0u);
    EXPECT_TRUE(TestKeyExists("Parent\\Child"));
    EXPECT_EQ(calls.OpenHandleCount(), 0u);
}

TEST_F(DeleteKey, AMissingSubkeyFailsAtTheOpen)
{
    ExpectRegistryFailure([&] { Root().DeleteKey("Missing"); },
                          "CRegistryKey::CRegistryKey(HKEY hKey ...)", 2u);
}

TEST_F(DeleteKey, DeletesALeafAndLeavesItsSiblings)
{
    CreateTestKey("Leaf", "v");
    CreateTestKey("Sibling");
    Root().DeleteKey("Leaf");
    EXPECT_FALSE(TestKeyExists("Leaf"));
    EXPECT_TRUE(TestKeyExists("Sibling"));
}

TEST_F(DeleteKey, DeleteKeyAndSubkeysRemovesADeepTreeOnly)
{
    CreateTree();
    CreateTestKey("Other");
    RegistryCallLayer calls;
    Root().DeleteKeyAndSubkeys("T");
    EXPECT_FALSE(TestKeyExists("T"));
    EXPECT_TRUE(TestKeyExists("Other"));
    EXPECT_EQ(calls.CallsTo("RegDeleteKeyA"), 8u);  // T and its seven descendants
    EXPECT_EQ(calls.OpenHandleCount(), 0u);

    // A leaf: open, count, close, delete.
    CreateTestKey("Leaf", "v");
    CRegistryKey root = Root();
    unsigned before = calls.CallCount();
    root.DeleteKeyAndSubkeys("Leaf");
    EXPECT_EQ(calls.CallCount() - before, 4u);
    EXPECT_FALSE(TestKeyExists("Leaf"));
}

// Fails each registry call of a tree deletion in turn: every failure is
// reported as a registry exception with that code, and no handle is left
// open or closed twice, whatever was deleted before it.
TEST_F(DeleteKey, EveryFailurePositionIsReportedWithoutLeakingAHandle)
{
    unsigned positions = 0;
    for (LONG code : {ERROR_ACCESS_DENIED, ERROR_FILE_NOT_FOUND}) {
        for (unsigned failAt = 1;; ++failAt) {
            CreateTree();
            RegistryCallLayer calls;
            calls.FailCall(failAt, code);
            bool threw = false;
            try {
                Root().DeleteKeyAndSubkeys("T");
            } catch (const CRegistryKey::Exception& e) {
                threw = true;
                EXPECT_EQ(e.GetErrorCode(), DWORD(code)) << "call " << failAt;
            }
            EXPECT_EQ(calls.OpenHandleCount(), 0u) << "call " << failAt;
            EXPECT_EQ(calls.RepeatedCloseCount(), 0u) << "call " << failAt;
            bool failedCallWasClose =
                failAt <= calls.CallCount() && calls.Calls()[failAt - 1] == "RegCloseKey";
            if (failAt > calls.CallCount())
                break;  // every call has had its turn
            EXPECT_EQ(threw, !failedCallWasClose) << "call " << failAt;
            ++positions;
            if (TestKeyExists("T"))
                Root().DeleteKeyAndSubkeys("T");
        }
    }
    EXPECT_GT(positions, 40u);
}

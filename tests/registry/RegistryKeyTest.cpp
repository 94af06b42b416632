#include "registry/RegistryKey.h"

#include "tests/support/RegistryFailure.h"
#include "tests/support/FailingAllocator.h"
#include "tests/support/RegistryCallLayer.h"
#include "tests/support/ScratchRegistry.h"

#include <memory>
#include <string>

using Tessaly::CCountedRegKey;
using Tessaly::CRegistryKey;

namespace {

const char kOpenLocation[] = "CRegistryKey::CRegistryKey(HKEY hKey ...)";

CRegistryKey OpenTestKey(const char* path)
{
    return CRegistryKey(HKEY_CURRENT_USER, path, KEY_ALL_ACCESS, nullptr);
}

std::string LocalComputerName()
{
    char name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD length = sizeof name;
    ::GetComputerNameA(name, &length);
    return name;
}

} // namespace

using RegistryKey = RegistryTest;

TEST_F(RegistryKey, OpeningAMissingPathThrowsCode2)
{
    ExpectRegistryFailure([&] { OpenTestKey("Missing\\Path"); }, kOpenLocation, 2u);
}

TEST_F(RegistryKey, CreateOrOpenKeyReportsTheDisposition)
{
    CRegistryKey root = OpenTestKey("");
    DWORD disposition = 0;
    root.CreateOrOpenKey("Fresh", &disposition, "", 0, KEY_ALL_ACCESS, nullptr);
    EXPECT_EQ(disposition, DWORD(REG_CREATED_NEW_KEY));
    root.CreateOrOpenKey("Fresh", &disposition, "", 0, KEY_ALL_ACCESS, nullptr);
    EXPECT_EQ(disposition, DWORD(REG_OPENED_EXISTING_KEY));
    EXPECT_NO_THROW(root.CreateOrOpenKey("Fresh", nullptr, "", 0, KEY_ALL_ACCESS, nullptr));
}

TEST_F(RegistryKey, ARefusedCreationThrowsWithTheCreateLocationForBothCreates)
{
    CRegistryKey root = OpenTestKey("");
    RegistryCallLayer calls;
    calls.FailEveryCallTo("RegCreateKeyExA", ERROR_ACCESS_DENIED);
    const char location[] = "CRegistryKey::CreateOrOpenKey()";
    ExpectRegistryFailure([&] { root.CreateKey("Child", "", 0, KEY_ALL_ACCESS, nullptr); },
                          location, DWORD(ERROR_ACCESS_DENIED));
    ExpectRegistryFailure(
        [&] { root.CreateOrOpenKey("Child", nullptr, "", 0, KEY_ALL_ACCESS, nullptr); },
        location, DWORD(ERROR_ACCESS_DENIED));
}

TEST_F(RegistryKey, CreateKeyRefusesAnExistingSubkeyAndClosesItOnce)
{
    CreateTestKey("Existing", "kept");
    CRegistryKey root = OpenTestKey("");
    RegistryCallLayer calls;
    ExpectRegistryFailure([&] { root.CreateKey("Existing", "", 0, KEY_ALL_ACCESS, nullptr); },
                          "CRegistryKey::CreateKey()", DWORD(ERROR_ALREADY_EXISTS));
    EXPECT_EQ(calls.CallsTo("RegCloseKey"), 1u);
    EXPECT_EQ(calls.OpenHandleCount(), 0u);
    EXPECT_STREQ(static_cast<const char*>(OpenTestKey("Existing").QueryValue("")), "kept");
}

TEST_F(RegistryKey, CopiesShareOneHandleThatTheLastCopyClosesOnce)
{
    CreateTestKey("Shared");
    RegistryCallLayer calls;
    {
        auto original = std::make_unique<CRegistryKey>(OpenTestKey("Shared"));
        CRegistryKey copy(*original);
        EXPECT_EQ(copy.GetHandle(), original->GetHandle());
        original.reset();
        EXPECT_EQ(calls.CallsTo("RegCloseKey"), 0u);
        EXPECT_NO_THROW(copy.SetValue("", "still open", REG_SZ));
    }
    EXPECT_EQ(calls.CallsTo("RegCloseKey"), 1u);
    EXPECT_EQ(calls.OpenHandleCount(), 0u);
    EXPECT_EQ(calls.RepeatedCloseCount(), 0u);
}

TEST_F(RegistryKey, AssignmentSharesTheSourceAndGivesBackTheOldHandle)
{
    CreateTestKey("A");
    CreateTestKey("B");
    RegistryCallLayer calls;
    {
        CRegistryKey a = OpenTestKey("A");
        CRegistryKey b = OpenTestKey("B");
        HKEY bHandle = b.GetHandle();
        a = b;
        EXPECT_EQ(calls.CallsTo("RegCloseKey"), 1u);  // A's handle, now unused
        EXPECT_EQ(a.GetHandle(), bHandle);
        a = a;
        EXPECT_EQ(a.GetHandle(), bHandle);
        EXPECT_EQ(calls.OpenHandleCount(), 1u);
    }
    EXPECT_EQ(calls.OpenHandleCount(), 0u);
    EXPECT_EQ(calls.RepeatedCloseCount(), 0u);
}

TEST_F(RegistryKey, AnUnreachableMachineThrowsBeforeAnyOpen)
{
    const char machine[] = "\\\\quillory-unreachable.invalid";
    HKEY ignored = nullptr;
    LONG expected = ::RegConnectRegistryA(machine, HKEY_CURRENT_USER, &ignored);
    ASSERT_NE(expected, ERROR_SUCCESS);

    RegistryCallLayer calls;
    ExpectRegistryFailure([&] { CRegistryKey(HKEY_CURRENT_USER, "Software", KEY_READ, machine); },
                          "CRegistryKey::CRegistryKey() - RegConnectRegistry", DWORD(expected));
    EXPECT_EQ(calls.CallsTo("RegOpenKeyExA"), 0u);
}

TEST_F(RegistryKey, AnotherMachinesRootIsClosedWhetherTheOpenSucceedsOrFails)
{
    // The local machine, reached by name, goes through the same connection.
    std::string machine = "\\\\" + LocalComputerName();
    RegistryCallLayer calls;
    {
        CRegistryKey remote(HKEY_LOCAL_MACHINE, "Software", KEY_READ, machine.c_str());
        EXPECT_EQ(calls.CallsTo("RegConnectRegistryA"), 1u);
        EXPECT_EQ(calls.OpenHandleCount(), 1u);  // the subkey only
    }
    EXPECT_THROW(CRegistryKey(HKEY_LOCAL_MACHINE, "No\\Such\\Key", KEY_READ, machine.c_str()),
                 CRegistryKey::Exception);
    EXPECT_EQ(calls.OpenHandleCount(), 0u);
    EXPECT_EQ(calls.RepeatedCloseCount(), 0u);
}

TEST_F(RegistryKey, AHolderThatCannotBeMadeClosesTheHandleWhenAsked)
{
    for (AllocationFailure how : {AllocationFailure::ReturnNull, AllocationFailure::Throw}) {
        for (bool closeOnFailure : {true, false}) {
            RegistryCallLayer calls;
            HKEY handle = nullptr;
            ASSERT_EQ(::RegOpenKeyExA(HKEY_CURRENT_USER, "", 0, KEY_READ, &handle), 0);
            FailNextAllocation(how, sizeof(CCountedRegKey));
            ExpectRegistryFailure(
                [&] { CRegistryKey::NewCCountedRegKey(handle, closeOnFailure); },
                "CRegistryKey::NewCCountedRegKey()", DWORD(ERROR_NOT_ENOUGH_MEMORY));
            EXPECT_EQ(calls.OpenHandleCount(), closeOnFailure ? 0u : 1u);
            if (!closeOnFailure)
                ::RegCloseKey(handle);
        }
    }
}

TEST_F(RegistryKey, OpeningLeavesNoHandleWhenTheHolderCannotBeMade)
{
    CreateTestKey("Key");
    CRegistryKey root = OpenTestKey("");
    RegistryCallLayer calls;
    FailNextAllocation(AllocationFailure::ReturnNull, sizeof(CCountedRegKey));
    EXPECT_THROW(root.OpenKey("Key", KEY_READ), CRegistryKey::Exception);
    FailNextAllocation(AllocationFailure::Throw, sizeof(CCountedRegKey));
    EXPECT_THROW(root.CreateOrOpenKey("Key", nullptr, "", 0, KEY_ALL_ACCESS, nullptr),
                 CRegistryKey::Exception);
    EXPECT_EQ(calls.OpenHandleCount(), 0u);
}

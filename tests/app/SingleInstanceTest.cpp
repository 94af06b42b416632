#include "app/SingleInstance.h"

#include "tests/support/SearchUrlKey.h"

#include <gtest/gtest.h>

#include <sddl.h>
#include <winternl.h>

#include <set>
#include <string>

// The native calls that list an object directory, which Windows' headers
// leave out.
extern "C" NTSTATUS NTAPI NtOpenDirectoryObject(HANDLE* directory, ACCESS_MASK access,
                                                OBJECT_ATTRIBUTES* attributes);
extern "C" NTSTATUS NTAPI NtQueryDirectoryObject(HANDLE directory, void* buffer, ULONG size,
                                                 BOOLEAN singleEntry, BOOLEAN restart, ULONG* context,
                                                 ULONG* returned);

namespace {

// Minimised windows captioned `caption`, marked or not.
HWND MinimisedWindow(const char* caption, bool marked)
{
    HWND window = ::CreateWindowExA(0, "STATIC", caption, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                    300, 200, nullptr, nullptr, nullptr, nullptr);
    if (marked)
        CSingleInstance::MarkWindow(window);
    ::ShowWindow(window, SW_MINIMIZE);
    return window;
}

std::string UserSid()
{
    HANDLE token = nullptr;
    ::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token);
    BYTE user[256] = {};
    DWORD size = sizeof user;
    ::GetTokenInformation(token, TokenUser, user, size, &size);
    ::CloseHandle(token);
    char* text = nullptr;
    ::ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(user)->User.Sid, &text);
    std::string sid = text != nullptr ? text : "";
    ::LocalFree(text);
    return sid;
}

// The names of the mutexes among this session's named objects, where a name
// under "Local\" lives.
std::set<std::string> SessionMutexes()
{
    DWORD session = 0;
    ::ProcessIdToSessionId(::GetCurrentProcessId(), &session);
    std::wstring path = L"\\Sessions\\" + std::to_wstring(session) + L"\\BaseNamedObjects";
    UNICODE_STRING name;
    ::RtlInitUnicodeString(&name, path.c_str());
    OBJECT_ATTRIBUTES attributes = {};
    InitializeObjectAttributes(&attributes, &name, 0, nullptr, nullptr);
    HANDLE directory = nullptr;
    EXPECT_EQ(::NtOpenDirectoryObject(&directory, 1 /* DIRECTORY_QUERY */, &attributes), 0);
    std::set<std::string> mutexes;
    struct {
        UNICODE_STRING name, type;
        BYTE names[4096];
    } entry;
    ULONG context = 0;
    while (::NtQueryDirectoryObject(directory, &entry, sizeof entry, TRUE, FALSE, &context, nullptr) == 0) {
        if (std::wstring(entry.type.Buffer, entry.type.Length / 2) == L"Mutant")
            mutexes.insert(Utf8(std::wstring(entry.name.Buffer, entry.name.Length / 2)));
    }
    ::CloseHandle(directory);
    return mutexes;
}

} // namespace

// Only a user's first start runs; a later one brings the marked dialog back
// from the taskbar, not a window that merely bears the program's name. Once
// the first has ended, a start is first again.
TEST(SingleInstance, ALaterStartRestoresTheFirstOnesDialog)
{
    HWND dialog = MinimisedWindow("Stand-in", true);
    HWND namesake = MinimisedWindow("Quillory", false);
    ASSERT_TRUE(::IsIconic(dialog) && ::IsIconic(namesake));
    {
        CSingleInstance first;
        EXPECT_TRUE(first.IsFirst());
        EXPECT_FALSE(CSingleInstance().IsFirst());
        CSingleInstance::ShowFirst();
        EXPECT_FALSE(::IsIconic(dialog));
        EXPECT_TRUE(::IsIconic(namesake));
    }
    EXPECT_TRUE(CSingleInstance().IsFirst());
    ::DestroyWindow(dialog);
    ::DestroyWindow(namesake);
}

// One dialog per user and session: the mutex lives among this session's
// named objects (not the machine's), named after the user, so that other
// users and sessions have theirs.
TEST(SingleInstance, TheMutexIsTheUsersInThisSession)
{
    std::set<std::string> before = SessionMutexes(), made;
    {
        CSingleInstance first;
        for (const std::string& name : SessionMutexes())
            if (before.count(name) == 0)
                made.insert(name);
    }
    for (const std::string& name : SessionMutexes())
        made.erase(name);  // gone with the first start: not another process's
    ASSERT_EQ(made.size(), 1u);
    EXPECT_NE(made.begin()->find(UserSid()), std::string::npos) << *made.begin();
}

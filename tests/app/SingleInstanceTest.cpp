#include "app/SingleInstance.h"

#include <gtest/gtest.h>

#include <sddl.h>
#include <winternl.h>

#include <set>
#include <string>

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

// The names of the mutexes in the object directory of this session's
// named objects, where a name under "Local\" lives.
std::set<std::string> SessionMutexes()
{
    struct Entry {
        UNICODE_STRING name, type;
    };
    using OpenDirectory = NTSTATUS(NTAPI*)(HANDLE*, ACCESS_MASK, OBJECT_ATTRIBUTES*);
    using QueryDirectory = NTSTATUS(NTAPI*)(HANDLE, void*, ULONG, BOOLEAN, BOOLEAN, ULONG*, ULONG*);
    HMODULE ntdll = ::GetModuleHandleA("ntdll.dll");
    auto open = reinterpret_cast<OpenDirectory>(
        reinterpret_cast<void*>(::GetProcAddress(ntdll, "NtOpenDirectoryObject")));
    auto query = reinterpret_cast<QueryDirectory>(
        reinterpret_cast<void*>(::GetProcAddress(ntdll, "NtQueryDirectoryObject")));
    DWORD session = 0;
    ::ProcessIdToSessionId(::GetCurrentProcessId(), &session);
    std::wstring path = L"\\Sessions\\" + std::to_wstring(session) + L"\\BaseNamedObjects";
    UNICODE_STRING name = {static_cast<USHORT>(path.size() * 2), static_cast<USHORT>(path.size() * 2),
                           &path[0]};
    OBJECT_ATTRIBUTES attributes = {};
    InitializeObjectAttributes(&attributes, &name, 0, nullptr, nullptr);
    HANDLE directory = nullptr;
    std::set<std::string> mutexes;
    EXPECT_EQ(open(&directory, 1 /* DIRECTORY_QUERY */, &attributes), 0) << "cannot read the directory";
    alignas(8) BYTE buffer[4096];
    ULONG context = 0, size = 0;
    while (query(directory, buffer, sizeof buffer, TRUE, FALSE, &context, &size) == 0) {
        const Entry& entry = *reinterpret_cast<Entry*>(buffer);
        if (std::wstring(entry.type.Buffer, entry.type.Length / 2) == L"Mutant") {
            std::wstring wide(entry.name.Buffer, entry.name.Length / 2);
            mutexes.insert(std::string(wide.begin(), wide.end()));
        }
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
            made.insert(name);
        for (const std::string& name : before)
            made.erase(name);
    }
    for (const std::string& name : SessionMutexes())
        made.erase(name);  // gone with the first start: not another process's
    ASSERT_EQ(made.size(), 1u);
    EXPECT_NE(made.begin()->find(UserSid()), std::string::npos) << *made.begin();
}

#include "tests/support/RegistryCallLayer.h"

#include "tests/support/ImportTable.h"

#include <algorithm>
#include <cstring>
#include <set>

namespace {

struct Record {
    bool active = false;
    unsigned failAt = 0;
    LONG failCode = 0;
    std::string failFunction;
    unsigned failFunctionAt = 0;  // 0: every call to it
    LONG failFunctionCode = 0;
    unsigned stopAt = 0;  // 0: never
    bool stopped = false;
    std::vector<std::string> calls;
    std::vector<std::string> createdKeys;
    std::vector<std::string> setValueNames;
    std::set<HKEY> open;
    std::set<HKEY> closed;
    unsigned repeatedCloses = 0;
};

Record s_record;

// True when this call is to fail, with the code to return.
bool Intercept(const char* function, LONG& code)
{
    if (!s_record.active)
        return false;
    s_record.calls.push_back(function);
    bool closing = std::strcmp(function, "RegCloseKey") == 0;
    if (s_record.stopAt != 0 && s_record.calls.size() >= s_record.stopAt && !closing) {
        s_record.stopped = true;
        throw RegistryCallLayer::Stop();
    }
    if (s_record.calls.size() == s_record.failAt) {
        code = s_record.failCode;
        return true;
    }
    if (s_record.failFunction == function) {
        unsigned made = static_cast<unsigned>(
            std::count(s_record.calls.begin(), s_record.calls.end(), function));
        if (s_record.failFunctionAt == 0 || s_record.failFunctionAt == made) {
            code = s_record.failFunctionCode;
            return true;
        }
    }
    return false;
}

void NoteOpened(LONG result, const HKEY* handle)
{
    if (s_record.active && result == ERROR_SUCCESS) {
        s_record.open.insert(*handle);
        s_record.closed.erase(*handle);  // the system reuses handle values
    }
}

void NoteClosed(HKEY handle)
{
    if (!s_record.active)
        return;
    if (s_record.open.erase(handle) != 0)
        s_record.closed.insert(handle);
    else if (s_record.closed.count(handle) != 0)
        ++s_record.repeatedCloses;
}

decltype(&::RegOpenKeyExA) s_RegOpenKeyExA;
decltype(&::RegCreateKeyExA) s_RegCreateKeyExA;
decltype(&::RegConnectRegistryA) s_RegConnectRegistryA;
decltype(&::RegCloseKey) s_RegCloseKey;
decltype(&::RegSetValueExA) s_RegSetValueExA;

LONG WINAPI HookRegOpenKeyExA(HKEY parent, LPCSTR path, DWORD options, REGSAM access, PHKEY out)
{
    LONG code;
    if (Intercept("RegOpenKeyExA", code))
        return code;
    LONG result = s_RegOpenKeyExA(parent, path, options, access, out);
    NoteOpened(result, out);
    return result;
}

LONG WINAPI HookRegCreateKeyExA(HKEY parent, LPCSTR path, DWORD reserved, LPSTR keyClass,
                                DWORD options, REGSAM access, LPSECURITY_ATTRIBUTES security,
                                PHKEY out, LPDWORD disposition)
{
    LONG code;
    if (s_record.active)
        s_record.createdKeys.push_back(path != nullptr ? path : "");
    if (Intercept("RegCreateKeyExA", code))
        return code;
    LONG result = s_RegCreateKeyExA(parent, path, reserved, keyClass, options, access,
                                    security, out, disposition);
    NoteOpened(result, out);
    return result;
}

LONG WINAPI HookRegConnectRegistryA(LPCSTR machine, HKEY root, PHKEY out)
{
    LONG code;
    if (Intercept("RegConnectRegistryA", code))
        return code;
    LONG result = s_RegConnectRegistryA(machine, root, out);
    NoteOpened(result, out);
    return result;
}

LONG WINAPI HookRegCloseKey(HKEY key)
{
    LONG code;
    bool fail = Intercept("RegCloseKey", code);
    LONG result = s_RegCloseKey(key);
    NoteClosed(key);
    return fail ? code : result;
}

LONG WINAPI HookRegSetValueExA(HKEY key, LPCSTR name, DWORD reserved, DWORD type,
                               const BYTE* data, DWORD size)
{
    LONG code;
    if (s_record.active)
        s_record.setValueNames.push_back(name != nullptr ? name : "");
    if (Intercept("RegSetValueExA", code))
        return code;
    return s_RegSetValueExA(key, name, reserved, type, data, size);
}

template <typename Function>
void Hook(const char* name, Function& original, Function replacement)
{
    void* previous = PatchImport("advapi32.dll", name, reinterpret_cast<void*>(replacement));
    // Not imported by this executable: nothing calls it, nothing to count.
    original = previous != nullptr ? reinterpret_cast<Function>(previous) : nullptr;
}

// The hook of a function that is only counted and, on request, failed.
template <const char* Name, typename Function>
struct CountedHook;

template <const char* Name, typename... Args>
struct CountedHook<Name, LONG(WINAPI*)(Args...)> {
    static inline LONG(WINAPI* original)(Args...) = nullptr;

    static LONG WINAPI Call(Args... args)
    {
        LONG code;
        if (Intercept(Name, code))
            return code;
        return original(args...);
    }
    static void Install() { Hook(Name, original, &Call); }
};

#define COUNTED(function) \
    const char k##function[] = #function; \
    using Counted##function = CountedHook<k##function, decltype(&::function)>
COUNTED(RegQueryInfoKeyA);
COUNTED(RegEnumKeyExA);
COUNTED(RegEnumKeyExW);
COUNTED(RegQueryValueExA);
COUNTED(RegQueryValueExW);
COUNTED(RegEnumValueW);
COUNTED(RegDeleteKeyA);
COUNTED(RegDeleteValueW);
COUNTED(RegDeleteTreeW);
#undef COUNTED

void InstallOnce()
{
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    Hook("RegOpenKeyExA", s_RegOpenKeyExA, &HookRegOpenKeyExA);
    Hook("RegCreateKeyExA", s_RegCreateKeyExA, &HookRegCreateKeyExA);
    Hook("RegConnectRegistryA", s_RegConnectRegistryA, &HookRegConnectRegistryA);
    Hook("RegCloseKey", s_RegCloseKey, &HookRegCloseKey);
    Hook("RegSetValueExA", s_RegSetValueExA, &HookRegSetValueExA);
    CountedRegQueryInfoKeyA::Install();
    CountedRegEnumKeyExA::Install();
    CountedRegEnumKeyExW::Install();
    CountedRegQueryValueExA::Install();
    CountedRegQueryValueExW::Install();
    CountedRegEnumValueW::Install();
    CountedRegDeleteKeyA::Install();
    CountedRegDeleteValueW::Install();
    CountedRegDeleteTreeW::Install();
}

} // namespace

RegistryCallLayer::RegistryCallLayer()
{
    InstallOnce();
    s_record = Record();
    s_record.active = true;
}

RegistryCallLayer::~RegistryCallLayer()
{
    s_record = Record();
}

void RegistryCallLayer::FailCall(unsigned index, LONG code)
{
    s_record.failAt = index;
    s_record.failCode = code;
}

void RegistryCallLayer::FailEveryCallTo(const char* function, LONG code)
{
    FailNthCallTo(function, 0, code);
}

void RegistryCallLayer::FailNthCallTo(const char* function, unsigned nth, LONG code)
{
    s_record.failFunction = function;
    s_record.failFunctionAt = nth;
    s_record.failFunctionCode = code;
}

void RegistryCallLayer::StopAtCall(unsigned index)
{
    s_record.stopAt = index;
}

bool RegistryCallLayer::Stopped() const
{
    return s_record.stopped;
}

unsigned RegistryCallLayer::CallCount() const
{
    return static_cast<unsigned>(s_record.calls.size());
}

unsigned RegistryCallLayer::CallsTo(const char* function) const
{
    return static_cast<unsigned>(std::count(s_record.calls.begin(), s_record.calls.end(), function));
}

const std::vector<std::string>& RegistryCallLayer::Calls() const
{
    return s_record.calls;
}

const std::vector<std::string>& RegistryCallLayer::CreatedKeys() const
{
    return s_record.createdKeys;
}

const std::vector<std::string>& RegistryCallLayer::SetValueNames() const
{
    return s_record.setValueNames;
}

size_t RegistryCallLayer::OpenHandleCount() const
{
    return s_record.open.size();
}

unsigned RegistryCallLayer::RepeatedCloseCount() const
{
    return s_record.repeatedCloses;
}

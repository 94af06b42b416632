#include "registry/RegistryKey.h"

#include "tests/support/RegistryCallLayer.h"
#include "tests/support/RegistryFailure.h"
#include "tests/support/ScratchRegistry.h"
#include "tests/support/SearchUrlKey.h"

#include <cstring>
#include <cwchar>
#include <memory>
#include <string>
#include <utility>

#include <winternl.h>

using Tessaly::CRegistryKey;

namespace {

class RegistryValue : public RegistryTest {
protected:
    RegistryValue() : m_key(OpenValuesKey()) {}

    static CRegistryKey OpenValuesKey()
    {
        CreateTestKey("Values");
        return CRegistryKey(HKEY_CURRENT_USER, "Values", KEY_ALL_ACCESS, nullptr);
    }

    void Store(const char* name, DWORD type, const void* data, DWORD size)
    {
        ASSERT_EQ(::RegSetValueExA(m_key.GetHandle(), name, 0, type,
                                   static_cast<const BYTE*>(data), size), 0);
    }

    // Wine's RegSetValueEx terminates every string it stores, so another
    // program's unterminated text is written with the native call beneath.
    void StoreUnterminated(const wchar_t* name, const wchar_t* text)
    {
        using SetValueKey = LONG(NTAPI*)(HANDLE, UNICODE_STRING*, ULONG, ULONG, void*, ULONG);
        auto setValueKey = reinterpret_cast<SetValueKey>(reinterpret_cast<void*>(
            ::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "NtSetValueKey")));
        ASSERT_NE(setValueKey, nullptr);
        std::wstring nameCopy = name;
        UNICODE_STRING ntName = {USHORT(nameCopy.size() * sizeof(wchar_t)),
                                 USHORT(nameCopy.size() * sizeof(wchar_t)), &nameCopy[0]};
        ULONG size = ULONG(std::wcslen(text) * sizeof(wchar_t));
        ASSERT_EQ(setValueKey(m_key.GetHandle(), &ntName, 0, REG_SZ,
                              const_cast<wchar_t*>(text), size), 0);
    }

    CRegistryKey m_key;
};

} // namespace

TEST_F(RegistryValue, AMissingValueThrowsCode2)
{
    ExpectRegistryFailure([&] { m_key.QueryValue("absent"); }, "CRegistryKey::QueryValue()", 2u);
}

TEST_F(RegistryValue, TheDefaultValueIsTheEmptyName)
{
    m_key.SetValue("", "http://example.org/?q=%s", REG_SZ);
    CRegistryKey::Value value = m_key.QueryValue("");
    EXPECT_STREQ(value.GetName(), "");
    EXPECT_EQ(value.GetType(), DWORD(REG_SZ));
    EXPECT_STREQ(value, "http://example.org/?q=%s");
}

// Most values take one read; a larger one is read again at its size, and a
// registry that keeps answering "too small" is not asked forever.
TEST_F(RegistryValue, AValueLargerThanTheFirstReadIsReadWholeInBoundedReads)
{
    const std::string large(5000, 'v');
    m_key.SetValue("small", "s", REG_SZ);
    m_key.SetValue("large", large.c_str(), REG_SZ);
    RegistryCallLayer calls;
    EXPECT_STREQ(m_key.QueryValue("small"), "s");
    EXPECT_EQ(calls.CallsTo("RegQueryValueExA"), 1u);
    EXPECT_EQ(std::string(m_key.QueryValue("large")), large);
    EXPECT_EQ(calls.CallsTo("RegQueryValueExA"), 3u);
    calls.FailEveryCallTo("RegQueryValueExA", ERROR_MORE_DATA);
    ExpectRegistryFailure([&] { m_key.QueryValue("small"); }, "CRegistryKey::QueryValue()",
                          DWORD(ERROR_MORE_DATA));
    EXPECT_EQ(calls.CallsTo("RegQueryValueExA"), 11u);
}

// Judged on the Unicode text the registry stores; here in code page 1252.
TEST_F(RegistryValue, IsValueExactTellsWhetherTheTextReadIsTheValue)
{
    ASSERT_EQ(::GetACP(), 1252u);
    const std::pair<const wchar_t*, bool> cases[] = {
        {L"caf\u00e9/?q=%s", true},
        {L"http://\u043f\u0440/", false},  // not in 1252: read as question marks
        {L"\u0100BC", false},               // read as its best fit, ABC
    };
    for (const auto& stored : cases) {
        StoreUnterminated(L"", stored.first);
        EXPECT_EQ(m_key.IsValueExact("", m_key.QueryValue("")), stored.second);
        std::string text = "unchanged";
        EXPECT_EQ(m_key.QueryExactText("", text), stored.second);
        EXPECT_EQ(text, stored.second ? "caf\xE9/?q=%s" : "unchanged");
    }
    // Read whole from the stored text: what the narrow read would cut short
    // or round off is not the value.
    const std::wstring large(3000, L'w');
    const struct {
        const char* what;
        DWORD type;
        std::wstring data;
        DWORD size;  // bytes; 0 for the text and its terminator
        bool exact;
    } stored[] = {
        {"larger than a first read", REG_SZ, large, 0, true},
        {"unexpanded", REG_EXPAND_SZ, L"%TEMP%\\x", 0, true},
        {"terminated twice", REG_SZ, std::wstring(L"ab\0", 3), 0, true},
        {"a NUL within", REG_SZ, std::wstring(L"ab\0cd", 5), 0, false},
        {"half a character more", REG_SZ, L"abC", 5, false},
        {"not a string", REG_BINARY, L"ab", 0, false},
    };
    for (const auto& value : stored) {
        DWORD size = value.size != 0 ? value.size : DWORD((value.data.size() + 1) * sizeof(wchar_t));
        ASSERT_EQ(::RegSetValueExW(m_key.GetHandle(), L"v", 0, value.type,
                                   reinterpret_cast<const BYTE*>(value.data.c_str()), size), 0);
        std::string text;
        EXPECT_EQ(m_key.QueryExactText("v", text), value.exact) << value.what;
        if (value.exact) {
            EXPECT_EQ(Wide(text), value.data.substr(0, value.data.find(L'\0'))) << value.what;
        }
    }
    ExpectRegistryFailure([&] { std::string text; m_key.QueryExactText("absent", text); },
                          "CRegistryKey::QueryExactText()", 2u);
    m_key.SetValue("", "abc", REG_SZ);
    EXPECT_TRUE(m_key.IsValueExact("", "abc"));
    EXPECT_FALSE(m_key.IsValueExact("", "ab"));  // changed since it was read
}

TEST_F(RegistryValue, SetValueStoresTheTerminatorAndReplacesAnyType)
{
    DWORD number = 7;
    Store("v", REG_DWORD, &number, sizeof number);
    m_key.SetValue("v", "abc", REG_SZ);

    BYTE raw[16] = {1, 1, 1, 1, 1};
    DWORD type = 0, size = sizeof raw;
    ASSERT_EQ(::RegQueryValueExA(m_key.GetHandle(), "v", nullptr, &type, raw, &size), 0);
    EXPECT_EQ(type, DWORD(REG_SZ));
    ASSERT_EQ(size, 4u);
    EXPECT_EQ(std::memcmp(raw, "abc", 4), 0);
}

TEST_F(RegistryValue, SetValueRefusesANonStringTypeWithoutWriting)
{
    ExpectRegistryFailure([&] { m_key.SetValue("n", "5", REG_DWORD); },
                          "CRegistryKey::SetValue()", DWORD(ERROR_INVALID_FLAGS));
    EXPECT_THROW(m_key.QueryValue("n"), CRegistryKey::Exception);
}

TEST_F(RegistryValue, OnlyStringTypesConvertToText)
{
    DWORD number = 7;
    Store("dword", REG_DWORD, &number, sizeof number);
    Store("multi", REG_MULTI_SZ, "a\0b\0", 5);
    CRegistryKey::Value dword = m_key.QueryValue("dword");
    EXPECT_EQ(dword.GetType(), DWORD(REG_DWORD));
    EXPECT_EQ(dword.GetSize(), 4u);
    EXPECT_EQ(*reinterpret_cast<const DWORD*>(dword.GetData()), 7u);

    for (const char* name : {"dword", "multi"}) {
        try {
            static_cast<const char*>(m_key.QueryValue(name));
            FAIL() << name << " converted";
        } catch (const CRegistryKey::Exception& e) {  // the base catches the conversion failure
            EXPECT_STREQ(e.GetLocation(), "CRegistryKey::Value::Exception");
            EXPECT_EQ(e.GetErrorCode(), DWORD(ERROR_INVALID_PARAMETER));
            EXPECT_NE(dynamic_cast<const CRegistryKey::Value::Exception*>(&e), nullptr);
        }
    }
}

TEST_F(RegistryValue, ExpandableTextComesBackUnexpanded)
{
    m_key.SetValue("path", "%SystemRoot%\\x", REG_EXPAND_SZ);
    CRegistryKey::Value value = m_key.QueryValue("path");
    EXPECT_EQ(value.GetType(), DWORD(REG_EXPAND_SZ));
    EXPECT_STREQ(value, "%SystemRoot%\\x");
}

TEST_F(RegistryValue, TextWithoutATerminatorEndsAtItsSize)
{
    StoreUnterminated(L"bare", L"abc");
    StoreUnterminated(L"empty", L"");
    CRegistryKey::Value bare = m_key.QueryValue("bare");
    EXPECT_EQ(bare.GetSize(), 3u);
    EXPECT_STREQ(bare, "abc");
    CRegistryKey::Value empty = m_key.QueryValue("empty");
    EXPECT_EQ(empty.GetSize(), 0u);
    EXPECT_STREQ(empty, "");
}

TEST_F(RegistryValue, AValueOutlivesItsKeyAndItsCopiesOwnTheirBytes)
{
    CreateTestKey("Sub", "text");
    auto original = std::make_unique<CRegistryKey::Value>(
        CRegistryKey(HKEY_CURRENT_USER, "Sub", KEY_READ, nullptr).QueryValue(""));
    CRegistryKey::Value copy(*original);
    EXPECT_NE(copy.GetData(), original->GetData());
    original.reset();
    EXPECT_STREQ(copy, "text");
    EXPECT_EQ(copy.GetSize(), 5u);
}

#include "registry/RegistryKey.h"

#include "registry/ProcessCodePage.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace Tessaly {

namespace {

// The registry's limit on the length of a value name, in characters.
const DWORD kLongestValueName = 16383;
// Room for the first read of a value, enough for most URLs.
const DWORD kFirstReadRoom = 1024;
// A value that keeps growing between reads is not read forever.
const int kMaxReads = 8;

// Reads a value with `query(buffer, &size)`: into room for most values
// first, then again at its size while it keeps growing, a bounded number of
// times. The buffer keeps one zeroed byte of its own after the data.
template <typename Query>
LONG ReadGrowing(const Query& query, std::vector<BYTE>& data, DWORD& size)
{
    size = kFirstReadRoom;
    data.assign(static_cast<size_t>(size) + 1, 0);
    LONG result = query(data.data(), &size);
    for (int read = 1; result == ERROR_MORE_DATA && read < kMaxReads; ++read) {
        data.assign(static_cast<size_t>(size) + 1, 0);
        result = query(data.data(), &size);
    }
    if (result == ERROR_SUCCESS)
        data.resize(static_cast<size_t>(size) + 1);
    return result;
}

} // namespace

CRegistryKey::Value::Value(const char* name, DWORD type, std::vector<BYTE> data, DWORD size)
    : m_name(name != nullptr ? name : ""), m_type(type), m_data(std::move(data)), m_size(size)
{
}

CRegistryKey::Value::operator const char*() const
{
    if (m_type != REG_SZ && m_type != REG_EXPAND_SZ)
        throw Exception();
    return reinterpret_cast<const char*>(m_data.data());
}

CRegistryKey::Value CRegistryKey::QueryValue(const char* name) const
{
    DWORD type = 0;
    DWORD size = 0;
    // The zero after the data ends the text of a string stored without a
    // terminator within the copy.
    std::vector<BYTE> data;
    LONG result = ReadGrowing(
        [&](BYTE* buffer, DWORD* room) {
            return ::RegQueryValueExA(GetHandle(), name, nullptr, &type, buffer, room);
        },
        data, size);
    if (result != ERROR_SUCCESS)
        throw Exception("CRegistryKey::QueryValue()", result);
    return Value(name, type, std::move(data), size);
}

void CRegistryKey::SetValue(const char* name, const char* text, DWORD type)
{
    if (type != REG_SZ && type != REG_EXPAND_SZ)
        throw Exception("CRegistryKey::SetValue()", ERROR_INVALID_FLAGS);

    DWORD size = static_cast<DWORD>(std::strlen(text) + 1);
    LONG result = ::RegSetValueExA(GetHandle(), name, 0, type,
                                   reinterpret_cast<const BYTE*>(text), size);
    if (result != ERROR_SUCCESS)
        throw Exception("CRegistryKey::SetValue()", result);
}

bool CRegistryKey::IsValueExact(const char* name, const char* text) const
{
    std::wstring expected = Widen(text);
    // Room for the text, a terminator and one character more: a value that
    // does not fit cannot be equal.
    std::vector<WCHAR> stored(expected.size() + 2);
    DWORD size = static_cast<DWORD>(stored.size() * sizeof(WCHAR));
    DWORD type = REG_NONE;
    LONG result = ::RegQueryValueExW(GetHandle(), Widen(name).c_str(), nullptr, &type,
                                     reinterpret_cast<BYTE*>(stored.data()), &size);
    if (result == ERROR_MORE_DATA)
        return false;
    if (result != ERROR_SUCCESS)
        throw Exception("CRegistryKey::IsValueExact()", result);
    if ((type != REG_SZ && type != REG_EXPAND_SZ) || size % sizeof(WCHAR) != 0)
        return false;
    size_t length = size / sizeof(WCHAR);
    while (length > 0 && stored[length - 1] == L'\0')
        --length;  // its terminators, if it was stored with any
    return std::wstring(stored.data(), length) == expected;
}

bool CRegistryKey::QueryExactText(const char* name, std::string& text) const
{
    const std::wstring wideName = Widen(name);
    DWORD type = REG_NONE;
    DWORD size = 0;
    std::vector<BYTE> data;
    LONG result = ReadGrowing(
        [&](BYTE* buffer, DWORD* room) {
            return ::RegQueryValueExW(GetHandle(), wideName.c_str(), nullptr, &type, buffer, room);
        },
        data, size);
    if (result != ERROR_SUCCESS)
        throw Exception("CRegistryKey::QueryExactText()", result);
    if ((type != REG_SZ && type != REG_EXPAND_SZ) || size % sizeof(WCHAR) != 0)
        return false;
    std::wstring stored(size / sizeof(WCHAR), L'\0');
    if (size != 0)
        std::memcpy(&stored[0], data.data(), size);
    while (!stored.empty() && stored.back() == L'\0')
        stored.pop_back();  // its terminators, if it was stored with any
    // A NUL within cuts the narrow text short, so it does not come back.
    return NarrowExactly(stored, text);
}

void CRegistryKey::DeleteValuesExcept(const std::vector<std::string>& kept)
{
    std::vector<std::wstring> keptNames;
    for (const std::string& name : kept)
        keptNames.push_back(Widen(name.c_str()));
    std::vector<WCHAR> name(kLongestValueName + 1);
    for (DWORD index = 0;;) {
        DWORD length = static_cast<DWORD>(name.size());
        LONG result = ::RegEnumValueW(GetHandle(), index, name.data(), &length, nullptr, nullptr,
                                      nullptr, nullptr);
        if (result == ERROR_NO_MORE_ITEMS)
            return;
        if (result == ERROR_SUCCESS) {
            if (std::find(keptNames.begin(), keptNames.end(),
                          std::wstring(name.data(), length)) != keptNames.end()) {
                ++index;
                continue;
            }
            // The next value moves up to this index.
            result = ::RegDeleteValueW(GetHandle(), name.data());
        }
        if (result != ERROR_SUCCESS)
            throw Exception("CRegistryKey::DeleteValuesExcept()", result);
    }
}

bool CRegistryKey::HasValue(const char* name) const
{
    LONG result = ::RegQueryValueExW(GetHandle(), Widen(name).c_str(), nullptr, nullptr, nullptr, nullptr);
    if (result == ERROR_FILE_NOT_FOUND)
        return false;
    if (result != ERROR_SUCCESS)
        throw Exception("CRegistryKey::HasValue()", result);
    return true;
}

CRegistryKey::Counts CRegistryKey::GetCounts() const
{
    Counts counts = {0, 0, {0, 0}};
    LONG result = ::RegQueryInfoKeyA(GetHandle(), nullptr, nullptr, nullptr, &counts.subkeys,
                                     nullptr, nullptr, &counts.values, nullptr, nullptr, nullptr,
                                     &counts.lastWrite);
    if (result != ERROR_SUCCESS)
        throw Exception("CRegistryKey::GetCounts()", result);
    return counts;
}

} // namespace Tessaly

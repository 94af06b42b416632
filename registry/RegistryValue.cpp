#include "registry/RegistryKey.h"

#include <cstring>
#include <utility>

namespace Tessaly {

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
    LONG result = ::RegQueryValueExA(GetHandle(), name, nullptr, &type, nullptr, &size);
    if (result != ERROR_SUCCESS)
        throw Exception("CRegistryKey::QueryValue()", result);

    // One byte more than the registry fills, and zeroed, so that the text of
    // a string stored without a terminator still ends within the copy.
    std::vector<BYTE> data(static_cast<size_t>(size) + 1, 0);
    result = ::RegQueryValueExA(GetHandle(), name, nullptr, &type, data.data(), &size);
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

} // namespace Tessaly

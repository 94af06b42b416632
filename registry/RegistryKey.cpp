#include "registry/RegistryKey.h"

namespace Tessaly {

CRegistryKey::CRegistryKey(HKEY parent, const char* subKey, REGSAM access, const char* machineName)
    : m_pKey(nullptr)
{
    HKEY remoteRoot = nullptr;
    if (machineName != nullptr) {
        LONG result = ::RegConnectRegistryA(machineName, parent, &remoteRoot);
        if (result != ERROR_SUCCESS)
            throw Exception("CRegistryKey::CRegistryKey() - RegConnectRegistry", result);
        parent = remoteRoot;
    }

    HKEY opened = nullptr;
    LONG result = ::RegOpenKeyExA(parent, subKey, 0, access, &opened);
    // The key keeps only the subkey's handle; the other machine's root is
    // done with, whether or not the open succeeded.
    if (remoteRoot != nullptr)
        ::RegCloseKey(remoteRoot);
    if (result != ERROR_SUCCESS)
        throw Exception("CRegistryKey::CRegistryKey(HKEY hKey ...)", result);

    m_pKey = NewCCountedRegKey(opened, true);
}

CRegistryKey::CRegistryKey(HKEY openHandle)
    : m_pKey(NewCCountedRegKey(openHandle, true))
{
}

CRegistryKey::CRegistryKey(const CRegistryKey& other)
    : m_pKey(other.m_pKey->AddRef())
{
}

CRegistryKey& CRegistryKey::operator=(const CRegistryKey& other)
{
    // Taking the new count first makes self-assignment harmless.
    CCountedRegKey* shared = other.m_pKey->AddRef();
    m_pKey->Release();
    m_pKey = shared;
    return *this;
}

CRegistryKey::~CRegistryKey()
{
    m_pKey = m_pKey->Release();
}

CCountedRegKey* CRegistryKey::NewCCountedRegKey(HKEY handle, bool closeOnFailure)
{
    CCountedRegKey* holder = nullptr;
    try {
        // The library is built with -fcheck-new, so an allocator that
        // answers with null, rather than throwing, is caught here too.
        holder = new CCountedRegKey(handle);
    } catch (...) {
        holder = nullptr;
    }
    if (holder == nullptr) {
        if (closeOnFailure)
            ::RegCloseKey(handle);
        throw Exception("CRegistryKey::NewCCountedRegKey()", ERROR_NOT_ENOUGH_MEMORY);
    }
    return holder;
}

CRegistryKey CRegistryKey::OpenKey(const char* subKey, REGSAM access) const
{
    return CRegistryKey(GetHandle(), subKey, access, nullptr);
}

CRegistryKey CRegistryKey::CreateOrOpenKey(const char* subKey, DWORD* disposition,
                                           const char* keyClass, DWORD options, REGSAM access,
                                           SECURITY_ATTRIBUTES* security)
{
    DWORD ignoredDisposition = 0;
    if (disposition == nullptr)
        disposition = &ignoredDisposition;

    HKEY created = nullptr;
    // The API takes the class text as non-const but only reads it.
    LONG result = ::RegCreateKeyExA(GetHandle(), subKey, 0, const_cast<char*>(keyClass),
                                    options, access, security, &created, disposition);
    if (result != ERROR_SUCCESS)
        throw Exception("CRegistryKey::CreateOrOpenKey()", result);
    return CRegistryKey(created);
}

CRegistryKey CRegistryKey::CreateKey(const char* subKey, const char* keyClass, DWORD options,
                                     REGSAM access, SECURITY_ATTRIBUTES* security)
{
    DWORD disposition = 0;
    CRegistryKey key = CreateOrOpenKey(subKey, &disposition, keyClass, options, access, security);
    // Leaving this scope by the throw closes the existing subkey's handle.
    if (disposition != REG_CREATED_NEW_KEY)
        throw Exception("CRegistryKey::CreateKey()", ERROR_ALREADY_EXISTS);
    return key;
}

} // namespace Tessaly

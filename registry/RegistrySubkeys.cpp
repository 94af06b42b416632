#include "registry/RegistryKey.h"

#include "registry/ProcessCodePage.h"

#include <cstring>

namespace Tessaly {

namespace {

const char kConstructLocation[] = "CRegistryKey::SubkeyIterator::SubkeyIterator()";
const char kFetchLocation[] = "CRegistryKey::SubkeyIterator::GetSubkeyInfo()";

// A registry that keeps answering "buffer too small" although the buffer
// already holds its longest name is not trusted forever.
const int kMaxFetchesWithoutGrowth = 8;

const DWORD kLongestKeyName = CRegistryKey::kLongestKeyName;

struct SubkeyCounts {
    DWORD subkeys = 0;
    DWORD longestName = 0;  // in characters, without the terminating zero
};

// The name buffer's size for names of up to `characters` characters: the
// registry counts a name in characters, but a narrow name may take several
// bytes for one.
DWORD NameBufferSize(DWORD characters)
{
    return characters * MaxBytesPerCharacter() + 1;
}

SubkeyCounts QuerySubkeyCounts(HKEY key, const char* location)
{
    SubkeyCounts counts;
    LONG result = ::RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &counts.subkeys,
                                     &counts.longestName, nullptr, nullptr, nullptr, nullptr,
                                     nullptr, nullptr);
    if (result != ERROR_SUCCESS)
        throw CRegistryKey::Exception(location, result);
    return counts;
}

} // namespace

CRegistryKey::SubkeyIterator::SubkeyIterator(CCountedRegKey* key)
    : m_pKey(nullptr), m_position(0)
{
    if (key == nullptr)
        return;
    SubkeyCounts counts = QuerySubkeyCounts(key->GetHandle(), kConstructLocation);
    if (counts.subkeys != 0)
        GrowNameBuffer(NameBufferSize(counts.longestName));

    m_pKey = key->AddRef();
    try {
        Advance();
    } catch (...) {
        // No destructor runs for an iterator whose construction fails.
        m_pKey = m_pKey->Release();
        throw;
    }
}

CRegistryKey::SubkeyIterator::SubkeyIterator(const SubkeyIterator& other)
    : m_pKey(other.m_pKey != nullptr ? other.m_pKey->AddRef() : nullptr),
      m_position(other.m_position), m_name(other.m_name)
{
}

CRegistryKey::SubkeyIterator&
CRegistryKey::SubkeyIterator::operator=(const SubkeyIterator& other)
{
    if (this == &other)
        return *this;
    CCountedRegKey* shared = other.m_pKey != nullptr ? other.m_pKey->AddRef() : nullptr;
    if (m_pKey != nullptr)
        m_pKey->Release();
    m_pKey = shared;
    m_position = other.m_position;
    m_name = other.m_name;
    return *this;
}

CRegistryKey::SubkeyIterator::~SubkeyIterator()
{
    if (m_pKey != nullptr)
        m_pKey = m_pKey->Release();
}

CRegistryKey::SubkeyIterator& CRegistryKey::SubkeyIterator::operator++()
{
    Advance();
    return *this;
}

bool CRegistryKey::SubkeyIterator::operator==(const SubkeyIterator& other) const
{
    return m_pKey == other.m_pKey && m_position == other.m_position;
}

const char* CRegistryKey::SubkeyIterator::GetName() const
{
    return m_name.empty() ? "" : m_name.data();
}

CRegistryKey CRegistryKey::SubkeyIterator::OpenKey(REGSAM access) const
{
    return CRegistryKey(m_pKey->GetHandle(), GetName(), access, nullptr);
}

bool CRegistryKey::SubkeyIterator::IsNameExact() const
{
    if (IsSurelyExact(GetName(), std::strlen(GetName())))
        return true;
    WCHAR stored[kLongestKeyName + 1];
    DWORD length = kLongestKeyName + 1;
    // The position has moved past the subkey whose name is held.
    LONG result = ::RegEnumKeyExW(m_pKey->GetHandle(), m_position - 1, stored, &length, nullptr,
                                  nullptr, nullptr, nullptr);
    if (result == ERROR_NO_MORE_ITEMS)
        return false;  // gone since it was fetched
    if (result != ERROR_SUCCESS)
        throw Exception("CRegistryKey::SubkeyIterator::IsNameExact()", result);
    return Widen(GetName()) == std::wstring(stored, length);
}

void CRegistryKey::SubkeyIterator::Advance()
{
    if (m_pKey == nullptr)
        return;
    if (GetSubkeyInfo()) {
        ++m_position;
    } else {
        m_pKey = m_pKey->Release();
        m_position = 0;
    }
}

bool CRegistryKey::SubkeyIterator::GetSubkeyInfo()
{
    for (int fetchesWithoutGrowth = 0;;) {
        char none = 0;  // stands in for a buffer not yet given storage
        char* buffer = m_name.empty() ? &none : m_name.data();
        DWORD length = static_cast<DWORD>(m_name.size());
        LONG result = ::RegEnumKeyExA(m_pKey->GetHandle(), m_position, buffer, &length,
                                      nullptr, nullptr, nullptr, nullptr);
        if (result == ERROR_SUCCESS)
            return true;
        if (result == ERROR_NO_MORE_ITEMS)
            return false;
        if (result != ERROR_MORE_DATA)
            throw Exception(kFetchLocation, result);

        // A longer subkey appeared since the buffer was sized.
        SubkeyCounts counts = QuerySubkeyCounts(m_pKey->GetHandle(), kFetchLocation);
        if (counts.subkeys == 0)
            return false;  // every subkey went meanwhile: the walk is over
        size_t capacity = m_name.size();
        GrowNameBuffer(NameBufferSize(counts.longestName));
        if (m_name.size() == capacity && ++fetchesWithoutGrowth == kMaxFetchesWithoutGrowth)
            throw Exception(kFetchLocation, result);
    }
}

void CRegistryKey::SubkeyIterator::GrowNameBuffer(DWORD size)
{
    // Growing replaces the storage; its old contents are not kept.
    if (m_name.size() < size)
        m_name.assign(size, 0);
}

CRegistryKey::SubkeyIterator CRegistryKey::BeginSubkeyIteration() const
{
    return SubkeyIterator(m_pKey);
}

CRegistryKey::SubkeyIterator CRegistryKey::EndSubkeyIteration()
{
    return SubkeyIterator(nullptr);
}

void CRegistryKey::DeleteKey(const char* subKey)
{
    {
        CRegistryKey subkey = OpenKey(subKey, KEY_ALL_ACCESS);
        // Refused here whatever the platform's own delete would do with it.
        if (subkey.BeginSubkeyIteration() != EndSubkeyIteration())
            throw Exception("CRegistryKey::DeleteKey()", ERROR_ACCESS_DENIED);
    }
    LONG result = ::RegDeleteKeyA(GetHandle(), subKey);
    if (result != ERROR_SUCCESS)
        throw Exception("CRegistryKey::DeleteKey()", result);
}

void CRegistryKey::DeleteKeyAndSubkeys(const char* subKey)
{
    {
        CRegistryKey subkey = OpenKey(subKey, KEY_ALL_ACCESS);
        // Deleting shifts the positions of the later subkeys, so each round
        // starts a fresh walk and takes the first. A leaf, the usual case,
        // costs one count.
        while (subkey.GetCounts().subkeys != 0) {
            SubkeyIterator first = subkey.BeginSubkeyIteration();
            if (first == EndSubkeyIteration())
                break;
            subkey.DeleteKeyAndSubkeys(first.GetName());
        }
    }
    // Its subkeys are gone: DeleteKey's own check would only ask again.
    LONG result = ::RegDeleteKeyA(GetHandle(), subKey);
    if (result != ERROR_SUCCESS)
        throw Exception("CRegistryKey::DeleteKeyAndSubkeys()", result);
}

void CRegistryKey::DeleteSubkeys()
{
    WCHAR name[kLongestKeyName + 1];
    for (;;) {
        DWORD length = kLongestKeyName + 1;
        // Always the first: each deletion moves the others up.
        LONG result = ::RegEnumKeyExW(GetHandle(), 0, name, &length, nullptr, nullptr, nullptr,
                                      nullptr);
        if (result == ERROR_NO_MORE_ITEMS)
            return;
        if (result == ERROR_SUCCESS)
            result = ::RegDeleteTreeW(GetHandle(), name);
        if (result != ERROR_SUCCESS)
            throw Exception("CRegistryKey::DeleteSubkeys()", result);
    }
}

} // namespace Tessaly

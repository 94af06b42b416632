#include "registry/KeyWatch.h"

namespace Tessaly {

namespace {

LONG Arm(const CRegistryKey& key, bool subtree, HANDLE event)
{
    DWORD changes = REG_NOTIFY_CHANGE_NAME | (subtree ? REG_NOTIFY_CHANGE_LAST_SET : 0);
    return ::RegNotifyChangeKeyValue(key.GetHandle(), subtree, changes, event, TRUE);
}

} // namespace

CKeyWatch::CKeyWatch() : m_event(::CreateEventW(nullptr, FALSE, FALSE, nullptr))
{
    if (m_event == nullptr)
        throw CRegistryKey::Exception("CKeyWatch::CKeyWatch - CreateEvent", ::GetLastError());
}

CKeyWatch::~CKeyWatch()
{
    m_key.reset();
    ::CloseHandle(m_event);
}

void CKeyWatch::Watch(const CRegistryKey& key, bool subtree)
{
    LONG result = Arm(key, subtree, m_event);
    if (result != ERROR_SUCCESS)
        throw CRegistryKey::Exception("CKeyWatch::Watch - RegNotifyChangeKeyValue", result);
    // The signal that closing the key watched before gives says nothing of
    // the key watched now.
    m_key = key;
    m_subtree = subtree;
    ::ResetEvent(m_event);
}

bool CKeyWatch::Rearm()
{
    return m_key.has_value() && Arm(*m_key, m_subtree, m_event) == ERROR_SUCCESS;
}

} // namespace Tessaly

#include "registry/KeyWatch.h"

namespace Tessaly {

namespace {

const DWORD kChanges = REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET;

LONG Arm(const CRegistryKey& key, HANDLE event)
{
    return ::RegNotifyChangeKeyValue(key.GetHandle(), TRUE, kChanges, event, TRUE);
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

void CKeyWatch::Watch(const CRegistryKey& key)
{
    // The signal that closing the key watched before gives says nothing of
    // the key watched now.
    m_key = key;
    ::ResetEvent(m_event);
    LONG result = Arm(*m_key, m_event);
    if (result != ERROR_SUCCESS) {
        m_key.reset();
        throw CRegistryKey::Exception("CKeyWatch::Watch - RegNotifyChangeKeyValue", result);
    }
}

bool CKeyWatch::Rearm()
{
    return m_key.has_value() && Arm(*m_key, m_event) == ERROR_SUCCESS;
}

} // namespace Tessaly

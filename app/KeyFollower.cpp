#include "app/KeyFollower.h"

#include "framework/Wnd.h"
#include "prefixes/PrefixListCtrl.h"

#include <string>

using Tessaly::CRegistryKey;

namespace {

// A burst of writes (a .reg file merged, another program's save) is read
// once, this long after its last change, but never later than kLongestWait
// after its first.
const UINT kSettle = 100;      // ms
const DWORD kLongestWait = 500;  // ms

CRegistryKey OpenForWatch(const std::string& path)
{
    return CRegistryKey(HKEY_CURRENT_USER, path.c_str(), KEY_NOTIFY, nullptr);
}

} // namespace

CKeyFollower::CKeyFollower(CWnd& owner, CPrefixListCtrl& table) : m_owner(owner), m_table(table)
{
}

HANDLE CKeyFollower::Start()
{
    Watch();
    return m_watch.GetEvent();
}

// Armed before the key is read, so that no change after the reading goes
// unseen.
void CKeyFollower::Watch()
{
    if (m_onKey && m_watch.Rearm())
        return;
    // The key is gone or never was: the nearest key above it is watched,
    // whole, for the moment it is made; then the key itself, if it was made
    // meanwhile.
    m_onKey = false;
    std::string path = CPrefixListCtrl::kKeyPath;
    for (bool watched = false; !watched && !path.empty();) {
        size_t cut = path.rfind('\\');
        path.resize(cut == std::string::npos ? 0 : cut);
        try {
            m_watch.Watch(OpenForWatch(path));
            watched = true;
        } catch (const CRegistryKey::Exception&) {
        }
    }
    try {
        m_watch.Watch(OpenForWatch(CPrefixListCtrl::kKeyPath));
        m_onKey = true;
    } catch (const CRegistryKey::Exception&) {
    }
}

void CKeyFollower::OnChange()
{
    Watch();
    if (!m_settling) {
        m_settling = true;
        m_burstStart = ::GetTickCount();
    }
    if (::GetTickCount() - m_burstStart < kLongestWait)
        ::SetTimer(m_owner.m_hWnd, kTimerId, kSettle, nullptr);
}

void CKeyFollower::OnTimer(UINT_PTR id)
{
    if (id != kTimerId)
        return;
    // Not under a label being edited, nor while the dialog waits on a box
    // of its own (a message, a file dialog): the timer comes again.
    if (m_table.GetEditControl() != nullptr || !m_owner.IsWindowEnabled())
        return;
    ::KillTimer(m_owner.m_hWnd, kTimerId);
    m_settling = false;
    m_refreshing = true;
    m_table.RefreshPrefixes();
    m_refreshing = false;
}

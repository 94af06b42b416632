#include "app/KeyFollower.h"

#include "app/PrefixListCtrl.h"
#include "framework/Wnd.h"

#include <algorithm>
#include <cstddef>
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

bool Exists(const std::string& path)
{
    try {
        OpenForWatch(path);
        return true;
    } catch (const CRegistryKey::Exception&) {
        return false;
    }
}

// A menu open or the mouse held: a list changing beneath them would leave
// another row chosen.
bool IsTracking()
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    bool menu = ::GetGUIThreadInfo(::GetCurrentThreadId(), &info) &&
                (info.flags & (GUI_INMENUMODE | GUI_POPUPMENUMODE | GUI_INMOVESIZE)) != 0;
    return menu || ::GetCapture() != nullptr;
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
    // The key is gone or never was: the nearest key above it is watched for
    // the next key on the way to be made, and the walk goes down again when
    // one was made before the watch began.
    m_onKey = false;
    const std::string key = CPrefixStore::kKeyPath;
    // The walk goes down again at most once for each key on the path.
    const auto depth = std::count(key.begin(), key.end(), '\\') + 1;
    for (std::ptrdiff_t rounds = 0; rounds < depth; ++rounds) {
        try {
            m_watch.Watch(OpenForWatch(key), true);
            m_onKey = true;
            return;
        } catch (const CRegistryKey::Exception&) {
        }
        std::string path = key;
        for (bool watched = false; !watched;) {
            size_t cut = path.rfind('\\');
            path.resize(cut == std::string::npos ? 0 : cut);
            try {
                m_watch.Watch(OpenForWatch(path), false);
                watched = true;
            } catch (const CRegistryKey::Exception&) {
                if (path.empty())
                    return;
            }
        }
        if (!Exists(key.substr(0, key.find('\\', path.empty() ? 0 : path.size() + 1))))
            return;
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
    // of its own (a message, a file dialog) or the user on a menu or a
    // click: the timer comes again.
    if (m_table.GetEditControl() != nullptr || !m_owner.IsWindowEnabled() || IsTracking())
        return;
    ::KillTimer(m_owner.m_hWnd, kTimerId);
    m_settling = false;
    m_refreshing = true;
    m_table.RefreshPrefixes();
    m_refreshing = false;
}

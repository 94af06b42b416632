#include "exchange/FoundShortcuts.h"

#include "exchange/TextEncoding.h"
#include "prefixes/PrefixRules.h"

void CFoundShortcuts::Add(const std::wstring& prefix, const std::wstring& url, const CString& source)
{
    CShortcut shortcut = {CString(), CString(), source};
    if (!CPrefixRules::IsTypable(prefix))
        LeaveOut(kInvalidPrefix);
    else if (NarrowText(prefix, shortcut.prefix) && NarrowText(url, shortcut.url))
        Add(shortcut);
    else
        LeaveOut(kUnreadableText);
}

void CFoundShortcuts::Take(const CFoundShortcuts& other)
{
    m_shortcuts.insert(m_shortcuts.end(), other.m_shortcuts.begin(), other.m_shortcuts.end());
    for (int reason = 0; reason < kReasonCount; ++reason)
        m_leftOut[reason] += other.m_leftOut[reason];
    m_unread.insert(m_unread.end(), other.m_unread.begin(), other.m_unread.end());
    m_profiles += other.m_profiles;
}

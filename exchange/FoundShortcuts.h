#pragma once

#include "exchange/Shortcut.h"

#include <string>
#include <vector>

// What the browser profiles held: the search shortcuts that can become
// prefixes, a count of the rest by why each was left out, and the profiles
// that could not be read, with the reason.
class CFoundShortcuts {
public:
    enum Reason {
        kBuiltIn,           // a browser's own engine or starter pack
        kInactive,          // turned off, or added by the browser and never turned on
        kNoSearchTerm,      // no place for the query, or the query sent by POST
        kNotWebAddress,     // not http or https
        kBrowserParameter,  // a parameter only the browser can fill in
        kUnreadableText,    // characters the process code page cannot hold
        kInvalidPrefix,     // a keyword the prefix table refuses, or no one can type
        kReasonCount
    };
    struct Unread {
        CString source;
        CString reason;
    };

    void Add(const CShortcut& shortcut) { m_shortcuts.push_back(shortcut); }
    // Added when the keyword can be typed before a query (counted as an
    // invalid prefix otherwise) and the process code page holds both texts
    // exactly (counted as unreadable otherwise).
    void Add(const std::wstring& prefix, const std::wstring& url, const CString& source);
    void LeaveOut(Reason reason) { ++m_leftOut[reason]; }
    void AddUnread(const CString& source, const CString& reason) { m_unread.push_back({source, reason}); }
    void CountProfile() { ++m_profiles; }
    // What another reading found, shortcuts and counts.
    void Take(const CFoundShortcuts& other);

    const std::vector<CShortcut>& Shortcuts() const { return m_shortcuts; }
    int LeftOut(Reason reason) const { return m_leftOut[reason]; }
    const std::vector<Unread>& UnreadProfiles() const { return m_unread; }
    // Profiles found, whether they could be read or not.
    int ProfileCount() const { return m_profiles; }

private:
    std::vector<CShortcut> m_shortcuts;
    int m_leftOut[kReasonCount] = {};
    std::vector<Unread> m_unread;
    int m_profiles = 0;
};

#pragma once

#include "text/String.h"

#include <functional>
#include <string>

#include <windows.h>

// What can be a prefix, for the dialog, the command line and every import
// alike. A prefix is the name of a registry key; one made now must also be
// a word the user can type before a query.
class CPrefixRules {
public:
    enum Verdict {
        kPrefix,     // it can be
        kEmpty,
        kBackslash,  // a key path's separator
        kTooLong,    // longer than the longest key name
        kBlank,      // white space or a control character: never typed whole
        kEmptyUrl,
    };
    // Whether the table holds the prefix (upper-cased) already.
    using Holds = std::function<bool(const CString& prefix)>;

    // The row the user asks for: the prefix typed, upper-cased into
    // `prefix`, and its URL, which must not be empty. A prefix the table
    // holds is not new, so only its URL is judged; another program may have
    // stored it under a name that could not be made now.
    static Verdict MakeRow(const char* typed, const char* url, const Holds& holds, CString& prefix);
    // A stored name as the table shows it: upper-cased, never judged, for
    // the registry held it.
    static CString Shown(const char* stored);
    // A new name for a row, upper-cased into `prefix`.
    static Verdict MakeName(const char* typed, CString& prefix);
    // Whether a name, as it stands, can be a new prefix; judged on the
    // characters the registry will see in that code page.
    static Verdict Judge(const char* prefix, UINT codePage = CP_ACP);
    // A name the registry holds as a subkey: not empty, no backslash, at
    // most the longest key name. Every stored prefix is one.
    static bool IsKeyName(const char* prefix);
    // Whether an address bar takes the keyword whole, up to the first space.
    static bool IsTypable(const std::wstring& keyword);
    // Any URL but an empty one: nothing makes the table insist on %s.
    static bool IsUsableUrl(const char* url);
    // Whether setting a prefix to `url` adds or changes its row, given the
    // URL the row has (null when there is no row).
    static bool Changes(const CString* now, const char* url) { return now == nullptr || *now != url; }
    // Why a name cannot be a prefix, as a sentence for the user; empty for
    // a verdict on no name.
    static std::string Reason(Verdict verdict);
};

#pragma once

#include "registry/RegistryKey.h"
#include "text/String.h"

#include <windows.h>

// The browser's SearchUrl key and its prefix subkeys, a registry step at a
// time; failures are thrown, as the registry library throws them.
class CSearchUrlKey {
public:
    static constexpr REGSAM kAccess = KEY_ALL_ACCESS;

    static Tessaly::CRegistryKey Open();
    // Made when not there: a new account has none, and another program may
    // have deleted it.
    static Tessaly::CRegistryKey OpenOrMake();
    // Whether the key is there; a failure other than its absence says it
    // may be.
    static bool IsThere();

    // What one prefix subkey holds. Throws nothing.
    struct Reading {
        enum State {
            kRead,        // its URL, with every value the browser needs
            kIncomplete,  // its URL, but not every value the browser needs
            kHalfMade,    // no URL yet, nothing but a prefix's values: being made, or a stopped save's
            kGone,        // deleted or moved since the walk met it
            kUnreadable,  // see `error`
        };
        State state;
        // Why it cannot be shown as it is stored: the subkey cannot be
        // opened, its default value is missing or not text, or the process
        // code page does not hold its name or URL exactly.
        DWORD error;
        // False when its narrow name is not its own (it may open another
        // subkey or none): it names no row's subkey and is not kept.
        bool nameExact;
    };
    static Reading ReadUrl(const Tessaly::CRegistryKey::SubkeyIterator& subkey, CString& url);
    // The prefix subkey of that name, read past the walk; throws nothing.
    static Reading::State ReadNamed(const Tessaly::CRegistryKey& searchUrl, const char* name, CString& url);
    // Whether the prefix subkey of that name still holds `url`, as read or
    // written before: false when another process changed it since, or is
    // writing it now. A subkey that is gone holds what it held. Throws the
    // registry's failures.
    static bool StillHolds(const Tessaly::CRegistryKey& searchUrl, const char* name, const char* url);
    // A prefix's values, the URL last: a write stopped on the way leaves no
    // new prefix the browser would use without its other values, and the
    // others are the same in every prefix.
    static void WriteValues(Tessaly::CRegistryKey& subkey, const char* url);
    // Writes a row over its subkey, which keeps the spelling it is stored
    // in: the browser tells prefixes apart without regard to letter case.
    static void WriteRow(Tessaly::CRegistryKey& searchUrl, const CString& prefix, const CString& url);
    // Deletes a prefix subkey; one that is gone already is fine.
    static void DeleteSubkey(Tessaly::CRegistryKey& searchUrl, const char* name);
};

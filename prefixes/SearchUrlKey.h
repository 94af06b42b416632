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

    // The URL template of one prefix subkey; otherwise why it cannot be
    // shown as it is stored: the subkey cannot be opened, its default value
    // is missing or not text, or the process code page does not hold its
    // name or URL exactly. A subkey whose narrow name is not its own (it may
    // open another subkey or none) names no row's subkey and is not kept.
    // Throws nothing.
    struct Reading {
        DWORD error;
        bool nameExact;
    };
    static Reading ReadUrl(const Tessaly::CRegistryKey::SubkeyIterator& subkey, CString& url);
    // A prefix's values, the URL first.
    static void WriteValues(Tessaly::CRegistryKey& subkey, const char* url);
    // Writes a row over its subkey, which keeps the spelling it is stored
    // in: the browser tells prefixes apart without regard to letter case.
    static void WriteRow(Tessaly::CRegistryKey& searchUrl, const CString& prefix, const CString& url);
    // Deletes a prefix subkey; one that is gone already is fine.
    static void DeleteSubkey(Tessaly::CRegistryKey& searchUrl, const char* name);
};

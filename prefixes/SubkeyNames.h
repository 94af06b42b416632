#pragma once

#include "registry/IgnoringCase.h"
#include "text/String.h"

#include <map>
#include <string>
#include <vector>

#include <windows.h>

// A set of subkey names, told apart as the registry tells them: without
// regard to letter case. Each name is kept in the spelling it was last
// added with.
class CSubkeyNames {
public:
    void Add(const char* name);
    void Remove(const char* name);
    void RemoveAll() { m_names.clear(); }
    bool IsEmpty() const { return m_names.empty(); }
    // The kept spelling of the name equal to `name`, or null.
    const CString* Find(const char* name) const;
    // The spellings of the names that `other` does not hold.
    std::vector<CString> NotIn(const CSubkeyNames& other) const;

    // Orders names as the registry tells them apart, for maps of its own.
    using IgnoringCase = Tessaly::IgnoringCase;

private:
    std::map<std::wstring, CString, IgnoringCase> m_names;
};

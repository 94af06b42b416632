#include "prefixes/SubkeyNames.h"

#include "registry/ProcessCodePage.h"

void CSubkeyNames::Add(const char* name)
{
    m_names[Tessaly::Widen(name)] = name;
}

void CSubkeyNames::Remove(const char* name)
{
    m_names.erase(Tessaly::Widen(name));
}

const CString* CSubkeyNames::Find(const char* name) const
{
    auto found = m_names.find(Tessaly::Widen(name));
    return found != m_names.end() ? &found->second : nullptr;
}

std::vector<CString> CSubkeyNames::NotIn(const CSubkeyNames& other) const
{
    std::vector<CString> names;
    for (const auto& name : m_names) {
        if (other.m_names.count(name.first) == 0)
            names.push_back(name.second);
    }
    return names;
}

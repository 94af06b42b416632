#include "prefixes/SubkeyNames.h"

#include "registry/ProcessCodePage.h"

bool CSubkeyNames::IgnoringCase::operator()(const std::wstring& left,
                                            const std::wstring& right) const
{
    // The system's own case-blind ordinal comparison, as the registry
    // compares key names.
    return ::CompareStringOrdinal(left.c_str(), static_cast<int>(left.size()), right.c_str(),
                                  static_cast<int>(right.size()), TRUE) == CSTR_LESS_THAN;
}

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

#pragma once

#include "prefixes/PrefixTable.h"

#include <map>
#include <set>
#include <string>
#include <vector>

// What a command's edits came to, from the table's rows before and after
// them: the prefixes added, changed and removed in the list's order, and
// those set to what they already were. The line that confirms a command
// and the counts of its summary come from here.
class CTableChanges {
public:
    using Rows = std::map<std::string, CString>;

    // `taken`: the prefixes the command set, upper-cased.
    CTableChanges(const Rows& before, const Rows& after, const std::set<std::string>& taken);

    const std::vector<PrefixRow>& Added() const { return m_added; }
    const std::vector<PrefixRow>& Changed() const { return m_changed; }
    const std::vector<PrefixRow>& Removed() const { return m_removed; }
    // The edits a save writes, and those already so: every item done.
    size_t Items() const { return m_added.size() + m_changed.size() + m_removed.size() + m_same; }

    // "2 added, 1 changed, 3 already so, 1 skipped", and with `removals`
    // how many were removed.
    std::string Counts(int skipped, bool removals) const;

private:
    std::vector<PrefixRow> m_added, m_changed, m_removed;
    size_t m_same = 0;
};

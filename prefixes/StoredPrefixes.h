#pragma once

#include "prefixes/SubkeyNames.h"
#include "text/String.h"

#include <map>
#include <string>
#include <vector>

// One prefix with its URL template: a table row, or a subkey by its name as
// stored.
struct PrefixRow {
    CString prefix;
    CString url;
    // Stored without every value the browser needs: a save of the row
    // writes it whole, even with its URL unchanged.
    bool incomplete = false;
};

// What the SearchUrl key held when the table last read or wrote it, and the
// user's edits of the table since. From the two come what a save writes (the
// edits that differ from the key, and nothing else) and what a new reading
// of the key changes in the table (every row the user has not edited).
// Knows no window and no registry: names and texts only. Stored names are
// told apart as the registry tells them, without regard to letter case.
class CStoredPrefixes {
public:
    // A row a save writes over its subkey; `from`, when set, is the subkey
    // the prefix moves out of, deleted once the row is written. A row whose
    // subkey holds another row's prefix (the registry takes the two names
    // for one) is `refused`: writing it would lose that one.
    struct Write {
        CString prefix;
        CString url;
        CString from;
        bool refused;
    };
    // What a new reading of the key changes in the table.
    struct Update {
        std::vector<PrefixRow> set;    // new or changed, by the stored names
        std::vector<CString> removed;  // by the table's prefixes
    };

    // The key holds nothing shown, and nothing is edited.
    void Reset();

    // The user's edits, by the table's prefixes. A rename or removal that
    // leaves a stored prefix of the old name with no row (another
    // program's, hidden by the user's own row of that name) returns it, for
    // the table to show; otherwise an empty row.
    void Set(const char* prefix, const char* url);
    PrefixRow Rename(const char* from, const char* to, const char* url);
    PrefixRow Remove(const char* prefix);

    // The rows that differ from what is stored, and the subkeys of the rows
    // the user removed or renamed away that no row is written over.
    std::vector<Write> Writes() const;
    std::vector<CString> Deletes() const;
    // What the save did, step by step.
    void Written(const Write& row);
    // A copy of `prefix`'s row made in the subkey `aside`, which its row
    // then comes from; with a null prefix, a copy not completed, to delete.
    void SetAside(const char* aside, const char* url, const char* prefix);
    void Deleted(const char* name);

    // The subkey of that name as last read or written; null when none is
    // known to be there.
    const PrefixRow* Find(const char* name) const { return FindStored(name); }
    // A prefix subkey found past the last reading, now known to be there.
    void Found(const PrefixRow& stored);

    // The key now holds `key`: each prefix the user has not edited takes
    // its state from there; the user's edits stay.
    Update Merge(const std::vector<PrefixRow>& key);

private:
    struct Edit {
        CString url;
        CString origin;  // the stored subkey the row came from; empty when new
    };
    // By the table's prefix, exactly: two rows may have names the registry
    // takes for one.
    using Edits = std::map<std::string, Edit>;

    const PrefixRow* FindStored(const char* name) const;
    // The stored subkey whose row, while not edited, is the row `prefix`.
    const PrefixRow* OwnSubkey(const char* prefix) const;
    // The stored subkey a new edit of `prefix` starts from: its own, or one
    // of that name whose row is gone; none when another edit came from it.
    CString OriginOf(const char* prefix) const;
    // An edit that leaves its row as stored is none.
    bool ChangesNothing(const std::string& prefix, const Edit& edit) const;
    bool IsRefused(const std::string& prefix, const Edit& edit) const;
    // True when an edited row's name is `name` to the registry.
    bool IsEditedName(const char* name) const;
    // The stored prefix of that name that no row shows, if there is one.
    PrefixRow Uncovered(const char* prefix) const;
    void Erase(Edits::iterator edit);

    std::map<std::wstring, PrefixRow, CSubkeyNames::IgnoringCase> m_stored;
    Edits m_edits;           // the rows the user added, changed or renamed
    CSubkeyNames m_origins;  // the edits' origins, each claimed by one edit
    CSubkeyNames m_removed;  // stored subkeys whose rows are gone
};

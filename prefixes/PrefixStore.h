#pragma once

#include "prefixes/SearchQuery.h"
#include "prefixes/StoredPrefixes.h"
#include "prefixes/SubkeyNames.h"
#include "text/String.h"

#include <array>
#include <vector>

#include <windows.h>

namespace Tessaly {
class CRegistryKey;
}

// The browser's SearchUrl key, read into rows and written back edit by
// edit. Shows nothing: what failed comes back in a report, for the caller
// to show or print.
class CPrefixStore {
public:
    // Below HKEY_CURRENT_USER.
    static constexpr const char* kKeyPath = "Software\\Microsoft\\Internet Explorer\\SearchUrl";

    // One value of a prefix's subkey.
    struct Value {
        const char* name;
        const char* text;
    };
    // What a prefix's subkey holds, in the order written: the URL template
    // as the default value first, then the characters the browser replaces
    // in a query.
    static constexpr size_t kValueCount = 1 + std::size(CSearchQuery::kReplacements);
    static std::array<Value, kValueCount> ValuesOf(const char* url);

    struct Failure {
        enum Step {
            Read,    // a subkey passed over; with no subkey, the key not read through
            Incomplete,  // a prefix without every value the browser needs (shown when it has its URL)
            Keep,    // a row not written over a subkey the reading passed over
            Write,   // a row not written
            Delete,  // a subkey of a row gone that is still there
            Changed,  // a subkey another process changed since it was read: not deleted or renamed out of
        };
        Step step;
        CString subkey;
        DWORD error;
    };
    struct Report {
        std::vector<Failure> failures;
        // False when the key itself could not be read through.
        bool walked = true;

        bool Failed(Failure::Step step) const;
        // The subkeys named in failures of that step, in order.
        std::vector<CString> Subkeys(Failure::Step step) const;
    };

    // Reads the key afresh and forgets every edit. `rows` are the prefixes
    // it holds, as stored; a subkey that cannot be shown as it is stored is
    // passed over, kept, and reported, and so is a name longer than the
    // registry's limit. A prefix without every value the browser needs is
    // shown and reported. A key not there (a new account's) holds no
    // prefixes.
    Report Load(std::vector<PrefixRow>& rows);
    // The prefix subkey of that name, when the last reading did not meet
    // it: another process may have moved subkeys under the walk. False when
    // there is none to show whole.
    bool LookUp(const char* name, PrefixRow& row);
    // Reads the key again: what changed there in every row the user has not
    // edited. False, with nothing changed, when the key could not be read
    // through.
    bool Refresh(CStoredPrefixes::Update& update);
    // Writes the rows the user added, changed or renamed over their subkeys,
    // then deletes the subkeys of the prefixes removed or renamed away; no
    // other subkey is touched. Nothing failed when the key now holds every
    // edit. A key not there, or gone since, is made for the rows.
    Report Save();

    // The user's edits, for the table to record; and what the key held.
    CStoredPrefixes& Stored() { return m_stored; }
    // True after a load that read every subkey of the key; only then may an
    // empty table be saved over the key at once.
    bool WasLoadClean() const { return m_bLoadClean; }

private:
    struct PendingRow;

    // The key's prefixes into `rows`, the subkeys passed over into the
    // report (those named exactly also into `kept`).
    Report ReadKey(std::vector<PrefixRow>& rows, CSubkeyNames& kept) const;
    // One walk of the key; `settled` false when the key changed under it.
    Report WalkKey(std::vector<PrefixRow>& rows, CSubkeyNames& kept, bool& settled) const;
    std::vector<PendingRow> PendingRows(Report& report) const;
    void WriteRows(Report& report);
    void WriteInOrder(Tessaly::CRegistryKey& searchUrl, std::vector<PendingRow>& pending,
                      std::vector<size_t>& order);
    bool WriteRow(Tessaly::CRegistryKey& searchUrl, PendingRow& row);
    // Whether another process changed the subkey since this store read or
    // wrote it: a rename out of it or its removal would lose that change.
    bool IsChanged(const Tessaly::CRegistryKey& searchUrl, const char* name) const;
    CString SetAside(Tessaly::CRegistryKey& searchUrl, const PendingRow& row, DWORD& error);
    void DeleteRemovedSubkeys(Report& report);

    bool m_bLoadClean = false;
    // What the key held as last read or written, and the user's edits since.
    // Only subkeys shown there may a save delete; any other subkey holds a
    // prefix the user has never seen here.
    CStoredPrefixes m_stored;
    // The subkeys the last reading passed over: no row is ever written over
    // them.
    CSubkeyNames m_keptSubkeys;
};

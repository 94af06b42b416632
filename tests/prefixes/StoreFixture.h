#pragma once

#include "prefixes/PrefixTable.h"

#include "tests/support/ScratchRegistry.h"
#include "tests/support/SearchUrlKey.h"

#include <map>
#include <set>
#include <string>
#include <vector>

// The table without a window over the store, as the command line uses it,
// with the rows each test edited noted, so that the key can be checked
// against the table after a save.
class StoreTest : public RegistryTest {
protected:
    using Rows = std::map<std::string, std::string>;  // UTF-8, by prefix
    using Failure = CPrefixStore::Failure;

    // A fresh table, as a new dialog's, that loads the key.
    CPrefixStore::Report Load();
    void Set(const char* prefix, const char* url);
    void Rename(const char* from, const char* to);
    void Remove(const char* prefix);
    CPrefixStore::Report Save() { return m_table.Save(); }

    // The rows shown, as UTF-8.
    Rows Shown() const;

    // The key holds the rows shown and besides them only `others`: each row
    // in a subkey of its name in any letter case, with the five values when
    // the row was edited since the load.
    void ExpectKeyHoldsTheRows(const std::vector<std::string>& others = {}) const;

    // (step, subkey as UTF-8, error) of each failure.
    static std::vector<std::string> Described(const CPrefixStore::Report& report);
    static std::string Describe(Failure::Step step, const std::string& subkey, DWORD error);

    CPrefixTable m_table;

private:
    std::set<std::string> m_edited;  // in the process code page
};

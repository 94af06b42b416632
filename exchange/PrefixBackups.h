#pragma once

#include "prefixes/StoredPrefixes.h"

#include <string>
#include <vector>

#include <windows.h>

// The states the SearchUrl key was in before changes, each a .reg file in
// the Registry Editor's format (so that reg import restores it too) in a
// folder of the program's own, the newest kKept of them. A backup's last
// line counts its prefixes and checks its bytes: a file cut short or edited
// by hand is known, and never restored in part.
class CPrefixBackups {
public:
    static constexpr size_t kKept = 30;

    // The user's: Quillory\Backups in the local application data folder.
    static std::wstring UserFolder();
    explicit CPrefixBackups(std::wstring folder = UserFolder());

    // Once for each object, before the first save of a dialog opened or of
    // a command: the key as it stands into a new backup, unless the newest
    // holds just that; then the oldest past kKept removed. 0, or the error
    // that kept the backup from being made, for the caller to tell; the
    // save goes on either way.
    DWORD BeforeFirstSave();
    // What a person is told of a backup that could not be made.
    static std::string FailureText(DWORD error);

    struct Backup {
        std::wstring path;
        SYSTEMTIME time = {};  // when it was made, in local time
        std::vector<PrefixRow> rows;
        UINT unusable = 0;     // why it cannot be restored (a text's id), or 0
    };
    // Newest first. A file of another key is not offered.
    std::vector<Backup> List() const;
    // A file taken as a backup, the time left empty; false when it is
    // another key's.
    static bool Read(const std::wstring& path, Backup& backup);

    // What making the rows `now` those of a backup adds, changes and
    // removes, prefixes told apart as the table tells them.
    struct Changes {
        size_t added = 0, changed = 0, removed = 0;
    };
    static Changes Compare(const std::vector<PrefixRow>& now, const std::vector<PrefixRow>& backup);
    // The prefixes of `now` a restore of the backup removes.
    static std::vector<CString> Removed(const std::vector<PrefixRow>& now, const std::vector<PrefixRow>& backup);
    // Whether a restore keeps the table's row of this prefix, though the
    // backup lacks it: no backup can hold a name with a line break, which
    // another program may have given it.
    static bool KeptByRestore(const char* prefix);

    // The bytes a backup of these rows holds.
    static std::string Format(const std::vector<PrefixRow>& rows);

private:
    std::vector<std::wstring> Names() const;

    std::wstring m_folder;
    bool m_done = false;
};

#pragma once

#include "exchange/Shortcut.h"

#include <string>
#include <vector>

#include <windows.h>

// Search prefixes in the Registry Editor's .reg files, for a backup and
// for carrying them to another machine: a file written here can be
// double-clicked or run through `reg import`, and one the Registry Editor
// wrote can be read back. Plain entries in and out, their texts in the
// process code page; nothing here shows anything or touches the registry.
class CPrefixFile {
public:
    using Entry = CShortcut;

    // False, with nothing added, for a name the file cannot hold: a line
    // break in a key's name would end its section and start another key.
    bool Add(const char* prefix, const char* url);
    const std::vector<Entry>& GetEntries() const { return m_entries; }
    // What a read met that is no search prefix: other keys, deletions,
    // prefixes without a text URL or with a name this process cannot hold,
    // and lines that mean nothing.
    int GetSkippedCount() const { return m_skipped; }

    // The file, as the Registry Editor writes it: UTF-16LE with a
    // byte-order mark, one section per entry, with the values a save writes.
    std::string Format() const;
    // Takes the prefixes from a file in either of the Registry Editor's
    // formats, or in UTF-8, and the site searches of Chrome's and Firefox's
    // policies in it. False, with nothing taken, when the bytes are not
    // a registry file.
    bool Parse(const std::string& bytes);

    // Replaces the file whole or leaves it as it was. 0 or the error.
    DWORD Save(const char* path) const;
    // 0, ERROR_BAD_FORMAT when the file is not a registry file, or the
    // error that stopped the read.
    DWORD Load(const char* path);

    // As the Registry Editor writes them, for the program's other .reg files
    // too: a text as a value's data, and a file's bytes from its sections
    // (each ending in an empty line).
    static std::wstring StringData(const std::wstring& text);
    static std::string FileBytes(const std::wstring& sections);

private:
    std::vector<Entry> m_entries;
    int m_skipped = 0;
};

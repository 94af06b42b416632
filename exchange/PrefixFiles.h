#pragma once

#include "exchange/FileName.h"
#include "prefixes/StoredPrefixes.h"

#include <string>
#include <vector>

#include <windows.h>

// The files prefixes travel in, the Registry Editor's .reg file, the
// bookmarks file and the prefix list in JSON, read into rows and written
// from them alike, with what a person is told when that fails. Reading
// takes browsers' search policies too, in JSON or .reg files.
class CPrefixFiles {
public:
    // The file's prefixes, and the format it was read as: a bookmarks file
    // is known by its start or its name (.html, .htm), JSON by its first
    // character or its name (.json), any other is taken for a .reg file.
    // `skipped` counts what it held that is no prefix. 0, ERROR_BAD_FORMAT
    // when the bytes are no file of that kind, or the error that stopped
    // the read.
    static DWORD Load(const std::string& path, std::vector<PrefixRow>& rows, int& skipped,
                      CFileName::Format& format);
    // The same for a file's bytes read elsewhere, `format` saying on entry
    // what its name tells.
    static DWORD Parse(const std::string& bytes, std::vector<PrefixRow>& rows, int& skipped,
                       CFileName::Format& format);
    static std::string LoadError(const std::string& path, DWORD error, CFileName::Format format);
    // What an import of the file tells: the prefixes the table took, and the
    // entries that were no prefix.
    static std::string ImportedText(const std::string& path, int imported, int skipped);

    // A row the file cannot carry as it is, and why (a text's id).
    struct LeftOut {
        CString prefix;
        UINT why;
    };

    // The rows as a file of the format holds them (a .reg file when the
    // format is unknown), and the file replaced whole by them; a row the
    // file cannot carry is left out, into `leftOut`.
    static std::string Format(const std::vector<PrefixRow>& rows, CFileName::Format format,
                              std::vector<LeftOut>& leftOut);
    static DWORD Save(const std::string& path, const std::vector<PrefixRow>& rows, CFileName::Format format,
                      std::vector<LeftOut>& leftOut);
    static std::string SaveError(const std::string& path, DWORD error);
    static std::string LeftOutText(const LeftOut& row);
};

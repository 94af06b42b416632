#pragma once

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <windows.h>

// Browser profiles as the browsers leave them, made with the SQLite the
// program reads them with and the schemas the browsers write (read off
// Chromium 156, whose Web Data is version 158, and Firefox ESR 153).

struct ChromiumKeyword {
    std::string keyword;
    std::string url;
    int prepopulateId = 0;
    int starterPackId = 0;
    int isActive = 1;  // 0 unspecified, 1 active, 2 inactive
    std::string postParams = {};
    int addedByBrowser = 0;  // safe_for_autoreplace: never edited by the user
};
enum class ChromiumSchema {
    Current,  // with is_active, starter_pack_id, url_hash
    Older,    // as before Chromium 104
};
// A Web Data database whose keywords table holds the rows.
void WriteWebData(const std::wstring& path, const std::vector<ChromiumKeyword>& rows,
                  ChromiumSchema schema = ChromiumSchema::Current);

struct FirefoxKeyword {
    std::string keyword;
    std::string url;
    std::string postData = {};
};
// A places.sqlite in WAL mode, as Firefox keeps it, with a keyword for
// each row. With `inLog`, the rows stay in the write-ahead
// log, as while Firefox runs.
void WritePlaces(const std::wstring& path, const std::vector<FirefoxKeyword>& rows,
                 bool inLog = false);

// A Web Data with these rows left as a browser that stopped in the middle
// of a transaction leaves it: its rollback journal hot, the rows whole only
// once it is rolled back.
void WriteInterruptedWebData(const std::wstring& path, const std::vector<ChromiumKeyword>& rows);
// Ends a rollback journal as SQLite ends one in a transaction over several
// databases: with the path of its super-journal.
void NameSuperJournal(const std::wstring& journal, const std::string& superJournal);
// Runs SQL on a database, made if missing.
void RunSql(const std::wstring& path, const std::string& sql);

// Chrome's profile "Default", named "Person 1" in Local State, and Firefox's
// "default-release", the one its installation starts with, below the
// user's folders; each with these rows. Their databases' paths.
std::wstring LeaveChromeProfile(const std::wstring& localAppData, const std::vector<ChromiumKeyword>& rows);
std::wstring LeaveFirefoxProfile(const std::wstring& roamingAppData, const std::vector<FirefoxKeyword>& rows,
                                 bool inLog = false);

// A whole file, by a narrow or a wide path.
template <class Char>
void WriteFileBytes(const std::basic_string<Char>& path, const std::string& bytes)
{
    std::ofstream(path.c_str(), std::ios::binary | std::ios::trunc) << bytes;
}
template <class Char>
std::string ReadFileBytes(const std::basic_string<Char>& path)
{
    std::ifstream in(path.c_str(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A folder in the temporary folder, removed with everything in it.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::wstring& Path() const { return m_path; }
    // Makes the folders of a path below this one, and gives the whole path.
    std::wstring Make(const std::wstring& relative) const;

private:
    std::wstring m_path;
};

// Makes the folders of `relative` below `root`, and gives the whole path.
std::wstring MakeFolders(const std::wstring& root, const std::wstring& relative);

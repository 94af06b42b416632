#include "app/ExchangeCommands.h"

#include "app/BrowserImportDlg.h"
#include "app/ImportCandidates.h"
#include "exchange/BookmarksFile.h"
#include "exchange/ByteFile.h"
#include "exchange/FileName.h"
#include "exchange/PrefixFile.h"
#include "exchange/ProfileFinder.h"
#include "exchange/ProfileReader.h"
#include "framework/FileDialog.h"
#include "framework/KnownFolder.h"
#include "prefixes/PrefixListCtrl.h"
#include "res/resource.h"

#include <utility>
#include <vector>

namespace {

const int kBookmarksType = 2;  // in both filters
// Without an extension: the dialog adds the one of the type chosen.
const char kExportName[] = "SearchUrl";

// The text `id` about the file at `path` that the system could not read or
// write, with the system's words for why.
std::string FileErrorText(UINT id, const std::string& path, DWORD error)
{
    return FormattedText(id, path.c_str(), CByteFile::ErrorText(error).c_str());
}

// A .reg or bookmarks file read into the table: false when the bytes are
// no such file; otherwise how many prefixes were taken and skipped.
template <class File>
bool ImportInto(CPrefixListCtrl& table, const std::string& bytes, int& imported, int& skipped)
{
    File file;
    if (!file.Parse(bytes))
        return false;
    std::vector<CPrefixListCtrl::Row> rows;
    rows.reserve(file.GetEntries().size());
    for (const CShortcut& entry : file.GetEntries())
        rows.push_back({entry.prefix, entry.url});
    imported = table.AddOrUpdatePrefixes(rows);
    skipped = file.GetSkippedCount() + static_cast<int>(rows.size()) - imported;
    return true;
}

// The rows as the table shows them, written to a .reg or bookmarks file.
template <class File>
DWORD ExportFrom(const CPrefixListCtrl& table, const std::string& path)
{
    File file;
    for (const CPrefixListCtrl::Row& row : table.GetRows())
        file.Add(row.prefix, row.url);
    return file.Save(path.c_str());
}

} // namespace

CExchangeCommands::CExchangeCommands(const CWnd& owner, CPrefixListCtrl& table)
    : m_owner(owner), m_table(table)
{
}

void CExchangeCommands::Import()
{
    CFileDialog dialog(true, "reg", nullptr, OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST,
                       LoadText(IDS_FILTER_IMPORT), m_owner.m_hWnd);
    if (dialog.DoModal() != IDOK)
        return;
    const std::string path = static_cast<const char*>(dialog.GetPathName());
    std::string bytes;
    if (DWORD error = CByteFile::Read(path.c_str(), bytes)) {
        ShowMessage(FileErrorText(IDS_COULD_NOT_READ_FILE, path, error), MB_ICONERROR);
        return;
    }
    bool bookmarks = CBookmarksFile::IsBookmarksFile(bytes) || CFileName::IsHtml(path);
    int imported = 0, skipped = 0;
    if (bookmarks ? !ImportInto<CBookmarksFile>(m_table, bytes, imported, skipped)
                  : !ImportInto<CPrefixFile>(m_table, bytes, imported, skipped)) {
        ShowMessage(FormattedText(bookmarks ? IDS_NOT_BOOKMARKS_FILE : IDS_NOT_REGISTRY_FILE, path.c_str()),
                    MB_ICONERROR);
        return;
    }
    std::string text = FormattedText(
        IDS_IMPORTED_FROM, Counted(imported, IDS_PREFIXES_ONE, IDS_PREFIXES_MANY).c_str(), path.c_str());
    if (skipped != 0)
        text += FormattedText(IDS_SKIPPED,
                              Counted(skipped, IDS_NOT_PREFIXES_ONE, IDS_NOT_PREFIXES_MANY).c_str());
    ShowMessage(text, MB_ICONINFORMATION);
}

void CExchangeCommands::Export()
{
    CFileDialog dialog(false, "reg", kExportName, OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST,
                       LoadText(IDS_FILTER_EXPORT), m_owner.m_hWnd);
    if (dialog.DoModal() != IDOK)
        return;
    const std::string path = static_cast<const char*>(dialog.GetPathName());
    // A name that says what it holds is taken at its word; otherwise the type.
    bool bookmarks = CFileName::IsHtml(path) ||
                     (!CFileName::HasExtension(path, ".reg") && dialog.GetFilterIndex() == kBookmarksType);
    DWORD error = bookmarks ? ExportFrom<CBookmarksFile>(m_table, path)
                            : ExportFrom<CPrefixFile>(m_table, path);
    if (error != 0)
        ShowMessage(FileErrorText(IDS_COULD_NOT_WRITE_FILE, path, error), MB_ICONERROR);
}

void CExchangeCommands::ImportFromBrowser()
{
    HCURSOR cursor = ::SetCursor(::LoadCursor(nullptr, IDC_WAIT));
    CFoundShortcuts found;
    CProfileReader::Read(CProfileFinder::Find(CKnownFolder::GetPath(FOLDERID_LocalAppData),
                                              CKnownFolder::GetPath(FOLDERID_RoamingAppData)),
                         found);
    const CPrefixListCtrl& table = m_table;
    CImportCandidates candidates(std::move(found), [&table](const CString& prefix, const CString& url) {
        return table.FindPrefix(prefix) == -1 || table.GetUrl(prefix) != url;
    });
    ::SetCursor(cursor);
    CBrowserImportDlg dialog(m_owner.m_hWnd, candidates);
    if (dialog.DoModal() != IDOK)
        return;
    int imported = m_table.AddOrUpdatePrefixes(dialog.GetChosenRows());
    ShowMessage(FormattedText(IDS_IMPORTED, Counted(imported, IDS_PREFIXES_ONE, IDS_PREFIXES_MANY).c_str()),
                MB_ICONINFORMATION);
}

void CExchangeCommands::ShowMessage(const std::string& text, UINT icon) const
{
    m_owner.MessageBox(text.c_str(), LoadText(IDS_APP_TITLE), MB_OK | icon);
}

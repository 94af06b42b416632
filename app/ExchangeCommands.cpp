#include "app/ExchangeCommands.h"

#include "app/BrowserImportDlg.h"
#include "app/ImportCandidates.h"
#include "exchange/BookmarksFile.h"
#include "exchange/ByteFile.h"
#include "exchange/PrefixFile.h"
#include "exchange/ProfileFinder.h"
#include "exchange/ProfileReader.h"
#include "framework/FileDialog.h"
#include "framework/KnownFolder.h"
#include "prefixes/PrefixListCtrl.h"
#include "registry/Win32Exception.h"

#include <vector>

namespace {

const char kCaption[] = "Quillory";
const char kImportFilter[] =
    "Registration Entries (*.reg)|*.reg|Bookmarks (*.html;*.htm)|*.html;*.htm|All Files (*.*)|*.*||";
const char kExportFilter[] =
    "Registration Entries (*.reg)|*.reg|Bookmarks for Firefox (*.html)|*.html|All Files (*.*)|*.*||";
const int kBookmarksType = 2;  // in both filters
// Without an extension: the dialog adds the one of the type chosen.
const char kExportName[] = "SearchUrl";

std::string SystemErrorText(DWORD error)
{
    if (error == ERROR_FILE_TOO_LARGE)
        return "The file is larger than 64 MB.";
    return Tessaly::CWin32Exception("", error).GetErrorMessage();
}

// The file name's extension, with its dot; empty when it has none.
std::string Extension(const std::string& path)
{
    size_t dot = path.find_last_of(".\\/");
    return dot == std::string::npos || path[dot] != '.' ? std::string() : path.substr(dot);
}

bool IsHtmlName(const std::string& path)
{
    const std::string extension = Extension(path);
    return _stricmp(extension.c_str(), ".html") == 0 || _stricmp(extension.c_str(), ".htm") == 0;
}

std::vector<CPrefixListCtrl::Row> RowsOf(const std::vector<CShortcut>& entries)
{
    std::vector<CPrefixListCtrl::Row> rows;
    rows.reserve(entries.size());
    for (const CShortcut& entry : entries)
        rows.push_back({entry.prefix, entry.url});
    return rows;
}

} // namespace

CExchangeCommands::CExchangeCommands(const CWnd& owner, CPrefixListCtrl& table)
    : m_owner(owner), m_table(table)
{
}

void CExchangeCommands::Import()
{
    CFileDialog dialog(true, "reg", nullptr, OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST, kImportFilter,
                       m_owner.m_hWnd);
    if (dialog.DoModal() != IDOK)
        return;
    const std::string path = static_cast<const char*>(dialog.GetPathName());
    std::string bytes;
    if (DWORD error = CByteFile::Read(path.c_str(), bytes)) {
        ShowMessage("Could not read " + path + ".\n\n" + SystemErrorText(error), MB_ICONERROR);
        return;
    }
    bool bookmarks = CBookmarksFile::IsBookmarksFile(bytes) || IsHtmlName(path);
    CPrefixFile regFile;
    CBookmarksFile bookmarksFile;
    if (bookmarks ? !bookmarksFile.Parse(bytes) : !regFile.Parse(bytes)) {
        ShowMessage(path + (bookmarks ? " is not a bookmarks file." : " is not a registry file.") +
                        "\n\nQuillory imports the .reg files that the Registry Editor and "
                        "Quillory's Export write, and the bookmarks files that browsers export.",
                    MB_ICONERROR);
        return;
    }
    const auto& entries = bookmarks ? bookmarksFile.GetEntries() : regFile.GetEntries();
    int imported = m_table.AddOrUpdatePrefixes(RowsOf(entries));
    int skipped = (bookmarks ? bookmarksFile.GetSkippedCount() : regFile.GetSkippedCount()) +
                  static_cast<int>(entries.size()) - imported;
    std::string text = "Imported " + CImportCandidates::Counted(imported, "prefix", "prefixes") +
                       " from " + path + ".";
    if (skipped != 0)
        text += "\n\nSkipped " +
                CImportCandidates::Counted(skipped, "entry that is not a search prefix",
                                           "entries that are not search prefixes") + ".";
    ShowMessage(text, MB_ICONINFORMATION);
}

void CExchangeCommands::Export()
{
    CFileDialog dialog(false, "reg", kExportName, OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST,
                       kExportFilter, m_owner.m_hWnd);
    if (dialog.DoModal() != IDOK)
        return;
    const std::string path = static_cast<const char*>(dialog.GetPathName());
    CPrefixFile regFile;
    CBookmarksFile bookmarksFile;
    // A name that says what it holds is taken at its word; otherwise the type.
    bool bookmarks = IsHtmlName(path) || (_stricmp(Extension(path).c_str(), ".reg") != 0 &&
                                          dialog.GetFilterIndex() == kBookmarksType);
    for (int row = 0; row < m_table.GetItemCount(); ++row) {
        CString prefix = m_table.GetItemText(row, CPrefixListCtrl::kPrefixColumn);
        CString url = m_table.GetItemText(row, CPrefixListCtrl::kUrlColumn);
        if (bookmarks)
            bookmarksFile.Add(prefix, url);
        else
            regFile.Add(prefix, url);
    }
    DWORD error = bookmarks ? bookmarksFile.Save(path.c_str()) : regFile.Save(path.c_str());
    if (error != 0)
        ShowMessage("Could not write " + path + ".\n\n" + SystemErrorText(error), MB_ICONERROR);
}

void CExchangeCommands::ImportFromBrowser()
{
    HCURSOR cursor = ::SetCursor(::LoadCursor(nullptr, IDC_WAIT));
    CFoundShortcuts found;
    CProfileReader::Read(CProfileFinder::Find(CKnownFolder::GetPath(FOLDERID_LocalAppData),
                                              CKnownFolder::GetPath(FOLDERID_RoamingAppData)),
                         found);
    CImportCandidates candidates(found, m_table);
    ::SetCursor(cursor);
    CBrowserImportDlg dialog(m_owner.m_hWnd, candidates);
    if (dialog.DoModal() != IDOK)
        return;
    int imported = m_table.AddOrUpdatePrefixes(dialog.GetChosenRows());
    ShowMessage("Imported " + CImportCandidates::Counted(imported, "prefix", "prefixes") + ".",
                MB_ICONINFORMATION);
}

void CExchangeCommands::ShowMessage(const std::string& text, UINT icon) const
{
    ::MessageBoxA(m_owner.m_hWnd, text.c_str(), kCaption, MB_OK | icon);
}

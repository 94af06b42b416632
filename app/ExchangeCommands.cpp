#include "app/ExchangeCommands.h"

#include "app/BrowserImportDlg.h"
#include "app/PrefixListCtrl.h"
#include "app/RestoreDlg.h"
#include "exchange/FileName.h"
#include "exchange/ImportCandidates.h"
#include "exchange/PrefixBackups.h"
#include "exchange/PrefixFiles.h"
#include "exchange/ProfileFinder.h"
#include "exchange/ProfileReader.h"
#include "framework/FileDialog.h"
#include "framework/Menu.h"
#include "prefixes/ReportText.h"
#include "registry/ProcessCodePage.h"
#include "res/resource.h"

#include <string>
#include <utility>
#include <vector>

namespace {

const int kBookmarksType = 2;  // in both filters
const int kPrefixListType = 3;
// Without an extension: the dialog adds the one of the type chosen.
const char kExportName[] = "SearchUrl";

// The system menu's items of these commands, and the commands.
const struct {
    UINT item;
    UINT text;
    UINT command;
} kSystemMenu[] = {
    {IDM_IMPORT, IDS_IMPORT_PREFIXES, ID_FILE_IMPORT},
    {IDM_EXPORT, IDS_EXPORT_PREFIXES, ID_FILE_EXPORT},
    {IDM_IMPORT_BROWSER, IDS_IMPORT_FROM_BROWSER, ID_FILE_IMPORT_BROWSER},
    {IDM_RESTORE, IDS_RESTORE_BACKUP, ID_FILE_RESTORE},
};

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
    std::vector<CPrefixListCtrl::Row> rows;
    int skipped = 0;
    CFileName::Format format = CFileName::kUnknown;
    if (DWORD error = CPrefixFiles::Load(path, rows, skipped, format)) {
        ShowMessage(CPrefixFiles::LoadError(path, error, format), MB_ICONERROR);
        return;
    }
    int imported = m_table.AddOrUpdatePrefixes(rows);
    skipped += static_cast<int>(rows.size()) - imported;
    ShowMessage(CPrefixFiles::ImportedText(path, imported, skipped), MB_ICONINFORMATION);
}

void CExchangeCommands::Export()
{
    CFileDialog dialog(false, "reg", kExportName, OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST,
                       LoadText(IDS_FILTER_EXPORT), m_owner.m_hWnd);
    if (dialog.DoModal() != IDOK)
        return;
    const std::string path = static_cast<const char*>(dialog.GetPathName());
    // A name that says what it holds is taken at its word; otherwise the type.
    CFileName::Format format = CFileName::FormatOf(path);
    if (format == CFileName::kUnknown)
        format = dialog.GetFilterIndex() == kBookmarksType    ? CFileName::kHtml
                 : dialog.GetFilterIndex() == kPrefixListType ? CFileName::kJson
                                                              : CFileName::kReg;
    std::vector<CPrefixFiles::LeftOut> leftOut;
    DWORD error = CPrefixFiles::Save(path, m_table.GetRows(), format, leftOut);
    if (error != 0) {
        ShowMessage(CPrefixFiles::SaveError(path, error), MB_ICONERROR);
        return;
    }
    if (leftOut.empty())
        return;
    std::vector<std::string> lines;
    for (const CPrefixFiles::LeftOut& row : leftOut)
        lines.push_back(CPrefixFiles::LeftOutText(row));
    ShowMessage(FormattedText(IDS_EXPORT_LEFT_OUT, path.c_str()) + "\n\n" + CReportText::Listed(lines, "\n"),
                MB_ICONWARNING);
}

void CExchangeCommands::ImportFromBrowser()
{
    HCURSOR cursor = ::SetCursor(::LoadCursor(nullptr, IDC_WAIT));
    CFoundShortcuts found;
    CProfileReader::Read(CProfileFinder::FindForUser(), found);
    const CPrefixListCtrl& table = m_table;
    CImportCandidates candidates(std::move(found), [&table](const CString& prefix, const CString& url) {
        return table.WouldChange(prefix, url);
    });
    ::SetCursor(cursor);
    CBrowserImportDlg dialog(m_owner.m_hWnd, candidates);
    if (dialog.DoModal() != IDOK)
        return;
    ShowMessage(CImportCandidates::ImportedText(m_table.AddOrUpdatePrefixes(dialog.GetChosenRows())),
                MB_ICONINFORMATION);
}

void CExchangeCommands::Restore()
{
    const std::vector<CPrefixListCtrl::Row> now = m_table.GetRows();
    HCURSOR cursor = ::SetCursor(::LoadCursor(nullptr, IDC_WAIT));
    std::vector<CPrefixBackups::Backup> backups = CPrefixBackups().List();
    ::SetCursor(cursor);
    CRestoreDlg dialog(m_owner.m_hWnd, std::move(backups), now);
    if (dialog.DoModal() != IDOK)
        return;
    const std::vector<PrefixRow>& rows = dialog.GetChosen().rows;
    for (const CString& prefix : CPrefixBackups::Removed(now, rows))
        m_table.RemovePrefix(prefix);
    const int restored = m_table.AddOrUpdatePrefixes(rows);
    if (restored < static_cast<int>(rows.size()))
        ShowMessage(CPrefixFiles::ImportedText(Tessaly::Narrow(dialog.GetChosen().path), restored,
                                               static_cast<int>(rows.size()) - restored),
                    MB_ICONWARNING);
}

void CExchangeCommands::AppendTo(HMENU systemMenu)
{
    for (const auto& item : kSystemMenu)
        CMenu::AppendString(systemMenu, item.item, item.text);
}

UINT CExchangeCommands::CommandOf(UINT systemCommand)
{
    for (const auto& item : kSystemMenu) {
        if (item.item == systemCommand)
            return item.command;
    }
    return 0;
}

void CExchangeCommands::ShowMessage(const std::string& text, UINT icon) const
{
    m_owner.MessageBox(text.c_str(), LoadText(IDS_APP_TITLE), MB_OK | icon);
}

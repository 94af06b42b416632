#include "exchange/PrefixFiles.h"

#include "exchange/BookmarksFile.h"
#include "exchange/ByteFile.h"
#include "exchange/FileName.h"
#include "exchange/PrefixFile.h"
#include "res/resource.h"

namespace {

template <class File>
bool ParseAs(const std::string& bytes, std::vector<PrefixRow>& rows, int& skipped)
{
    File file;
    if (!file.Parse(bytes))
        return false;
    for (const CShortcut& entry : file.GetEntries())
        rows.push_back({entry.prefix, entry.url});
    skipped = file.GetSkippedCount();
    return true;
}

std::string Formatted(const std::vector<PrefixRow>& rows, std::vector<CPrefixFiles::LeftOut>& leftOut)
{
    CPrefixFile file;
    for (const PrefixRow& row : rows) {
        if (!file.Add(row.prefix, row.url))
            leftOut.push_back({row.prefix, IDS_LEFT_OUT_LINE_BREAK});
    }
    return file.Format();
}

std::string FormattedBookmarks(const std::vector<PrefixRow>& rows, std::vector<CPrefixFiles::LeftOut>& leftOut)
{
    static const UINT kWhy[] = {0, IDS_LEFT_OUT_NOT_TYPABLE, IDS_CLI_POLICY_NO_QUERY, IDS_LEFT_OUT_NOT_WEB,
                                IDS_LEFT_OUT_FOLDED};
    CBookmarksFile file;
    for (const PrefixRow& row : rows) {
        CBookmarksFile::Reason reason = file.Add(row.prefix, row.url);
        if (reason != CBookmarksFile::kAdded)
            leftOut.push_back({row.prefix, kWhy[reason]});
    }
    return file.Format();
}

} // namespace

DWORD CPrefixFiles::Load(const std::string& path, std::vector<PrefixRow>& rows, int& skipped, bool& bookmarks)
{
    std::string bytes;
    bookmarks = CFileName::IsHtml(path);
    if (DWORD error = CByteFile::Read(path.c_str(), bytes))
        return error;
    return Parse(bytes, rows, skipped, bookmarks);
}

DWORD CPrefixFiles::Parse(const std::string& bytes, std::vector<PrefixRow>& rows, int& skipped, bool& bookmarks)
{
    bookmarks = bookmarks || CBookmarksFile::IsBookmarksFile(bytes);
    rows.clear();
    bool parsed = bookmarks ? ParseAs<CBookmarksFile>(bytes, rows, skipped) : ParseAs<CPrefixFile>(bytes, rows, skipped);
    return parsed ? 0 : ERROR_BAD_FORMAT;
}

std::string CPrefixFiles::LoadError(const std::string& path, DWORD error, bool bookmarks)
{
    if (error == ERROR_BAD_FORMAT)
        return FormattedText(bookmarks ? IDS_NOT_BOOKMARKS_FILE : IDS_NOT_REGISTRY_FILE, path.c_str());
    return FormattedText(IDS_COULD_NOT_READ_FILE, path.c_str(), CByteFile::ErrorText(error).c_str());
}

std::string CPrefixFiles::ImportedText(const std::string& path, int imported, int skipped)
{
    std::string text = FormattedText(
        IDS_IMPORTED_FROM, Counted(imported, IDS_PREFIXES_ONE, IDS_PREFIXES_MANY).c_str(), path.c_str());
    if (skipped != 0)
        text += FormattedText(IDS_SKIPPED, Counted(skipped, IDS_NOT_PREFIXES_ONE, IDS_NOT_PREFIXES_MANY).c_str());
    return text;
}

std::string CPrefixFiles::Format(const std::vector<PrefixRow>& rows, bool bookmarks, std::vector<LeftOut>& leftOut)
{
    leftOut.clear();
    return bookmarks ? FormattedBookmarks(rows, leftOut) : Formatted(rows, leftOut);
}

DWORD CPrefixFiles::Save(const std::string& path, const std::vector<PrefixRow>& rows, bool bookmarks,
                         std::vector<LeftOut>& leftOut)
{
    return CByteFile::Write(path.c_str(), Format(rows, bookmarks, leftOut));
}

std::string CPrefixFiles::SaveError(const std::string& path, DWORD error)
{
    return FormattedText(IDS_COULD_NOT_WRITE_FILE, path.c_str(), CByteFile::ErrorText(error).c_str());
}

std::string CPrefixFiles::LeftOutText(const LeftOut& row)
{
    return FormattedText(IDS_LEFT_OUT_OF_FILE, ControlsEscaped(row.prefix).c_str(), LoadText(row.why));
}

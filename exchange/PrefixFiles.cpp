#include "exchange/PrefixFiles.h"

#include "exchange/BookmarksFile.h"
#include "exchange/ByteFile.h"
#include "exchange/FileName.h"
#include "exchange/PolicyReader.h"
#include "exchange/PrefixFile.h"
#include "exchange/TextEncoding.h"
#include "registry/ProcessCodePage.h"
#include "res/resource.h"

#include <nlohmann/json.hpp>

#include <cctype>

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

bool ParseJson(const std::string& bytes, std::vector<PrefixRow>& rows, int& skipped)
{
    CPolicyReader reader;
    std::vector<CShortcut> entries;
    if (!reader.ParseJson(bytes))
        return false;
    skipped = 0;
    reader.Finish(entries, skipped);
    for (const CShortcut& entry : entries)
        rows.push_back({entry.prefix, entry.url});
    return true;
}

// Whether the text starts, after a byte-order mark and white space, as
// JSON does: with an object, or an array whose first element is no key
// name, as a .reg section without its header would be. Alike in UTF-8 and
// UTF-16LE.
bool StartsAsJson(const std::string& bytes)
{
    const std::string blank("\xEF\xBB\xBF\xFF\xFE \t\r\n\0", 10);
    const size_t first = bytes.find_first_not_of(blank);
    if (first == std::string::npos || (bytes[first] != '{' && bytes[first] != '['))
        return false;
    const size_t next = bytes.find_first_not_of(blank, first + 1);
    return bytes[first] == '{' || next == std::string::npos || !std::isalpha(static_cast<unsigned char>(bytes[next]));
}

// An array of {"prefix", "url"} objects, as PowerShell's ConvertFrom-Json
// and every other JSON reader take it. In ASCII, every other character
// escaped: PowerShell decodes a program's output in the console's code
// page, not as UTF-8.
std::string FormattedJson(const std::vector<PrefixRow>& rows)
{
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (const PrefixRow& row : rows)
        list.push_back({{"prefix", Utf8FromWide(Tessaly::Widen(row.prefix))},
                        {"url", Utf8FromWide(Tessaly::Widen(row.url))}});
    return list.dump(2, ' ', true, nlohmann::json::error_handler_t::replace) + "\n";
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

DWORD CPrefixFiles::Load(const std::string& path, std::vector<PrefixRow>& rows, int& skipped,
                         CFileName::Format& format)
{
    std::string bytes;
    format = CFileName::FormatOf(path);
    if (DWORD error = CByteFile::Read(path.c_str(), bytes))
        return error;
    return Parse(bytes, rows, skipped, format);
}

DWORD CPrefixFiles::Parse(const std::string& bytes, std::vector<PrefixRow>& rows, int& skipped,
                          CFileName::Format& format)
{
    if (format == CFileName::kHtml || CBookmarksFile::IsBookmarksFile(bytes))
        format = CFileName::kHtml;
    else if (format == CFileName::kJson || (format != CFileName::kReg && StartsAsJson(bytes)))
        format = CFileName::kJson;
    else
        format = CFileName::kReg;
    rows.clear();
    bool parsed = format == CFileName::kHtml   ? ParseAs<CBookmarksFile>(bytes, rows, skipped)
                  : format == CFileName::kJson ? ParseJson(bytes, rows, skipped)
                                               : ParseAs<CPrefixFile>(bytes, rows, skipped);
    return parsed ? 0 : ERROR_BAD_FORMAT;
}

std::string CPrefixFiles::LoadError(const std::string& path, DWORD error, CFileName::Format format)
{
    static const UINT kNotOfFormat[] = {IDS_NOT_REGISTRY_FILE, IDS_NOT_REGISTRY_FILE, IDS_NOT_BOOKMARKS_FILE,
                                        IDS_NOT_JSON_FILE};  // as CFileName::Format
    if (error == ERROR_BAD_FORMAT)
        return FormattedText(kNotOfFormat[format], path.c_str());
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

std::string CPrefixFiles::Format(const std::vector<PrefixRow>& rows, CFileName::Format format,
                                 std::vector<LeftOut>& leftOut)
{
    leftOut.clear();
    return format == CFileName::kHtml   ? FormattedBookmarks(rows, leftOut)
           : format == CFileName::kJson ? FormattedJson(rows)
                                        : Formatted(rows, leftOut);
}

DWORD CPrefixFiles::Save(const std::string& path, const std::vector<PrefixRow>& rows, CFileName::Format format,
                         std::vector<LeftOut>& leftOut)
{
    return CByteFile::Write(path.c_str(), Format(rows, format, leftOut));
}

std::string CPrefixFiles::SaveError(const std::string& path, DWORD error)
{
    return FormattedText(IDS_COULD_NOT_WRITE_FILE, path.c_str(), CByteFile::ErrorText(error).c_str());
}

std::string CPrefixFiles::LeftOutText(const LeftOut& row)
{
    return FormattedText(IDS_LEFT_OUT_OF_FILE, ControlsEscaped(row.prefix).c_str(), LoadText(row.why));
}

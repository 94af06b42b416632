// The store: loading the browser's search prefixes from the SearchUrl key,
// the default set, and writing the table back.

#include "prefixes/PrefixListCtrl.h"

#include "framework/StringArray.h"
#include "prefixes/SearchUrlCatalog.h"
#include "registry/RegistryKey.h"

#include <algorithm>
#include <string>

using Tessaly::CRegistryKey;

CPrefixListCtrl::MessageBoxFunction CPrefixListCtrl::s_messageBox = &::MessageBoxA;

namespace {

const char kSearchUrlPath[] = "Software\\Microsoft\\Internet Explorer\\SearchUrl";
const REGSAM kAccess = KEY_ALL_ACCESS;

const char kReadFailed[] = "Could not read from the registry.";
const char kDeleteFailed[] = "Could not delete in the registry.";
const char kAddFailed[] = "Could not add keys to the registry.";
const char kSkippedIntro[] = "\n\nThese prefixes could not be shown and are kept as they are: ";
const int kSkippedNamesListed = 10;

// What the browser puts in the URL for these characters of the query.
struct Replacement {
    const char* character;
    const char* text;
};
const Replacement kReplacements[] = {{" ", "+"}, {"%", "%25"}, {"&", "%26"}, {"+", "%2B"}};
const DWORD kPrefixValueCount = 1 + sizeof kReplacements / sizeof kReplacements[0];

struct DefaultPrefix {
    const char* prefix;
    const char* catalogLabel;
};
const DefaultPrefix kDefaults[] = {
    {"GOOGLE", "Web Search: Google"},
    {"ARTIST", "Music: All Music Guide - Artist"},
    {"ALBUM", "Music: All Music Guide - Album"},
    {"MOVIE", "Movies: Internet Movie Database"},
    {"IMAGE", "Images: Google Images"},
    {"NEWS", "News: Google - News"},
    {"USENET", "Usenet Groups: Google - Groups"},
};

CRegistryKey OpenSearchUrlKey()
{
    return CRegistryKey(HKEY_CURRENT_USER, kSearchUrlPath, kAccess, nullptr);
}

// The URL template of one prefix subkey; false when the subkey cannot be
// opened, its default value is missing or not text, or its name or URL is
// not held exactly by the process code page, so that a save would alter it.
bool ReadUrl(const CRegistryKey::SubkeyIterator& subkey, CString& url)
{
    try {
        if (!subkey.IsNameExact())
            return false;
        CRegistryKey key = subkey.OpenKey(kAccess);
        url = static_cast<const char*>(key.QueryValue(""));
        return url.IsEmpty() || key.IsValueExact("", url);
    } catch (const CRegistryKey::Exception&) {
        return false;
    }
}

CString LoadFailureText(const CStringArray& skipped)
{
    std::string text = kReadFailed;
    if (skipped.GetSize() == 0)
        return text.c_str();
    text += kSkippedIntro;
    int listed = std::min(skipped.GetSize(), kSkippedNamesListed);
    for (int i = 0; i < listed; ++i)
        text += (i == 0 ? "" : ", ") + std::string(skipped[i]);
    if (skipped.GetSize() > listed)
        text += " and " + std::to_string(skipped.GetSize() - listed) + " more";
    return text.c_str();
}

CSubkeyNames SubkeyNamesOf(const CRegistryKey& key)
{
    CSubkeyNames names;
    for (auto subkey = key.BeginSubkeyIteration(); subkey != key.EndSubkeyIteration(); ++subkey)
        names.Add(subkey.GetName());
    return names;
}

bool IsPrefixValue(const std::string& name)
{
    if (name.empty())
        return true;
    for (const Replacement& replacement : kReplacements) {
        if (name == replacement.character)
            return true;
    }
    return false;
}

void WriteValues(CRegistryKey& subkey, const char* url)
{
    subkey.SetValue("", url, REG_SZ);
    for (const Replacement& replacement : kReplacements)
        subkey.SetValue(replacement.character, replacement.text, REG_SZ);
}

// Whatever else another program left in a prefix subkey.
void RemoveOtherContent(CRegistryKey& subkey)
{
    CRegistryKey::Counts counts = subkey.GetCounts();
    if (counts.values > kPrefixValueCount) {
        for (const std::string& name : subkey.GetValueNames()) {
            if (!IsPrefixValue(name))
                subkey.DeleteValue(name.c_str());
        }
    }
    if (counts.subkeys != 0)
        subkey.DeleteSubkeys();
}

// Deletes a prefix subkey; one that is gone already is fine.
void DeleteSubkey(CRegistryKey& searchUrl, const char* name)
{
    try {
        searchUrl.DeleteKeyAndSubkeys(name);
    } catch (const CRegistryKey::Exception& e) {
        if (e.GetErrorCode() != ERROR_FILE_NOT_FOUND)
            throw;
        try {
            searchUrl.OpenKey(name, kAccess);
        } catch (const CRegistryKey::Exception& gone) {
            if (gone.GetErrorCode() == ERROR_FILE_NOT_FOUND)
                return;
        }
        throw;  // something below it was missing, not the subkey itself
    }
}

} // namespace

void CPrefixListCtrl::ShowError(const char* text) const
{
    s_messageBox(m_hWnd, text, "Error", MB_OK | MB_ICONHAND);
}

void CPrefixListCtrl::LoadPrefixes()
{
    m_bLoadClean = false;
    m_shownSubkeys.RemoveAll();
    CStringArray skipped;
    bool walked = false;
    try {
        CRegistryKey searchUrl = OpenSearchUrlKey();
        for (auto subkey = searchUrl.BeginSubkeyIteration();
             subkey != searchUrl.EndSubkeyIteration(); ++subkey) {
            CString url;
            // An unreadable prefix is passed over; the rest are still loaded.
            if (!ReadUrl(subkey, url))
                skipped.Add(subkey.GetName());
            else if (AddOrUpdateRow(subkey.GetName(), url) != -1)
                m_shownSubkeys.Add(subkey.GetName());
        }
        walked = true;
    } catch (const CRegistryKey::Exception&) {
    }
    if (!walked || skipped.GetSize() != 0)
        ShowError(LoadFailureText(skipped));
    if (!walked)
        return;
    // What was passed over is not in the table: nothing there differs from
    // what could be read.
    m_bModified = false;
    m_bLoadClean = skipped.GetSize() == 0;
}

void CPrefixListCtrl::AddDefaultPrefixes()
{
    CSearchUrlCatalog catalog;
    for (const DefaultPrefix& entry : kDefaults)
        AddOrUpdatePrefix(entry.prefix, catalog.Lookup(entry.catalogLabel));
}

bool CPrefixListCtrl::SavePrefixes()
{
    // Rows first, removals after: at every moment each prefix is in the key
    // under its old or its new name. Nothing is deleted after a row failed,
    // since that row may be the new name of a subkey that would go.
    CSubkeyNames rows;
    bool saved = WriteRows(rows) && DeleteRemovedSubkeys(rows);
    // After a failure the key does not hold the table: Apply stays enabled.
    m_bModified = !saved;
    return saved;
}

bool CPrefixListCtrl::WriteRows(CSubkeyNames& rows)
{
    // A row that cannot be written does not keep the rows after it from
    // being written.
    bool failed = false;
    try {
        CRegistryKey searchUrl = OpenSearchUrlKey();
        CSubkeyNames stored = SubkeyNamesOf(searchUrl);
        for (int item = 0; item < GetItemCount(); ++item) {
            CString prefix = GetItemText(item, kPrefixColumn);
            rows.Add(prefix);
            try {
                WriteRow(searchUrl, stored, prefix, GetItemText(item, kUrlColumn));
            } catch (const CRegistryKey::Exception&) {
                failed = true;
            }
        }
    } catch (const CRegistryKey::Exception&) {
        failed = true;
    }
    if (failed)
        ShowError(kAddFailed);
    return !failed;
}

void CPrefixListCtrl::WriteRow(CRegistryKey& searchUrl, const CSubkeyNames& stored,
                               const CString& prefix, const CString& url)
{
    // The registry keeps a key's spelling, so a subkey takes the row's letter
    // case only by being made anew; for that instant the prefix is missing.
    const CString* spelling = stored.Find(prefix);
    if (spelling != nullptr && *spelling != prefix)
        DeleteSubkey(searchUrl, *spelling);

    DWORD disposition = 0;
    CRegistryKey subkey = searchUrl.CreateOrOpenKey(prefix, &disposition, "", 0, kAccess, nullptr);
    m_shownSubkeys.Add(prefix);
    // Written over the old values, so that the key never lacks the URL.
    WriteValues(subkey, url);
    if (disposition == REG_OPENED_EXISTING_KEY)
        RemoveOtherContent(subkey);
}

bool CPrefixListCtrl::DeleteRemovedSubkeys(const CSubkeyNames& rows)
{
    std::vector<CString> removed = m_shownSubkeys.NotIn(rows);
    if (removed.empty())
        return true;
    // Every subkey that can be deleted is, even when another cannot be.
    bool failed = false;
    try {
        CRegistryKey searchUrl = OpenSearchUrlKey();
        for (const CString& name : removed) {
            try {
                DeleteSubkey(searchUrl, name);
                m_shownSubkeys.Remove(name);
            } catch (const CRegistryKey::Exception&) {
                failed = true;
            }
        }
    } catch (const CRegistryKey::Exception&) {
        failed = true;
    }
    if (failed)
        ShowError(kDeleteFailed);
    return !failed;
}

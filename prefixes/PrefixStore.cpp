// The store: loading the browser's search prefixes from the SearchUrl key,
// the default set, and writing the table back.

#include "prefixes/PrefixListCtrl.h"

#include "prefixes/PrefixCase.h"
#include "prefixes/SearchUrlCatalog.h"
#include "registry/RegistryKey.h"

using Tessaly::CRegistryKey;

CPrefixListCtrl::MessageBoxFunction CPrefixListCtrl::s_messageBox = &::MessageBoxA;

namespace {

const char kSearchUrlPath[] = "Software\\Microsoft\\Internet Explorer\\SearchUrl";
const REGSAM kAccess = KEY_ALL_ACCESS;
const int kNameListGrowBy = 100;

const char kReadFailed[] = "Could not read from the registry.";
const char kDeleteFailed[] = "Could not delete in the registry.";
const char kAddFailed[] = "Could not add keys to the registry.";

// What the browser puts in the URL for these characters of the query.
struct Replacement {
    const char* character;
    const char* text;
};
const Replacement kReplacements[] = {{" ", "+"}, {"%", "%25"}, {"&", "%26"}, {"+", "%2B"}};

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
// opened or its default value is missing or not text.
bool ReadUrl(const CRegistryKey::SubkeyIterator& subkey, CString& url)
{
    try {
        url = static_cast<const char*>(subkey.OpenKey(kAccess).QueryValue(""));
        return true;
    } catch (const CRegistryKey::Exception&) {
        return false;
    }
}

void WritePrefix(CRegistryKey& searchUrl, const char* prefix, const char* url)
{
    CRegistryKey subkey = searchUrl.CreateKey(prefix, "", 0, kAccess, nullptr);
    subkey.SetValue("", url, REG_SZ);
    for (const Replacement& replacement : kReplacements)
        subkey.SetValue(replacement.character, replacement.text, REG_SZ);
}

bool Contains(const CStringArray& names, const char* name)
{
    for (int i = 0; i < names.GetSize(); ++i) {
        if (names[i] == name)
            return true;
    }
    return false;
}

} // namespace

void CPrefixListCtrl::ShowError(const char* text) const
{
    s_messageBox(m_hWnd, text, "Error", MB_OK | MB_ICONHAND);
}

void CPrefixListCtrl::LoadPrefixes()
{
    m_bLoadClean = false;
    m_readSubkeys.RemoveAll();
    bool skippedSubkey = false;
    try {
        CRegistryKey searchUrl = OpenSearchUrlKey();
        for (auto subkey = searchUrl.BeginSubkeyIteration();
             subkey != searchUrl.EndSubkeyIteration(); ++subkey) {
            CString url;
            // An unreadable prefix is passed over; the rest are still loaded.
            if (!ReadUrl(subkey, url)) {
                skippedSubkey = true;
                continue;
            }
            m_readSubkeys.Add(subkey.GetName());
            AddOrUpdatePrefix(subkey.GetName(), url);
        }
    } catch (const CRegistryKey::Exception&) {
        ShowError(kReadFailed);
        return;
    }
    if (skippedSubkey) {
        ShowError(kReadFailed);
        return;
    }
    m_bModified = false;
    m_bLoadClean = true;
}

void CPrefixListCtrl::AddDefaultPrefixes()
{
    CSearchUrlCatalog catalog;
    for (const DefaultPrefix& entry : kDefaults)
        AddOrUpdatePrefix(entry.prefix, catalog.Lookup(entry.catalogLabel));
}

bool CPrefixListCtrl::MayDeleteSubkey(const char* name) const
{
    // The registry compares key names without regard to case.
    return m_bLoadClean || Contains(m_readSubkeys, name) ||
           FindPrefix(UpperCasePrefix(name)) != -1;
}

void CPrefixListCtrl::SavePrefixes()
{
    // Phase 1: remove the old entries. Every subkey that can be deleted is,
    // even when another cannot be.
    bool deleteFailed = false;
    try {
        CRegistryKey searchUrl = OpenSearchUrlKey();
        CStringArray names;
        names.SetSize(0, kNameListGrowBy);
        // Deleting shifts the enumeration, so the names are collected first.
        for (auto subkey = searchUrl.BeginSubkeyIteration();
             subkey != searchUrl.EndSubkeyIteration(); ++subkey)
            names.Add(subkey.GetName());
        for (int i = 0; i < names.GetSize(); ++i) {
            if (!MayDeleteSubkey(names[i]))
                continue;
            try {
                searchUrl.DeleteKeyAndSubkeys(names[i]);
            } catch (const CRegistryKey::Exception&) {
                deleteFailed = true;
            }
        }
    } catch (const CRegistryKey::Exception&) {
        deleteFailed = true;
    }
    if (deleteFailed)
        ShowError(kDeleteFailed);

    // Phase 2: write every row. A row that cannot be written does not keep
    // the rows after it from being written.
    bool addFailed = false;
    try {
        CRegistryKey searchUrl = OpenSearchUrlKey();
        for (int item = 0; item < GetItemCount(); ++item) {
            try {
                WritePrefix(searchUrl, GetItemText(item, 0), GetItemText(item, 1));
            } catch (const CRegistryKey::Exception&) {
                addFailed = true;
            }
        }
    } catch (const CRegistryKey::Exception&) {
        addFailed = true;
    }
    if (addFailed)
        ShowError(kAddFailed);

    // Apply stays enabled after any failure, so the user can try again.
    if (!deleteFailed && !addFailed)
        m_bModified = false;
}

// The store: loading the browser's search prefixes from the SearchUrl key,
// the default set, and writing the table back.

#include "prefixes/PrefixListCtrl.h"

#include "prefixes/PrefixCase.h"
#include "prefixes/SearchQuery.h"
#include "prefixes/SearchUrlCatalog.h"
#include "registry/ProcessCodePage.h"
#include "registry/RegistryKey.h"

#include <algorithm>
#include <map>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

using Tessaly::CRegistryKey;

CPrefixListCtrl::MessageBoxFunction CPrefixListCtrl::s_messageBox = &::MessageBoxA;

namespace {

const char kSearchUrlPath[] = "Software\\Microsoft\\Internet Explorer\\SearchUrl";
const REGSAM kAccess = KEY_ALL_ACCESS;

const char kReadFailed[] = "Could not read from the registry.";
const char kDeleteFailed[] = "Could not delete in the registry.";
const char kAddFailed[] = "Could not add keys to the registry.";
const char kKeptIntro[] = "\n\nThese prefixes could not be shown and are kept as they are: ";
const size_t kKeptNamesListed = 10;

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
// opened, its default value is missing or not text, or the process code
// page does not hold it exactly, so that a save would alter it.
bool ReadUrl(const CRegistryKey::SubkeyIterator& subkey, CString& url)
{
    try {
        std::string text;
        bool exact = subkey.OpenKey(kAccess).QueryExactText("", text);
        url = text.c_str();
        return exact;
    } catch (const CRegistryKey::Exception&) {
        return false;
    }
}

// The message, naming the prefixes kept as they are, when there are any.
CString FailureText(const char* failure, const std::vector<CString>& kept)
{
    std::string text = failure;
    if (kept.empty())
        return text.c_str();
    text += kKeptIntro;
    size_t listed = std::min(kept.size(), kKeptNamesListed);
    for (size_t i = 0; i < listed; ++i)
        text += (i == 0 ? "" : ", ") + std::string(kept[i]);
    if (kept.size() > listed)
        text += " and " + std::to_string(kept.size() - listed) + " more";
    return text.c_str();
}

CSubkeyNames SubkeyNamesOf(const CRegistryKey& key)
{
    CSubkeyNames names;
    for (auto subkey = key.BeginSubkeyIteration(); subkey != key.EndSubkeyIteration(); ++subkey)
        names.Add(subkey.GetName());
    return names;
}

void WriteValues(CRegistryKey& subkey, const char* url)
{
    subkey.SetValue("", url, REG_SZ);
    for (const CSearchQuery::Replacement& replacement : CSearchQuery::kReplacements)
        subkey.SetValue(replacement.character, replacement.text, REG_SZ);
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

// Whatever else another program left in a prefix subkey.
void RemoveOtherContent(CRegistryKey& subkey)
{
    const auto& replacements = CSearchQuery::kReplacements;
    static const std::vector<std::string> prefixValues = {
        "", replacements[0].character, replacements[1].character, replacements[2].character,
        replacements[3].character};
    CRegistryKey::Counts counts = subkey.GetCounts();
    if (counts.values > prefixValues.size())
        subkey.DeleteValuesExcept(prefixValues);
    if (counts.subkeys != 0)
        subkey.DeleteSubkeys();
}

// Writes a row over its subkey. The registry keeps a key's spelling, so a
// subkey takes the row's letter case only by being made anew; for that
// instant the prefix is missing.
void WriteRow(CRegistryKey& searchUrl, const CSubkeyNames& stored, const CString& prefix,
              const CString& url)
{
    const CString* spelling = stored.Find(prefix);
    if (spelling != nullptr && *spelling != prefix)
        DeleteSubkey(searchUrl, *spelling);

    DWORD disposition = 0;
    CRegistryKey subkey = searchUrl.CreateOrOpenKey(prefix, &disposition, "", 0, kAccess, nullptr);
    // Written over the old values, so that the key never lacks the URL.
    WriteValues(subkey, url);
    if (disposition == REG_OPENED_EXISTING_KEY)
        RemoveOtherContent(subkey);
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
    m_keptSubkeys.RemoveAll();
    m_renamedFrom.clear();
    std::vector<CString> skipped;
    std::vector<Row> loaded;
    bool walked = false;
    try {
        CRegistryKey searchUrl = OpenSearchUrlKey();
        for (auto subkey = searchUrl.BeginSubkeyIteration();
             subkey != searchUrl.EndSubkeyIteration(); ++subkey) {
            // An unreadable prefix is passed over and kept; the rest are
            // still loaded. A narrow name that is not the stored one (the
            // process code page cannot hold it) may open another subkey or
            // none, and names no row's subkey.
            CString url;
            bool exact = true;
            bool readable = false;
            try {
                exact = subkey.IsNameExact();
                readable = exact && ReadUrl(subkey, url);
            } catch (const CRegistryKey::Exception&) {
            }
            if (!readable) {
                skipped.push_back(subkey.GetName());
                if (exact)
                    m_keptSubkeys.Add(subkey.GetName());
            } else {
                loaded.push_back({subkey.GetName(), url});
            }
        }
        walked = true;
    } catch (const CRegistryKey::Exception&) {
    }
    AddOrUpdateRows(loaded, &m_shownSubkeys);
    std::vector<Row>().swap(loaded);
    if (!walked || !skipped.empty())
        ShowError(FailureText(kReadFailed, skipped));
    if (!walked)
        return;
    // What was passed over is not in the table: nothing there differs from
    // what could be read.
    m_bModified = false;
    m_bLoadClean = skipped.empty();
}

void CPrefixListCtrl::AddDefaultPrefixes()
{
    CSearchUrlCatalog catalog;
    for (const DefaultPrefix& entry : kDefaults)
        AddOrUpdatePrefix(entry.prefix, catalog.Lookup(entry.catalogLabel));
}

// One row on its way to the key.
struct CPrefixListCtrl::PendingRow {
    enum State { Waiting, Written, Failed };

    CString prefix;
    CString url;
    CString from;  // where its prefix is stored, when renamed since
    State state;
};

bool CPrefixListCtrl::SavePrefixes()
{
    // Rows first, removals after. A subkey whose prefix a failed row still
    // needs is not deleted.
    CSubkeyNames rows, keep;
    bool written = WriteRows(rows, keep);
    bool deleted = DeleteRemovedSubkeys(rows, keep);
    // After a failure the key does not hold the table: Apply stays enabled.
    m_bModified = !(written && deleted);
    return written && deleted;
}

std::vector<CPrefixListCtrl::PendingRow> CPrefixListCtrl::PendingRows(CSubkeyNames& rows,
                                                                      std::vector<CString>& kept) const
{
    std::vector<PendingRow> pending;
    for (int item = 0; item < GetItemCount(); ++item) {
        CString prefix = GetItemText(item, kPrefixColumn);
        auto renamed = m_renamedFrom.find(static_cast<const char*>(prefix));
        // Never written over: a subkey the load passed over, or the subkey of
        // another row whose name the registry takes for the same.
        bool refused = m_keptSubkeys.Find(prefix) != nullptr;
        if (refused)
            kept.push_back(prefix);
        refused = refused || rows.Find(prefix) != nullptr;
        rows.Add(prefix);
        pending.push_back({prefix, GetItemText(item, kUrlColumn),
                           renamed != m_renamedFrom.end() ? renamed->second : CString(),
                           refused ? PendingRow::Failed : PendingRow::Waiting});
    }
    return pending;
}

bool CPrefixListCtrl::WriteRows(CSubkeyNames& rows, CSubkeyNames& keep)
{
    std::vector<CString> kept;
    std::vector<PendingRow> pending = PendingRows(rows, kept);
    try {
        CRegistryKey searchUrl = OpenSearchUrlKey();
        WriteInOrder(searchUrl, pending);
    } catch (const CRegistryKey::Exception&) {
    }
    bool failed = false;
    for (const PendingRow& row : pending) {
        std::string name = static_cast<const char*>(row.prefix);
        if (row.state == PendingRow::Written) {
            m_renamedFrom.erase(name);
            continue;
        }
        failed = true;
        if (!row.from.IsEmpty()) {
            keep.Add(row.from);
            m_renamedFrom[name] = row.from;
        }
    }
    if (failed)
        ShowError(FailureText(kAddFailed, kept));
    return !failed;
}

// A row waits while the subkey it is written to holds the prefix of another
// row, renamed away, that is not written yet; so each prefix is always in
// the key under its old or its new name. Rows that swap names wait on each
// other: one of their prefixes is set aside in a subkey of its own first.
void CPrefixListCtrl::WriteInOrder(CRegistryKey& searchUrl, std::vector<PendingRow>& pending)
{
    CSubkeyNames stored = SubkeyNamesOf(searchUrl);
    std::map<std::wstring, size_t, CSubkeyNames::IgnoringCase> heldBy;
    for (size_t i = 0; i < pending.size(); ++i) {
        if (!pending[i].from.IsEmpty())
            heldBy[Tessaly::Widen(pending[i].from)] = i;
    }
    auto holder = [&](size_t i) -> PendingRow* {
        if (heldBy.empty())  // nothing renamed: the usual save
            return nullptr;
        auto held = heldBy.find(Tessaly::Widen(pending[i].prefix));
        return held == heldBy.end() || held->second == i ? nullptr : &pending[held->second];
    };
    auto write = [&](PendingRow& row) {
        try {
            WriteRow(searchUrl, stored, row.prefix, row.url);
            m_shownSubkeys.Add(row.prefix);
            return PendingRow::Written;
        } catch (const CRegistryKey::Exception&) {
            return PendingRow::Failed;
        }
    };
    for (bool progress = true; progress;) {
        progress = false;
        for (size_t i = 0; i < pending.size(); ++i) {
            if (pending[i].state != PendingRow::Waiting)
                continue;
            PendingRow* other = holder(i);
            if (other != nullptr && other->state == PendingRow::Waiting)
                continue;
            progress = true;
            // A failed row's prefix has no other copy than the one this row
            // would be written over.
            bool holdsTheOnlyCopy = other != nullptr && other->state == PendingRow::Failed;
            pending[i].state = holdsTheOnlyCopy ? PendingRow::Failed : write(pending[i]);
        }
        // Only rows waiting on each other are left: the first one's subkey
        // is freed by setting aside the prefix it holds.
        for (size_t i = 0; i < pending.size() && !progress; ++i) {
            if (pending[i].state != PendingRow::Waiting)
                continue;
            progress = true;
            PendingRow* other = holder(i);
            CString aside = SetAside(searchUrl, *other);
            if (aside.IsEmpty()) {
                pending[i].state = other->state = PendingRow::Failed;
                continue;
            }
            heldBy.erase(Tessaly::Widen(pending[i].prefix));
            other->from = aside;
            heldBy[Tessaly::Widen(aside)] = static_cast<size_t>(other - pending.data());
        }
    }
}

CString CPrefixListCtrl::SetAside(CRegistryKey& searchUrl, const PendingRow& row)
{
    // Named after the prefix, so that a user who finds it after an
    // interruption knows what it is; never over a subkey of someone else's.
    for (std::string name = "~" + std::string(row.prefix); IsValidPrefix(name.c_str());
         name = "~" + name) {
        try {
            CRegistryKey aside = searchUrl.CreateKey(name.c_str(), "", 0, kAccess, nullptr);
            m_shownSubkeys.Add(name.c_str());  // a later save deletes it
            WriteValues(aside, row.url);
            return name.c_str();
        } catch (const CRegistryKey::Exception& e) {
            if (e.GetErrorCode() != ERROR_ALREADY_EXISTS)
                return CString();
        }
    }
    return CString();
}

bool CPrefixListCtrl::DeleteRemovedSubkeys(const CSubkeyNames& rows, const CSubkeyNames& keep)
{
    std::vector<CString> removed;
    for (const CString& name : m_shownSubkeys.NotIn(rows)) {
        if (keep.Find(name) == nullptr)
            removed.push_back(name);
    }
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

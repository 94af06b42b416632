// The store: loading the browser's search prefixes from the SearchUrl key,
// the default set, and writing the table back.

#include "prefixes/PrefixListCtrl.h"

#include "prefixes/PrefixCase.h"
#include "prefixes/SearchQuery.h"
#include "prefixes/SearchUrlCatalog.h"
#include "registry/ProcessCodePage.h"
#include "registry/RegistryKey.h"
#include "res/resource.h"

#include <algorithm>
#include <map>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

using Tessaly::CRegistryKey;

CPrefixListCtrl::MessageBoxFunction CPrefixListCtrl::s_messageBox = &::MessageBoxA;

namespace {

const REGSAM kAccess = KEY_ALL_ACCESS;

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
    return CRegistryKey(HKEY_CURRENT_USER, CPrefixListCtrl::kKeyPath, kAccess, nullptr);
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
CString FailureText(UINT failure, const std::vector<CString>& kept)
{
    CString text = LoadText(failure);
    if (kept.empty())
        return text;
    size_t listed = std::min(kept.size(), kKeptNamesListed);
    std::string names;
    for (size_t i = 0; i < listed; ++i)
        names += (i == 0 ? "" : ", ") + std::string(kept[i]);
    CString list = names.c_str();
    if (kept.size() > listed)
        AfxFormatString2(list, IDS_AND_MORE, names.c_str(), std::to_string(kept.size() - listed).c_str());
    CString keptText;
    AfxFormatString1(keptText, IDS_KEPT, list);
    return (std::string(text) + std::string(keptText)).c_str();
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

// Writes a row over its subkey, which keeps the spelling it is stored in:
// the browser tells prefixes apart without regard to letter case.
void WriteRow(CRegistryKey& searchUrl, const CString& prefix, const CString& url)
{
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
    s_messageBox(m_hWnd, text, LoadText(IDS_ERROR), MB_OK | MB_ICONHAND);
}

bool CPrefixListCtrl::ReadKey(std::vector<Row>& shown, std::vector<CString>& skipped,
                              CSubkeyNames& kept, DWORD& error)
{
    try {
        CRegistryKey searchUrl = OpenSearchUrlKey();
        for (auto subkey = searchUrl.BeginSubkeyIteration();
             subkey != searchUrl.EndSubkeyIteration(); ++subkey) {
            // An unreadable prefix is passed over and kept; the rest are
            // still read. A narrow name that is not the stored one (the
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
                    kept.Add(subkey.GetName());
            } else if (!url.IsEmpty()) {  // a subkey's name is always a valid prefix
                shown.push_back({subkey.GetName(), url});
            }
        }
        return true;
    } catch (const CRegistryKey::Exception& e) {
        error = e.GetErrorCode();
        return false;
    }
}

void CPrefixListCtrl::ApplyUpdate(const CStoredPrefixes::Update& update)
{
    AddOrUpdateRows(update.set, false);
    for (const CString& prefix : update.removed)
        RemoveRow(prefix);
}

void CPrefixListCtrl::LoadPrefixes()
{
    m_bLoadClean = false;
    m_stored.Reset();
    m_keptSubkeys.RemoveAll();
    std::vector<CString> skipped;
    std::vector<Row> shown;
    DWORD error = ERROR_SUCCESS;
    bool walked = ReadKey(shown, skipped, m_keptSubkeys, error);
    ApplyUpdate(m_stored.Merge(shown));
    std::vector<Row>().swap(shown);
    if (!walked || !skipped.empty())
        ShowError(FailureText(IDS_READ_FAILED, skipped));
    if (!walked)
        return;
    // What was passed over is not in the table: nothing there differs from
    // what could be read.
    m_bModified = false;
    m_bLoadClean = skipped.empty();
}

bool CPrefixListCtrl::RefreshPrefixes()
{
    std::vector<CString> skipped;
    std::vector<Row> shown;
    CSubkeyNames kept;
    DWORD error = ERROR_SUCCESS;
    // A key that is gone holds no prefixes; one that could not be read
    // through says nothing of those not read.
    if (!ReadKey(shown, skipped, kept, error) && error != ERROR_FILE_NOT_FOUND)
        return false;
    m_keptSubkeys = std::move(kept);
    bool modified = m_bModified;
    ApplyUpdate(m_stored.Merge(shown));
    m_bModified = modified;
    return true;
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

    CStoredPrefixes::Write write;
    State state;
};

bool CPrefixListCtrl::SavePrefixes()
{
    // Rows first, removals after: a prefix renamed away leaves its subkey
    // only once it is written under its new name.
    bool written = WriteRows();
    bool deleted = DeleteRemovedSubkeys();
    // After a failure the key does not hold the table: Apply stays enabled.
    m_bModified = !(written && deleted);
    return written && deleted;
}

std::vector<CPrefixListCtrl::PendingRow> CPrefixListCtrl::PendingRows(std::vector<CString>& kept) const
{
    std::vector<PendingRow> pending;
    CSubkeyNames rows;
    for (CStoredPrefixes::Write& write : m_stored.Writes()) {
        // Never written over: a subkey the reading passed over, or the
        // subkey of another row whose name the registry takes for the same.
        bool refused = m_keptSubkeys.Find(write.prefix) != nullptr;
        if (refused)
            kept.push_back(write.prefix);
        refused = refused || write.refused || rows.Find(write.prefix) != nullptr;
        rows.Add(write.prefix);
        pending.push_back({std::move(write), refused ? PendingRow::Failed : PendingRow::Waiting});
    }
    return pending;
}

bool CPrefixListCtrl::WriteRows()
{
    std::vector<CString> kept;
    std::vector<PendingRow> pending = PendingRows(kept);
    if (pending.empty())
        return true;  // nothing edited: the key is not even opened
    std::vector<size_t> order;
    try {
        CRegistryKey searchUrl = OpenSearchUrlKey();
        WriteInOrder(searchUrl, pending, order);
    } catch (const CRegistryKey::Exception&) {
    }
    // In the order written: a prefix leaves its old subkey before another
    // row is written there.
    for (size_t i : order)
        m_stored.Written(pending[i].write);
    bool failed = order.size() != pending.size();
    if (failed)
        ShowError(FailureText(IDS_ADD_FAILED, kept));
    return !failed;
}

// A row waits while the subkey it is written to holds the prefix of another
// row, renamed away, that is not written yet; so each prefix is always in
// the key under its old or its new name. Rows that swap names wait on each
// other: one of their prefixes is set aside in a subkey of its own first.
void CPrefixListCtrl::WriteInOrder(CRegistryKey& searchUrl, std::vector<PendingRow>& pending,
                                   std::vector<size_t>& order)
{
    std::map<std::wstring, size_t, CSubkeyNames::IgnoringCase> heldBy;
    for (size_t i = 0; i < pending.size(); ++i) {
        if (!pending[i].write.from.IsEmpty())
            heldBy[Tessaly::Widen(pending[i].write.from)] = i;
    }
    auto holder = [&](size_t i) -> PendingRow* {
        if (heldBy.empty())  // nothing renamed: the usual save
            return nullptr;
        auto held = heldBy.find(Tessaly::Widen(pending[i].write.prefix));
        return held == heldBy.end() || held->second == i ? nullptr : &pending[held->second];
    };
    auto write = [&](PendingRow& row) {
        try {
            WriteRow(searchUrl, row.write.prefix, row.write.url);
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
            if (pending[i].state == PendingRow::Written)
                order.push_back(i);
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
            heldBy.erase(Tessaly::Widen(pending[i].write.prefix));
            other->write.from = aside;
            heldBy[Tessaly::Widen(aside)] = static_cast<size_t>(other - pending.data());
        }
    }
}

CString CPrefixListCtrl::SetAside(CRegistryKey& searchUrl, const PendingRow& row)
{
    // Named after the prefix, so that a user who finds it after an
    // interruption knows what it is; never over a subkey of someone else's.
    for (std::string name = "~" + std::string(row.write.prefix); IsValidPrefix(name.c_str());
         name = "~" + name) {
        try {
            CRegistryKey aside = searchUrl.CreateKey(name.c_str(), "", 0, kAccess, nullptr);
            // Shown from now on, so that a later save deletes it.
            m_stored.SetAside(name.c_str(), row.write.url, nullptr);
            WriteValues(aside, row.write.url);
            m_stored.SetAside(name.c_str(), row.write.url, row.write.prefix);
            return name.c_str();
        } catch (const CRegistryKey::Exception& e) {
            if (e.GetErrorCode() != ERROR_ALREADY_EXISTS)
                return CString();
        }
    }
    return CString();
}

bool CPrefixListCtrl::DeleteRemovedSubkeys()
{
    std::vector<CString> removed;
    for (const CString& name : m_stored.Deletes()) {
        if (m_keptSubkeys.Find(name) == nullptr)
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
                m_stored.Deleted(name);
            } catch (const CRegistryKey::Exception&) {
                failed = true;
            }
        }
    } catch (const CRegistryKey::Exception&) {
        failed = true;
    }
    if (failed)
        ShowError(FailureText(IDS_DELETE_FAILED, {}));
    return !failed;
}

#include "prefixes/StoredPrefixes.h"

#include "prefixes/PrefixCase.h"
#include "registry/IgnoringCase.h"
#include "registry/ProcessCodePage.h"

#include <iterator>
#include <utility>

using Tessaly::EqualIgnoringCase;
using Tessaly::Widen;

void CStoredPrefixes::Reset()
{
    m_stored.clear();
    m_edits.clear();
    m_origins.RemoveAll();
    m_removed.RemoveAll();
}

const PrefixRow* CStoredPrefixes::FindStored(const char* name) const
{
    auto stored = m_stored.find(Widen(name));
    return stored != m_stored.end() ? &stored->second : nullptr;
}

const PrefixRow* CStoredPrefixes::OwnSubkey(const char* prefix) const
{
    const PrefixRow* stored = FindStored(prefix);
    return stored != nullptr && UpperCasePrefix(stored->prefix) == prefix ? stored : nullptr;
}

CString CStoredPrefixes::OriginOf(const char* prefix) const
{
    const PrefixRow* stored = FindStored(prefix);
    if (stored == nullptr || m_origins.Find(stored->prefix) != nullptr)
        return CString();
    if (stored != OwnSubkey(prefix) && m_removed.Find(stored->prefix) == nullptr)
        return CString();  // another row's
    return stored->prefix;
}

bool CStoredPrefixes::ChangesNothing(const std::string& prefix, const Edit& edit) const
{
    const PrefixRow* stored = FindStored(prefix.c_str());
    return stored != nullptr && !edit.origin.IsEmpty() &&
           EqualIgnoringCase(edit.origin, stored->prefix) && stored->url == edit.url && !stored->incomplete;
}

bool CStoredPrefixes::IsRefused(const std::string& prefix, const Edit& edit) const
{
    const PrefixRow* stored = FindStored(prefix.c_str());
    return stored != nullptr && stored != OwnSubkey(prefix.c_str()) &&
           (edit.origin.IsEmpty() || !EqualIgnoringCase(edit.origin, stored->prefix)) &&
           m_removed.Find(stored->prefix) == nullptr && m_origins.Find(stored->prefix) == nullptr;
}

bool CStoredPrefixes::IsEditedName(const char* name) const
{
    for (const auto& edit : m_edits) {
        if (EqualIgnoringCase(edit.first.c_str(), name))
            return true;
    }
    return false;
}

void CStoredPrefixes::Erase(Edits::iterator edit)
{
    if (!edit->second.origin.IsEmpty())
        m_origins.Remove(edit->second.origin);
    m_edits.erase(edit);
}

PrefixRow CStoredPrefixes::Uncovered(const char* prefix) const
{
    const PrefixRow* own = OwnSubkey(prefix);
    if (own == nullptr || m_origins.Find(own->prefix) != nullptr ||
        m_removed.Find(own->prefix) != nullptr || m_edits.count(prefix) != 0)
        return PrefixRow();
    return *own;
}

void CStoredPrefixes::Set(const char* prefix, const char* url)
{
    auto edit = m_edits.find(prefix);
    if (edit != m_edits.end()) {
        edit->second.url = url;
        return;
    }
    Edit added = {url, OriginOf(prefix)};
    if (!added.origin.IsEmpty()) {
        m_origins.Add(added.origin);
        m_removed.Remove(added.origin);  // a row stands there again
    }
    m_edits.emplace(prefix, std::move(added));
}

PrefixRow CStoredPrefixes::Rename(const char* from, const char* to, const char* url)
{
    Edit renamed = {url, CString()};
    auto edit = m_edits.find(from);
    if (edit != m_edits.end()) {
        renamed.origin = edit->second.origin;
        m_edits.erase(edit);
    } else if (const PrefixRow* stored = OwnSubkey(from)) {
        renamed.origin = stored->prefix;
        m_origins.Add(stored->prefix);
    }
    m_edits[to] = std::move(renamed);
    return Uncovered(from);
}

PrefixRow CStoredPrefixes::Remove(const char* prefix)
{
    auto edit = m_edits.find(prefix);
    if (edit == m_edits.end()) {
        if (const PrefixRow* own = OwnSubkey(prefix))
            m_removed.Add(own->prefix);
        return PrefixRow();
    }
    CString origin = edit->second.origin;
    Erase(edit);
    if (!origin.IsEmpty())
        m_removed.Add(origin);
    return Uncovered(prefix);
}

std::vector<CStoredPrefixes::Write> CStoredPrefixes::Writes() const
{
    std::vector<Write> writes;
    for (const auto& edit : m_edits) {
        if (ChangesNothing(edit.first, edit.second))
            continue;
        const CString& origin = edit.second.origin;
        bool renamed = !origin.IsEmpty() && !EqualIgnoringCase(origin, edit.first.c_str());
        writes.push_back({edit.first.c_str(), edit.second.url, renamed ? origin : CString(),
                          IsRefused(edit.first, edit.second)});
    }
    return writes;
}

std::vector<CString> CStoredPrefixes::Deletes() const
{
    // A subkey that an edited row is still to be written over stays.
    std::vector<CString> deletes;
    for (const CString& name : m_removed.NotIn(CSubkeyNames())) {
        if (!IsEditedName(name))
            deletes.push_back(name);
    }
    return deletes;
}

void CStoredPrefixes::Written(const Write& row)
{
    auto stored = m_stored.find(Widen(row.prefix));
    if (stored == m_stored.end())
        m_stored.emplace(Widen(row.prefix), PrefixRow{row.prefix, row.url});
    else
        stored->second = {stored->second.prefix, row.url};  // the registry keeps the subkey's spelling
    auto edit = m_edits.find(static_cast<const char*>(row.prefix));
    if (edit != m_edits.end())
        Erase(edit);
    m_removed.Remove(row.prefix);
    // The prefix has left its old subkey, which goes unless a row is still
    // to be written there.
    if (!row.from.IsEmpty())
        m_removed.Add(row.from);
}

void CStoredPrefixes::SetAside(const char* aside, const char* url, const char* prefix)
{
    m_stored[Widen(aside)] = {aside, url, prefix == nullptr};
    auto edit = prefix != nullptr ? m_edits.find(prefix) : m_edits.end();
    if (edit == m_edits.end()) {
        m_removed.Add(aside);
        return;
    }
    m_removed.Remove(aside);
    m_origins.Remove(edit->second.origin);
    edit->second.origin = aside;
    m_origins.Add(aside);
}

void CStoredPrefixes::Found(const PrefixRow& stored)
{
    m_stored.emplace(Widen(stored.prefix), stored);
}

void CStoredPrefixes::Deleted(const char* name)
{
    m_stored.erase(Widen(name));
    m_removed.Remove(name);
}

CStoredPrefixes::Update CStoredPrefixes::Merge(const std::vector<PrefixRow>& key)
{
    std::map<std::wstring, PrefixRow, CSubkeyNames::IgnoringCase> now;
    for (const PrefixRow& row : key) {
        // The registry lists subkeys in this order: each goes at the end.
        std::wstring name = Widen(row.prefix);
        if (now.empty() || now.key_comp()(now.rbegin()->first, name))
            now.emplace_hint(now.end(), std::move(name), row);
        else
            now[name] = row;
    }
    CSubkeyNames edited;
    for (auto edit = m_edits.begin(); edit != m_edits.end();) {
        auto next = std::next(edit);
        CString& origin = edit->second.origin;
        if (ChangesNothing(edit->first, edit->second)) {
            m_removed.Remove(origin);
            Erase(edit);
        } else {
            // A row whose subkey is gone is a new one; another prefix may
            // come to that name.
            if (!origin.IsEmpty() && now.count(Widen(origin)) == 0) {
                m_origins.Remove(origin);
                origin = CString();
            }
            edited.Add(edit->first.c_str());
        }
        edit = next;
    }
    bool anyEdits = !m_edits.empty() || !m_removed.IsEmpty();
    auto isEdited = [&](const char* name) {
        return anyEdits && (edited.Find(name) != nullptr || m_origins.Find(name) != nullptr ||
                            m_removed.Find(name) != nullptr);
    };
    Update update;
    for (const auto& stored : m_stored) {
        if (now.count(stored.first) != 0)
            continue;
        if (!isEdited(stored.second.prefix))
            update.removed.push_back(UpperCasePrefix(stored.second.prefix));
        m_removed.Remove(stored.second.prefix);  // nothing left to delete
    }
    for (auto& row : now) {
        auto stored = m_stored.find(row.first);
        bool changed = stored == m_stored.end() || stored->second.url != row.second.url;
        if (changed && !isEdited(row.second.prefix))
            update.set.push_back(row.second);
        else if (changed && stored != m_stored.end())
            row.second.url = stored->second.url;  // as the user saw it: a save checks it is still so
    }
    m_stored = std::move(now);
    return update;
}

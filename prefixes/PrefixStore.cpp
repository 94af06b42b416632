#include "prefixes/PrefixStore.h"

#include "prefixes/PrefixRules.h"
#include "prefixes/SearchUrlKey.h"
#include "registry/ProcessCodePage.h"
#include "registry/RegistryKey.h"

#include <cstring>
#include <map>
#include <string>
#include <utility>

using Tessaly::CRegistryKey;

std::array<CPrefixStore::Value, CPrefixStore::kValueCount> CPrefixStore::ValuesOf(const char* url)
{
    std::array<Value, kValueCount> values = {Value{"", url}};
    for (size_t i = 1; i < kValueCount; ++i)
        values[i] = {CSearchQuery::kReplacements[i - 1].character, CSearchQuery::kReplacements[i - 1].text};
    return values;
}

bool CPrefixStore::Report::Failed(Failure::Step step) const
{
    for (const Failure& failure : failures) {
        if (failure.step == step)
            return true;
    }
    return false;
}

std::vector<CString> CPrefixStore::Report::Subkeys(Failure::Step step) const
{
    std::vector<CString> names;
    for (const Failure& failure : failures) {
        if (failure.step == step && !failure.subkey.IsEmpty())
            names.push_back(failure.subkey);
    }
    return names;
}

namespace {

// A walk the key changed under is walked again, after a pause for the
// change to end, a few times at most; a prefix without its URL yet is read
// again after such a pause.
const int kWalks = 4;
const DWORD kPause = 20;

using State = CSearchUrlKey::Reading::State;

// A prefix subkey read by its name, past the walk: whether it is a row.
bool ReadRow(const CRegistryKey& searchUrl, const char* name, PrefixRow& row, State& state)
{
    CString url;
    state = CSearchUrlKey::ReadNamed(searchUrl, name, url);
    row = {name, url, state == State::kIncomplete};
    return (state == State::kRead || state == State::kIncomplete) && CPrefixRules::IsUsableUrl(url);
}

} // namespace

CPrefixStore::Report CPrefixStore::ReadKey(std::vector<PrefixRow>& rows, CSubkeyNames& kept) const
{
    // Another process adding or deleting subkeys meanwhile shifts the
    // positions the walk goes by, so that it may pass over a prefix.
    for (int walk = 1;; ++walk) {
        rows.clear();
        kept.RemoveAll();
        bool settled = true;
        Report report = WalkKey(rows, kept, settled);
        if (settled || walk == kWalks)
            return report;
        ::Sleep(kPause);
    }
}

CPrefixStore::Report CPrefixStore::WalkKey(std::vector<PrefixRow>& rows, CSubkeyNames& kept, bool& settled) const
{
    Report report;
    std::vector<CString> halfMade;
    bool opened = false;
    try {
        CRegistryKey searchUrl = CSearchUrlKey::Open();
        opened = true;
        const CRegistryKey::Counts before = searchUrl.GetCounts();
        for (auto subkey = searchUrl.BeginSubkeyIteration();
             subkey != searchUrl.EndSubkeyIteration(); ++subkey) {
            // An unreadable prefix is passed over and kept; the rest are
            // still read. A narrow name that is not the stored one (the
            // process code page cannot hold it) may open another subkey or
            // none, and names no row's subkey.
            const char* name = subkey.GetName();
            if (std::strlen(name) > CRegistryKey::kLongestKeyName && !CPrefixRules::IsKeyName(name)) {
                report.failures.push_back({Failure::Read, name, ERROR_FILENAME_EXCED_RANGE});
                kept.Add(name);
                continue;
            }
            CString url;
            CSearchUrlKey::Reading reading = CSearchUrlKey::ReadUrl(subkey, url);
            switch (reading.state) {
            case State::kRead:
            case State::kIncomplete:
                if (!CPrefixRules::IsUsableUrl(url))  // a subkey's name is always a key name
                    break;
                rows.push_back({name, url, reading.state == State::kIncomplete});
                if (reading.state == State::kIncomplete)
                    report.failures.push_back({Failure::Incomplete, name, ERROR_SUCCESS});
                break;
            case State::kHalfMade:  // perhaps being made now
                halfMade.push_back(name);
                break;
            case State::kGone:
                settled = false;
                break;
            case State::kUnreadable:
                report.failures.push_back({Failure::Read, name, reading.error});
                if (reading.nameExact)
                    kept.Add(name);
                break;
            }
        }
        const CRegistryKey::Counts after = searchUrl.GetCounts();
        if (::CompareFileTime(&after.lastWrite, &before.lastWrite) != 0 || after.subkeys != before.subkeys)
            settled = false;
        // Left by a stopped save, or another program's: a save of its name
        // makes it whole.
        if (!halfMade.empty())
            ::Sleep(kPause);
        for (const CString& name : halfMade) {
            PrefixRow row;
            State state = State::kGone;
            if (ReadRow(searchUrl, name, row, state))
                rows.push_back(row);
            if (state != State::kRead && state != State::kGone)
                report.failures.push_back({Failure::Incomplete, name, ERROR_SUCCESS});
        }
    } catch (const CRegistryKey::Exception& e) {
        // A key not made yet (a new account's) holds no prefixes.
        if (!opened && e.GetErrorCode() == ERROR_FILE_NOT_FOUND)
            return report;
        report.failures.push_back({Failure::Read, CString(), e.GetErrorCode()});
        report.walked = false;
    }
    return report;
}

CPrefixStore::Report CPrefixStore::Load(std::vector<PrefixRow>& rows)
{
    m_stored.Reset();
    m_keptSubkeys.RemoveAll();
    std::vector<PrefixRow> read;
    Report report = ReadKey(read, m_keptSubkeys);
    rows = m_stored.Merge(read).set;
    m_bLoadClean = !report.Failed(Failure::Read);
    return report;
}

bool CPrefixStore::LookUp(const char* name, PrefixRow& row)
{
    State state = State::kGone;
    try {
        if (m_keptSubkeys.Find(name) != nullptr || m_stored.Find(name) != nullptr ||
            !ReadRow(CSearchUrlKey::Open(), name, row, state))
            return false;
    } catch (const CRegistryKey::Exception&) {
        return false;
    }
    m_stored.Found(row);
    return true;
}

bool CPrefixStore::Refresh(CStoredPrefixes::Update& update)
{
    std::vector<PrefixRow> read;
    CSubkeyNames kept;
    // A key that could not be read through says nothing of those not read.
    if (!ReadKey(read, kept).walked)
        return false;
    m_keptSubkeys = std::move(kept);
    update = m_stored.Merge(read);
    return true;
}

// One row on its way to the key.
struct CPrefixStore::PendingRow {
    enum State { Waiting, Written, Failed };

    CStoredPrefixes::Write write;
    State state;
    DWORD error;
    bool kept;  // not written over a subkey passed over, and reported so
    bool changed = false;  // renamed out of a subkey another process changed since
};

CPrefixStore::Report CPrefixStore::Save()
{
    // Rows first, removals after: a prefix renamed away leaves its subkey
    // only once it is written under its new name.
    Report report;
    WriteRows(report);
    DeleteRemovedSubkeys(report);
    return report;
}

std::vector<CPrefixStore::PendingRow> CPrefixStore::PendingRows(Report& report) const
{
    std::vector<PendingRow> pending;
    CSubkeyNames rows;
    for (CStoredPrefixes::Write& write : m_stored.Writes()) {
        // Never written over: a subkey the reading passed over, or the
        // subkey of another row whose name the registry takes for the same.
        PendingRow row = {std::move(write), PendingRow::Waiting, ERROR_SUCCESS, false};
        if (m_keptSubkeys.Find(row.write.prefix) != nullptr) {
            report.failures.push_back({Failure::Keep, row.write.prefix, ERROR_ALREADY_EXISTS});
            row.state = PendingRow::Failed;
            row.kept = true;
        } else if (row.write.refused || rows.Find(row.write.prefix) != nullptr) {
            row.state = PendingRow::Failed;
            row.error = ERROR_ALREADY_EXISTS;
        }
        rows.Add(row.write.prefix);
        pending.push_back(std::move(row));
    }
    return pending;
}

void CPrefixStore::WriteRows(Report& report)
{
    std::vector<PendingRow> pending = PendingRows(report);
    if (pending.empty())
        return;  // nothing edited: the key is not even opened
    std::vector<size_t> order;
    try {
        CRegistryKey searchUrl = CSearchUrlKey::OpenOrMake();
        WriteInOrder(searchUrl, pending, order);
    } catch (const CRegistryKey::Exception& e) {
        for (PendingRow& row : pending) {
            if (row.state == PendingRow::Waiting)
                row.error = e.GetErrorCode();
        }
    }
    // In the order written: a prefix leaves its old subkey before another
    // row is written there.
    for (size_t i : order)
        m_stored.Written(pending[i].write);
    for (const PendingRow& row : pending) {
        if (row.changed)
            report.failures.push_back({Failure::Changed, row.write.from, ERROR_SUCCESS});
        else if (row.state != PendingRow::Written && !row.kept)
            report.failures.push_back({Failure::Write, row.write.prefix,
                                       row.error != ERROR_SUCCESS ? row.error : ERROR_ALREADY_EXISTS});
    }
}

// A row waits while the subkey it is written to holds the prefix of another
// row, renamed away, that is not written yet; so each prefix is always in
// the key under its old or its new name. Rows that swap names wait on each
// other: one of their prefixes is set aside in a subkey of its own first.
// `order` names the rows written, in the order written.
void CPrefixStore::WriteInOrder(CRegistryKey& searchUrl, std::vector<PendingRow>& pending,
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
            if (other != nullptr && other->state == PendingRow::Failed) {
                pending[i].state = PendingRow::Failed;
                pending[i].error = other->error != ERROR_SUCCESS ? other->error : ERROR_ALREADY_EXISTS;
            } else {
                pending[i].state = WriteRow(searchUrl, pending[i]) ? PendingRow::Written : PendingRow::Failed;
            }
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
            DWORD error = ERROR_ALREADY_EXISTS;
            other->changed = IsChanged(searchUrl, other->write.from);  // then neither set aside nor written over
            CString aside = other->changed ? CString() : SetAside(searchUrl, *other, error);
            if (aside.IsEmpty()) {
                pending[i].state = other->state = PendingRow::Failed;
                pending[i].error = other->error = error;
                continue;
            }
            heldBy.erase(Tessaly::Widen(pending[i].write.prefix));
            other->write.from = aside;
            heldBy[Tessaly::Widen(aside)] = static_cast<size_t>(other - pending.data());
        }
    }
}

// A prefix leaves its old subkey only as it was read: a change another
// process made there since would be lost under the new name. That subkey
// and the row stay as they are, reported.
bool CPrefixStore::WriteRow(CRegistryKey& searchUrl, PendingRow& row)
{
    try {
        if (!row.write.from.IsEmpty() && IsChanged(searchUrl, row.write.from)) {
            row.changed = true;
            return false;
        }
        CSearchUrlKey::WriteRow(searchUrl, row.write.prefix, row.write.url);
        return true;
    } catch (const CRegistryKey::Exception& e) {
        row.error = e.GetErrorCode();
        return false;
    }
}

// A copy set aside but not completed is the save's own.
bool CPrefixStore::IsChanged(const CRegistryKey& searchUrl, const char* name) const
{
    const PrefixRow* stored = m_stored.Find(name);
    return stored != nullptr && !stored->incomplete && !CSearchUrlKey::StillHolds(searchUrl, name, stored->url);
}

CString CPrefixStore::SetAside(CRegistryKey& searchUrl, const PendingRow& row, DWORD& error)
{
    // Named after the prefix, so that a user who finds it after an
    // interruption knows what it is; never over a subkey of someone else's.
    error = ERROR_ALREADY_EXISTS;
    for (std::string name = "~" + std::string(row.write.prefix); CPrefixRules::IsKeyName(name.c_str());
         name = "~" + name) {
        try {
            CRegistryKey aside = searchUrl.CreateKey(name.c_str(), "", 0, CSearchUrlKey::kAccess, nullptr);
            // Shown from now on, so that a later save deletes it.
            m_stored.SetAside(name.c_str(), row.write.url, nullptr);
            CSearchUrlKey::WriteValues(aside, row.write.url);
            m_stored.SetAside(name.c_str(), row.write.url, row.write.prefix);
            return name.c_str();
        } catch (const CRegistryKey::Exception& e) {
            error = e.GetErrorCode();
            if (error != ERROR_ALREADY_EXISTS)
                return CString();
        }
    }
    return CString();
}

void CPrefixStore::DeleteRemovedSubkeys(Report& report)
{
    std::vector<CString> removed;
    for (const CString& name : m_stored.Deletes()) {
        if (m_keptSubkeys.Find(name) == nullptr)
            removed.push_back(name);
    }
    if (removed.empty())
        return;
    // Every subkey that can be deleted is, even when another cannot be.
    try {
        CRegistryKey searchUrl = CSearchUrlKey::Open();
        for (const CString& name : removed) {
            try {
                if (IsChanged(searchUrl, name)) {
                    report.failures.push_back({Failure::Changed, name, ERROR_SUCCESS});
                    continue;
                }
                CSearchUrlKey::DeleteSubkey(searchUrl, name);
                m_stored.Deleted(name);
            } catch (const CRegistryKey::Exception& e) {
                report.failures.push_back({Failure::Delete, name, e.GetErrorCode()});
            }
        }
    } catch (const CRegistryKey::Exception& e) {
        // With the key gone, as a second look confirms, so are its subkeys.
        bool gone = e.GetErrorCode() == ERROR_FILE_NOT_FOUND && !CSearchUrlKey::IsThere();
        for (const CString& name : removed) {
            if (gone)
                m_stored.Deleted(name);
            else
                report.failures.push_back({Failure::Delete, name, e.GetErrorCode()});
        }
    }
}

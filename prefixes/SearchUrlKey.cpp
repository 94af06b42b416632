#include "prefixes/SearchUrlKey.h"

#include "prefixes/PrefixStore.h"

#include <string>
#include <vector>

using Tessaly::CRegistryKey;

namespace {

// A value that is not text, or text the process code page cannot hold
// exactly (a save would alter it).
const DWORD kNotExactText = ERROR_INVALID_DATA;

// Whatever else another program left in a prefix subkey.
void RemoveOtherContent(CRegistryKey& subkey)
{
    static const std::vector<std::string> prefixValues = [] {
        std::vector<std::string> names;
        for (const CPrefixStore::Value& value : CPrefixStore::ValuesOf(""))
            names.push_back(value.name);
        return names;
    }();
    CRegistryKey::Counts counts = subkey.GetCounts();
    if (counts.values > prefixValues.size())
        subkey.DeleteValuesExcept(prefixValues);
    if (counts.subkeys != 0)
        subkey.DeleteSubkeys();
}

const size_t kValueCount = CPrefixStore::kValueCount;

// How many of a prefix's values the subkey holds.
size_t PrefixValuesIn(const CRegistryKey& key)
{
    size_t held = 0;
    for (const CPrefixStore::Value& value : CPrefixStore::ValuesOf(""))
        held += key.HasValue(value.name) ? 1 : 0;
    return held;
}

// With its URL: whether every value the browser needs is there too. One
// count for the usual subkey, which holds exactly a prefix's values.
bool IsWhole(const CRegistryKey& key)
{
    const DWORD values = key.GetCounts().values;
    return values == kValueCount || (values > kValueCount && PrefixValuesIn(key) == kValueCount);
}

// Without its URL: whether it holds nothing but some of a prefix's values.
bool IsHalfMade(const CRegistryKey& key)
{
    const CRegistryKey::Counts counts = key.GetCounts();
    return counts.subkeys == 0 && counts.values < kValueCount && PrefixValuesIn(key) == counts.values;
}

// An opened prefix subkey's URL and state; throws what the registry
// throws, but for a missing URL.
CSearchUrlKey::Reading::State ReadOpened(const CRegistryKey& key, CString& url, DWORD& error)
{
    using State = CSearchUrlKey::Reading::State;
    std::string text;
    try {
        if (!key.QueryExactText("", text)) {
            error = kNotExactText;
            return State::kUnreadable;
        }
    } catch (const CRegistryKey::Exception& e) {
        if (e.GetErrorCode() != ERROR_FILE_NOT_FOUND)
            throw;
        error = ERROR_FILE_NOT_FOUND;
        return IsHalfMade(key) ? State::kHalfMade : State::kUnreadable;
    }
    url = text.c_str();
    return IsWhole(key) ? State::kRead : State::kIncomplete;
}

// Deleted since the walk met it, or while it was read.
bool IsGone(CSearchUrlKey::Reading::State step, DWORD error)
{
    return error == ERROR_KEY_DELETED || (step == CSearchUrlKey::Reading::kGone && error == ERROR_FILE_NOT_FOUND);
}

} // namespace

CRegistryKey CSearchUrlKey::Open()
{
    return CRegistryKey(HKEY_CURRENT_USER, CPrefixStore::kKeyPath, kAccess, nullptr);
}

CRegistryKey CSearchUrlKey::OpenOrMake()
{
    try {
        return Open();
    } catch (const CRegistryKey::Exception& e) {
        if (e.GetErrorCode() != ERROR_FILE_NOT_FOUND)
            throw;
    }
    return CRegistryKey(HKEY_CURRENT_USER, "", kAccess, nullptr)
        .CreateOrOpenKey(CPrefixStore::kKeyPath, nullptr, "", 0, kAccess, nullptr);
}

bool CSearchUrlKey::IsThere()
{
    try {
        Open();
        return true;
    } catch (const CRegistryKey::Exception& e) {
        return e.GetErrorCode() != ERROR_FILE_NOT_FOUND;
    }
}

CSearchUrlKey::Reading CSearchUrlKey::ReadUrl(const CRegistryKey::SubkeyIterator& subkey, CString& url)
{
    using State = Reading::State;
    Reading reading = {State::kUnreadable, ERROR_SUCCESS, true};
    try {
        reading.nameExact = subkey.IsNameExact();
        if (!reading.nameExact) {
            reading.error = ERROR_NO_UNICODE_TRANSLATION;
            return reading;
        }
        reading.state = State::kGone;  // until it opens
        CRegistryKey key = subkey.OpenKey(kAccess);
        reading.state = State::kUnreadable;
        reading.state = ReadOpened(key, url, reading.error);
    } catch (const CRegistryKey::Exception& e) {
        reading.error = e.GetErrorCode();
        reading.state = IsGone(reading.state, reading.error) ? State::kGone : State::kUnreadable;
    }
    return reading;
}

CSearchUrlKey::Reading::State CSearchUrlKey::ReadNamed(const CRegistryKey& searchUrl, const char* name, CString& url)
{
    Reading::State state = Reading::kGone;  // until it opens
    try {
        CRegistryKey key = searchUrl.OpenKey(name, kAccess);
        state = Reading::kUnreadable;
        DWORD error = ERROR_SUCCESS;
        return ReadOpened(key, url, error);
    } catch (const CRegistryKey::Exception& e) {
        return IsGone(state, e.GetErrorCode()) ? Reading::kGone : Reading::kUnreadable;
    }
}

bool CSearchUrlKey::StillHolds(const CRegistryKey& searchUrl, const char* name, const char* url)
{
    std::string text;
    try {
        CRegistryKey key = searchUrl.OpenKey(name, kAccess);
        try {
            return key.QueryExactText("", text) && text == url;
        } catch (const CRegistryKey::Exception& e) {
            if (e.GetErrorCode() != ERROR_FILE_NOT_FOUND)
                throw;
            return false;  // its URL not written yet
        }
    } catch (const CRegistryKey::Exception& e) {
        if (!IsGone(Reading::kGone, e.GetErrorCode()))
            throw;
        return true;
    }
}

void CSearchUrlKey::WriteValues(CRegistryKey& subkey, const char* url)
{
    const auto values = CPrefixStore::ValuesOf(url);
    for (auto value = values.rbegin(); value != values.rend(); ++value)
        subkey.SetValue(value->name, value->text, REG_SZ);
}

void CSearchUrlKey::WriteRow(CRegistryKey& searchUrl, const CString& prefix, const CString& url)
{
    DWORD disposition = 0;
    CRegistryKey subkey = searchUrl.CreateOrOpenKey(prefix, &disposition, "", 0, kAccess, nullptr);
    // Over the old values, which are the same but for the URL.
    WriteValues(subkey, url);
    if (disposition == REG_OPENED_EXISTING_KEY)
        RemoveOtherContent(subkey);
}

void CSearchUrlKey::DeleteSubkey(CRegistryKey& searchUrl, const char* name)
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

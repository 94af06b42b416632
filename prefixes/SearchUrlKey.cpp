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
    Reading reading = {ERROR_SUCCESS, true};
    try {
        reading.nameExact = subkey.IsNameExact();
        std::string text;
        if (!reading.nameExact)
            reading.error = ERROR_NO_UNICODE_TRANSLATION;
        else if (!subkey.OpenKey(kAccess).QueryExactText("", text))
            reading.error = kNotExactText;
        else
            url = text.c_str();
    } catch (const CRegistryKey::Exception& e) {
        reading.error = e.GetErrorCode();
    }
    return reading;
}

void CSearchUrlKey::WriteValues(CRegistryKey& subkey, const char* url)
{
    for (const CPrefixStore::Value& value : CPrefixStore::ValuesOf(url))
        subkey.SetValue(value.name, value.text, REG_SZ);
}

void CSearchUrlKey::WriteRow(CRegistryKey& searchUrl, const CString& prefix, const CString& url)
{
    DWORD disposition = 0;
    CRegistryKey subkey = searchUrl.CreateOrOpenKey(prefix, &disposition, "", 0, kAccess, nullptr);
    // Written over the old values, so that the key never lacks the URL.
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

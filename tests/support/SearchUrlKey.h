#pragma once

#include "prefixes/PrefixStore.h"

#include <map>
#include <string>
#include <vector>

#include <windows.h>

// The browser's SearchUrl key below HKEY_CURRENT_USER, as tests set it up
// and read it back. Reads go through the registry's Unicode functions, so
// every name and text here is exactly what is stored, as UTF-8, whatever
// the process code page.
constexpr const char* kSearchUrlPath = CPrefixStore::kKeyPath;

std::string PrefixPath(const std::string& name);
// A prefix subkey as another program stores it: its URL (none when null)
// with the values the browser needs, or without them when not `whole`; or
// a number where the URL should be, which no row can show.
void StorePrefix(const std::string& name, const char* url, bool whole = true);
void StoreNumberAsUrl(const std::string& name);

struct StoredPrefix {
    DWORD valueCount = 0;
    DWORD urlType = REG_NONE;
    std::string url;  // "<missing>" when there is no default value
    // Exactly: "" the URL, then " ", "%", "&" and "+" with their
    // replacements, all REG_SZ, and no subkeys.
    bool hasTheFiveValues = false;
};

// Every prefix subkey, by name; empty when the key does not exist.
std::map<std::string, StoredPrefix> StoredPrefixes();
// True when the registry takes the two names (UTF-8) for the same key.
bool SameKeyName(const std::string& left, const std::string& right);
// The subkeys' names in the registry's enumeration order.
std::vector<std::string> StoredNames();

// Between UTF-8 and the registry's UTF-16, and from the process code page
// to UTF-8 (for texts the program holds).
// A narrow text as the system widens it from `codePage`.
std::wstring Convert(UINT codePage, const char* text);
std::wstring Wide(const std::string& utf8);
std::string Utf8(const std::wstring& wide);
std::string Utf8FromProcessCodePage(const char* text);
// UTF-8 source text in the process code page, as the program holds texts.
std::string Local(const std::string& utf8);
// A UTF-8 text as UTF-16LE bytes, and back.
std::string Utf16Bytes(const std::string& utf8);
std::string Utf8FromUtf16Bytes(const std::string& bytes);

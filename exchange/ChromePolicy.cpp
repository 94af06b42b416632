#include "exchange/ChromePolicy.h"

#include "exchange/ByteFile.h"
#include "exchange/FileName.h"
#include "exchange/PrefixFile.h"
#include "exchange/TextEncoding.h"
#include "registry/ProcessCodePage.h"

#include <nlohmann/json.hpp>

const char CChromePolicy::kPolicy[] = "SiteSearchSettings";
const wchar_t CChromePolicy::kKeyPath[] = L"SOFTWARE\\Policies\\Google\\Chrome";

CChromePolicy::CChromePolicy(bool allowUserOverride)
    : CSearchPolicy(true, kMaxEntries), m_allowUserOverride(allowUserOverride)
{
}

// The list alone, compact, for the .reg value; or the policy object,
// indented, for a JSON file. Text that is no UTF-8 would come out replaced
// rather than throw, though conversion leaves none.
std::string CChromePolicy::Dump(bool policyObject) const
{
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (const Entry& entry : Entries())
        list.push_back({{"name", entry.prefix},
                        {"shortcut", entry.shortcut},
                        {"url", entry.url},
                        {"allow_user_override", m_allowUserOverride}});
    const nlohmann::ordered_json value = policyObject ? nlohmann::ordered_json{{kPolicy, std::move(list)}} : list;
    return value.dump(policyObject ? 2 : -1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

std::string CChromePolicy::FormatReg() const
{
    const std::wstring section = L"[HKEY_LOCAL_MACHINE\\" + std::wstring(kKeyPath) + L"]\r\n\"" +
                                 Tessaly::Widen(kPolicy) + L"\"=" +
                                 CPrefixFile::StringData(WideFromUtf8(Dump(false))) + L"\r\n\r\n";
    return CPrefixFile::FileBytes(section);
}

std::string CChromePolicy::FormatJson() const
{
    return Dump(true) + "\n";
}

std::string CChromePolicy::Format(const char* path) const
{
    return CFileName::HasExtension(path, ".json") ? FormatJson() : FormatReg();
}

DWORD CChromePolicy::Save(const char* path) const
{
    return CByteFile::Write(path, Format(path));
}

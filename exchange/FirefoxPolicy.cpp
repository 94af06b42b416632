#include "exchange/FirefoxPolicy.h"

#include "exchange/FileName.h"
#include "exchange/PrefixFile.h"
#include "exchange/TextEncoding.h"

#include <nlohmann/json.hpp>

#include <limits>

const wchar_t CFirefoxPolicy::kKeyPath[] = L"SOFTWARE\\Policies\\Mozilla\\Firefox\\SearchEngines\\Add";
const char CFirefoxPolicy::kNameEnd[] = " (Quillory)";

namespace {

const std::wstring kKey = L"HKEY_LOCAL_MACHINE\\" + std::wstring(CFirefoxPolicy::kKeyPath);

} // namespace

// Firefox has no limit of its own.
CFirefoxPolicy::CFirefoxPolicy() : CSearchPolicy(false, std::numeric_limits<size_t>::max())
{
}

std::string CFirefoxPolicy::FormatReg() const
{
    std::wstring sections = L"[-" + kKey + L"]\r\n\r\n";
    int number = 0;
    for (const Entry& entry : Entries()) {
        sections += L"[" + kKey + L"\\" + std::to_wstring(++number) + L"]\r\n";
        const std::pair<const wchar_t*, std::string> values[] = {
            {L"Name", entry.prefix + kNameEnd},
            {L"URLTemplate", entry.url},
            {L"Alias", entry.shortcut},
            {L"Method", "GET"},
        };
        for (const auto& value : values)
            sections += L"\"" + std::wstring(value.first) + L"\"=" +
                        CPrefixFile::StringData(WideFromUtf8(value.second)) + L"\r\n";
        sections += L"\r\n";
    }
    return CPrefixFile::FileBytes(sections);
}

std::string CFirefoxPolicy::FormatJson() const
{
    nlohmann::ordered_json engines = nlohmann::ordered_json::array();
    for (const Entry& entry : Entries())
        engines.push_back({{"Name", entry.prefix + kNameEnd},
                           {"URLTemplate", entry.url},
                           {"Alias", entry.shortcut},
                           {"Method", "GET"}});
    const nlohmann::ordered_json policies = {{"policies", {{"SearchEngines", {{"Add", std::move(engines)}}}}}};
    return policies.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
}

std::string CFirefoxPolicy::Format(const char* path) const
{
    return CFileName::HasExtension(path, ".json") ? FormatJson() : FormatReg();
}

#include "exchange/FirefoxPolicy.h"

#include "exchange/FileName.h"
#include "exchange/PrefixFile.h"
#include "exchange/TextEncoding.h"

#include <nlohmann/json.hpp>

#include <limits>
#include <utility>
#include <vector>

const wchar_t CFirefoxPolicy::kKeyPath[] = L"SOFTWARE\\Policies\\Mozilla\\Firefox\\SearchEngines\\Add";
const char CFirefoxPolicy::kNameEnd[] = " (Quillory)";

namespace {

const std::wstring kKey = L"HKEY_LOCAL_MACHINE\\" + std::wstring(CFirefoxPolicy::kKeyPath);

using Values = std::vector<std::pair<const char*, std::string>>;

// An engine's values, in the order the policy templates list them, for
// either form of the file.
Values ValuesOf(const CSearchPolicy::Entry& entry)
{
    return {{"Name", entry.prefix + CFirefoxPolicy::kNameEnd},
            {"URLTemplate", entry.url},
            {"Alias", entry.shortcut},
            {"Method", "GET"}};
}

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
        for (const auto& value : ValuesOf(entry))
            sections += L"\"" + WideFromUtf8(value.first) + L"\"=" +
                        CPrefixFile::StringData(WideFromUtf8(value.second)) + L"\r\n";
        sections += L"\r\n";
    }
    return CPrefixFile::FileBytes(sections);
}

std::string CFirefoxPolicy::FormatJson() const
{
    nlohmann::ordered_json engines = nlohmann::ordered_json::array();
    for (const Entry& entry : Entries()) {
        nlohmann::ordered_json engine = nlohmann::ordered_json::object();
        for (const auto& value : ValuesOf(entry))
            engine[value.first] = value.second;
        engines.push_back(std::move(engine));
    }
    const nlohmann::ordered_json policies = {{"policies", {{"SearchEngines", {{"Add", std::move(engines)}}}}}};
    return policies.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
}

std::string CFirefoxPolicy::Format(const char* path) const
{
    return CFileName::HasExtension(path, ".json") ? FormatJson() : FormatReg();
}

#include "tests/support/ScratchRegistry.h"

#include "tests/support/SearchUrlKey.h"

#include <cstdlib>
#include <stdexcept>

namespace {

const char kScratchRoot[] = "Software\\Quillory tests";

void Check(LONG result, const char* what)
{
    if (result != ERROR_SUCCESS)
        throw std::runtime_error(std::string(what) + " failed with " + std::to_string(result));
}

} // namespace

std::string ScratchKeyPath()
{
    return std::string(kScratchRoot) + "\\" + std::to_string(::GetCurrentProcessId());
}

ScratchRegistry::ScratchRegistry() : m_path(ScratchKeyPath())
{
    // Left behind by a test process that was killed, whose id Wine reuses.
    ::RegDeleteTreeA(HKEY_CURRENT_USER, m_path.c_str());
    Check(::RegCreateKeyExA(HKEY_CURRENT_USER, m_path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &m_scratch, nullptr),
          "creating the scratch key");
    Check(::RegOverridePredefKey(HKEY_CURRENT_USER, m_scratch), "RegOverridePredefKey");
}

ScratchRegistry::~ScratchRegistry()
{
    ::RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    ::RegCloseKey(m_scratch);
    ::RegDeleteTreeA(HKEY_CURRENT_USER, m_path.c_str());
    ::RegDeleteKeyA(HKEY_CURRENT_USER, kScratchRoot);  // only goes when empty
}

void CreateTestKey(const char* path, const char* data)
{
    HKEY key = nullptr;
    Check(::RegCreateKeyExW(HKEY_CURRENT_USER, Wide(path).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &key, nullptr),
          "creating a test key");
    if (data != nullptr) {
        std::wstring text = Wide(data);
        ::RegSetValueExW(key, L"", 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                         static_cast<DWORD>((text.size() + 1) * sizeof(WCHAR)));
    }
    ::RegCloseKey(key);
}

bool TestKeyExists(const char* path)
{
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    ::RegCloseKey(key);
    return true;
}

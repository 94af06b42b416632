#include "tests/support/UserFolders.h"

#include <shlobj.h>

namespace {

const UserFolders* s_folders = nullptr;

HRESULT WINAPI AnswerKnownFolder(REFKNOWNFOLDERID id, DWORD, HANDLE, PWSTR* path)
{
    const std::wstring& folder = ::IsEqualGUID(id, FOLDERID_LocalAppData) ? s_folders->local : s_folders->roaming;
    *path = static_cast<PWSTR>(::CoTaskMemAlloc((folder.size() + 1) * sizeof(wchar_t)));
    ::lstrcpyW(*path, folder.c_str());
    return S_OK;
}

} // namespace

UserFolders::UserFolders()
    : local(root.Make(L"Local")), roaming(root.Make(L"Roaming")),
      m_shell("shell32.dll", "SHGetKnownFolderPath", reinterpret_cast<void*>(&AnswerKnownFolder))
{
    s_folders = this;
}

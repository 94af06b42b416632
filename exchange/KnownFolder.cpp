#include "exchange/KnownFolder.h"

std::wstring CKnownFolder::GetPath(REFKNOWNFOLDERID id)
{
    PWSTR path = nullptr;
    std::wstring folder;
    if (SUCCEEDED(::SHGetKnownFolderPath(id, 0, nullptr, &path)))
        folder = path;
    ::CoTaskMemFree(path);  // allocated even when the call fails
    return folder;
}

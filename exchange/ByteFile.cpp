#include "exchange/ByteFile.h"

#include "exchange/FileHandle.h"
#include "registry/ProcessCodePage.h"
#include "res/resource.h"
#include "text/String.h"

DWORD CByteFile::Read(const char* path, std::string& bytes)
{
    return Read(Tessaly::Widen(path), bytes);
}

DWORD CByteFile::Read(const std::wstring& path, std::string& bytes, DWORD maxBytes)
{
    // Browsers replace their files by renaming a new one over them: reading
    // beside that must not make it fail.
    CFileHandle file(::CreateFileW(path.c_str(), GENERIC_READ,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsValid())
        return ::GetLastError();
    LARGE_INTEGER size = {};
    if (!::GetFileSizeEx(file.Get(), &size))
        return ::GetLastError();
    if (size.QuadPart > maxBytes)
        return ERROR_FILE_TOO_LARGE;
    bytes.assign(static_cast<size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    if (!bytes.empty() &&
        !::ReadFile(file.Get(), &bytes[0], static_cast<DWORD>(bytes.size()), &read, nullptr))
        return ::GetLastError();
    bytes.resize(read);
    return 0;
}

DWORD CByteFile::Write(const char* path, const std::string& bytes)
{
    return Write(Tessaly::Widen(path), bytes);
}

DWORD CByteFile::Write(const std::wstring& path, const std::string& bytes)
{
    // Replacing by a move would take a read-only file away; Windows' own
    // replace refuses it.
    DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0)
        return ERROR_ACCESS_DENIED;
    const std::wstring temporary = path + L".quillory-" + std::to_wstring(::GetCurrentProcessId()) + L".tmp";
    CFileHandle file(::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsValid())
        return ::GetLastError();
    DWORD written = 0;
    bool ok = ::WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                          nullptr) &&
              written == bytes.size() && ::FlushFileBuffers(file.Get()) && file.Close() &&
              ::MoveFileExW(temporary.c_str(), path.c_str(),
                            MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (ok)
        return 0;
    DWORD error = ::GetLastError();
    file.Close();
    ::DeleteFileW(temporary.c_str());
    return error != 0 ? error : ERROR_WRITE_FAULT;
}

std::string CByteFile::ErrorText(DWORD error)
{
    return error == ERROR_FILE_TOO_LARGE ? std::string(LoadText(IDS_FILE_TOO_LARGE))
                                         : SystemErrorText(error);
}

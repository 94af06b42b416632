#pragma once

#include <string>

#include <windows.h>

// A whole file in and out, for the files a user exports and imports.
class CByteFile {
public:
    // Far beyond any set of prefixes; a larger file is refused, not read.
    static const DWORD kMaxBytes = 64u << 20;

    // 0, ERROR_FILE_TOO_LARGE (over `maxBytes`), or the error that stopped
    // the read.
    static DWORD Read(const char* path, std::string& bytes);
    static DWORD Read(const std::wstring& path, std::string& bytes, DWORD maxBytes = kMaxBytes);
    // Writes a temporary file beside `path` and then puts it in its place,
    // so that a failure leaves no part of a file behind; a read-only file
    // is left as it is. 0 or the error.
    static DWORD Write(const char* path, const std::string& bytes);
    static DWORD Write(const std::wstring& path, const std::string& bytes);
    // Why a read or write failed, for a person: the system's words, or that
    // the file is over the size a read takes.
    static std::string ErrorText(DWORD error);
};

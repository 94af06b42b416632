#pragma once

#include <string>

#include <windows.h>

// One of the program's standard streams: to a console as Unicode, so that
// every name shows as it is, and to a pipe or file as UTF-8 without a
// byte-order mark, which scripts and other programs read.
class CConsoleStream {
public:
    explicit CConsoleStream(DWORD stdHandle);

    // 0 or the error that stopped the writing.
    DWORD Write(const std::wstring& text) const;
    // A file's bytes as they are, so that a redirection makes the file;
    // to a console, the text they hold.
    DWORD WriteBytes(const std::string& bytes) const;
    // A line in the process code page, with Windows' line end.
    void WriteLine(const std::string& text) const;
    // Every line end as Windows writes it, CR LF.
    static std::wstring WithWindowsLineEnds(const std::wstring& text);

private:
    HANDLE m_handle;
    bool m_console;
};

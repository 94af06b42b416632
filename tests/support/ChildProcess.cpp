#include "tests/support/ChildProcess.h"

namespace {

// Starts a command line with these standard output and error handles (when
// given; this process's own otherwise).
bool Start(std::wstring command, HANDLE output, HANDLE errors, PROCESS_INFORMATION& child)
{
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    if (output != nullptr) {
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
        startup.hStdOutput = output;
        startup.hStdError = errors != nullptr ? errors : ::GetStdHandle(STD_ERROR_HANDLE);
    }
    return ::CreateProcessW(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                            &child) != FALSE;
}

// Its exit code, once it ended; ~0 when it ran past `timeout` ms.
DWORD Finish(const PROCESS_INFORMATION& child, DWORD timeout)
{
    DWORD exitCode = ~0u;
    if (::WaitForSingleObject(child.hProcess, timeout) != WAIT_OBJECT_0) {
        ::TerminateProcess(child.hProcess, ~0u);
        ::WaitForSingleObject(child.hProcess, INFINITE);
    }
    ::GetExitCodeProcess(child.hProcess, &exitCode);
    ::CloseHandle(child.hThread);
    ::CloseHandle(child.hProcess);
    return exitCode;
}

std::wstring Widened(const std::string& text)
{
    int length = ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    std::wstring wide(static_cast<size_t>(length > 0 ? length : 1), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &wide[0], length);
    wide.resize(wide.size() - 1);
    return wide;
}

HANDLE InheritedFile(const std::string& path, DWORD access, DWORD disposition)
{
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    return ::CreateFileA(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, disposition,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
}

struct TempFile {
    TempFile()
    {
        char dir[MAX_PATH] = {}, name[MAX_PATH] = {};
        ::GetTempPathA(MAX_PATH, dir);
        ::GetTempFileNameA(dir, "out", 0, name);
        path = name;
        handle = InheritedFile(path, GENERIC_READ | GENERIC_WRITE, CREATE_ALWAYS);
    }
    ~TempFile()
    {
        ::CloseHandle(handle);
        ::DeleteFileA(path.c_str());
    }
    std::string Bytes() const
    {
        std::string bytes(::GetFileSize(handle, nullptr), '\0');
        DWORD read = 0;
        ::SetFilePointer(handle, 0, nullptr, FILE_BEGIN);
        ::ReadFile(handle, &bytes[0], static_cast<DWORD>(bytes.size()), &read, nullptr);
        bytes.resize(read);
        return bytes;
    }
    std::string path;
    HANDLE handle;
};

} // namespace

DWORD RunChild(std::string command)
{
    PROCESS_INFORMATION child = {};
    return Start(Widened(command), nullptr, nullptr, child) ? Finish(child, 30000) : ~0u;
}

DWORD RunChildWritingTo(std::string command, const std::string& output, DWORD timeout)
{
    HANDLE file = InheritedFile(output, GENERIC_WRITE, CREATE_ALWAYS);
    PROCESS_INFORMATION child = {};
    DWORD exitCode = Start(Widened(command), file, nullptr, child) ? Finish(child, timeout) : ~0u;
    ::CloseHandle(file);
    return exitCode;
}

DWORD RunChild(std::wstring command, std::string& out, std::string& err)
{
    TempFile errors;
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    ::CreatePipe(&readEnd, &writeEnd, &inherit, 0);
    ::SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    PROCESS_INFORMATION child = {};
    bool started = Start(command, writeEnd, errors.handle, child);
    ::CloseHandle(writeEnd);
    // Read to the end before waiting: a full pipe would stop the child.
    char buffer[4096];
    DWORD read = 0;
    out.clear();
    while (started && ::ReadFile(readEnd, buffer, sizeof buffer, &read, nullptr) && read != 0)
        out.append(buffer, read);
    ::CloseHandle(readEnd);
    if (!started)
        return ~0u;
    DWORD exitCode = Finish(child, 30000);
    err = errors.Bytes();
    return exitCode;
}

int CaptureStreams(const std::function<int()>& run, std::string& out, std::string& err)
{
    TempFile output, errors;
    HANDLE oldOut = ::GetStdHandle(STD_OUTPUT_HANDLE), oldErr = ::GetStdHandle(STD_ERROR_HANDLE);
    ::SetStdHandle(STD_OUTPUT_HANDLE, output.handle);
    ::SetStdHandle(STD_ERROR_HANDLE, errors.handle);
    int result = run();
    ::SetStdHandle(STD_OUTPUT_HANDLE, oldOut);
    ::SetStdHandle(STD_ERROR_HANDLE, oldErr);
    out = output.Bytes();
    err = errors.Bytes();
    return result;
}

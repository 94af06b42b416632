#include "tests/support/ChildProcess.h"

DWORD RunChild(std::string command)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION child = {};
    if (!::CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                          &startup, &child))
        return ~0u;
    DWORD exitCode = ~0u;
    if (::WaitForSingleObject(child.hProcess, 30000) != WAIT_OBJECT_0) {
        ::TerminateProcess(child.hProcess, ~0u);
        ::WaitForSingleObject(child.hProcess, INFINITE);
    }
    ::GetExitCodeProcess(child.hProcess, &exitCode);
    ::CloseHandle(child.hThread);
    ::CloseHandle(child.hProcess);
    return exitCode;
}

namespace {

struct TempFile {
    TempFile()
    {
        char dir[MAX_PATH] = {}, name[MAX_PATH] = {};
        ::GetTempPathA(MAX_PATH, dir);
        ::GetTempFileNameA(dir, "out", 0, name);
        path = name;
        SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
        handle = ::CreateFileA(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                               &inherit, CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY, nullptr);
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

DWORD RunChild(std::wstring command, std::string& out, std::string& err)
{
    TempFile errors;
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    ::CreatePipe(&readEnd, &writeEnd, &inherit, 0);
    ::SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = writeEnd;
    startup.hStdError = errors.handle;
    PROCESS_INFORMATION child = {};
    BOOL started = ::CreateProcessW(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                    &startup, &child);
    ::CloseHandle(writeEnd);
    char buffer[4096];
    DWORD read = 0;
    out.clear();
    while (started && ::ReadFile(readEnd, buffer, sizeof buffer, &read, nullptr) && read != 0)
        out.append(buffer, read);
    ::CloseHandle(readEnd);
    if (!started)
        return ~0u;
    DWORD exitCode = ~0u;
    ::WaitForSingleObject(child.hProcess, 30000);
    ::GetExitCodeProcess(child.hProcess, &exitCode);
    ::CloseHandle(child.hThread);
    ::CloseHandle(child.hProcess);
    err = errors.Bytes();
    return exitCode;
}

int CaptureStreams(int (*run)(void* context), void* context, std::string& out, std::string& err)
{
    TempFile output, errors;
    HANDLE oldOut = ::GetStdHandle(STD_OUTPUT_HANDLE), oldErr = ::GetStdHandle(STD_ERROR_HANDLE);
    ::SetStdHandle(STD_OUTPUT_HANDLE, output.handle);
    ::SetStdHandle(STD_ERROR_HANDLE, errors.handle);
    int result = run(context);
    ::SetStdHandle(STD_OUTPUT_HANDLE, oldOut);
    ::SetStdHandle(STD_ERROR_HANDLE, oldErr);
    out = output.Bytes();
    err = errors.Bytes();
    return result;
}

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

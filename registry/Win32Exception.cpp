#include "registry/Win32Exception.h"

#include <cstdio>

namespace Tessaly {

namespace {

char s_message[512];
const DWORD kMessageRoom = 511;

// A lookup that fails is retried with the code of its own failure, so the
// text says why; the retries are bounded in case the system keeps failing.
const int kMaxLookups = 4;

bool LookUpMessage(DWORD code)
{
    return ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, code, 0,
                            s_message, kMessageRoom, nullptr) != 0;
}

const char* MessageFor(DWORD errorCode)
{
    DWORD code = errorCode;
    for (int lookup = 0; lookup < kMaxLookups; ++lookup) {
        if (LookUpMessage(code))
            return s_message;
        code = ::GetLastError();
    }
    std::snprintf(s_message, sizeof s_message,
                  "No system message text is available for error %lu.",
                  static_cast<unsigned long>(errorCode));
    return s_message;
}

} // namespace

const char* CWin32Exception::GetErrorMessage()
{
    return MessageFor(m_errorCode);
}

std::string CWin32Exception::ErrorText(DWORD errorCode)
{
    return MessageFor(errorCode);
}

} // namespace Tessaly

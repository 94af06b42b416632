#pragma once

#include <string>

#include <windows.h>

namespace Tessaly {

// A failed Win32 call: where it happened and the code it returned. Owns
// nothing, so it can be thrown, copied and caught without allocating; the
// location must be a string literal.
class CWin32Exception {
public:
    CWin32Exception(const char* location, DWORD errorCode)
        : m_location(location), m_errorCode(errorCode) {}

    const char* GetLocation() const { return m_location; }
    DWORD GetErrorCode() const { return m_errorCode; }

    // The system's text for the code, in one buffer shared by every exception:
    // valid until the next call on any exception.
    virtual const char* GetErrorMessage();

    // The system's text for any error code, as GetErrorMessage gives it, in
    // a string of its own.
    static std::string ErrorText(DWORD errorCode);

private:
    const char* m_location;
    DWORD m_errorCode;
};

} // namespace Tessaly

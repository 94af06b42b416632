#include "app/SingleInstance.h"

#include <sddl.h>

namespace {

// How long a later start looks for the dialog of one still starting.
const int kLookups = 50;
const DWORD kLookupPause = 100;  // ms

// The user's SID as text; empty when the process token cannot tell.
std::string UserSid()
{
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token))
        return std::string();
    std::string sid;
    DWORD size = 0;
    ::GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::string buffer(size, '\0');
    char* text = nullptr;
    if (size != 0 && ::GetTokenInformation(token, TokenUser, &buffer[0], size, &size) &&
        ::ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(&buffer[0])->User.Sid, &text)) {
        sid = text;
        ::LocalFree(text);
    }
    ::CloseHandle(token);
    return sid;
}

} // namespace

std::string CSingleInstance::Name()
{
    return "Local\\Quillory-" + UserSid();
}

CSingleInstance::CSingleInstance()
    : m_mutex(::CreateMutexA(nullptr, FALSE, Name().c_str())),
      m_first(m_mutex == nullptr || ::GetLastError() != ERROR_ALREADY_EXISTS)
{
}

CSingleInstance::~CSingleInstance()
{
    if (m_mutex != nullptr)
        ::CloseHandle(m_mutex);
}

void CSingleInstance::MarkWindow(HWND dialog)
{
    ::SetPropA(dialog, Name().c_str(), dialog);
}

void CSingleInstance::ShowFirst()
{
    const std::string name = Name();
    for (int lookup = 0; lookup < kLookups; ++lookup) {
        struct Search {
            const char* name;
            HWND found;
        } search = {name.c_str(), nullptr};
        ::EnumWindows(
            [](HWND window, LPARAM param) -> BOOL {
                auto* s = reinterpret_cast<Search*>(param);
                if (::GetPropA(window, s->name) == nullptr)
                    return TRUE;
                s->found = window;
                return FALSE;
            },
            reinterpret_cast<LPARAM>(&search));
        if (search.found != nullptr) {
            if (::IsIconic(search.found))
                ::ShowWindow(search.found, SW_RESTORE);
            ::SetForegroundWindow(::GetLastActivePopup(search.found));
            return;
        }
        ::Sleep(kLookupPause);
    }
}

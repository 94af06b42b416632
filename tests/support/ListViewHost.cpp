#include "tests/support/ListViewHost.h"

#include <stdexcept>

namespace {

const char kParentClass[] = "QuilloryTestParent";
std::vector<ListViewHost::ItemChange> s_changes;

LRESULT CALLBACK ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NOTIFY) {
        const auto* change = reinterpret_cast<const NMLISTVIEW*>(lParam);
        if (change->hdr.code == LVN_ITEMCHANGED && (change->uChanged & LVIF_STATE) != 0)
            s_changes.push_back({change->iItem, change->uOldState, change->uNewState});
    }
    return ::DefWindowProcA(window, message, wParam, lParam);
}

void RegisterParentClass()
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = ParentProc;
    windowClass.hInstance = ::GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kParentClass;
    ::RegisterClassA(&windowClass);  // already registered is fine
}

} // namespace

ListViewHost::ListViewHost()
{
    ::InitCommonControls();
    RegisterParentClass();
    m_parent = ::CreateWindowExA(0, kParentClass, "host", WS_OVERLAPPEDWINDOW, 0, 0, 600, 400,
                                 nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr);
    const DWORD dialogStyles = WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | LVS_REPORT |
                               LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_SORTASCENDING |
                               LVS_EDITLABELS | LVS_ALIGNLEFT;
    m_list = ::CreateWindowExA(0, WC_LISTVIEWA, "", dialogStyles, 10, 10, 500, 300, m_parent,
                               reinterpret_cast<HMENU>(1000), ::GetModuleHandleA(nullptr),
                               nullptr);
    if (m_parent == nullptr || m_list == nullptr)
        throw std::runtime_error("cannot create the list view");
    s_changes.clear();
}

ListViewHost::~ListViewHost()
{
    ::DestroyWindow(m_parent);
    s_changes.clear();
}

const std::vector<ListViewHost::ItemChange>& ListViewHost::StateChanges() const
{
    return s_changes;
}

void ListViewHost::ForgetNotifications()
{
    s_changes.clear();
}

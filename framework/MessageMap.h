#pragma once

// Event tables: each class lists the messages, control notifications and
// command-update requests it handles, and chains to its base class's table.
// A row's handler is a small adapter that unpacks the message's parameters
// for the member function named in the row.

#include <windows.h>

class CCmdTarget;
class CCmdUI;

// The notification code of a command-update request.
const UINT CN_UPDATE_COMMAND_UI = static_cast<UINT>(-1);

using AFX_HANDLER = LRESULT (*)(CCmdTarget* target, WPARAM wParam, LPARAM lParam);

struct AFX_MSGMAP_ENTRY {
    UINT nMessage;  // WM_COMMAND and WM_NOTIFY for control events
    UINT nCode;     // notification code, or CN_UPDATE_COMMAND_UI; 0 otherwise
    UINT nID;       // control id; 0 for a window message
    AFX_HANDLER pfn;  // null ends the table
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* (*pfnGetBaseMap)();  // null for the root
    const AFX_MSGMAP_ENTRY* lpEntries;
};

#define DECLARE_MESSAGE_MAP()                                       \
protected:                                                          \
    static const AFX_MSGMAP* GetThisMessageMap();                   \
    const AFX_MSGMAP* GetMessageMap() const override;

// The rows live inside a member function, so their adapters may call
// protected and private handlers.
#define BEGIN_MESSAGE_MAP(theClass, baseClass)                      \
    const AFX_MSGMAP* theClass::GetMessageMap() const               \
    {                                                               \
        return GetThisMessageMap();                                 \
    }                                                               \
    const AFX_MSGMAP* theClass::GetThisMessageMap()                 \
    {                                                               \
        using ThisClass [[maybe_unused]] = theClass; /* empty tables */ \
        using TheBaseClass = baseClass;                             \
        static const AFX_MSGMAP_ENTRY entries[] = {

#define END_MESSAGE_MAP()                                           \
            {0, 0, 0, nullptr}};                                    \
        static const AFX_MSGMAP map = {&TheBaseClass::GetThisMessageMap, entries}; \
        return &map;                                                \
    }

#define AFX_TARGET(target) static_cast<ThisClass*>(target)

// LRESULT Handler(WPARAM, LPARAM)
#define ON_MESSAGE(message, memberFxn)                                              \
    {message, 0, 0, [](CCmdTarget* t, WPARAM w, LPARAM l) -> LRESULT {             \
         return AFX_TARGET(t)->memberFxn(w, l);                                     \
     }},

// void Handler(), for a WM_COMMAND notification `code` from control `id`
#define ON_CONTROL(code, id, memberFxn)                                             \
    {WM_COMMAND, static_cast<UINT>(code), static_cast<UINT>(id),                   \
     [](CCmdTarget* t, WPARAM, LPARAM) -> LRESULT {                                 \
         AFX_TARGET(t)->memberFxn();                                                \
         return 0;                                                                  \
     }},

#define ON_BN_CLICKED(id, memberFxn) ON_CONTROL(BN_CLICKED, id, memberFxn)
#define ON_EN_SETFOCUS(id, memberFxn) ON_CONTROL(EN_SETFOCUS, id, memberFxn)
#define ON_EN_KILLFOCUS(id, memberFxn) ON_CONTROL(EN_KILLFOCUS, id, memberFxn)
#define ON_EN_CHANGE(id, memberFxn) ON_CONTROL(EN_CHANGE, id, memberFxn)
#define ON_CBN_SELENDOK(id, memberFxn) ON_CONTROL(CBN_SELENDOK, id, memberFxn)
#define ON_CBN_SETFOCUS(id, memberFxn) ON_CONTROL(CBN_SETFOCUS, id, memberFxn)
#define ON_CBN_KILLFOCUS(id, memberFxn) ON_CONTROL(CBN_KILLFOCUS, id, memberFxn)

// void Handler(NMHDR*, LRESULT*), for a WM_NOTIFY `code` from control `id`
#define ON_NOTIFY(code, id, memberFxn)                                              \
    {WM_NOTIFY, static_cast<UINT>(code), static_cast<UINT>(id),                    \
     [](CCmdTarget* t, WPARAM, LPARAM l) -> LRESULT {                               \
         LRESULT result = 0;                                                        \
         AFX_TARGET(t)->memberFxn(reinterpret_cast<NMHDR*>(l), &result);            \
         return result;                                                             \
     }},

// void Handler(CCmdUI*), asked to refresh the state of control `id`
#define ON_UPDATE_COMMAND_UI(id, memberFxn)                                         \
    {WM_COMMAND, CN_UPDATE_COMMAND_UI, static_cast<UINT>(id),                      \
     [](CCmdTarget* t, WPARAM, LPARAM l) -> LRESULT {                               \
         AFX_TARGET(t)->memberFxn(reinterpret_cast<CCmdUI*>(l));                    \
         return 0;                                                                  \
     }},

// Window messages with handlers of their usual shapes.
#define ON_WM_PAINT()                                                               \
    {WM_PAINT, 0, 0, [](CCmdTarget* t, WPARAM, LPARAM) -> LRESULT {                 \
         AFX_TARGET(t)->OnPaint();                                                  \
         return 0;                                                                  \
     }},

// void OnSysCommand(UINT id, LPARAM lParam)
#define ON_WM_SYSCOMMAND()                                                          \
    {WM_SYSCOMMAND, 0, 0, [](CCmdTarget* t, WPARAM w, LPARAM l) -> LRESULT {        \
         AFX_TARGET(t)->OnSysCommand(static_cast<UINT>(w), l);                      \
         return 0;                                                                  \
     }},

// HCURSOR OnQueryDragIcon()
#define ON_WM_QUERYDRAGICON()                                                       \
    {WM_QUERYDRAGICON, 0, 0, [](CCmdTarget* t, WPARAM, LPARAM) -> LRESULT {         \
         return reinterpret_cast<LRESULT>(AFX_TARGET(t)->OnQueryDragIcon());        \
     }},

// void OnMouseMove(UINT keys, POINT point)
#define ON_WM_MOUSEMOVE()                                                           \
    {WM_MOUSEMOVE, 0, 0, [](CCmdTarget* t, WPARAM w, LPARAM l) -> LRESULT {         \
         POINT point = {static_cast<short>(LOWORD(l)), static_cast<short>(HIWORD(l))}; \
         AFX_TARGET(t)->OnMouseMove(static_cast<UINT>(w), point);                   \
         return 0;                                                                  \
     }},

// BOOL OnSetCursor(CWnd* window, UINT hitTest, UINT message)
#define ON_WM_SETCURSOR()                                                           \
    {WM_SETCURSOR, 0, 0, [](CCmdTarget* t, WPARAM w, LPARAM l) -> LRESULT {         \
         CWnd window(reinterpret_cast<HWND>(w));                                    \
         return AFX_TARGET(t)->OnSetCursor(&window, LOWORD(l), HIWORD(l));          \
     }},

// void OnTimer(UINT_PTR id)
#define ON_WM_TIMER()                                                               \
    {WM_TIMER, 0, 0, [](CCmdTarget* t, WPARAM w, LPARAM) -> LRESULT {               \
         AFX_TARGET(t)->OnTimer(static_cast<UINT_PTR>(w));                          \
         return 0;                                                                  \
     }},

// void Handler(), for a menu command `id`
#define ON_COMMAND(id, memberFxn) ON_CONTROL(0, id, memberFxn)

// void OnContextMenu(CWnd* window, POINT point); the point is (-1, -1) when
// the menu was asked for from the keyboard
#define ON_WM_CONTEXTMENU()                                                         \
    {WM_CONTEXTMENU, 0, 0, [](CCmdTarget* t, WPARAM w, LPARAM l) -> LRESULT {       \
         CWnd window(reinterpret_cast<HWND>(w));                                    \
         POINT point = {static_cast<short>(LOWORD(l)), static_cast<short>(HIWORD(l))}; \
         AFX_TARGET(t)->OnContextMenu(&window, point);                              \
         return 0;                                                                  \
     }},

#pragma once

#include <string>

#include <windows.h>

// One Quillory dialog per user and session: a mutex named in the session's
// own namespace after the user, so that other users and sessions on the
// machine run theirs. A later start shows the dialog already open instead.
class CSingleInstance {
public:
    CSingleInstance();
    ~CSingleInstance();
    CSingleInstance(const CSingleInstance&) = delete;
    CSingleInstance& operator=(const CSingleInstance&) = delete;

    // False when another start of this user's holds the mutex.
    bool IsFirst() const { return m_first; }

    // Marks the dialog, for later starts to find.
    static void MarkWindow(HWND dialog);
    // Brings the marked dialog (or the box it waits on) to the front,
    // restored if minimised; waits a little while it is still being made.
    static void ShowFirst();

private:
    static std::string Name();

    HANDLE m_mutex;
    bool m_first;
};

#pragma once

#include <windows.h>

namespace Tessaly {

// Holds one registry handle for every object that shares it. The count is
// atomic, and the releaser whose decrement reaches zero closes the handle
// and deletes the holder.
class CCountedHandle {
public:
    CCountedHandle(const CCountedHandle&) = delete;
    CCountedHandle& operator=(const CCountedHandle&) = delete;

    CCountedHandle* AddRef();
    // Always returns null, so that `p = p->Release();` clears the caller's
    // reference in the same step that gives it back.
    CCountedHandle* Release();

    HKEY GetHandle() const { return m_handle; }

protected:
    explicit CCountedHandle(HKEY handle) : m_handle(handle), m_refCount(1) {}
    virtual void Close() = 0;
    // Does not close: only the last Release does, through Close.
    virtual ~CCountedHandle() = default;

    HKEY m_handle;

private:
    LONG m_refCount;
};

} // namespace Tessaly

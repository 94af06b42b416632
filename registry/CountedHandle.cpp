#include "registry/CountedHandle.h"

namespace Tessaly {

CCountedHandle* CCountedHandle::AddRef()
{
    ::InterlockedIncrement(&m_refCount);
    return this;
}

CCountedHandle* CCountedHandle::Release()
{
    if (::InterlockedDecrement(&m_refCount) == 0) {
        try {
            Close();
        } catch (...) {
            // Release runs in destructors and must not throw.
        }
        delete this;
    }
    return nullptr;
}

} // namespace Tessaly

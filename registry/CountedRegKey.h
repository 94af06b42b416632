#pragma once

#include "registry/CountedHandle.h"

namespace Tessaly {

class CRegistryKey;

// The holder of an open registry key. Only CRegistryKey::NewCCountedRegKey
// makes one, always on the heap.
class CCountedRegKey : public CCountedHandle {
public:
    CCountedRegKey* AddRef()
    {
        CCountedHandle::AddRef();
        return this;
    }
    CCountedRegKey* Release()
    {
        CCountedHandle::Release();
        return nullptr;
    }

private:
    friend class CRegistryKey;
    explicit CCountedRegKey(HKEY handle) : CCountedHandle(handle) {}
    void Close() override;
};

} // namespace Tessaly

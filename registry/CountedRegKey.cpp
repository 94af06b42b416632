#include "registry/CountedRegKey.h"

namespace Tessaly {

void CCountedRegKey::Close()
{
    // Nothing useful can be done about a key that fails to close.
    ::RegCloseKey(m_handle);
}

} // namespace Tessaly

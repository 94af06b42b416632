#pragma once

#include "registry/RegistryKey.h"

#include <optional>

#include <windows.h>

namespace Tessaly {

// Sets an event when a watched key changes: a subkey made or deleted, the
// key itself deleted, and, watched with its subtree, a value set or deleted
// or anything below it.
// One signal per arming: arm again after each, before reading what changed,
// so that nothing written meanwhile goes unseen. The event resets itself
// when a wait takes it.
class CKeyWatch {
public:
    CKeyWatch();
    ~CKeyWatch();
    CKeyWatch(const CKeyWatch&) = delete;
    CKeyWatch& operator=(const CKeyWatch&) = delete;

    HANDLE GetEvent() const { return m_event; }

    // Watches `key` from now on, instead of any key watched before, which
    // is kept when this one cannot be. Its handle stays open while it is
    // watched: closing it ends the watch with a signal.
    void Watch(const CRegistryKey& key, bool subtree);
    // Arms the watch on the key watched already. False when there is none,
    // or it has been deleted.
    bool Rearm();

private:
    HANDLE m_event;
    std::optional<CRegistryKey> m_key;
    bool m_subtree = false;
};

} // namespace Tessaly

#pragma once

#include <string>
#include <vector>

#include <windows.h>

// Counts, records and fails the registry calls that this test executable
// makes, by swapping its import-table entries for the advapi32 registry
// functions; the product code itself calls the platform directly.
//
// While one layer object lives, every call is numbered from 1 and logged,
// and the handles opened are tracked until they are closed. Only one layer
// object may live at a time.
class RegistryCallLayer {
public:
    // Thrown out of the call where a stop was asked for.
    struct Stop {};

    RegistryCallLayer();
    ~RegistryCallLayer();
    RegistryCallLayer(const RegistryCallLayer&) = delete;
    RegistryCallLayer& operator=(const RegistryCallLayer&) = delete;

    // Call number `index` returns `code` instead of reaching the registry.
    // A failed RegCloseKey still closes the handle: the program ignores
    // that result, and the test is about what the program does.
    void FailCall(unsigned index, LONG code);
    // Every call to `function` from now on returns `code`.
    void FailEveryCallTo(const char* function, LONG code);
    // Call number `nth` (from 1) to `function` returns `code`.
    void FailNthCallTo(const char* function, unsigned nth, LONG code);
    // As if the process died at call number `index`: that call and every
    // later one throw Stop without reaching the registry. Closing a handle
    // changes nothing stored and runs in destructors, so a close is never
    // stopped: the stop falls on the next call after it.
    void StopAtCall(unsigned index);
    bool Stopped() const;

    unsigned CallCount() const;
    unsigned CallsTo(const char* function) const;
    const std::vector<std::string>& Calls() const;
    // The key paths given to RegCreateKeyExA and the value names given to
    // RegSetValueExA, in call order.
    const std::vector<std::string>& CreatedKeys() const;
    const std::vector<std::string>& SetValueNames() const;

    // Handles opened while the layer lived and not closed yet.
    size_t OpenHandleCount() const;
    // Closes of handles that had already been closed.
    unsigned RepeatedCloseCount() const;
};

#pragma once

#include "registry/RegistryKey.h"

#include <gtest/gtest.h>

// Runs `operation` and checks that it fails with a registry exception of
// this location and code.
template <typename Operation>
void ExpectRegistryFailure(Operation operation, const char* location, DWORD code)
{
    try {
        operation();
        ADD_FAILURE() << "no exception; expected one from " << location;
    } catch (const Tessaly::CRegistryKey::Exception& e) {
        EXPECT_STREQ(e.GetLocation(), location);
        EXPECT_EQ(e.GetErrorCode(), code);
    }
}

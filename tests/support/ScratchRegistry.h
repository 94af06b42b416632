#pragma once

#include <string>

#include <gtest/gtest.h>
#include <windows.h>

// Points HKEY_CURRENT_USER of this process at a fresh, empty scratch key, so
// that no test, even one run on Windows, can touch a real user's settings.
// The scratch key is removed again at the end.
class ScratchRegistry {
public:
    ScratchRegistry();
    ~ScratchRegistry();
    ScratchRegistry(const ScratchRegistry&) = delete;
    ScratchRegistry& operator=(const ScratchRegistry&) = delete;

private:
    std::string m_path;
    HKEY m_scratch = nullptr;
};

// The scratch key of this process, below the real HKEY_CURRENT_USER: where
// another process finds what this one wrote to HKEY_CURRENT_USER.
std::string ScratchKeyPath();

// Creates `path` below HKEY_CURRENT_USER, with `data` as its default value
// when given; both are UTF-8 and stored as Unicode, as other programs do.
void CreateTestKey(const char* path, const char* data = nullptr);
bool TestKeyExists(const char* path);

// Base of the tests that work in the registry.
class RegistryTest : public ::testing::Test {
private:
    ScratchRegistry m_scratch;
};

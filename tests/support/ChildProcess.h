#pragma once

#include <string>

#include <windows.h>

// Runs a command line to its end; its exit code, or ~0 when it could not
// start or did not end within 30 s.
DWORD RunChild(std::string command);

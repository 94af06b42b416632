#pragma once

#include <string>

// The first save of a dialog or a command with the backup made before it,
// beside the same save without it and reg.exe's export of the same key;
// `scratchPath` is where the real HKEY_CURRENT_USER holds what this process
// sees as its own.
void PrintBackupTable(const std::string& scratchPath);

#pragma once

// Swaps one entry of this executable's import table, so that every call the
// program makes to that function reaches `replacement` instead. Returns the
// entry it replaced, or null when the executable does not import it.
void* PatchImport(const char* module, const char* function, void* replacement);

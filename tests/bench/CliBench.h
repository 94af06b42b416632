#pragma once

// quillory-cli.exe's list, import and export of N prefixes, each timed as a
// whole process, beside reg.exe's query, import and export of the same key.
// A child process sees the real HKEY_CURRENT_USER, not the bench's scratch
// key: what the SearchUrl key held is put back afterwards.
void PrintCliTable(int count);

#pragma once

#include <functional>
#include <string>

#include <windows.h>

// Runs a command line to its end; its exit code, or ~0 when it could not
// start or did not end within 30 s.
DWORD RunChild(std::string command);
// The same, its standard output written to the file `output`, given
// `timeout` ms to end.
DWORD RunChildWritingTo(std::string command, const std::string& output, DWORD timeout);
// The same, its standard output read through a pipe and its errors through
// a file, as the bytes written.
DWORD RunChild(std::wstring command, std::string& out, std::string& err);
// Both streams of this process into files while `run` runs, for code that
// writes to them; their bytes, and what `run` returned.
int CaptureStreams(const std::function<int()>& run, std::string& out, std::string& err);

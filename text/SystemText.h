#pragma once

#include <string>

#include <windows.h>

// Messages written for a box, over several lines, as a console prints them;
// and the system's words for an error, to end a sentence of the program's.

// The lines of `text` joined by single spaces, with no space at its end.
std::string OneLine(const std::string& text);
// The system's text for the error, on one line and without its full stop.
std::string SystemErrorText(DWORD error);

#pragma once

#include <string>

#include <windows.h>

namespace Tessaly {

// The process code page, in which the registry's narrow functions pass
// names and texts: UTF-8 for a program that asks for it in its manifest,
// otherwise the system's ANSI code page. The conversions take another code
// page where one is given.

// The most bytes one character can take in it.
DWORD MaxBytesPerCharacter();

// A narrow text as the registry's narrow functions convert it.
std::wstring Widen(const char* text, UINT codePage = CP_ACP);
// And back, as the system converts it: a character the code page lacks
// becomes its default character, or a look-alike.
std::string Narrow(const std::wstring& text, UINT codePage = CP_ACP);
// Sets `narrow` to the text in the code page and returns true only when
// Widen gives `text` back from it; `narrow` is unchanged otherwise.
bool NarrowExactly(const std::wstring& text, std::string& narrow, UINT codePage = CP_ACP);

// True when `length` bytes of text are surely what the registry stores: in
// UTF-8 every character converts both ways unchanged, except what comes out
// as the replacement character (an unpaired surrogate, say). False means
// only that the registry has to be asked.
bool IsSurelyExact(const char* text, size_t length);

} // namespace Tessaly

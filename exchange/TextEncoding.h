#pragma once

#include "text/String.h"

#include <string>

#include <windows.h>

// Between the encodings that files and browser profiles use and the
// process code page, in which the program holds its texts; and the
// trimming that reading such files needs.

// The system's ANSI code page, in which older programs write text files;
// it may differ from this process's code page (UTF-8).
UINT SystemAnsiCodePage();

// `size` bytes of text in a code page; false when they are no text in it
// (with MB_ERR_INVALID_CHARS among the flags).
bool ToWide(const char* bytes, size_t size, UINT codePage, DWORD flags, std::wstring& text);
// UTF-16LE bytes; false when cut off inside a character.
bool FromUtf16(const char* bytes, size_t size, std::wstring& text);
std::wstring WideFromUtf8(const std::string& utf8);
// False when the bytes are no UTF-8, rather than marking what is not.
bool FromUtf8(const std::string& utf8, std::wstring& text);
std::string Utf8FromWide(const std::wstring& wide);

// A text file's text. A byte-order mark names UTF-16LE or UTF-8; without
// one, valid UTF-8 is taken as such, and anything else is in the system's
// ANSI code page. Text in an ANSI code page is seldom valid UTF-8 unless it
// is plain ASCII, which both read alike.
bool DecodeText(const std::string& bytes, std::wstring& text);

// The text in the process code page, when that holds it exactly; false,
// with `text` unchanged, otherwise.
bool NarrowText(const std::wstring& wide, CString& text);

// In lower case by the invariant mapping, the same on every machine (in
// Turkish, I would lower to a dotless i), with Unicode's casing as browsers
// apply it: the Kelvin sign is a k.
std::wstring LowerCase(const std::wstring& text);

// Without the spaces and tabs at the start, at the end, or both.
std::wstring TrimLeft(const std::wstring& text);
std::wstring TrimRight(const std::wstring& text);
std::wstring Trimmed(const std::wstring& text);

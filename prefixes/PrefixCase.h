#pragma once

#include "text/String.h"

#include <windows.h>

// Upper-cases a prefix character by character in a code page (by default
// the process code page): lower-case letters of that code page become their
// upper-case partners, a double-byte or UTF-8 character is mapped as one, and
// every other byte stays. A character whose upper-case form would take a
// different number of bytes, or does not exist in the code page, stays as
// it was, so the text keeps its length. Without the code page's tables,
// only a to z are mapped.
//
// The C runtime's _mbsupr is not used: under Wine it maps only a to z.
CString UpperCasePrefix(const char* text, UINT codePage = CP_ACP);

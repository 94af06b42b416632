#pragma once

#include "prefixes/PrefixStore.h"

#include <functional>
#include <string>

#include <windows.h>

// What the bench's tables share.

// Realistic prefixes and URLs: words, made unique with a number where the
// words run out.
std::string PrefixName(int i);
std::string UrlOf(int i);

// Milliseconds from an arbitrary start.
double Now();
// The median of `runs` timings of `work`, each after an untimed `prepare`
// and a pause.
double Median(int runs, const std::function<void()>& prepare, const std::function<void()>& work);

// The bare calls of writing N prefixes: create each with its five values.
void WritePrefixesBare(HKEY searchUrl, int count);
// The key at `path` below HKEY_CURRENT_USER made anew with N prefixes.
void FillSearchUrl(int count, const char* path = CPrefixStore::kKeyPath);
// A .reg file with the same N prefixes below `keyPath`, every URL changed as
// a full save changes them; its path.
std::string WriteRegFile(int count, const std::string& keyPath);

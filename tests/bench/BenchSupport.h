#pragma once

#include <functional>
#include <string>

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

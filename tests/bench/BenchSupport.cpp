#include "tests/bench/BenchSupport.h"

#include <algorithm>
#include <vector>

#include <windows.h>

std::string PrefixName(int i)
{
    static const char* const words[] = {
        "WIKI", "NEWS", "MAPS", "BOOK", "FILM", "SONG", "CODE", "SHOP", "DICT", "WORD",
        "TRIP", "FOOD", "GAME", "HELP", "MAIL", "BLOG", "TEXT", "PHOTO", "VIDEO", "STOCK"};
    std::string name = std::string(words[i % 20]) + words[(i / 20) % 20];
    if (i >= 400)
        name += std::to_string(i / 400);
    return name;
}

std::string UrlOf(int i)
{
    return "http://www.search-" + std::to_string(i % 97) + ".example.com/results?q=%s&from=" +
           PrefixName(i);
}

double Now()
{
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        ::QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER counter;
    ::QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

// Under Wine a registry call takes about four times as long
// in a long burst of them as after a pause (3.5 against 17 ms for the same
// 100 reads, measured back to back and 50 ms apart), so every run starts
// from the same rest: the floor and the program are timed alike.
double Median(int runs, const std::function<void()>& prepare, const std::function<void()>& work)
{
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        prepare();
        ::Sleep(100);
        double start = Now();
        work();
        times.push_back(Now() - start);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

#include "tests/bench/BenchSupport.h"

#include <algorithm>
#include <fstream>
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

namespace {

void SetString(HKEY key, const char* name, const std::string& text)
{
    ::RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                     static_cast<DWORD>(text.size() + 1));
}

} // namespace

void WritePrefixesBare(HKEY searchUrl, int count)
{
    for (int i = 0; i < count; ++i) {
        HKEY subkey = nullptr;
        ::RegCreateKeyExA(searchUrl, PrefixName(i).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                          nullptr, &subkey, nullptr);
        const std::string url = UrlOf(i);
        for (const CPrefixStore::Value& value : CPrefixStore::ValuesOf(url.c_str()))
            SetString(subkey, value.name, value.text);
        ::RegCloseKey(subkey);
    }
}

void FillSearchUrl(int count, const char* path)
{
    ::RegDeleteTreeA(HKEY_CURRENT_USER, path);
    HKEY key = nullptr;
    ::RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                      nullptr);
    WritePrefixesBare(key, count);
    ::RegCloseKey(key);
}

// For Wine's own importer as for ours: the same work as a full save, not a
// rewrite of the data the key already holds.
std::string WriteRegFile(int count, const std::string& keyPath)
{
    char folder[MAX_PATH];
    ::GetTempPathA(sizeof folder, folder);
    std::string path = std::string(folder) + "quillory-bench.reg";
    std::ofstream file(path, std::ios::binary);
    file << "REGEDIT4\r\n\r\n";
    for (int i = 0; i < count; ++i) {
        file << "[HKEY_CURRENT_USER\\" << keyPath << "\\" << PrefixName(i) << "]\r\n";
        const std::string url = UrlOf(i) + "&run=import";
        for (const CPrefixStore::Value& value : CPrefixStore::ValuesOf(url.c_str()))
            file << (*value.name == '\0' ? "@" : "\"" + std::string(value.name) + "\"") << "=\""
                 << value.text << "\"\r\n";
        file << "\r\n";
    }
    return path;
}

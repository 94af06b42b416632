// Times the prefix store's load and save and the dialog's start-up against
// the bare registry calls the same work needs, and Wine's own `reg import`.
//   prefix_bench            prints the table
//   prefix_bench --memory N prints the peak working set of the dialog
//                           started over N prefixes

#include "app/SearchPrefixDlg.h"
#include "prefixes/PrefixListCtrl.h"

#include "tests/support/ListViewHost.h"

#include <windows.h>
#include <commctrl.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace {

const char kSearchUrl[] = "Software\\Microsoft\\Internet Explorer\\SearchUrl";
const char kBenchRoot[] = "Software\\Quillory bench";
const char* const kReplacements[][2] = {{" ", "+"}, {"%", "%25"}, {"&", "%26"}, {"+", "%2B"}};

// Realistic prefixes and URLs: words, made unique with a number where the
// words run out.
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

// The median of `runs` timings of `work`, each after an untimed `prepare`.
double Median(int runs, const std::function<void()>& prepare, const std::function<void()>& work)
{
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        prepare();
        double start = Now();
        work();
        times.push_back(Now() - start);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

void SetString(HKEY key, const char* name, const std::string& text)
{
    ::RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                     static_cast<DWORD>(text.size() + 1));
}

// The bare calls of writing N prefixes: create each with its five values.
void WritePrefixesBare(HKEY searchUrl, int count)
{
    for (int i = 0; i < count; ++i) {
        HKEY subkey = nullptr;
        ::RegCreateKeyExA(searchUrl, PrefixName(i).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                          nullptr, &subkey, nullptr);
        SetString(subkey, "", UrlOf(i));
        for (const auto& replacement : kReplacements)
            SetString(subkey, replacement[0], replacement[1]);
        ::RegCloseKey(subkey);
    }
}

HKEY OpenSearchUrl()
{
    HKEY key = nullptr;
    ::RegOpenKeyExA(HKEY_CURRENT_USER, kSearchUrl, 0, KEY_ALL_ACCESS, &key);
    return key;
}

void FillSearchUrl(int count)
{
    ::RegDeleteTreeA(HKEY_CURRENT_USER, kSearchUrl);
    HKEY key = nullptr;
    ::RegCreateKeyExA(HKEY_CURRENT_USER, kSearchUrl, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                      nullptr);
    WritePrefixesBare(key, count);
    ::RegCloseKey(key);
}

// Floor of a load: enumerate, open, read the default value, close.
void LoadBare()
{
    HKEY searchUrl = OpenSearchUrl();
    char name[256];
    BYTE url[2048];
    for (DWORD index = 0;; ++index) {
        DWORD length = sizeof name;
        if (::RegEnumKeyExA(searchUrl, index, name, &length, nullptr, nullptr, nullptr, nullptr))
            break;
        HKEY subkey = nullptr;
        ::RegOpenKeyExA(searchUrl, name, 0, KEY_ALL_ACCESS, &subkey);
        DWORD type = 0, size = sizeof url;
        ::RegQueryValueExA(subkey, "", nullptr, &type, url, &size);
        ::RegCloseKey(subkey);
    }
    ::RegCloseKey(searchUrl);
}

// Floor of a save: delete each old subkey, create each new one with its values.
void SaveBare(int count)
{
    HKEY searchUrl = OpenSearchUrl();
    for (int i = 0; i < count; ++i)
        ::RegDeleteKeyA(searchUrl, PrefixName(i).c_str());
    WritePrefixesBare(searchUrl, count);
    ::RegCloseKey(searchUrl);
}

// A .reg file with the same prefixes, for Wine's own importer.
std::string WriteRegFile(int count, const std::string& keyPath)
{
    char folder[MAX_PATH];
    ::GetTempPathA(sizeof folder, folder);
    std::string path = std::string(folder) + "quillory-bench.reg";
    std::ofstream file(path, std::ios::binary);
    file << "REGEDIT4\r\n\r\n";
    for (int i = 0; i < count; ++i) {
        file << "[HKEY_CURRENT_USER\\" << keyPath << "\\" << PrefixName(i) << "]\r\n";
        file << "@=\"" << UrlOf(i) << "\"\r\n";
        for (const auto& replacement : kReplacements)
            file << "\"" << replacement[0] << "\"=\"" << replacement[1] << "\"\r\n";
        file << "\r\n";
    }
    return path;
}

DWORD RunAndWait(std::string commandLine)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!::CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                          nullptr, nullptr, &startup, &process))
        return ~0u;
    ::WaitForSingleObject(process.hProcess, INFINITE);
    DWORD exitCode = 0;
    ::GetExitCodeProcess(process.hProcess, &exitCode);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return exitCode;
}

// HKEY_CURRENT_USER of this process points at a scratch key; `reg import`,
// another process, writes below the bench's own key of the real one.
class Scratch {
public:
    Scratch() : m_path(std::string(kBenchRoot) + "\\" + std::to_string(::GetCurrentProcessId()))
    {
        ::RegCreateKeyExA(HKEY_CURRENT_USER, m_path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                          nullptr, &m_key, nullptr);
        ::RegOverridePredefKey(HKEY_CURRENT_USER, m_key);
    }
    ~Scratch()
    {
        ::RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
        ::RegCloseKey(m_key);
        ::RegDeleteTreeA(HKEY_CURRENT_USER, kBenchRoot);
    }
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
    HKEY m_key = nullptr;
};

struct Row {
    const char* operation;
    double time;
    double floor;
};

void PrintRow(int count, const Row& row)
{
    std::printf("%6d  %-10s %10.2f %10.2f %8.2f\n", count, row.operation, row.time, row.floor,
                row.time / row.floor);
}

void RunTable()
{
    Scratch scratch;
    ::InitCommonControls();
    CPrefixListCtrl::s_messageBox = [](HWND, LPCSTR text, LPCSTR, UINT) -> int {
        std::fprintf(stderr, "message: %s\n", text);
        return IDOK;
    };
    std::printf("%6s  %-10s %10s %10s %8s\n", "N", "operation", "median ms", "floor ms", "ratio");
    for (int count : {10, 100, 1000, 5000}) {
        const int runs = count >= 5000 ? 3 : 5;
        FillSearchUrl(count);
        double loadFloor = Median(runs, [] {}, [] { LoadBare(); });
        double saveFloor = Median(runs, [&] { FillSearchUrl(count); }, [&] { SaveBare(count); });

        std::unique_ptr<ListViewHost> host;
        CPrefixListCtrl table;
        auto freshTable = [&] {
            table.Detach();
            host = std::make_unique<ListViewHost>();
            table.Attach(host->List());
        };
        double load = Median(runs, freshTable, [&] {
            table.InitColumns();
            table.LoadPrefixes();
        });
        double save = Median(runs, [&] { FillSearchUrl(count); }, [&] { table.SavePrefixes(); });
        table.Detach();
        host.reset();

        std::unique_ptr<CSearchPrefixDlg> dialog;
        double startup = Median(
            runs,
            [&] {
                dialog.reset();
                dialog = std::make_unique<CSearchPrefixDlg>();
            },
            [&] { dialog->Create(); });
        dialog.reset();

        const std::string importKey = scratch.Path() + "\\import\\SearchUrl";
        std::string regFile = WriteRegFile(count, importKey);
        double import = Median(
            runs, [&] { ::RegDeleteTreeA(HKEY_CURRENT_USER, importKey.c_str()); },
            [&] { RunAndWait("reg.exe import \"" + regFile + "\""); });
        ::DeleteFileA(regFile.c_str());

        PrintRow(count, {"load", load, loadFloor});
        PrintRow(count, {"save", save, saveFloor});
        PrintRow(count, {"start-up", startup, loadFloor});
        PrintRow(count, {"reg import", import, saveFloor});
        std::fflush(stdout);
    }
}

void ReportMemory(int count)
{
    Scratch scratch;
    ::InitCommonControls();
    FillSearchUrl(count);
    {
        CSearchPrefixDlg dialog;
        dialog.Create();
        MSG message;
        while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
            dialog.ProcessMessage(message);
    }
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    ::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof counters);
    std::printf("peak working set with %5d prefixes: %8.1f MiB\n", count,
                static_cast<double>(counters.PeakWorkingSetSize) / (1024.0 * 1024.0));
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[1], "--memory") == 0) {
        ReportMemory(std::atoi(argv[2]));
        return 0;
    }
    RunTable();
    return 0;
}

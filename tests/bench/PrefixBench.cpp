// Times the prefix store's load and save and the dialog's start-up against
// the bare registry calls the same work needs, and Wine's own `reg import`;
// an import of as many search shortcuts from a browser profile, beside the
// hostile profiles and files; and quillory-cli.exe beside reg.exe.
//   prefix_bench            prints the table
//   prefix_bench --memory N prints the peak working set of the dialog
//                           started over N prefixes

#include "app/PrefixListCtrl.h"
#include "app/SearchPrefixDlg.h"
#include "res/resource.h"

#include "tests/bench/BackupBench.h"
#include "tests/bench/BenchSupport.h"
#include "tests/bench/CliBench.h"
#include "tests/bench/ImportBench.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/ImportTable.h"
#include "tests/support/ListViewHost.h"
#include "tests/support/UserFolders.h"

#include <windows.h>
#include <commctrl.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

namespace {

const char* const kSearchUrl = CPrefixStore::kKeyPath;
const char kBenchRoot[] = "Software\\Quillory bench";

HKEY OpenSearchUrl()
{
    HKEY key = nullptr;
    ::RegOpenKeyExA(HKEY_CURRENT_USER, kSearchUrl, 0, KEY_ALL_ACCESS, &key);
    return key;
}

// Floor of a load: enumerate, open, read the default value, count the
// values (a prefix without all of them is told), close.
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
        DWORD values = 0;
        ::RegQueryInfoKeyA(subkey, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr,
                           nullptr, nullptr, nullptr);
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
    HKEY Key() const { return m_key; }

private:
    std::string m_path;
    HKEY m_key = nullptr;
};

// A message box, which nobody is there to close, goes to the error stream.
int WINAPI PrintMessage(HWND, LPCSTR text, LPCSTR, UINT)
{
    std::fprintf(stderr, "message: %s\n", text);
    return IDOK;
}

// One line of the table: every figure for one N.
struct Line {
    int count;
    double load, loadFloor;
    double startup, startupOverOne;
    double save, saveFloor;
    double saveOne;
    double import;
    double updateMicroseconds;
};

void PrintHeader()
{
    std::printf("Median ms; floor = the bare registry calls of the same work. Start-up ratio is\n"
                "(start-up - start-up over one prefix) / load floor. Save: after every URL\n"
                "changed; save one: after one URL changed. Update: one command-update pass with\n"
                "an existing prefix in the fields, in microseconds.\n\n");
    std::printf("| %5s | %8s | %8s | %5s | %8s | %8s | %5s | %8s | %8s | %5s | %8s | %10s | %6s |\n",
                "N", "load", "floor", "ratio", "start-up", "over one", "ratio", "save", "floor",
                "ratio", "save one", "reg import", "update");
    std::printf("|------:|---------:|---------:|------:|---------:|---------:|------:|---------:|"
                "---------:|------:|---------:|-----------:|-------:|\n");
}

void PrintLine(const Line& l)
{
    std::printf("| %5d | %8.1f | %8.1f | %5.2f | %8.1f | %8.1f | %5.2f | %8.1f | %8.1f | %5.2f | "
                "%8.2f | %10.1f | %6.1f |\n",
                l.count, l.load, l.loadFloor, l.load / l.loadFloor, l.startup, l.startupOverOne,
                (l.startup - l.startupOverOne) / l.loadFloor, l.save, l.saveFloor,
                l.save / l.saveFloor, l.saveOne, l.import, l.updateMicroseconds);
    std::fflush(stdout);
}

// Start-up over one prefix and over `count`, in turns, so that what drifts
// over a long run drifts in both: HKEY_CURRENT_USER pointed at a key with
// one prefix and at one with `count`. At 10 the difference is a millisecond
// of twenty.
std::pair<double, double> StartupsInTurn(const Scratch& scratch, int count, int runs)
{
    HKEY keys[2] = {};
    for (int i = 0; i < 2; ++i) {
        ::RegCreateKeyExA(scratch.Key(), i == 0 ? "one" : "many", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &keys[i],
                          nullptr);
        ::RegOverridePredefKey(HKEY_CURRENT_USER, keys[i]);
        FillSearchUrl(i == 0 ? 1 : count);
    }
    std::unique_ptr<CSearchPrefixDlg> dialog;
    std::vector<double> times[2];
    for (int run = 0; run < runs * 2; ++run) {
        auto fresh = [&] {
            dialog.reset();
            ::RegOverridePredefKey(HKEY_CURRENT_USER, keys[run % 2]);
            dialog = std::make_unique<CSearchPrefixDlg>();
        };
        times[run % 2].push_back(Median(1, fresh, [&] { dialog->Create(); }));
    }
    dialog.reset();
    ::RegOverridePredefKey(HKEY_CURRENT_USER, scratch.Key());
    for (int i = 0; i < 2; ++i) {
        ::RegCloseKey(keys[i]);  // the keys stay for the next count, their prefixes made anew
        std::sort(times[i].begin(), times[i].end());
    }
    return {times[0][static_cast<size_t>(runs) / 2], times[1][static_cast<size_t>(runs) / 2]};
}

// The pass that runs before every message, with the fields holding the
// prefix of the row in the middle, as after a click on it.
double UpdatePassMicroseconds(int count)
{
    CSearchPrefixDlg dialog;
    dialog.Create();
    HWND list = ::GetDlgItem(dialog.m_hWnd, IDC_PREFIX_LIST);
    LVITEMA state = {};
    state.stateMask = state.state = LVIS_SELECTED | LVIS_FOCUSED;
    ::SendMessageA(list, LVM_SETITEMSTATE, count / 2, reinterpret_cast<LPARAM>(&state));
    const int passes = 200;
    return Median(9, [] {}, [&] {
               for (int pass = 0; pass < passes; ++pass)
                   dialog.UpdateDialogControls(&dialog, true);
           }) * 1000.0 / passes;
}

void RunTable()
{
    UserFolders folders;  // the dialog's backups there, not in the user's own folder
    Scratch scratch;
    ::InitCommonControls();
    ImportSwap messages("user32.dll", "MessageBoxA", reinterpret_cast<void*>(&PrintMessage));
    PrintHeader();
    std::vector<Line> lines;
    for (int count : {10, 100, 1000, 5000}) {
        const int runs = count >= 5000 ? 3 : count >= 1000 ? 5 : 15;
        // A run here is now and then thrown by tens of milliseconds: loads
        // and start-ups, cheap to repeat, take the median of more runs.
        const int loads = count >= 5000 ? 7 : 15;
        const int turns = count >= 5000 ? 5 : count >= 1000 ? 15 : 31;  // start-ups in turn
        Line line = {};
        line.count = count;
        FillSearchUrl(count);
        line.saveFloor = Median(runs, [&] { FillSearchUrl(count); }, [&] { SaveBare(count); });

        std::unique_ptr<ListViewHost> host;
        CPrefixListCtrl table;
        auto freshTable = [&] {
            table.Detach();
            host = std::make_unique<ListViewHost>();
            table.Attach(host->List());
        };
        line.loadFloor = Median(loads, [] {}, [] { LoadBare(); });
        line.load = Median(loads, freshTable, [&] {
            table.InitColumns();
            table.LoadPrefixes();
        });
        // Each run gives the URLs a text of its own, so that each is a change.
        int run = 0;
        auto changeUrl = [&](int i) {
            table.AddOrUpdatePrefix(PrefixName(i).c_str(),
                                    (UrlOf(i) + "&run=" + std::to_string(run)).c_str());
        };
        line.save = Median(
            runs,
            [&] {
                ++run;
                for (int i = 0; i < count; ++i)
                    changeUrl(i);
            },
            [&] { table.SavePrefixes(); });
        line.saveOne = Median(
            9,
            [&] {
                ++run;
                changeUrl(count / 2);
            },
            [&] { table.SavePrefixes(); });
        table.Detach();
        host.reset();

        std::tie(line.startupOverOne, line.startup) = StartupsInTurn(scratch, count, turns);
        FillSearchUrl(count);
        line.updateMicroseconds = UpdatePassMicroseconds(count);

        // Over the same prefixes already stored, as the save writes: the
        // key this process sees as import\SearchUrl, which is below the
        // scratch key of the real HKEY_CURRENT_USER that reg.exe sees.
        std::string regFile = WriteRegFile(count, scratch.Path() + "\\import\\SearchUrl");
        line.import = Median(
            runs, [&] { FillSearchUrl(count, "import\\SearchUrl"); },
            [&] { RunChild("reg.exe import \"" + regFile + "\""); });
        ::DeleteFileA(regFile.c_str());
        PrintLine(line);
        lines.push_back(line);
    }
    const Line& at100 = lines[1];
    const Line& at5000 = lines[3];
    const double import = PrintBrowserImport(5000, at5000.load);
    PrintHostileImports(import);
    std::printf("\nload per prefix: %.3f ms at 100, %.3f ms at 5000 (x%.2f); update pass: x%.2f "
                "from 10 to 5000 prefixes\n",
                at100.load / 100, at5000.load / 5000, (at5000.load / 5000) / (at100.load / 100),
                at5000.updateMicroseconds / lines[0].updateMicroseconds);
    std::printf("save one: x%.2f from 10 to 5000 prefixes; 1/%.0f of reg import at 5000\n",
                at5000.saveOne / lines[0].saveOne, at5000.import / at5000.saveOne);
    PrintBackupTable(scratch.Path());
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
    PrintCliTable(5000);
    return 0;
}

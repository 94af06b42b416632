#include "tests/bench/BackupBench.h"

#include "exchange/PrefixBackups.h"
#include "prefixes/PrefixTable.h"
#include "registry/ProcessCodePage.h"
#include "tests/bench/BenchSupport.h"
#include "tests/support/BrowserProfiles.h"
#include "tests/support/ChildProcess.h"

#include <cstdio>

void PrintBackupTable(const std::string& scratchPath)
{
    TempFolder temp;
    const std::wstring folder = temp.Path() + L"\\Backups";
    std::printf("\nThe first save, of one edit, with its backup (median ms):\n\n"
                "| %5s | %10s | %11s | %8s | %10s |\n|------:|-----------:|------------:|---------:|-----------:|\n",
                "count", "first save", "with backup", "backup", "reg export");
    for (int count : {10, 1000, 5000}) {
        const int runs = count >= 5000 ? 5 : 9;
        FillSearchUrl(count);
        CPrefixTable table;
        int run = 0;
        auto oneEdit = [&] {
            table.Load();
            table.AddOrUpdatePrefix(PrefixName(count / 2).c_str(), (UrlOf(0) + std::to_string(++run)).c_str());
        };
        // Each backup is a new state: the folder emptied, nothing to match.
        auto emptied = [&] {
            for (const CPrefixBackups::Backup& backup : CPrefixBackups(folder).List())
                ::DeleteFileW(backup.path.c_str());
        };
        const double save = Median(runs, oneEdit, [&] { table.Save(); });
        const double withBackup = Median(
            runs, [&] { emptied(), oneEdit(); },
            [&] {
                CPrefixBackups(folder).BeforeFirstSave();
                table.Save();
            });
        const double backup = Median(runs, emptied, [&] { CPrefixBackups(folder).BeforeFirstSave(); });
        const std::string file = Tessaly::Narrow(temp.Path()) + "\\export.reg";
        const double regExport = Median(runs, [] {}, [&] {
            RunChild("reg.exe export \"HKCU\\" + scratchPath + "\\" + CPrefixStore::kKeyPath + "\" \"" + file +
                     "\" /y");
        });
        std::printf("| %5d | %10.1f | %11.1f | %8.1f | %10.1f |\n", count, save, withBackup, backup, regExport);
    }
}

#include "tests/bench/CliBench.h"

#include "tests/bench/BenchSupport.h"
#include "tests/support/ChildProcess.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>

#include <windows.h>

namespace {

const char kKept[] = "Software\\Quillory bench kept SearchUrl";

// The SearchUrl key's prefixes, copied aside while the bench writes over them.
class KeptSearchUrl {
public:
    KeptSearchUrl()
    {
        // A copy an earlier run could not put back is the user's: left alone,
        // and nothing written over the key.
        HKEY earlier = nullptr;
        if (::RegOpenKeyExA(HKEY_CURRENT_USER, kKept, 0, KEY_READ, &earlier) == 0) {
            ::RegCloseKey(earlier);
            return;
        }
        HKEY searchUrl = nullptr;
        if (::RegOpenKeyExA(HKEY_CURRENT_USER, CPrefixStore::kKeyPath, 0, KEY_READ, &searchUrl) != 0) {
            m_kept = true;  // no key: none to put back
            return;
        }
        m_had = true;
        HKEY kept = nullptr;
        if (::RegCreateKeyExA(HKEY_CURRENT_USER, kKept, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &kept, nullptr) == 0) {
            m_kept = ::RegCopyTreeA(searchUrl, nullptr, kept) == ERROR_SUCCESS;
            ::RegCloseKey(kept);
        }
        ::RegCloseKey(searchUrl);
    }
    ~KeptSearchUrl()
    {
        if (!m_kept)
            return;
        ::RegDeleteTreeA(HKEY_CURRENT_USER, CPrefixStore::kKeyPath);
        if (!m_had)
            return;
        HKEY kept = nullptr, searchUrl = nullptr;
        ::RegOpenKeyExA(HKEY_CURRENT_USER, kKept, 0, KEY_READ, &kept);
        ::RegCreateKeyExA(HKEY_CURRENT_USER, CPrefixStore::kKeyPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                          &searchUrl, nullptr);
        // Left aside when it could not be put back.
        if (::RegCopyTreeA(kept, nullptr, searchUrl) == ERROR_SUCCESS)
            ::RegDeleteTreeA(HKEY_CURRENT_USER, kKept);
        ::RegCloseKey(searchUrl);
        ::RegCloseKey(kept);
    }
    // False when the key is there but could not be copied: the bench must
    // not write over it.
    bool Kept() const { return m_kept; }

private:
    bool m_had = false;
    bool m_kept = false;
};

std::string TempPath(const char* name)
{
    char folder[MAX_PATH];
    ::GetTempPathA(sizeof folder, folder);
    return std::string(folder) + name;
}

// The median of a command's runs; the first exit code that was not 0, for
// the row to show that it timed a failure.
double TimeCommand(const std::string& command, const std::function<void()>& prepare, DWORD& failed)
{
    const std::string output = TempPath("quillory-bench.out");
    double time = Median(3, prepare, [&] {
        DWORD code = RunChildWritingTo(command, output, 120000);  // two minutes
        failed = failed != 0 ? failed : code;
    });
    ::DeleteFileA(output.c_str());
    return time;
}

std::string Failed(const char* who, DWORD code)
{
    return code == 0 ? "" : std::string(" FAILED: ") + who + " exited with " + std::to_string(code);
}

} // namespace

void PrintCliTable(int count)
{
    KeptSearchUrl kept;
    if (!kept.Kept()) {
        std::printf("\nquillory-cli.exe not timed: the SearchUrl key could not be copied aside\n");
        return;
    }
    std::string cli = QUILLORY_CLI_EXE;
    std::replace(cli.begin(), cli.end(), '/', '\\');
    cli = "\"" + cli + "\" ";
    const std::string key = std::string("\"HKEY_CURRENT_USER\\") + CPrefixStore::kKeyPath + "\" ";
    const std::string exported = TempPath("quillory-bench-export.reg");
    const std::string imported = WriteRegFile(count, CPrefixStore::kKeyPath);
    FillSearchUrl(count);
    const struct {
        const char* what;
        std::string ours, theirs;
        std::function<void()> prepare;
    } rows[] = {
        {"start-up: --version; reg /?", "--version", "/?", [] {}},
        {"list > FILE; reg query KEY /s > FILE", "list", "query " + key + "/s", [] {}},
        {"export FILE.reg; reg export KEY FILE.reg /y", "export \"" + exported + "\"",
         "export " + key + "\"" + exported + "\" /y", [] {}},
        // The key as before each run: the file changes every URL.
        {"import FILE.reg", "import \"" + imported + "\"", "import \"" + imported + "\"",
         [count] { FillSearchUrl(count); }},
    };
    std::printf("\nquillory-cli.exe beside reg.exe, each run a whole process over %d prefixes, its\n"
                "standard output to a file (median ms of 3; the import changes every URL):\n\n"
                "| %-44s | %12s | %8s | %5s |\n"
                "|----------------------------------------------|-------------:|---------:|------:|\n",
                count, "command", "quillory-cli", "reg.exe", "ratio");
    for (const auto& row : rows) {
        DWORD oursFailed = 0, theirsFailed = 0;
        const double ours = TimeCommand(cli + row.ours, row.prepare, oursFailed);
        const double theirs = TimeCommand("reg.exe " + row.theirs, row.prepare, theirsFailed);
        std::printf("| %-44s | %12.1f | %8.1f | %5.2f |%s%s\n", row.what, ours, theirs, ours / theirs,
                    Failed("quillory-cli", oursFailed).c_str(), Failed("reg", theirsFailed).c_str());
        std::fflush(stdout);
    }
    ::DeleteFileA(imported.c_str());
    ::DeleteFileA(exported.c_str());
}

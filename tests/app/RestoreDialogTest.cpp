#include "tests/app/DialogFixture.h"

// "Restore from backup": the first Apply backs the key up, and a backup
// chosen becomes the table, as edits that nothing stores before Apply.

namespace {

class RestoreFromBackup : public MainDialog {};

std::vector<std::string> s_seen;  // each backup's prefixes, and what restoring it would do

void CALLBACK RestoreTheFirst(HWND, UINT, UINT_PTR, DWORD)
{
    HWND dialog = ::FindWindowA("#32770", "Restore from backup");
    if (dialog == nullptr || !::IsWindowVisible(dialog) || !s_seen.empty())
        return;
    HWND list = ::GetDlgItem(dialog, IDC_BACKUP_LIST);
    for (int row = 0; row < ListView_GetItemCount(list); ++row)
        s_seen.push_back(ListText(list, row, 1) + " " + ListText(list, row, 2));
    ::PostMessageA(dialog, WM_COMMAND, IDOK, 0);
}

} // namespace

TEST_F(RestoreFromBackup, TheFirstApplyBacksUpAndABackupChosenBecomesTheTable)
{
    StorePrefix("A", "https://a/%s");
    Open();
    Add("B", "https://b/%s");
    Click(IDC_APPLY);
    Add("C", "https://c/%s");
    Click(IDC_APPLY);  // no backup: not the first save
    s_seen.clear();
    UINT_PTR timer = ::SetTimer(nullptr, 0, 20, &RestoreTheFirst);
    Command(ID_FILE_RESTORE);
    ::KillTimer(nullptr, timer);
    EXPECT_EQ(s_seen, (std::vector<std::string>{"1 add 0, change 0, remove 2"}));
    EXPECT_EQ(Rows(), (std::vector<std::string>{"A"}));
    EXPECT_TRUE(Enabled(IDC_APPLY));
    EXPECT_EQ(StoredNames(), (std::vector<std::string>{"A", "B", "C"}));
}

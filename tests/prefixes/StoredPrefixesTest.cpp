#include "prefixes/StoredPrefixes.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

std::vector<PrefixRow> Key(const std::vector<std::string>& rows)  // "NAME=url"
{
    std::vector<PrefixRow> key;
    for (const std::string& row : rows)
        key.push_back({row.substr(0, row.find('=')).c_str(), row.substr(row.find('=') + 1).c_str()});
    return key;
}

// "writes | deletes | set | removed", each a list of "NAME=url from OLD" or names.
std::string Outcome(const CStoredPrefixes& stored, const CStoredPrefixes::Update& update)
{
    std::string text;
    for (const auto& write : stored.Writes())
        text += std::string(write.prefix) + "=" + std::string(write.url) +
                (write.from.IsEmpty() ? "" : " from " + std::string(write.from)) + " ";
    text += "|";
    for (const CString& name : stored.Deletes())
        text += " " + std::string(name);
    text += " |";
    for (const PrefixRow& row : update.set)
        text += " " + std::string(row.prefix) + "=" + std::string(row.url);
    text += " |";
    for (const CString& name : update.removed)
        text += " " + std::string(name);
    return text;
}

struct Case {
    std::vector<std::string> stored;
    std::function<void(CStoredPrefixes&)> edit;
    bool readAgain;
    std::vector<std::string> now;
    const char* outcome;
};

} // namespace

// What a save writes and deletes after the user's edits, and what reading
// the key again changes in the table.
TEST(StoredPrefixes, EditsThatDifferAreWrittenAndTheRestFollowTheKey)
{
    const Case cases[] = {
        // an edit back to the text it had is none, however it got there
        {{"NEWS=n"}, [](auto& s) { s.Set("NEWS", "x"); s.Set("NEWS", "n"); }, false, {}, "| | |"},
        {{"NEWS=n"}, [](auto& s) { s.Remove("NEWS"); s.Set("NEWS", "n"); }, false, {}, "| | |"},
        {{"A=a"}, [](auto& s) { s.Rename("A", "B"); s.Rename("B", "A"); }, false, {}, "| | |"},
        // another program's changes reach only the rows not edited
        {{"A=a", "B=b", "C=c", "E=e"},
         [](auto& s) { s.Set("A", "mine"); s.Remove("B"); s.Rename("E", "F"); }, true,
         {"A=x", "B=y", "D=d", "E=z"}, "A=mine F=e from E | B | D=d | C"},
        // an edit that changes nothing holds nothing back
        {{"A=a"}, [](auto& s) { s.Set("A", "a"); }, true, {"A=x"}, "| | A=x |"},
        {{"A=a"}, [](auto& s) { s.Remove("A"); }, true, {}, "| | |"},
    };
    for (const Case& c : cases) {
        CStoredPrefixes stored;
        stored.Merge(Key(c.stored));
        c.edit(stored);
        CStoredPrefixes::Update update;
        if (c.readAgain)
            update = stored.Merge(Key(c.now));
        EXPECT_EQ(Outcome(stored, update), c.outcome) << c.stored[0];
    }
}

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
    for (const PrefixRow& row : update.set) {
        if (!row.prefix.IsEmpty())
            text += " " + std::string(row.prefix) + "=" + std::string(row.url);
    }
    text += " |";
    for (const CString& name : update.removed)
        text += " " + std::string(name);
    return text;
}

using Update = CStoredPrefixes::Update;

struct Case {
    std::vector<std::string> stored;
    // The user's edits and the key's new readings, in turn: the last
    // reading's update, with any row an edit uncovered.
    std::function<Update(CStoredPrefixes&)> steps;
    const char* outcome;
};

Update Shown(const PrefixRow& uncovered)
{
    Update update;
    update.set.push_back(uncovered);
    return update;
}

} // namespace

// What a save writes and deletes after the user's edits, and what reading
// the key again changes in the table.
TEST(StoredPrefixes, EditsThatDifferAreWrittenAndTheRestFollowTheKey)
{
    const Case cases[] = {
        // an edit back to the text it had is none, however it got there
        {{"NEWS=n"}, [](auto& s) { s.Set("NEWS", "x"); s.Set("NEWS", "n"); return Update(); },
         "| | |"},
        {{"A=a"}, [](auto& s) { s.Rename("A", "B", "a"); s.Rename("B", "A", "a"); return Update(); },
         "| | |"},
        // removed and added again as it was, then read again after a save
        {{"NEWS=n"}, [](auto& s) { s.Remove("NEWS"); s.Set("NEWS", "n"); return s.Merge(Key({"NEWS=n"})); },
         "| | |"},
        // another program's changes reach only the rows not edited
        {{"A=a", "B=b", "C=c", "E=e"},
         [](auto& s) {
             s.Set("A", "mine");
             s.Remove("B");
             s.Rename("E", "F", "e");
             return s.Merge(Key({"A=x", "B=y", "D=d", "E=z"}));
         },
         "A=mine F=e from E | B | D=d | C"},
        // a subkey renamed or removed out of keeps the URL the user saw, for
        // a save to tell another program's change since
        {{"A=a", "B=b"},
         [](auto& s) {
             s.Rename("A", "C", "a"); s.Remove("B"); s.Merge(Key({"A=x", "B=y"}));
             return Update{{*s.Find("A"), *s.Find("B")}, {}};
         },
         "C=a from A | B | A=a B=b |"},
        // an edit that changes nothing holds nothing back
        {{"A=a"}, [](auto& s) { s.Set("A", "a"); return s.Merge(Key({"A=x"})); }, "| | A=x |"},
        {{"A=a"}, [](auto& s) { s.Remove("A"); return s.Merge({}); }, "| | |"},
        // a renamed row whose subkey went is a new row; a prefix made there
        // later is another program's, shown and kept
        {{"A=a"}, [](auto& s) { s.Rename("A", "B", "a"); s.Merge({}); return s.Merge(Key({"A=z"})); },
         "B=a | | A=z |"},
        // the user's own row hid another program's of its name: removing or
        // renaming it shows that one, which no save deletes
        {{}, [](auto& s) { s.Set("N", "mine"); s.Merge(Key({"N=theirs"})); return Shown(s.Remove("N")); },
         "| | N=theirs |"},
        {{}, [](auto& s) { s.Set("N", "mine"); s.Merge(Key({"N=theirs"})); return Shown(s.Rename("N", "M", "mine")); },
         "M=mine | | N=theirs |"},
    };
    for (const Case& c : cases) {
        CStoredPrefixes stored;
        stored.Merge(Key(c.stored));
        Update update = c.steps(stored);
        EXPECT_EQ(Outcome(stored, update), c.outcome) << c.outcome;
    }
}

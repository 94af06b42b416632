#include "prefixes/StoredPrefixes.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using Strings = std::vector<std::string>;

std::vector<PrefixRow> Key(const Strings& rows)  // "NAME=url"
{
    std::vector<PrefixRow> key;
    for (const std::string& row : rows) {
        size_t equals = row.find('=');
        key.push_back({row.substr(0, equals).c_str(), row.substr(equals + 1).c_str()});
    }
    return key;
}

Strings Texts(const std::vector<CString>& names)
{
    return Strings(names.begin(), names.end());
}

Strings Texts(const std::vector<CStoredPrefixes::Write>& writes)
{
    Strings texts;
    for (const auto& write : writes)
        texts.push_back(std::string(write.prefix) + "=" + std::string(write.url) +
                        (write.from.IsEmpty() ? "" : " from " + std::string(write.from)) +
                        (write.refused ? " refused" : ""));
    return texts;
}

struct Case {
    const char* name;
    Strings stored;
    std::function<void(CStoredPrefixes&)> edit;
    bool merged;   // the key read again as `now`
    Strings now;
    Strings writes, deletes;
    Strings set, removed;  // the table's update from the new reading
};

} // namespace

// What a save writes and deletes, and what a new reading changes in the
// table, after the user's edits.
TEST(StoredPrefixes, TheEditsThatDifferAreWrittenAndTheRestFollowTheKey)
{
    const Case cases[] = {
        {"an edit back to the text it had is none", {"NEWS=n"},
         [](CStoredPrefixes& s) { s.Set("NEWS", "x"); s.Set("NEWS", "n"); }, false, {}, {}, {}, {}, {}},
        {"a subkey spelled in lower case is the row's own", {"google=g"},
         [](CStoredPrefixes& s) { s.Set("GOOGLE", "g2"); }, false, {}, {"GOOGLE=g2"}, {}, {}, {}},
        {"a removed row added again as it was is none", {"NEWS=n"},
         [](CStoredPrefixes& s) { s.Remove("NEWS"); s.Set("NEWS", "n"); }, false, {}, {}, {}, {}, {}},
        {"a rename moves out of the old subkey once written", {"NEWS=n"},
         [](CStoredPrefixes& s) { s.Rename("NEWS", "HEADLINES"); }, false, {},
         {"HEADLINES=n from NEWS"}, {}, {}, {}},
        {"a new row where a renamed one was keeps that subkey", {"P=p"},
         [](CStoredPrefixes& s) { s.Rename("P", "Q"); s.Set("P", "p2"); }, false, {},
         {"P=p2", "Q=p from P"}, {}, {}, {}},
        {"renamed there and back is none", {"A=a"},
         [](CStoredPrefixes& s) { s.Rename("A", "B"); s.Rename("B", "A"); }, false, {}, {}, {}, {}, {}},
        {"another program's changes reach only rows not edited", {"A=a", "B=b", "C=c", "E=e"},
         [](CStoredPrefixes& s) { s.Set("A", "mine"); s.Remove("B"); s.Rename("E", "F"); },
         true, {"A=x", "B=y", "D=d", "E=z"},
         {"A=mine", "F=e from E"}, {"B"}, {"D=d"}, {"C"}},
        {"a deleted key takes every row not edited", {"A=a", "B=b"},
         [](CStoredPrefixes& s) { s.Set("Z", "z"); }, true, {}, {"Z=z"}, {}, {}, {"A", "B"}},
        {"an edit that changes nothing does not hold a row back", {"A=a"},
         [](CStoredPrefixes& s) { s.Set("A", "a"); }, true, {"A=x"}, {}, {}, {"A=x"}, {}},
        {"a removal of what another program removed is done", {"A=a"},
         [](CStoredPrefixes& s) { s.Remove("A"); }, true, {}, {}, {}, {}, {}},
    };
    for (const Case& c : cases) {
        CStoredPrefixes stored;
        stored.Merge(Key(c.stored));
        c.edit(stored);
        CStoredPrefixes::Update update;
        if (c.merged)
            update = stored.Merge(Key(c.now));
        EXPECT_EQ(Texts(stored.Writes()), c.writes) << c.name;
        EXPECT_EQ(Texts(stored.Deletes()), c.deletes) << c.name;
        Strings set;
        for (const PrefixRow& row : update.set)
            set.push_back(std::string(row.prefix) + "=" + std::string(row.url));
        EXPECT_EQ(set, c.set) << c.name;
        EXPECT_EQ(Texts(update.removed), c.removed) << c.name;
    }
}

// After the save, the key is what is stored: nothing more to write, and the
// subkey a rename left is deleted, unless a row stands there again. (The
// save writes a renamed row before the row that takes its old name.)
TEST(StoredPrefixes, WhatTheSaveDidIsStored)
{
    CStoredPrefixes stored;
    stored.Merge(Key({"NEWS=n", "P=p"}));
    stored.Rename("NEWS", "HEADLINES");
    stored.Rename("P", "Q");
    stored.Set("P", "p2");
    std::vector<CStoredPrefixes::Write> writes = stored.Writes();
    for (bool renamed : {true, false}) {
        for (const auto& write : writes) {
            if (write.from.IsEmpty() != renamed)
                stored.Written(write);
        }
    }
    EXPECT_EQ(Texts(stored.Writes()), Strings{});
    EXPECT_EQ(Texts(stored.Deletes()), Strings{"NEWS"});
    stored.Deleted("NEWS");
    EXPECT_EQ(Texts(stored.Deletes()), Strings{});
    EXPECT_EQ(stored.Merge(Key({"HEADLINES=n", "P=p2", "Q=p"})).set.size(), 0u);
}

#include "app/IdentifierList.h"
#include "app/RunState.h"
#include "app/TIntegerList.h"
#include "app/UsersCorrespondence.h"
#include "normalized/Errors.h"
#include "normalized/Win1252.h"
#include "support/ScriptedOperator.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

using namespace clinova;

TEST(TIntegerList, GrowsByTheRuleAndChecksItsBounds) {
    TIntegerList list;
    std::vector<int> capacities;
    for (int i = 0; i < 95; ++i) {
        list.Add(i);
        if (capacities.empty() || capacities.back() != list.Capacity())
            capacities.push_back(list.Capacity());
    }
    EXPECT_EQ(capacities, (std::vector<int>{4, 8, 12, 28, 44, 60, 76, 95}));
    EXPECT_EQ(list.Get(94), 94);
    EXPECT_EQ(list.IndexOf(17), 17);
    EXPECT_EQ(list.IndexOf(1000), -1);
    EXPECT_THROW(list.Get(-1), ListError);
    EXPECT_THROW(list.Get(list.Count()), ListError);
    EXPECT_THROW(list.SetCapacity(10), ListError);
    EXPECT_THROW(list.SetCount(-1), ListError);
    list.SetCount(100);
    EXPECT_EQ(list.Get(99), 0);
    try {
        list.Put(100, 1);
        FAIL();
    } catch (const ListError &e) {
        EXPECT_STREQ(e.what(), "Index hors borne !");
    }
}

TEST(CorrespondenceLists, FilesRoundTripAndBadLinesReadAsMinusOne) {
    test::TempDir dir;
    TIntegerList ints;
    for (int v : {12, -3, 0})
        ints.Add(v);
    ints.SaveToFile(dir.File("ints.txt"));
    EXPECT_EQ(dir.Read("ints.txt"), "12\r\n-3\r\n0\r\n");
    dir.Write("bad.txt", "5\r\nabc\n7");
    LoadIntegerList(dir.File("bad.txt"), ints);
    ASSERT_EQ(ints.Count(), 3);
    EXPECT_EQ(ints.Get(1), -1);
    EXPECT_EQ(ints.Get(2), 7);
    EXPECT_THROW(LoadIntegerList(dir.File("missing.txt"), ints), FileError);

    IdentifierList ids;
    ids.Add("A12");
    ids.Add("a12");
    ids.Add("B");
    EXPECT_EQ(ids.IndexOf("a12"), 0); // the first of the two wins
    EXPECT_EQ(ids.IndexOf("b"), 2);
    EXPECT_EQ(ids.IndexOf("C"), -1);
    ids.SaveToFile(dir.File("ids.txt"));
    IdentifierList back;
    back.LoadFromFile(dir.File("ids.txt"));
    EXPECT_EQ(back.Items(), ids.Items());
    EXPECT_EQ(back.IndexOf("A12"), 0);
}

// Checked against the plain rule (first entry equal ignoring case, by a linear search) through the growth of
// the index, accented letters, empty identifiers and truncation after a failed commit.
TEST(IdentifierList, LookupFollowsTheFirstCaseInsensitiveMatchThroughGrowthAndTruncation) {
    IdentifierList ids;
    std::vector<std::string> model;
    const auto check = [&](const std::string &key) {
        int expected = -1;
        for (std::size_t i = 0; i < model.size() && expected < 0; ++i)
            if (SameText1252(model[i], key))
                expected = static_cast<int>(i);
        EXPECT_EQ(ids.IndexOf(key), expected) << key;
    };
    const auto add = [&](const std::string &id) {
        ids.Add(id);
        model.push_back(id);
    };
    check("x");
    add("");
    add("éléphant"); // élephant
    add("ÉLÉPHANT"); // ÉLÉPHANT: same key, the first stays
    for (int i = 0; i < 5000; ++i)
        add((i % 3 ? "c" : "C") + std::to_string(i % 4000));
    for (const std::string key : {"", "ÉléPHANT", "elephant", "C0", "c3999", "C4000", "c12"})
        check(key);
    EXPECT_EQ(ids.Count(), 5003);
    EXPECT_EQ(ids.Items(), model);

    ids.Truncate(2); // keeps "" and élephant
    model.resize(2);
    for (const std::string key : {"", "ÉLÉPHANT", "C0", "c12"})
        check(key);
    add("C12");
    check("c12");
    EXPECT_THROW(ids[3], std::out_of_range);
    ids.Clear();
    EXPECT_EQ(ids.IndexOf(""), -1);
}

TEST(UsersCorrespondence, MemoLines) {
    test::ScriptedOperator op;
    RunState state(op);
    state.IDDefaultUser = 99;
    state.options.MemoCorrespondancesUtilisateurs = "5 = DRX\r\n"
                                                    "//6=DRY\r\n"
                                                    "-1=DRZ\nabc=DRZ\n7=\n"
                                                    "8=A=B\n"
                                                    "6=DRX//ancien associé\n"
                                                    "9=DRW // commentaire\n"
                                                    "sans egal\n";
    doImportationUsers(state);
    EXPECT_EQ(state.fSourceIDUserList, (std::vector<std::string>{"DRX", "A=B", "DRX", "DRW"}));
    EXPECT_EQ(GetTargetUserID(state, "DRX"), 5);
    EXPECT_EQ(GetTargetUserID(state, "drx"), 99);
    EXPECT_EQ(GetTargetUserID(state, "A=B"), 8);
    EXPECT_EQ(GetTargetUserID(state, "DRY"), 99);
    EXPECT_EQ(GetTargetUserID(state, " DRW"), 99);

    state.options.MemoCorrespondancesUtilisateurs.clear();
    doImportationUsers(state);
    EXPECT_TRUE(state.fSourceIDUserList.empty());
    EXPECT_EQ(state.fDatabaseIDUserList.Count(), 0);
}

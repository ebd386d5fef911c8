#include "folders/SelectionFilter.h"
#include "tests/folders/FolderFixture.h"

#include <gtest/gtest.h>

using vt::folders::SelectAllItems;
using vt::folders::SelectionFilter;
using vt::test::FolderDb;
using vt::test::Item;

namespace {

Item row(const char* partner, const char* date, const char* icn = "000000001") {
    Item i;
    i.partner = partner;
    i.date = date;
    i.icn = icn;
    return i;
}

struct Filtered : ::testing::Test {
    FolderDb db;
    void SetUp() override {
        db.add("Inbox", row("ACME", "03/05/2024", "000000001"));   // 0
        db.add("Inbox", row("ACME", "03/05/2024", "000000002"));   // 1
        db.add("Inbox", row("ACME", "03/06/2024", "000000001"));   // 2
        db.add("Inbox", row("BETA", "03/05/2024", "000000001"));   // 3
        db.add("Inbox", row("acme", "03/05/2024", "000000001"));   // 4
    }
    std::vector<bool> filter(std::initializer_list<int> selected) {
        auto list = db.list("Inbox", selected);
        SelectionFilter(db.services, list);
        return list.selected;
    }
};

TEST_F(Filtered, DefaultsMatchPartnerTransactionVersionDateAndTime) {
    EXPECT_EQ(filter({0}), (std::vector<bool>{true, true, false, false, false}));
}

TEST_F(Filtered, TickedFieldsDecide) {
    db.settings.set("Filter", "Interchange Control Number", "True");
    EXPECT_EQ(filter({0}), (std::vector<bool>{true, false, false, false, false}));

    for (const char* key : {"Partner", "Transaction", "Version", "Date", "Time", "Interchange Control Number"})
        db.settings.set("Filter", key, "False");
    EXPECT_EQ(filter({2}), (std::vector<bool>{true, true, true, true, true}));
}

TEST_F(Filtered, TheLastSelectedRowIsTheReferenceAndNothingIsDeselected) {
    // Rows 0 and 3 selected: BETA (the later) is the reference; 0 stays, 1 is not added.
    EXPECT_EQ(filter({0, 3}), (std::vector<bool>{true, false, false, true, false}));
}

TEST_F(Filtered, NoSelectionLogFoldersAndBadSettings) {
    EXPECT_EQ(filter({}), (std::vector<bool>(5, false)));

    vt::folders::FolderSelection history{"History", {1, 2}, {true, false}, 1};
    SelectionFilter(db.services, history);
    EXPECT_EQ(history.selected, (std::vector<bool>{true, false}));

    db.settings.set("Filter", "Date", "maybe");
    EXPECT_EQ(filter({0}), (std::vector<bool>{true, false, false, false, false}));
    EXPECT_EQ(db.history(), "Error:13 Type mismatch");
}

TEST(SelectAll, NeedsOneSelectedItem) {
    vt::folders::FolderSelection list{"History", {4, 5, 6}, {false, false, false}, std::nullopt};
    SelectAllItems(list);
    EXPECT_EQ(list.selected, (std::vector<bool>{false, false, false}));
    list.selected[1] = true;
    SelectAllItems(list);
    EXPECT_EQ(list.selected, (std::vector<bool>{true, true, true}));
}

}  // namespace

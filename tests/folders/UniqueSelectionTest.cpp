#include "folders/UniqueSelection.h"
#include "tests/folders/FolderFixture.h"

#include <gtest/gtest.h>

using vt::folders::IsSelectionUnique;
using vt::folders::MakeUniqueSelection;
using vt::test::FolderDb;
using vt::test::Item;

namespace {

Item kind(const char* partner, const char* transaction, const char* version, const char* direction = "I") {
    Item i;
    i.partner = partner;
    i.transaction = transaction;
    i.version = version;
    i.direction = direction;
    return i;
}

TEST(UniqueSelection, AnswersTheKindOrTellsWhyNot) {
    FolderDb db;
    db.add("Inbox", kind("ACME", "810", "004010"));   // not selected: its kind does not matter
    for (int i = 0; i < 3; ++i) db.add("Inbox", kind("ACME", "850", "004010"));
    EXPECT_EQ(IsSelectionUnique(db.services, db.list("Inbox", {1, 2, 3})), "ACME,850,004010,I");
    EXPECT_TRUE(db.boxes().empty());

    FolderDb mixed;
    mixed.add("Outbox", kind("ACME", "850", "004010", "O"));
    mixed.add("Outbox", kind("ACME", "850", "003040", "O"));
    EXPECT_EQ(IsSelectionUnique(mixed.services, mixed.list("Outbox", {0, 1})), "");
    EXPECT_EQ(mixed.boxes(), std::vector<std::string>{"box 48 Veltrane: Unique selection is required!\r\n\r\n"
                                                      "Partner + Transaction + Version\r\nACME_850_004010"});

    // Exact comparison: a partner spelled in another case is another kind.
    FolderDb cased;
    cased.add("Inbox", kind("ACME", "850", "004010"));
    cased.add("Inbox", kind("acme", "850", "004010"));
    EXPECT_EQ(IsSelectionUnique(cased.services, cased.list("Inbox", {0, 1})), "");
}

TEST(UniqueSelection, CurrentItemWithoutSelection) {
    FolderDb db;
    db.add("Inbox", Item{});
    auto list = db.list("Inbox");
    EXPECT_EQ(IsSelectionUnique(db.services, list), ",,,");
    list.current.reset();
    EXPECT_EQ(IsSelectionUnique(db.services, list), "");
    EXPECT_TRUE(db.boxes().empty());
}

TEST(UniqueSelection, UnattendedMixedSelectionIsLogged) {
    FolderDb db;
    db.ui.isUnattended = true;
    db.add("Inbox", kind("ACME", "850", "004010"));
    db.add("Inbox", kind("BETA", "850", "004010"));
    EXPECT_EQ(IsSelectionUnique(db.services, db.list("Inbox", {0, 1})), "");
    EXPECT_TRUE(db.boxes().empty());
    EXPECT_EQ(db.history(), "Warning:Unique selection is required!\r\n\r\nPartner + Transaction + Version\r\n"
                            "ACME_850_004010");
}

TEST(UniqueSelection, MakeUniqueSelectionSelectsExactlyTheKind) {
    FolderDb db;
    db.add("Inbox", kind("ACME", "850", "004010"));
    db.add("Inbox", kind("acme", "850", "004010"));
    db.add("Inbox", kind("ACME", "850", "004010", "O"));
    db.add("Inbox", kind("ACME", "850", "004010"));
    auto list = db.list("Inbox", {1, 2});
    EXPECT_TRUE(MakeUniqueSelection(db.services, list, "ACME", "850", "004010", "I"));
    EXPECT_EQ(list.selected, (std::vector<bool>{true, false, false, true}));

    EXPECT_FALSE(MakeUniqueSelection(db.services, list, "ACME", "810", "004010", "I"));
    EXPECT_EQ(list.selected, (std::vector<bool>{false, false, false, false}));
}

TEST(UniqueSelection, FailuresAreReported) {
    FolderDb db;
    db.add("Inbox", Item{});
    auto list = db.list("Inbox", {0});
    list.table = "Nowhere";
    EXPECT_EQ(IsSelectionUnique(db.services, list), "");
    EXPECT_FALSE(MakeUniqueSelection(db.services, list, "ACME", "850", "004010", "I"));
    EXPECT_EQ(db.history(), "Error:5 Invalid procedure call or argument|Error:5 Invalid procedure call or argument");
}

}  // namespace

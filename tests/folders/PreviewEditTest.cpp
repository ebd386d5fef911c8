#include "folders/PreviewEdit.h"
#include "tests/folders/FolderFixture.h"

#include <gtest/gtest.h>

using namespace vt::folders;
using vt::test::FolderDb;
using vt::test::Item;

namespace {

const std::string kPreview = "ST*850*0001\r\nBEG*00*SA*PO-1\r\nREF*DP*038\r\nSE*4*0001\r\n";

TEST(Preview, TextTransforms) {
    EXPECT_EQ(PreviewText("ST*850*0001~REF*DP~SE*3*0001~", "~"), "ST*850*0001\r\nREF*DP\r\nSE*3*0001\r\n");
    EXPECT_EQ(TSetFromPreview("ST*850*0001\r\nREF*DP\r\n", "~"), "ST*850*0001~REF*DP~");
    // A CR LF terminator: the text is stored as edited.
    EXPECT_EQ(TSetFromPreview("ST*850\r\nSE*2\r\n", "\r\n"), "ST*850\r\nSE*2\r\n");
    EXPECT_EQ(PreviewText("ST*850\r\nSE*2\r\n", "\r\n"), "ST*850\r\nSE*2\r\n");
}

TEST(Preview, WholeWordSearch) {
    struct Case {
        const char* word;
        std::size_t from;
        std::optional<std::size_t> offset;
        int line;
    } cases[] = {
        {"REF", 0, 29, 2},   {"ref", 0, 29, 2},      {"RE", 0, std::nullopt, 0}, {"038", 0, 36, 2},
        {"SA", 0, 20, 1},    {"PO", 0, 23, 1},       {"ST", 0, 0, 0},            {"ST", 1, std::nullopt, 0},
        {"0001", 0, 7, 0},   {"0001", 8, 46, 3},     {"", 0, std::nullopt, 0},
    };
    for (const Case& c : cases) {
        const auto hit = FindWholeWord(kPreview, c.word, c.from);
        ASSERT_EQ(hit.has_value(), c.offset.has_value()) << c.word;
        if (!hit) continue;
        EXPECT_EQ(hit->offset, *c.offset) << c.word;
        EXPECT_EQ(hit->length, std::string_view(c.word).size());
        EXPECT_EQ(LineOfOffset(kPreview, hit->offset), c.line) << c.word;
    }
}

TEST(Preview, FindTellsTheSegment) {
    FolderDb db;
    db.ui.inputAnswers = {std::string("ref"), std::string("RE"), std::string(""), std::nullopt};
    std::vector<std::size_t> selected;
    auto select = [&](const TextMatch& m) { selected.push_back(m.offset); };
    const auto hit = FindInPreview(db.services, kPreview, select);
    ASSERT_TRUE(hit);
    EXPECT_EQ(hit->offset, 29u);
    EXPECT_FALSE(FindInPreview(db.services, kPreview, select));
    EXPECT_FALSE(FindInPreview(db.services, kPreview, select));
    EXPECT_FALSE(FindInPreview(db.services, kPreview, select));
    EXPECT_EQ(selected, std::vector<std::size_t>{29});
    EXPECT_EQ(db.ui.eventsStartingWith("input"), std::vector<std::string>(4, "input Find: Find What: []"));
    EXPECT_EQ(db.boxes(), (std::vector<std::string>{"box 0 Veltrane: Found on Segment 3", "box 0 Veltrane: Not found."}));
    EXPECT_EQ(db.history(), "");
}

struct Editing : ::testing::Test {
    FolderDb db;
    void SetUp() override {
        Item i;
        i.status = "Validated";
        i.acknowledged = "Yes";
        db.add("Sent", i);
        db.add("Sent", i);
    }
    std::string tsets() { return db.column("Sent", "TSet"); }
};

TEST_F(Editing, AsksOnlyAfterEditingAndWritesTheCurrentRow) {
    const std::string original = tsets();
    auto list = db.list("Sent", {1});

    db.ui.boxAnswers = {vt::core::vbNo};
    EXPECT_EQ(EditTransaction(db.services, list, "ST*850*0009\r\nSE*2*0009\r\n", true), EditResult::Declined);
    EXPECT_EQ(tsets(), original);
    EXPECT_EQ(db.boxes(), std::vector<std::string>{"box 20 Veltrane: WARNING: Saving changes can cause serious errors!"});

    db.ui.boxAnswers = {vt::core::vbYes};
    EXPECT_EQ(EditTransaction(db.services, list, "ST*850*0009\r\nSE*2*0009\r\n", true), EditResult::Saved);
    EXPECT_EQ(tsets(), "ST*850*0001~SE*2*0001~|ST*850*0009~SE*2*0009~");

    // Not edited: written back without a question.
    EXPECT_EQ(EditTransaction(db.services, list, "ST*850*0007\r\nSE*2*0007\r\n", false), EditResult::Saved);
    EXPECT_EQ(tsets(), "ST*850*0001~SE*2*0001~|ST*850*0007~SE*2*0007~");
    EXPECT_EQ(db.boxes().size(), 2u);
    EXPECT_EQ(db.column("Sent", "Status") + " " + db.column("Sent", "Acknowledged"), "Validated|Validated Yes|Yes");
    EXPECT_TRUE(db.ui.refreshed.empty());
    EXPECT_EQ(db.history(), "");
}

TEST_F(Editing, FailuresChangeNothing) {
    const std::string original = tsets();
    auto list = db.list("Sent", {0});
    list.current.reset();
    EXPECT_EQ(EditTransaction(db.services, list, "X\r\n", false), EditResult::Failed);

    // Without its partner the terminator is unknown: the set is not stored as one line.
    db.db.exec("DELETE FROM Partner");
    EXPECT_EQ(EditTransaction(db.services, db.list("Sent", {0}), "ST*850*0001\r\nSE*2*0001\r\n", false),
              EditResult::Failed);
    EXPECT_EQ(tsets(), original);
    EXPECT_EQ(db.history(), "Error:91 Object variable or With block variable not set|"
                            "Error:3021 Trading partner not found: ACME");
}

TEST_F(Editing, CrLfPartner) {
    db.db.exec("UPDATE Partner SET Segment = 0");
    EXPECT_EQ(EditTransaction(db.services, db.list("Sent", {0}), "ST*850*0002\r\nSE*2*0002\r\n", false),
              EditResult::Saved);
    EXPECT_EQ(db.db.scalarText("SELECT TSet FROM Sent ORDER BY Id LIMIT 1"), "ST*850*0002\r\nSE*2*0002\r\n");
}

}  // namespace

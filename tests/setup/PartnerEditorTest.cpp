#include "core/UiSink.h"
#include "setup/PartnerEditor.h"
#include "tests/setup/PartnersFixture.h"

#include <gtest/gtest.h>

namespace {

using namespace vt::setup;
using namespace vt::core;
using vt::test::rows;
using Step = PartnerEditor::EditStep;

class Editor : public vt::test::SetupTest {
protected:
    PartnerEditor editor{s};
    void three() {
        for (const char* name : {"ALPHA01", "BRAVO02", "CHARLIE3"}) vt::test::addPartnerRow(db, name);
        editor.requery();
    }
    std::string names() {
        std::string out;
        for (const auto& r : rows(db, "Partner", "Partner")) out += r + " ";
        return out;
    }
};

TEST_F(Editor, EmptyTableShowsTheSetupTitleAndDoesNothing) {
    editor.requery();
    EXPECT_TRUE(editor.empty());
    EXPECT_EQ(editor.title(), "Trading Partner Setup");
    EXPECT_FALSE(editor.moveFirst());
    EXPECT_FALSE(editor.moveNext());
    EXPECT_FALSE(editor.navigateByKey('>'));
    EXPECT_EQ(editor.editOrSave({}), Step::Nothing);
    EXPECT_FALSE(editor.removePartner());
    EXPECT_TRUE(ui.events.empty());
}

TEST_F(Editor, NavigationStopsAtBothEnds) {
    three();
    struct Move {
        char key;            // 0: the button of `button`
        const char* button;  // "first", "previous", "next", "last"
        bool shows;
        int position;
    } moves[] = {
        {0, "previous", false, 0}, {'n', nullptr, true, 1}, {'N', nullptr, true, 2}, {0, "next", false, 2},
        {'p', nullptr, true, 1},   {'<', nullptr, true, 0}, {'>', nullptr, true, 2}, {',', nullptr, false, 2},
        {'.', nullptr, false, 2},  {0, "first", true, 0},   {0, "last", true, 2},
    };
    EXPECT_EQ(editor.title(), "Partner 1 of 3 -- ALPHA01");
    for (const auto& m : moves) {
        bool shown = false;
        if (m.key) shown = editor.navigateByKey(m.key);
        else if (std::string(m.button) == "first") shown = editor.moveFirst();
        else if (std::string(m.button) == "previous") shown = editor.movePrevious();
        else if (std::string(m.button) == "next") shown = editor.moveNext();
        else shown = editor.moveLast();
        EXPECT_EQ(shown, m.shows) << (m.key ? std::string(1, m.key) : m.button);
        EXPECT_EQ(editor.position(), m.position) << (m.key ? std::string(1, m.key) : m.button);
    }
    EXPECT_EQ(editor.title(), "Partner 3 of 3 -- CHARLIE3");
    EXPECT_EQ(editor.row().partner, "CHARLIE3");

    // Nothing moves in edit mode.
    EXPECT_EQ(editor.editOrSave(editor.row()), Step::Editing);
    EXPECT_FALSE(editor.moveFirst());
    EXPECT_FALSE(editor.navigateByKey('<'));
    EXPECT_FALSE(editor.addPartner());
    EXPECT_FALSE(editor.removePartner());
    EXPECT_EQ(editor.position(), 2);
}

TEST_F(Editor, OnePartnerStaysAtOneOfOne) {
    vt::test::addPartnerRow(db, "SINGLE1");
    editor.requery();
    EXPECT_FALSE(editor.movePrevious());
    EXPECT_FALSE(editor.moveNext());
    EXPECT_EQ(editor.title(), "Partner 1 of 1 -- SINGLE1");
}

TEST_F(Editor, TheSaveQuestionsThreeAnswers) {
    struct Case {
        int answer;
        Step step;
        bool editingAfter;
        const char* stored;
    } cases[] = {
        {vbCancel, Step::KeepEditing, true, "ALPHA01"},
        {vbNo, Step::Shown, false, "ALPHA01"},
        {vbYes, Step::Shown, false, "ALPHA99"},
    };
    for (const auto& c : cases) {
        db.exec("DELETE FROM Partner");
        vt::test::addPartnerRow(db, "ALPHA01");
        PartnerEditor e(s);
        e.requery();
        ASSERT_EQ(e.editOrSave(e.row()), Step::Editing);
        PartnerRow screen = e.row();
        screen.partner = "ALPHA99";
        ui.events.clear();
        ui.boxAnswers = {c.answer};
        EXPECT_EQ(e.editOrSave(screen), c.step) << c.answer;
        EXPECT_EQ(ui.events, std::vector<std::string>{"box 35 Veltrane: Save Changes?"});
        EXPECT_EQ(e.editing(), c.editingAfter) << c.answer;
        EXPECT_EQ(rows(db, "Partner", "Partner"), std::vector<std::string>{c.stored}) << c.answer;
        EXPECT_EQ(e.row().partner, c.editingAfter ? "ALPHA01" : c.stored);
    }
}

TEST_F(Editor, SaveWritesTheScreenAndKeepsStoredNumbersForNonNumbers) {
    three();
    db.exec("UPDATE Partner SET ISA13 = '41', GS06 = '17' WHERE Partner = 'ALPHA01'");
    editor.reload();
    editor.editOrSave(editor.row());
    PartnerRow screen = editor.row();
    screen.partner = "  ALPHA01  ";
    screen.segment = 0;
    screen.element = 42;
    screen.sub = 0;
    screen.isaVersion = "004010";
    screen.isaVersionIndex = 1;
    screen.isa06 = "OURID";
    screen.isa08 = "THEIRID";
    screen.isa12 = "00401";
    screen.isa13 = "         ";   // an empty nine-digit box
    screen.isa14 = isa14FromListIndex(1);
    screen.isa15 = isa15FromListIndex(1);
    screen.gs06 = " 25";
    screen.gs07 = "X";
    EXPECT_EQ(editor.editOrSave(screen), Step::Shown);
    EXPECT_EQ(rows(db, "Partner",
                   "Partner, Segment, element, Sub, ISAVersion, ISAVersionIndex, ISA06, ISA08, ISA12, ISA13, ISA14, "
                   "ISA15, GS06, GS07")[0],
              "ALPHA01|0|42|0|004010|1|OURID|THEIRID|00401|41|1|T|25|X");
    EXPECT_EQ(editor.row().isa06, "OURID");
}

TEST_F(Editor, RefusedNamesKeepTheEditsInEditModeForCorrecting) {
    three();
    struct Case {
        const char* name;
        const char* box;
    } cases[] = {
        {"AL PHA1", "box 16 Veltrane: Invalid Trading Partner Name!"},
        {"ALPH", "box 48 Veltrane: Enter a longer Trading Partner Name! (Min 6)"},
        {"", "box 48 Veltrane: Enter a longer Trading Partner Name! (Min 6)"},
        {"bravo02", "box 16 Veltrane: Trading Partner bravo02 already exists!"},
    };
    ASSERT_EQ(editor.editOrSave(editor.row()), Step::Editing);
    for (const auto& c : cases) {
        PartnerRow screen = editor.row();
        screen.partner = c.name;
        screen.isa06 = "CHANGED";
        ui.events.clear();
        // The window keeps its fields as they are, the name there to be corrected.
        EXPECT_EQ(editor.editOrSave(screen), Step::KeepEditing) << c.name;
        EXPECT_EQ(ui.events.size(), 2u);
        EXPECT_EQ(ui.events.back(), c.box);
        EXPECT_TRUE(editor.editing());
        EXPECT_EQ(names(), "ALPHA01 BRAVO02 CHARLIE3 ");
        EXPECT_EQ(rows(db, "Partner", "ISA06")[0], "");
    }
    // The corrected name saves everything edited meanwhile; its own name in another case is no
    // duplicate.
    PartnerRow screen = editor.row();
    screen.partner = "Alpha01";
    screen.isa06 = "CHANGED";
    EXPECT_EQ(editor.editOrSave(screen), Step::Shown);
    EXPECT_EQ(names(), "Alpha01 BRAVO02 CHARLIE3 ");
    EXPECT_EQ(rows(db, "Partner", "ISA06")[0], "CHANGED");
    EXPECT_FALSE(editor.editing());
}

TEST_F(Editor, RenameCarriesSetsAndMapsButNotFolderRows) {
    three();
    vt::test::addSetRows(db, "ALPHA01", "850", "004010", "I", 2);
    vt::test::addSetRows(db, "ALPHA01", "810", "004010", "O");
    vt::test::addSetRows(db, "BRAVO02", "850", "004010", "I");
    db.exec("INSERT INTO Inbox (Partner, \"Transaction\") VALUES ('ALPHA01', '850')");
    editor.editOrSave(editor.row());
    PartnerRow screen = editor.row();
    screen.partner = "ALPHA0NE";
    EXPECT_EQ(editor.editOrSave(screen), Step::Shown);
    EXPECT_EQ(rows(db, "Transactions", "Partner"), (std::vector<std::string>{"ALPHA0NE", "ALPHA0NE", "BRAVO02"}));
    EXPECT_EQ(rows(db, "Segment", "Partner"), (std::vector<std::string>{"ALPHA0NE", "ALPHA0NE", "ALPHA0NE", "BRAVO02"}));
    EXPECT_EQ(rows(db, "Element", "Partner"), (std::vector<std::string>{"ALPHA0NE", "ALPHA0NE", "ALPHA0NE", "BRAVO02"}));
    EXPECT_EQ(rows(db, "Inbox", "Partner"), std::vector<std::string>{"ALPHA01"});
}

TEST_F(Editor, AFailingRenameChangesNothingAndStaysInEditMode) {
    three();
    vt::test::addSetRows(db, "ALPHA01", "850", "004010", "I");
    db.exec("CREATE TRIGGER refuse BEFORE UPDATE ON Element BEGIN SELECT RAISE(ABORT, 'disk full'); END");
    editor.editOrSave(editor.row());
    PartnerRow screen = editor.row();
    screen.partner = "ALPHA0NE";
    screen.isa06 = "CHANGED";
    EXPECT_EQ(editor.editOrSave(screen), Step::KeepEditing);
    EXPECT_TRUE(editor.editing());
    EXPECT_EQ(names(), "ALPHA01 BRAVO02 CHARLIE3 ");
    EXPECT_EQ(rows(db, "Transactions", "Partner"), std::vector<std::string>{"ALPHA01"});
    EXPECT_EQ(rows(db, "Partner", "ISA06")[0], "");
    ASSERT_FALSE(ui.history.empty());
    EXPECT_EQ(ui.history.back().type, "Error");
    EXPECT_NE(ui.history.back().description.find("disk full"), std::string::npos);
}

TEST_F(Editor, AddChecksTheNameAndShowsTheNewPartner) {
    three();
    editor.moveNext();
    struct Case {
        std::optional<std::string> answer;
        const char* box;   // nullptr: no box
    } refused[] = {
        {std::nullopt, nullptr},
        {"", nullptr},
        {" DELTA04", "box 16 Veltrane: Invalid Trading Partner Name!"},
        {"DEL/TA4", "box 16 Veltrane: Invalid Trading Partner Name!"},
        {"DELT", "box 48 Veltrane: Enter a longer Trading Partner Name! (Min 6)"},
        {"charlie3", "box 16 Veltrane: Trading Partner charlie3 already exists!"},
    };
    for (const auto& c : refused) {
        ui.events.clear();
        ui.inputAnswers = {c.answer};   // then cancelled
        EXPECT_FALSE(editor.addPartner());
        EXPECT_EQ(ui.events.front(), "input Veltrane: Enter Trading Partner Name: []");
        EXPECT_EQ(ui.events.size(), c.box ? 3u : 1u);
        if (c.box) {
            EXPECT_EQ(ui.events[1], c.box);
            // Asked again with the refused name in the field, for correcting.
            EXPECT_EQ(ui.events[2], "input Veltrane: Enter Trading Partner Name: [" + *c.answer + "]");
        }
    }
    EXPECT_EQ(editor.position(), 1);
    ui.inputAnswers = {std::string("Delta 04"), std::string("Delta04")};
    EXPECT_TRUE(editor.addPartner());
    EXPECT_EQ(names(), "ALPHA01 BRAVO02 CHARLIE3 Delta04 ");
    // A new partner's envelopes are usable before its separators are edited.
    EXPECT_EQ(rows(db, "Partner", "Segment, element, Sub")[3], "126|42|62");
    EXPECT_EQ(editor.row().segment, 126);
    EXPECT_EQ(editor.row().element, 42);
    EXPECT_EQ(editor.row().sub, 62);
    EXPECT_EQ(editor.title(), "Partner 4 of 4 -- Delta04");
    EXPECT_FALSE(editor.editing());
    ASSERT_EQ(ui.history.size(), 1u);
    EXPECT_EQ(ui.history[0].type, "Info");
    EXPECT_EQ(ui.history[0].description, "Trading Partner Added Delta04");
}

TEST_F(Editor, RemoveWarnsWithTheCountsAndTakesEverythingOfThePartner) {
    three();
    for (const char* set : {"850", "810", "856"}) vt::test::addSetRows(db, "BRAVO02", set, "004010", "I", 2);
    for (const char* set : {"850", "810"}) vt::test::addSetRows(db, "BRAVO02", set, "003020", "O");
    vt::test::addSetRows(db, "CHARLIE3", "850", "004010", "I");
    db.exec("INSERT INTO Inbox (Partner) VALUES ('BRAVO02')");
    editor.moveLast();   // shown before: another partner
    editor.movePrevious();
    const std::string warning =
        "WARNING:\r\n\r\nRemoving 'BRAVO02' will permanently remove all settings associated with this trading "
        "partner.\r\nRemoving will delete all Transaction(s) and Mappings\r\nRemoving will also delete 3 inbound and 2 "
        "outbound Transaction(s).\r\n\r\nDo you still wish to remove 'BRAVO02'?";

    ui.boxAnswers = {vbNo};
    EXPECT_FALSE(editor.removePartner());
    EXPECT_EQ(ui.events, std::vector<std::string>{"box 52 Veltrane: " + warning});
    EXPECT_EQ(names(), "ALPHA01 BRAVO02 CHARLIE3 ");

    ui.events.clear();
    EXPECT_TRUE(editor.removePartner());
    EXPECT_EQ(names(), "ALPHA01 CHARLIE3 ");
    EXPECT_EQ(vt::test::countOf(db, "SELECT count(*) FROM Transactions WHERE Partner = 'BRAVO02'"), 0);
    EXPECT_EQ(vt::test::countOf(db, "SELECT count(*) FROM Segment WHERE Partner = 'BRAVO02'"), 0);
    EXPECT_EQ(vt::test::countOf(db, "SELECT count(*) FROM Element WHERE Partner = 'BRAVO02'"), 0);
    EXPECT_EQ(vt::test::countOf(db, "SELECT count(*) FROM Segment WHERE Partner = 'CHARLIE3'"), 1);
    EXPECT_EQ(rows(db, "Inbox", "Partner"), std::vector<std::string>{"BRAVO02"});
    EXPECT_EQ(ui.history.back().description, "Trading Partner Removed [BRAVO02]");
    EXPECT_EQ(ui.refreshed, (std::vector<std::string>{"Inbox", "Outbox", "Sent", "Recycled"}));
    EXPECT_EQ(editor.title(), "Partner 1 of 2 -- ALPHA01");
}

TEST_F(Editor, AFailingRemoveKeepsEveryRow) {
    three();
    vt::test::addSetRows(db, "ALPHA01", "850", "004010", "I");
    db.exec("CREATE TRIGGER refuse BEFORE DELETE ON Partner BEGIN SELECT RAISE(ABORT, 'locked'); END");
    EXPECT_FALSE(editor.removePartner());
    EXPECT_EQ(names(), "ALPHA01 BRAVO02 CHARLIE3 ");
    EXPECT_EQ(vt::test::countOf(db, "SELECT count(*) FROM Transactions"), 1);
    EXPECT_EQ(vt::test::countOf(db, "SELECT count(*) FROM Element"), 1);
    EXPECT_TRUE(ui.refreshed.empty());
    EXPECT_EQ(ui.history.back().type, "Error");
}

}  // namespace

// The 862 handler over schedules translated through the partner's map: the change list against
// the previous schedule, its notes, the removed lines and the errors it raises.

#include "BrackwenFixture.h"

#include "ActiveX/Handlers.h"
#include "core/RecordLayout.h"

#include <gtest/gtest.h>

#include <functional>

namespace vt::test {
namespace {

using automation::Variant;

struct Line {
    std::string part, rev = "R1", po = "4500", qty, date;
    std::string dock = "D01";
};

std::string set862(const std::vector<Line>& lines, const std::string& control = "0001",
                   const std::string& reference = "SCH-1", const std::string& scheduleDate = "20261207") {
    std::string s = "ST*862*" + control + "~BSS*05*" + reference + "*" + scheduleDate +
                    "*DL*20261207*20270131*" + reference + "-REL****A~N1*ST*PLANT 1~N1*SU*ACME SUPPLY~N1*SF*ACME DOCK*92*" +
                    (lines.empty() ? std::string("D01") : lines.front().dock) + "~";
    std::string last;
    int total = 0;
    for (const Line& l : lines) {
        s += "LIN**BP*" + l.part + "*EC*" + l.rev + "*PO*" + l.po +
             "*RN*77~UIT*EA~FST*" + l.qty + "*C*D*" + l.date + "~";
        total += std::stoi(l.qty);
    }
    return s + "CTT*" + std::to_string(lines.size()) + "*" + std::to_string(total) + "~SE*2*" + control + "~";
}

struct Shipping : ::testing::Test {
    PartnerDb d;

    // Translates the new schedule (Inbox) and the previous one (Recycled), runs the handler and
    // returns the change list as "part|rev|po|dock|qty|date|note" lines.
    std::vector<std::string> run(const std::vector<Line>& now, const std::vector<Line>& before) {
        d.db.exec("DELETE FROM Inbox; DELETE FROM Recycled");
        d.addSet(set862(now, "0002", "SCH-2", "20261208"), "862", "003020");
        d.addSet(set862(before), "862", "003020", "Recycled");
        Variant rs1(d.translate("Inbox", k862, {0}));
        Variant rs2(d.translate("Recycled", k862, {0}));
        EXPECT_EQ(d.history().find("Error:"), std::string::npos) << d.history();
        result = callActiveX(d.create("Vozezididide_862_003020_I"), rs1, rs2, k862);
        changes = automation::refCast<automation::Recordset>(rs1.objectRef());
        previous = automation::refCast<automation::Recordset>(rs2.objectRef());
        std::vector<std::string> out;
        if (changes->recordCount() == 0) return out;
        for (changes->moveFirst(); !changes->eof(); changes->moveNext()) {
            std::string line;
            for (const char* f : {"5LIN03", "5LIN05", "5LIN07", "4N104", "7FST01", "7FST04", "9EXCE01"})
                line += (line.empty() ? "" : "|") + automation::toText(changes->value(f));
            out.push_back(line);
        }
        return out;
    }

    Variant result;
    automation::Ref<automation::Recordset> changes, previous;
};

struct ChangeCase {
    const char* name;
    std::vector<Line> now, before;
    std::vector<std::string> expected;
    std::int32_t previousLeft;
};

TEST_F(Shipping, BuildsTheChangeListAgainstThePreviousSchedule) {
    const Line a{"P-100", "R3", "4500", "10", "20261214"};
    const Line b{"P-200", "R1", "4500", "5", "20261215"};
    Line a12 = a;
    a12.qty = "12";
    Line aLater = a;
    aLater.date = "20261221";
    Line aOtherDock = a;
    aOtherDock.dock = "D02";
    Line aOtherRev = a;
    aOtherRev.rev = "R4";
    const ChangeCase cases[] = {
        {"identical schedules leave nothing", {a, b}, {a, b}, {}, 0},
        {"another quantity on the same date", {a12, b}, {a, b}, {"P-100|R3|4500|D01|12|12/14/2026|QTY WAS 10 IS 12"}, 0},
        {"another date is new, the old line removed",
         {aLater},
         {a},
         {"P-100|R3|4500|D01|10|12/21/2026|NEW", "P-100|R3|4500|D01|10|12/14/2026|REMOVED"},
         1},
        {"one previous line matches only the first of two equal lines", {a, a}, {a}, {"P-100|R3|4500|D01|10|12/14/2026|NEW"}, 0},
        {"lines after the previous schedule ran out are new",
         {a, b},
         {a},
         {"P-200|R1|4500|D01|5|12/15/2026|NEW"},
         0},
        {"another dock (the ship-from party) is another line",
         {aOtherDock},
         {a},
         {"P-100|R3|4500|D02|10|12/14/2026|NEW", "P-100|R3|4500|D01|10|12/14/2026|REMOVED"},
         1},
        {"another revision is another line",
         {aOtherRev},
         {a},
         {"P-100|R4|4500|D01|10|12/14/2026|NEW", "P-100|R3|4500|D01|10|12/14/2026|REMOVED"},
         1},
    };
    for (const ChangeCase& c : cases) {
        EXPECT_EQ(run(c.now, c.before), c.expected) << c.name;
        EXPECT_TRUE(result.type() == automation::VarType::Boolean && automation::toBool(result)) << c.name;
        EXPECT_EQ(previous->recordCount(), c.previousLeft) << c.name;
    }
}

TEST_F(Shipping, RemovedLinesCarryTheNewHeadingAndTheirOwnValues) {
    const Line a{"P-100", "R3", "4500", "10", "20261214"};
    const Line b{"P-200", "R1", "4500", "5", "20261215"};
    const Line c{"P-300", "R1", "4600", "8", "20261216"};
    EXPECT_EQ(run({c}, {b, a}), (std::vector<std::string>{"P-300|R1|4600|D01|8|12/16/2026|NEW",
                                                          "P-200|R1|4500|D01|5|12/15/2026|REMOVED",
                                                          "P-100|R3|4500|D01|10|12/14/2026|REMOVED"}));
    changes->moveLast();
    std::string heading;
    for (const char* f : {"1BSS01", "1BSS02", "1BSS03", "1BSS04", "1BSS05", "1BSS06", "1BSS07", "2N102", "6UIT01",
                          "8CTT01", "8CTT02", "1BSS08"})
        heading += automation::toText(changes->value(f)) + "|";
    // BSS03, 05 and 06 from the new schedule; the rest, totals included, from the previous one;
    // fields that are not copied stay empty.
    EXPECT_EQ(heading, "05|SCH-1|12/8/2026|DL|12/7/2026|1/31/2027|SCH-1-REL|PLANT 1|EA|2|15||");
    EXPECT_TRUE(changes->value("1BSS08").isNull());
}

TEST_F(Shipping, NullKeysNeverMatch) {
    auto make = [&](std::initializer_list<const char*> parts) {
        auto rs = core::readRecordLayout(d.activeX / (k862.text() + ".ADO"));
        for (const char* p : parts) {
            rs->addNew();
            if (p) rs->setValue("5LIN03", Variant(std::string(p)));
            for (const char* f : {"4N104", "5LIN05", "5LIN07"}) rs->setValue(f, Variant(std::string("x")));
            rs->setValue("7FST01", Variant(std::int32_t(4)));
            rs->setValue("7FST04", Variant(automation::Date{46000}));
            rs->update();
        }
        return rs;
    };
    auto now = make({nullptr, "A"});
    auto before = make({"A", nullptr});
    brackwen::buildChangeList(nullptr, *now, *before);
    std::vector<std::string> notes;
    for (now->moveFirst(); !now->eof(); now->moveNext())
        notes.push_back(automation::toText(now->value("5LIN03")) + ":" + automation::toText(now->value("9EXCE01")));
    EXPECT_EQ(notes, (std::vector<std::string>{":NEW", ":REMOVED"}));
}

TEST_F(Shipping, RaisesItsErrorsWithNumberAndText) {
    struct Case {
        const char* name;
        std::function<automation::Ref<automation::Recordset>()> make;
        std::int32_t number;
        std::string text;
    };
    auto layout = [](int noteSize, bool withRow) {
        auto rs = automation::Recordset::create();
        for (const char* f : {"1BSS03", "1BSS05", "1BSS06", "4N104", "5LIN03", "5LIN05", "5LIN07", "7FST04"})
            rs->appendField(f, automation::adtype::VarChar, 20);
        rs->appendField("7FST01", automation::adtype::Integer);
        if (noteSize) rs->appendField("9EXCE01", automation::adtype::VarChar, noteSize);
        rs->open();
        if (withRow) {
            rs->addNew();
            for (const char* f : {"4N104", "5LIN03", "5LIN05", "5LIN07", "7FST04"}) rs->setValue(f, Variant(std::string("k")));
            rs->setValue("7FST01", Variant(std::int32_t(7)));
            rs->update();
        }
        return rs;
    };
    const Case cases[] = {
        {"no note field", [&] { return layout(0, true); }, automation::aderr::ItemNotFound, "Item cannot be found"},
        {"a note that does not fit", [&] { return layout(2, true); }, automation::aderr::ErrorsOccurred, "Multiple-step"},
        {"an empty schedule", [&] { return layout(40, false); }, automation::aderr::NoCurrentRecord, "BOF or EOF"},
    };
    for (const Case& c : cases) {
        Variant rs1(c.make()), rs2(layout(40, false));
        try {
            callActiveX(d.create("Vozezididide_862_003020_I"), rs1, rs2, k862);
            ADD_FAILURE() << c.name << ": nothing raised";
        } catch (const automation::Error& e) {
            EXPECT_EQ(e.number, c.number) << c.name;
            EXPECT_NE(e.description.find(c.text), std::string::npos) << c.name << ": " << e.description;
        }
    }
}

TEST(QuantityText, TheLeadingNumberWithoutTrailingZeros) {
    const std::pair<Variant, std::string> cases[] = {
        {Variant(std::string("010")), "10"},    {Variant(std::string("12.50")), "12.5"},
        {Variant(std::string("abc")), "0"},     {Variant(std::string(" 7 boxes")), "7"},
        {Variant(std::string("-3.0")), "-3"},   {Variant(12.5f), "12.5"},
        {Variant(std::int32_t(1500000)), "1500000"}, {Variant(std::string("1E3")), "1000"},
    };
    for (const auto& [value, text] : cases) EXPECT_EQ(brackwen::quantityText(value), text) << automation::toText(value);
}

}  // namespace
}  // namespace vt::test

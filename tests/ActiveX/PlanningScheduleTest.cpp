// The 830 handler over planning schedules translated through the partner's map, with the
// orders and inventory files beside them: the planning record set for a fixed clock, the start
// day, netting, the order slots and the failures.

#include "BrackwenFixture.h"

#include "core/RecordLayout.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>

namespace vt::test {
namespace {

using automation::Variant;

struct Item {
    std::string part, rev = "R1", description = "PART";
    std::vector<std::pair<std::string, std::string>> forecasts;   // quantity, yyyymmdd
    std::vector<std::string> shp;                                 // "qualifier*quantity*qualifier*date"
};

std::string set830(const std::vector<Item>& items, const std::string& po = "PO-4500") {
    std::string s = "ST*830*0001~BFR*05*REL-1*R1*DL*A*20261207*20270331*20261207***" + po +
                    "~NTE*GEN*FIRM~NTE*GEN* 4 WEEKS~N1*ST*PLANT 1*92*D01~";
    for (const Item& i : items) {
        s += "LIN**BP*" + i.part + "*EC*" + i.rev + "~UIT*EA~J2X*A*B*" + i.description + "~";
        for (const auto& [qty, date] : i.forecasts) s += "FST*" + qty + "*C*D*" + date + "~";
        for (const std::string& shp : i.shp) s += "SHP*" + shp + "~";
    }
    return s + "CTT*" + std::to_string(items.size()) + "~SE*2*0001~";
}

struct Planning : ::testing::Test {
    PartnerDb d;
    automation::ObjectRef handler = d.create("Vozezididide_830_002000_I");
    automation::Ref<automation::Recordset> input;
    Variant rs1, result;

    void SetUp() override {
        d.clock.set({2026, 12, 9, 14, 7, 9});   // a Wednesday
        d.writeImport("Orders.csv", "");
        d.writeImport("Inventory.csv", "");
    }

    // Runs the handler over the items; returns the planning rows with every field.
    std::vector<std::string> run(const std::vector<Item>& items, const std::string& po = "PO-4500") {
        d.db.exec("DELETE FROM Inbox");
        d.addSet(set830(items, po), "830", "002000");
        input = d.translate("Inbox", k830, {0});
        EXPECT_TRUE(input && input->recordCount() > 0) << d.history();
        rs1 = Variant(input);
        Variant rs2 = Variant::nothing();
        result = callActiveX(handler, rs1, rs2, k830);
        auto plan = automation::refCast<automation::Recordset>(rs1.objectRef());
        return rows(*plan);
    }
    // 1001's text, or "" when nothing was raised.
    std::string failure(const std::vector<Item>& items, const std::string& po = "PO-4500") {
        try {
            run(items, po);
        } catch (const automation::Error& e) {
            return std::to_string(e.number) + " " + e.description;
        }
        return "";
    }
    std::vector<std::string> fieldValues(std::initializer_list<const char*> fields) {
        auto plan = automation::refCast<automation::Recordset>(rs1.objectRef());
        std::vector<std::string> out;
        for (plan->moveFirst(); !plan->eof(); plan->moveNext()) {
            std::string line;
            for (const char* f : fields) line += automation::toText(plan->value(f)) + "|";
            line.pop_back();
            out.push_back(line);
        }
        return out;
    }
};

TEST_F(Planning, BuildsThePlanningRecordSetForAFixedClock) {
    d.writeImport("Orders.csv",
                  "P-100,WO-1,25,12/15/2026,R3\nP-200,WO-7,9,12/16/2026,R1\nP-100,WO-2,5,12/22/2026,R3\n"
                  "P-100,WO-3,10,1/5/2027,R4\nP-100,WO-4,1,1/12/2027,R4\nP-100,WO-5,2,1/19/2027,R4\n");
    d.writeImport("Inventory.csv", "P-100,\"WIDGET, BLUE\",40,12\nP'200,HOOK,1,0\nP-100,SECOND LINE,1,1\n");
    const std::vector<std::string> plan = run({
        {"P-100", "R3", "WIDGET",
         {{"3", "20261204"}, {"10", "20261207"}, {"11", "20261211"}, {"99", "20261212"}, {"6", "20261214"},
          {"2", "20261214"}, {"20", "20270101"}, {"7", "20270104"}, {"8", "20270108"}, {"9", "20270205"},
          {"4", "20270206"}},
         {"01*40*050*20261201", "01*5*ZZ3*20261208", "01*7*ZZ3*20261209"}},
        {"P-050", "R2", "SPRING", {{"4", "20261209"}}, {}},
        {"P'200", "R1", "HOOK FROM 830", {{"5", "20261210"}}, {"01*9*050*20261120"}},
    });
    // Fields 1 to 24 as given, then Day1..Day20, Week5..Week9 and W5Date..W9Date.
    const auto row = [](std::vector<std::string> head, std::map<int, std::string> days,
                        std::map<int, std::string> weeks) {
        for (int d = 1; d <= 20; ++d) head.push_back(days.count(d) ? days[d] : "");
        for (int w = 5; w <= 9; ++w) head.push_back(weeks.count(w) ? weeks[w] : "");
        for (const char* monday : {"1/4/2027", "1/11/2027", "1/18/2027", "1/25/2027", "2/1/2027"}) head.push_back(monday);
        std::string out;
        for (const std::string& f : head) out += (out.empty() ? "" : "|") + f;
        return out;
    };
    const std::vector<std::string> noOrders = {"", "N/A", "1/5/1994", "0", "N/A", "1/5/1994", "0", "N/A", "1/5/1994", "0"};
    auto with = [](std::vector<std::string> a, const std::vector<std::string>& b, std::vector<std::string> c) {
        a.insert(a.end(), b.begin(), b.end());
        a.insert(a.end(), c.begin(), c.end());
        return a;
    };
    EXPECT_EQ(plan[0], row(with({"P'200", "HOOK", "FIRM 4 WEEKS", "R1"}, noOrders,
                                {"5", "", "1", "0", "", "", "", "PO-4500", "11/20/2026", "9"}),
                           {{4, "5"}}, {}));
    EXPECT_EQ(plan[1], row(with({"P-050", "SPRING", "FIRM 4 WEEKS", "R2"}, noOrders,
                                {"4", "", "0", "0", "", "", "", "PO-4500", "", ""}),
                           {{3, "4"}}, {}));
    // In transit 5 (the first ZZ3 record) nets the 3 of December 4 to 0 and the 10 of December 7
    // to 8; the Saturday's 99 goes nowhere; December 14 takes the later 2; February 5 is day 60,
    // February 6 beyond.
    EXPECT_EQ(plan[2], row({"P-100", "WIDGET, BLUE", "FIRM 4 WEEKS", "R3", "43", "WO-1", "12/15/2026", "25", "WO-2",
                            "12/22/2026", "5", "WO-3", "1/5/2027", "10", "3", "R3", "40", "12", "5", "0", "4",
                            "PO-4500", "12/1/2026", "40"},
                           {{1, "8"}, {5, "11"}, {6, "2"}, {20, "20"}}, {{5, "15"}, {9, "9"}}));
    ASSERT_EQ(plan.size(), 3u);
    EXPECT_TRUE(automation::toBool(result));
    // The planning record set is the handler's rsScheduler; the input rows carry the netting.
    EXPECT_EQ(automation::getProperty(Variant(handler), "rsScheduler").objectRef(), rs1.objectRef());
    input->setFilter("[6LIN03] = 'P-100'");
    input->moveFirst();
    EXPECT_EQ(automation::toText(input->value("11FST01")), "0");
    input->moveNext();
    EXPECT_EQ(automation::toText(input->value("11FST01")), "8");
}

TEST_F(Planning, TheStartDayIsTheMondayOfTheWeek) {
    const std::pair<text::DateTime, std::string> cases[] = {
        {{2026, 12, 7, 0, 0, 1}, "1/4/2027"},     // Monday: today
        {{2026, 12, 9, 23, 59, 59}, "1/4/2027"},  // Wednesday
        {{2026, 12, 11, 8, 0, 0}, "1/4/2027"},    // Friday
        {{2026, 12, 12, 8, 0, 0}, "1/4/2027"},    // Saturday: five days back
        {{2026, 12, 13, 8, 0, 0}, "1/11/2027"},   // Sunday: the coming Monday
    };
    for (const auto& [now, w5] : cases) {
        d.clock.set(now);
        run({{"P-1", "R1", "A", {{"1", "20261214"}}, {}}});
        EXPECT_EQ(fieldValues({"W5Date", "Day1", "Day6"}),
                  std::vector<std::string>{w5 + (w5 == "1/4/2027" ? "||1" : "|1|")})
            << text::formatDate(text::toOleDate(now), "yyyy-mm-dd");
    }
}

TEST_F(Planning, NetsTheInTransitQuantityAgainstThePartsRowsInOrder) {
    struct Case {
        const char* name;
        std::vector<Item> items;
        std::vector<std::string> netted;   // 11FST01 of the input rows, in sorted order
        std::vector<std::string> plan;     // InTransit|PastDueQty|Day1|Day2|Day3|Week5
    };
    const Case cases[] = {
        {"10 against 4, 4 and 4",
         {{"P-1", "R1", "A", {{"4", "20261207"}, {"4", "20261208"}, {"4", "20261209"}}, {"01*10*ZZ3*20261201"}},
          {"P-2", "R1", "B", {{"4", "20261207"}}, {}}},
         {"0", "0", "2", "4"},
         {"10||0|0|2|", "||4|||"}},
        {"more in transit than required: the rest is dropped with the part",
         {{"P-1", "R1", "A", {{"4", "20261130"}, {"4", "20270104"}}, {"01*100*ZZ3*20261201"}},
          {"P-2", "R1", "B", {{"4", "20261207"}}, {"01*1*ZZ3*20261201"}}},
         {"0", "0", "3"},
         {"100|0||||0", "1||3|||"}},
        {"quantities beyond 16 bits", {{"P-1", "R1", "A", {{"50000", "20261207"}}, {"01*40000*ZZ3*20261201"}}},
         {"10000"}, {"40000||10000|||"}},
    };
    for (const Case& c : cases) {
        run(c.items);
        EXPECT_EQ(fieldValues({"InTransit", "PastDueQty", "Day1", "Day2", "Day3", "Week5"}), c.plan) << c.name;
        std::vector<std::string> netted;
        input->setFilter("");
        input->setSort("[6LIN03]");
        for (input->moveFirst(); !input->eof(); input->moveNext()) netted.push_back(automation::toText(input->value("11FST01")));
        EXPECT_EQ(netted, c.netted) << c.name;
    }
}

TEST_F(Planning, OrdersAndStockFindTheirPartWithoutRegardToCase) {
    d.writeImport("Orders.csv", "P-2,WO-9,1,12/15/2026,R9\np-1,WO-1,2,12/15/2026,R1\nP-1,WO-2,3,12/16/2026,R2\n"
                                "p-2,WO-8,4,12/17/2026,R8\nP-1,WO-3,5,12/18/2026,R3\nP-1,WO-4,6,12/19/2026,R4\n");
    d.writeImport("Inventory.csv", "p-1,LOWER,5,1\nP-1,UPPER,6,2\nP-3,OTHER,7,3\n");
    run({{"P-1", "R1", "A", {{"4", "20261207"}}, {}}, {"P-2", "R1", "B", {{"4", "20261207"}}, {}},
         {"P-4", "R1", "D", {{"4", "20261207"}}, {}}});
    EXPECT_EQ(fieldValues({"PartNumber", "Description", "Available", "WO_Total", "WO1_ID", "WO2_ID", "WO3_ID", "Revision"}),
              (std::vector<std::string>{"P-1|LOWER|5|16|WO-1|WO-2|WO-3|R1", "P-2|B|0|5|WO-9|WO-8|N/A|R9",
                                        "P-4|D|0||N/A|N/A|N/A|"}));
}

TEST_F(Planning, AFieldTheInputLacksFailsOnlyWhereItIsRead) {
    // No quantity or date fields for SHP records 14 and 15: read only when their qualifier counts.
    auto lacking = [](const char* secondQualifier) {
        auto rs = automation::Recordset::create();
        for (const char* f : {"1BFR11", "2NTE02", "3NTE02", "6LIN03", "6LIN05", "8J2X03", "13SHP03", "14SHP03", "15SHP03"})
            rs->appendField(f, automation::adtype::VarChar, 30);
        rs->appendField("11FST01", automation::adtype::Integer);
        rs->appendField("11FST04", automation::adtype::Date);
        rs->appendField("13SHP02", automation::adtype::Integer);
        rs->appendField("13SHP04", automation::adtype::Date);
        rs->open();
        for (const char* part : {"P-1", "P-2"}) {
            rs->addNew();
            rs->setValue("6LIN03", Variant(std::string(part)));
            rs->setValue("11FST01", Variant(std::int32_t(4)));
            rs->setValue("11FST04", Variant(automation::Date{text::toOleDate({2026, 12, 7})}));
            rs->setValue("13SHP02", Variant(std::int32_t(9)));
            rs->setValue("13SHP03", Variant(std::string("050")));
            rs->setValue("13SHP04", Variant(automation::Date{text::toOleDate({2026, 11, 20})}));
            if (std::string(part) == "P-2") rs->setValue("14SHP03", Variant(std::string(secondQualifier)));
            rs->update();
        }
        return rs;
    };
    rs1 = Variant(lacking("ZZ2"));
    Variant none = Variant::nothing();
    EXPECT_TRUE(automation::toBool(callActiveX(handler, rs1, none, k830)));
    EXPECT_EQ(fieldValues({"PartNumber", "InTransit", "LastQty", "Day1"}),
              (std::vector<std::string>{"P-1||9|4", "P-2||9|4"}));

    rs1 = Variant(lacking("ZZ3"));
    try {
        callActiveX(handler, rs1, none, k830);
        ADD_FAILURE() << "nothing raised";
    } catch (const automation::Error& e) {
        EXPECT_EQ(e.number, 1001);
        EXPECT_EQ(e.description.rfind("ActiveX Failed: 3265 ", 0), 0u) << e.description;
    }
}

TEST_F(Planning, FailuresRaise1001WithTheirCauseOrEndWithFalse) {
    struct Case {
        const char* name;
        std::function<void()> prepare;
        std::string po;
        std::string raised;   // "" for a False result
        std::string box;
    };
    const Case cases[] = {
        {"a description longer than the planning field",
         [&] { d.writeImport("Inventory.csv", "P-1," + std::string(51, 'D') + ",1,2\n"); }, "PO-4500",
         "1001 ActiveX Failed: -2147217887 Multiple-step operation generated errors. Check each status value.", ""},
        {"a purchase order longer than 9 characters", [] {}, "PO-4500-99",
         "1001 ActiveX Failed: -2147217887 Multiple-step operation generated errors. Check each status value.", ""},
        {"an unreadable orders file", [&] { std::filesystem::remove(d.import / "Orders.csv"); }, "PO-4500", "",
         "box 16 Brackwen: Error: File not found\r\nLine: \r\nImport: "},
        {"an unreadable inventory file", [&] { d.writeImport("Inventory.csv", "P-1,A,many,0\n"); }, "PO-4500", "",
         "box 16 Brackwen: Error: Type mismatch: Available is not a number\r\nLine: 1\r\nImport: P-1,A,many,0"},
    };
    for (const Case& c : cases) {
        SetUp();
        handler = d.create("Vozezididide_830_002000_I");
        c.prepare();
        d.ui.events.clear();
        EXPECT_EQ(failure({{"P-1", "R1", "A", {{"4", "20261207"}}, {}}}, c.po), c.raised) << c.name;
        EXPECT_EQ(d.boxes(), c.box.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.box}) << c.name;
        if (c.raised.empty()) {
            EXPECT_FALSE(automation::toBool(result)) << c.name;
            EXPECT_EQ(rs1.objectRef(), automation::ObjectRef(input)) << c.name;
            EXPECT_TRUE(automation::getProperty(Variant(handler), "rsScheduler").isNothing()) << c.name;
        } else {
            EXPECT_EQ(rs1.objectRef(), automation::ObjectRef(input)) << c.name;
        }
    }
    // A record set without rows cannot reach its first row.
    SetUp();
    Variant empty(core::readRecordLayout(d.activeX / (k830.text() + ".ADO"))), none = Variant::nothing();
    try {
        callActiveX(handler, empty, none, k830);
        ADD_FAILURE() << "nothing raised";
    } catch (const automation::Error& e) {
        EXPECT_EQ(e.number, 1001);
        EXPECT_EQ(e.description.rfind("ActiveX Failed: 3021 ", 0), 0u) << e.description;
    }
}

}  // namespace
}  // namespace vt::test

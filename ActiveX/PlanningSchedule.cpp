#include "ActiveX/General.h"
#include "ActiveX/Handlers.h"

#include "platform/text/Text.h"

#include <cmath>
#include <optional>

namespace vt::brackwen {

using namespace automation;

namespace {

constexpr int kDayOffsets[20] = {0, 1, 2, 3, 4, 7, 8, 9, 10, 11, 14, 15, 16, 17, 18, 21, 22, 23, 24, 25};
constexpr const char* kShp[3] = {"13SHP", "14SHP", "15SHP"};

// The Monday of the week of `day`; a Sunday belongs to the week that starts the next day.
double startDay(double day) {
    const int wd = text::weekday(text::fromOleDate(day));   // 1 = Sunday
    return wd == 1 ? day + 1 : day - (wd - 2);
}

Variant date(double oleDate) { return Variant(Date{oleDate}); }

// Adds into a sum that starts empty.
void addTo(Recordset& rs, const char* field, const Variant& q) {
    const Variant sum = rs.value(field);
    rs.setValue(field, sum.isNull() ? q : Variant(toDouble(sum) + toDouble(q)));
}

std::string shpField(int record, int element) { return std::string(kShp[record]) + "0" + std::to_string(element); }

// The in-transit balance takes whole numbers, halves going to the even one.
std::int32_t wholeQuantity(const Variant& v) { return toInt32(v); }

void fillOrderSlot(Recordset& plan, Recordset& orders, int slot) {
    const std::string p = "WO" + std::to_string(slot) + "_";
    if (!orders.eof() && !orders.bof()) {
        plan.setValue(p + "ID", orders.value("WO_ID"));
        plan.setValue(p + "Date", orders.value("WO_Date"));
        plan.setValue(p + "Qty", orders.value("WO_Qty"));
        if (slot == 1) plan.setValue("Revision", orders.value("WO_Rev"));
        orders.moveNext();
    } else {
        plan.setValue(p + "Date", date(text::toOleDate(text::DateTime{1994, 1, 5})));
        plan.setValue(p + "ID", Variant(std::string("N/A")));
        plan.setValue(p + "Qty", Variant(std::int32_t(0)));
    }
}

void buildPlanning(Recordset& input, Recordset& plan, Recordset& orders, Recordset& inventory, double start) {
    input.setSort("[6LIN03]");
    input.moveFirst();
    while (!input.eof()) {
        plan.addNew();
        const std::string part = toString(input.value("6LIN03"));
        inventory.setFilter("PartNumber = " + filterValue(part));
        orders.setFilter("WO_PartNumber = " + filterValue(part));
        if (orders.recordCount() > 0) {
            for (orders.moveFirst(); !orders.eof(); orders.moveNext()) addTo(plan, "WO_Total", orders.value("WO_Qty"));
            orders.moveFirst();
        }
        for (int w = 0; w < 5; ++w) plan.setValue("W" + std::to_string(w + 5) + "Date", date(start + 28 + 7 * w));
        plan.setValue("PurchaseOrder", input.value("1BFR11"));
        plan.setValue("PartNumber", input.value("6LIN03"));
        plan.setValue("Required", input.value("11FST01"));
        if (!inventory.eof() && !inventory.bof()) {
            plan.setValue("Description", inventory.value("Description"));
            plan.setValue("Available", inventory.value("Available"));
            plan.setValue("Allocated", inventory.value("Allocated"));
        } else {
            plan.setValue("Description", input.value("8J2X03"));
            plan.setValue("Available", Variant(std::int32_t(0)));
            plan.setValue("Allocated", Variant(std::int32_t(0)));
        }
        plan.setValue("Rev", input.value("6LIN05"));
        plan.setValue("Notes", Variant(textOf(input.value("2NTE02")) + textOf(input.value("3NTE02"))));
        for (int slot = 1; slot <= 3; ++slot) fillOrderSlot(plan, orders, slot);

        std::int32_t balance = 0;
        for (int r = 0; r < 3; ++r) {
            if (textOf(input.value(shpField(r, 3))) != "ZZ3") continue;
            plan.setValue("InTransit", input.value(shpField(r, 2)));
            balance = wholeQuantity(input.value(shpField(r, 2)));
            break;
        }
        for (int r = 0; r < 3; ++r) {
            if (textOf(input.value(shpField(r, 3))) != "050") continue;
            plan.setValue("LastDate", input.value(shpField(r, 4)));
            plan.setValue("LastQty", input.value(shpField(r, 2)));
            break;
        }

        while (!input.eof() && textOf(input.value("6LIN03")) == part) {
            if (balance != 0) {
                const Variant q = input.value("11FST01");
                if (!q.isNull()) {
                    const double qty = toDouble(q);
                    if (balance > qty) {
                        balance = wholeQuantity(Variant(double(balance) - qty));
                        input.setValue("11FST01", Variant(std::int32_t(0)));
                    } else if (balance == qty) {
                        balance = 0;
                        input.setValue("11FST01", Variant(std::int32_t(0)));
                    } else {
                        input.setValue("11FST01", Variant(qty - double(balance)));
                        balance = 0;
                    }
                }
            }
            const Variant q = input.value("11FST01");
            const Variant when = input.value("11FST04");
            if (!q.isNull() && !when.isNull()) {
                const double d = toDate(when);
                if (d < start) addTo(plan, "PastDueQty", q);
                if (d > start + 60) addTo(plan, "FutureQty", q);
                bool bucketed = false;
                for (int i = 0; i < 20 && !bucketed; ++i)
                    if (d == start + kDayOffsets[i]) {
                        plan.setValue("Day" + std::to_string(i + 1), q);
                        bucketed = true;
                    }
                for (int w = 0; w < 5 && !bucketed; ++w)
                    for (int k = 0; k < 5 && !bucketed; ++k)
                        if (d == start + 28 + 7 * w + k) {
                            addTo(plan, ("Week" + std::to_string(w + 5)).c_str(), q);
                            bucketed = true;
                        }
            }
            input.moveNext();
        }
        plan.update();
    }
}

}  // namespace

Ref<Recordset> planningRecordset() {
    auto rs = Recordset::create();
    const auto text = [&](const char* name, int size) { rs->appendField(name, adtype::VarChar, size, 4); };
    const auto integer = [&](const std::string& name) { rs->appendField(name, adtype::Integer, 6, 4); };
    const auto day = [&](const std::string& name) { rs->appendField(name, adtype::Date, 8, 4); };
    text("PartNumber", 30);
    text("Description", 50);
    text("Notes", 255);
    text("Rev", 7);
    integer("WO_Total");
    for (int slot = 1; slot <= 3; ++slot) {
        const std::string p = "WO" + std::to_string(slot) + "_";
        text((p + "ID").c_str(), 15);
        day(p + "Date");
        integer(p + "Qty");
    }
    integer("Required");
    text("Revision", 7);
    for (const char* f : {"Available", "Allocated", "InTransit", "PastDueQty", "FutureQty"}) integer(f);
    text("PurchaseOrder", 9);
    day("LastDate");
    integer("LastQty");
    for (int d = 1; d <= 20; ++d) integer("Day" + std::to_string(d));
    for (int w = 5; w <= 9; ++w) integer("Week" + std::to_string(w));
    for (int w = 5; w <= 9; ++w) day("W" + std::to_string(w) + "Date");
    rs->open();
    return rs;
}

bool PlanningSchedule::ActiveX(Variant& rsRecord) {
    auto general = makeRef<General>(host_);
    if (!general->Orders()) return false;
    if (!general->Inventory()) return false;
    try {
        auto input = recordsetOf(rsRecord);
        rsScheduler = planningRecordset();
        buildPlanning(*input, *rsScheduler, *general->rsOrders, *general->rsInventory, startDay(today(host_)));
        rsRecord = Variant(rsScheduler);
        general->rsInventory.reset();
        general->rsOrders.reset();
        return true;
    } catch (const Error& e) {
        raise(1001, "", "ActiveX Failed: " + std::to_string(e.number) + " " + e.description);
    } catch (const std::exception& e) {
        raise(1001, "", std::string("ActiveX Failed: ") + e.what());
    }
}

const Members<PlanningSchedule>& PlanningSchedule::members() {
    static const Members<PlanningSchedule> m = [] {
        Members<PlanningSchedule> t(kPlanningClass);
        t.get("rsScheduler",
              [](PlanningSchedule& p, Args&) { return p.rsScheduler ? Variant(p.rsScheduler) : Variant::nothing(); })
            .set("rsScheduler", [](PlanningSchedule& p, Args&, const Variant& v) {
                p.rsScheduler = v.isNothing() ? Ref<Recordset>() : recordsetOf(v);
            })
            .method("ActiveX", {6, 6}, [](PlanningSchedule& p, Args& a) { return Variant(p.ActiveX(a.ref(0))); });
        return t;
    }();
    return m;
}

}  // namespace vt::brackwen

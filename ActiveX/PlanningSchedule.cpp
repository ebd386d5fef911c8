#include "ActiveX/General.h"
#include "ActiveX/Handlers.h"

#include "platform/text/Text.h"

#include <cmath>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace vt::brackwen {

using namespace automation;

namespace {

constexpr int kDayOffsets[20] = {0, 1, 2, 3, 4, 7, 8, 9, 10, 11, 14, 15, 16, 17, 18, 21, 22, 23, 24, 25};

// The Monday of the week of `day`; a Sunday belongs to the week that starts the next day.
double startDay(double day) {
    const int wd = text::weekday(text::fromOleDate(day));   // 1 = Sunday
    return wd == 1 ? day + 1 : day - (wd - 2);
}

Variant date(double oleDate) { return Variant(Date{oleDate}); }

// The in-transit balance takes whole numbers, halves going to the even one.
std::int32_t wholeQuantity(const Variant& v) { return toInt32(v); }

struct Order {
    Variant id, date, qty, rev;
};
struct Stock {
    Variant description, available, allocated;
};

// The orders of every part in file order and the first inventory line of every part, gathered
// in one pass over each record set. Part numbers match without regard to case, as a filter on
// them would.
struct PartIndex {
    std::unordered_map<std::string, std::vector<Order>> orders;
    std::unordered_map<std::string, Stock> stock;

    PartIndex(Recordset& rsOrders, Recordset& rsInventory) {
        walk(rsOrders, "WO_PartNumber", [&](Recordset& rs, std::string part) {
            orders[std::move(part)].push_back(
                {rs.value("WO_ID"), rs.value("WO_Date"), rs.value("WO_Qty"), rs.value("WO_Rev")});
        });
        walk(rsInventory, "PartNumber", [&](Recordset& rs, std::string part) {
            if (stock.count(part) == 0)
                stock.emplace(std::move(part), Stock{rs.value("Description"), rs.value("Available"), rs.value("Allocated")});
        });
    }
    static std::string key(std::string_view part) { return text::toLower(part); }

private:
    template <class Take>
    static void walk(Recordset& rs, const char* partField, Take take) {
        if (rs.recordCount() == 0) return;
        for (rs.moveFirst(); !rs.eof(); rs.moveNext()) {
            const Variant part = rs.value(partField);
            if (part.isNull() || part.isEmpty()) continue;   // no part number matches these
            take(rs, key(toText(part)));
        }
    }
};

// A field of the translated input, found by name once. A field the map did not give fails only
// where it is read (3265), as a read by name would.
class InputField {
public:
    InputField(const Recordset& rs, std::string name) : name_(std::move(name)), at_(rs.findField(name_)) {}
    Variant of(const Recordset& rs) const { return at_ >= 0 ? rs.value(std::size_t(at_)) : rs.value(name_); }
    void set(Recordset& rs, const Variant& v) const {
        if (at_ >= 0) rs.setValue(std::size_t(at_), v);
        else rs.setValue(name_, v);
    }

private:
    std::string name_;
    int at_;
};

struct InputFields {
    InputField po, note1, note2, part, rev, description, quantity, when;
    InputField shpQuantity[3], shpQualifier[3], shpDate[3];   // records 13, 14, 15

    explicit InputFields(const Recordset& rs)
        : po(rs, "1BFR11"), note1(rs, "2NTE02"), note2(rs, "3NTE02"), part(rs, "6LIN03"), rev(rs, "6LIN05"),
          description(rs, "8J2X03"), quantity(rs, "11FST01"), when(rs, "11FST04"),
          shpQuantity{{rs, "13SHP02"}, {rs, "14SHP02"}, {rs, "15SHP02"}},
          shpQualifier{{rs, "13SHP03"}, {rs, "14SHP03"}, {rs, "15SHP03"}},
          shpDate{{rs, "13SHP04"}, {rs, "14SHP04"}, {rs, "15SHP04"}} {}
};

// The planning record set's fields by ordinal, found once.
struct PlanFields {
    std::size_t partNumber, description, notes, rev, total, required, revision, available, allocated, inTransit,
        pastDue, future, purchaseOrder, lastDate, lastQty;
    std::size_t orderId[3], orderDate[3], orderQty[3], day[20], week[5], weekDate[5];

    explicit PlanFields(const Recordset& rs) {
        const auto at = [&](const std::string& name) { return rs.resolveField(Variant(name)); };
        partNumber = at("PartNumber");
        description = at("Description");
        notes = at("Notes");
        rev = at("Rev");
        total = at("WO_Total");
        required = at("Required");
        revision = at("Revision");
        available = at("Available");
        allocated = at("Allocated");
        inTransit = at("InTransit");
        pastDue = at("PastDueQty");
        future = at("FutureQty");
        purchaseOrder = at("PurchaseOrder");
        lastDate = at("LastDate");
        lastQty = at("LastQty");
        for (int slot = 0; slot < 3; ++slot) {
            const std::string p = "WO" + std::to_string(slot + 1) + "_";
            orderId[slot] = at(p + "ID");
            orderDate[slot] = at(p + "Date");
            orderQty[slot] = at(p + "Qty");
        }
        for (int d = 0; d < 20; ++d) day[d] = at("Day" + std::to_string(d + 1));
        for (int w = 0; w < 5; ++w) {
            week[w] = at("Week" + std::to_string(w + 5));
            weekDate[w] = at("W" + std::to_string(w + 5) + "Date");
        }
    }
};

// Adds into a sum that starts empty.
void addTo(Recordset& rs, std::size_t field, const Variant& q) {
    const Variant sum = rs.value(field);
    rs.setValue(field, sum.isNull() ? q : Variant(toDouble(sum) + toDouble(q)));
}

void fillOrderSlot(Recordset& plan, const PlanFields& f, const std::vector<Order>& orders, int slot) {
    if (std::size_t(slot) < orders.size()) {
        const Order& order = orders[std::size_t(slot)];
        plan.setValue(f.orderId[slot], order.id);
        plan.setValue(f.orderDate[slot], order.date);
        plan.setValue(f.orderQty[slot], order.qty);
        if (slot == 0) plan.setValue(f.revision, order.rev);
    } else {
        plan.setValue(f.orderDate[slot], date(text::toOleDate(text::DateTime{1994, 1, 5})));
        plan.setValue(f.orderId[slot], Variant(std::string("N/A")));
        plan.setValue(f.orderQty[slot], Variant(std::int32_t(0)));
    }
}

void buildPlanning(Recordset& input, Recordset& plan, const PartIndex& index, double start) {
    static const std::vector<Order> kNoOrders;
    const InputFields in(input);
    const PlanFields f(plan);
    input.setSort("[6LIN03]");
    input.moveFirst();
    while (!input.eof()) {
        plan.addNew();
        const std::string part = toString(in.part.of(input));
        const std::string key = PartIndex::key(part);
        const auto ordersOfPart = index.orders.find(key);
        const std::vector<Order>& orders = ordersOfPart == index.orders.end() ? kNoOrders : ordersOfPart->second;
        const auto stockOfPart = index.stock.find(key);
        for (const Order& order : orders) addTo(plan, f.total, order.qty);
        for (int w = 0; w < 5; ++w) plan.setValue(f.weekDate[w], date(start + 28 + 7 * w));
        plan.setValue(f.purchaseOrder, in.po.of(input));
        plan.setValue(f.partNumber, in.part.of(input));
        plan.setValue(f.required, in.quantity.of(input));
        if (stockOfPart != index.stock.end()) {
            plan.setValue(f.description, stockOfPart->second.description);
            plan.setValue(f.available, stockOfPart->second.available);
            plan.setValue(f.allocated, stockOfPart->second.allocated);
        } else {
            plan.setValue(f.description, in.description.of(input));
            plan.setValue(f.available, Variant(std::int32_t(0)));
            plan.setValue(f.allocated, Variant(std::int32_t(0)));
        }
        plan.setValue(f.rev, in.rev.of(input));
        plan.setValue(f.notes, Variant(textOf(in.note1.of(input)) + textOf(in.note2.of(input))));
        for (int slot = 0; slot < 3; ++slot) fillOrderSlot(plan, f, orders, slot);

        std::int32_t balance = 0;
        for (int r = 0; r < 3; ++r) {
            if (textOf(in.shpQualifier[r].of(input)) != "ZZ3") continue;
            plan.setValue(f.inTransit, in.shpQuantity[r].of(input));
            balance = wholeQuantity(in.shpQuantity[r].of(input));
            break;
        }
        for (int r = 0; r < 3; ++r) {
            if (textOf(in.shpQualifier[r].of(input)) != "050") continue;
            plan.setValue(f.lastDate, in.shpDate[r].of(input));
            plan.setValue(f.lastQty, in.shpQuantity[r].of(input));
            break;
        }

        while (!input.eof() && textOf(in.part.of(input)) == part) {
            if (balance != 0) {
                const Variant q = in.quantity.of(input);
                if (!q.isNull()) {
                    const double qty = toDouble(q);
                    if (balance > qty) {
                        balance = wholeQuantity(Variant(double(balance) - qty));
                        in.quantity.set(input, Variant(std::int32_t(0)));
                    } else if (balance == qty) {
                        balance = 0;
                        in.quantity.set(input, Variant(std::int32_t(0)));
                    } else {
                        in.quantity.set(input, Variant(qty - double(balance)));
                        balance = 0;
                    }
                }
            }
            const Variant q = in.quantity.of(input);
            const Variant when = in.when.of(input);
            if (!q.isNull() && !when.isNull()) {
                const double d = toDate(when);
                if (d < start) addTo(plan, f.pastDue, q);
                if (d > start + 60) addTo(plan, f.future, q);
                bool bucketed = false;
                for (int i = 0; i < 20 && !bucketed; ++i)
                    if (d == start + kDayOffsets[i]) {
                        plan.setValue(f.day[i], q);
                        bucketed = true;
                    }
                for (int w = 0; w < 5 && !bucketed; ++w)
                    for (int k = 0; k < 5 && !bucketed; ++k)
                        if (d == start + 28 + 7 * w + k) {
                            addTo(plan, f.week[w], q);
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
        buildPlanning(*input, *rsScheduler, PartIndex(*general->rsOrders, *general->rsInventory),
                      startDay(today(host_)));
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

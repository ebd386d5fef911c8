#include "ActiveX/Handlers.h"

#include <array>

namespace vt::brackwen {

using namespace automation;

namespace {

constexpr const char* kNote = "9EXCE01";

// Equal as typed; a Null on either side is never equal (nor unequal).
bool same(const Variant& a, const Variant& b) {
    if (a.isNull() || b.isNull()) return false;
    const auto c = compare(a, b);
    return c && *c == 0;
}
bool differ(const Variant& a, const Variant& b) {
    if (a.isNull() || b.isNull()) return false;
    const auto c = compare(a, b);
    return c && *c != 0;
}

bool keysMatch(Recordset& n, Recordset& o) {
    for (const char* key : {"5LIN05", "5LIN07", "4N104", "5LIN03"})
        if (!same(n.value(key), o.value(key))) return false;
    return true;
}

// Copied from the previous line into a removed line; the heading values of the new schedule go
// between them.
constexpr std::array kCopiedBefore{"1BSS01", "1BSS02"};
constexpr std::array kCopiedAfter{"1BSS07", "1BSS11", "2N101",  "2N102",  "3N101",  "3N102",  "4N101",
                                  "4N102",  "4N103",  "4N104",  "5LIN02", "5LIN03", "5LIN04", "5LIN05",
                                  "5LIN06", "5LIN07", "5LIN08", "5LIN09", "6UIT01", "7FST01", "7FST02",
                                  "7FST03", "7FST04", "8CTT01", "8CTT02"};

}  // namespace

std::string quantityText(const Variant& quantity) {
    const std::string s = textOf(quantity);
    std::size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
    const std::size_t start = i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    const std::size_t digitsFrom = i;
    while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) ++i;
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) ++i;
    }
    if (i == digitsFrom || (i == digitsFrom + 1 && s[digitsFrom] == '.')) return "0";
    std::size_t end = i;
    if (i < s.size() && (s[i] == 'E' || s[i] == 'e')) {
        std::size_t j = i + 1;
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
        const std::size_t expFrom = j;
        while (j < s.size() && std::isdigit(static_cast<unsigned char>(s[j]))) ++j;
        if (j > expFrom) end = j;
    }
    const auto d = Decimal::parse(s.substr(start, end - start));
    if (!d) return formatDouble(toDouble(Variant(s.substr(start, end - start))));
    return d->toString();
}

void buildChangeList(HostServices* host, Recordset& rsNew, Recordset& rsOld) {
    rsNew.moveFirst();
    const Variant scheduleDate = rsNew.value("1BSS03");
    const Variant horizonStart = rsNew.value("1BSS05");
    const Variant horizonEnd = rsNew.value("1BSS06");

    for (; !rsNew.eof(); rsNew.moveNext()) {
        yieldEvents(host);
        std::string note = "NEW";
        if (rsOld.recordCount() > 0) {
            for (rsOld.moveFirst(); !rsOld.eof(); rsOld.moveNext()) {
                yieldEvents(host);
                if (!keysMatch(rsNew, rsOld)) continue;
                const Variant newQty = rsNew.value("7FST01"), oldQty = rsOld.value("7FST01");
                if (!same(rsNew.value("7FST04"), rsOld.value("7FST04"))) continue;
                if (same(newQty, oldQty)) {
                    note.clear();
                } else if (differ(newQty, oldQty)) {
                    note = "QTY WAS " + quantityText(oldQty) + " IS " + quantityText(newQty);
                } else {
                    continue;
                }
                rsOld.deleteCurrent();
                break;
            }
        }
        rsNew.setValue(kNote, Variant(note));
        rsNew.update();
    }

    if (rsOld.recordCount() > 0) {
        for (rsOld.moveFirst(); !rsOld.eof(); rsOld.moveNext()) {
            rsNew.addNew();
            for (const char* f : kCopiedBefore) rsNew.setValue(f, rsOld.value(f));
            rsNew.setValue("1BSS03", scheduleDate);
            rsNew.setValue("1BSS04", rsOld.value("1BSS04"));
            rsNew.setValue("1BSS05", horizonStart);
            rsNew.setValue("1BSS06", horizonEnd);
            for (const char* f : kCopiedAfter) rsNew.setValue(f, rsOld.value(f));
            rsNew.setValue(kNote, Variant(std::string("REMOVED")));
            rsNew.update();
        }
    }

    if (rsNew.recordCount() == 0) return;
    for (rsNew.moveFirst(); !rsNew.eof(); rsNew.moveNext())
        if (textOf(rsNew.value(kNote)).empty() && !rsNew.value(kNote).isNull()) rsNew.deleteCurrent();
}

const Members<ShippingSchedule>& ShippingSchedule::members() {
    static const Members<ShippingSchedule> m = [] {
        Members<ShippingSchedule> t(kShippingClass);
        t.method("ActiveX", {6, 6}, [](ShippingSchedule& self, Args& a) {
            auto rsNew = recordsetOf(a.raw(0));
            auto rsOld = recordsetOf(a.raw(1));
            buildChangeList(self.host_, *rsNew, *rsOld);
            return Variant(true);
        });
        return t;
    }();
    return m;
}

}  // namespace vt::brackwen

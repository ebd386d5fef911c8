#include "ActiveX/General.h"

#include "ActiveX/Csv.h"
#include "ActiveX/LocationPicker.h"

#include <fstream>
#include <sstream>

namespace vt::brackwen {

using namespace automation;

namespace {

Ref<Recordset> ordersRecordset() {
    auto rs = Recordset::create();
    rs->appendField("WO_PartNumber", adtype::VarChar, 30, 4);
    rs->appendField("WO_ID", adtype::VarChar, 15, 4);
    rs->appendField("WO_Qty", adtype::Integer, 4, 4);
    rs->appendField("WO_Date", adtype::Date, 8, 4);
    rs->appendField("WO_Rev", adtype::VarChar, 7, 4);
    rs->open();
    return rs;
}

Ref<Recordset> inventoryRecordset() {
    auto rs = Recordset::create();
    rs->appendField("PartNumber", adtype::VarChar, 30, 4);
    rs->appendField("Description", adtype::VarChar, 100, 4);
    rs->appendField("Available", adtype::Integer, 4, 4);
    rs->appendField("Allocated", adtype::Integer, 4, 4);
    rs->open();
    return rs;
}

// A column's text converted to its field's type; too long or not convertible is an error that
// names the field.
Variant columnValue(const FieldDef& def, const std::string& text) {
    switch (def.type) {
        case adtype::VarChar:
            if (std::int32_t(text.size()) > def.definedSize)
                raise(err::InvalidCall, kLibraryName,
                      def.name + " holds more than " + std::to_string(def.definedSize) + " characters");
            return Variant(text);
        case adtype::Integer: {
            if (!isNumeric(Variant(text)))
                raise(err::TypeMismatch, kLibraryName, "Type mismatch: " + def.name + " is not a number");
            return Variant(toInt32(Variant(text)));
        }
        default: {
            if (!isDate(Variant(text)))
                raise(err::TypeMismatch, kLibraryName, "Type mismatch: " + def.name + " is not a date");
            return Variant(Date{toDate(Variant(text))});
        }
    }
}

std::string replaceAll(std::string s, std::string_view from, std::string_view to) {
    for (std::size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + to.size()))
        s.replace(at, from.size(), to);
    return s;
}

}  // namespace

const Members<General>& General::members() {
    static const Members<General> m = [] {
        Members<General> t("General");
        t.get("rsOrders", [](General& g, Args&) { return g.rsOrders ? Variant(g.rsOrders) : Variant::nothing(); })
            .set("rsOrders", [](General& g, Args&, const Variant& v) {
                g.rsOrders = v.isNothing() ? Ref<Recordset>() : recordsetOf(v);
            })
            .get("rsInventory",
                 [](General& g, Args&) { return g.rsInventory ? Variant(g.rsInventory) : Variant::nothing(); })
            .set("rsInventory", [](General& g, Args&, const Variant& v) {
                g.rsInventory = v.isNothing() ? Ref<Recordset>() : recordsetOf(v);
            })
            .method("Orders", {}, [](General& g, Args&) { return Variant(g.Orders()); })
            .method("Inventory", {}, [](General& g, Args&) { return Variant(g.Inventory()); })
            .method("GetLocation", {}, [](General& g, Args&) { return Variant(g.GetLocation()); });
        return t;
    }();
    return m;
}

bool General::Orders() { return read("Orders.csv", rsOrders, false); }

bool General::Inventory() { return read("Inventory.csv", rsInventory, true); }

bool General::read(const char* fileName, Ref<Recordset>& target, bool inventory) {
    target = inventory ? inventoryRecordset() : ordersRecordset();
    Recordset& rs = *target;
    std::string lineCounter;   // empty until the file is open
    std::string current;
    try {
        const auto path = folderSetting(host_, "Import") / fileName;
        std::ifstream in(path, std::ios::binary);
        if (!in) raise(err::FileNotFound);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        const std::string text = bytes.str();
        std::int64_t line = 1;
        lineCounter = "1";
        for (std::string_view raw : textLines(text)) {
            // The inventory file writes a quote inside a description as two, which becomes "-";
            // order values never hold a quote.
            current = inventory ? replaceAll(std::string(raw), "\"\"", "-") : std::string(raw);
            CsvLine columns = splitCsvLine(current);
            if (columns.error) raise(err::InvalidCall, kLibraryName, *columns.error);
            if (!inventory)
                for (std::string& column : columns.fields) column = replaceAll(std::move(column), "\"", "");
            rs.addNew();
            for (std::size_t f = 0; f < rs.fieldCount(); ++f) {
                const std::string piece = f < columns.fields.size() ? columns.fields[f] : std::string();
                rs.setValue(f, columnValue(rs.fieldDef(f), piece));
            }
            lineCounter = std::to_string(++line);
            yieldEvents(host_);
            rs.update();
            rs.moveFirst();
        }
        return true;
    } catch (const Error& e) {
        if (rs.editMode() == Recordset::EditAdd) rs.cancelUpdate();
        messageBox(host_, "Error: " + e.description + "\r\nLine: " + lineCounter + "\r\nImport: " + current, 16);
        return false;
    }
}

std::string General::GetLocation() {
    std::string text;
    try {
        const auto& show = locationWindow();
        if (!show) raise(err::CannotCreateObject, kLibraryName, "The location window is not available");
        show(host_);
        readLocationText(host_, text);
    } catch (const Error&) {
    } catch (const std::exception&) {
    }
    return text;
}

}  // namespace vt::brackwen

#include "ActiveX/LocationPicker.h"

namespace vt::brackwen {

using namespace automation;

namespace {

Ref<Recordset> query(const ObjectRef& db, const std::string& sql, std::vector<Variant> values = {}) {
    values.insert(values.begin(), Variant(sql));
    return recordsetOf(call(Variant(db), "Query", std::move(values)));
}

void execute(const ObjectRef& db, const std::string& sql, std::vector<Variant> values = {}) {
    values.insert(values.begin(), Variant(sql));
    call(Variant(db), "Execute", std::move(values));
}

std::string text(Recordset& rs, std::string_view field) { return textOf(rs.value(field)); }
bool flag(Recordset& rs, std::string_view field) {
    const Variant v = rs.value(field);
    return !v.isNull() && toBool(v);
}
std::int64_t id(Recordset& rs) { return std::int64_t(toDouble(rs.value("Id"))); }

template <class Fn>
void eachRow(Recordset& rs, Fn&& fn) {
    if (rs.recordCount() == 0) return;
    for (rs.moveFirst(); !rs.eof(); rs.moveNext()) fn(rs);
}

constexpr const char* kLocations = "SELECT * FROM Location ORDER BY Name ASC, Id ASC";
constexpr const char* kCarriers = "SELECT * FROM Carrier ORDER BY Id";
constexpr const char* kConsolidations = "SELECT * FROM Consolidation ORDER BY Id";
const Variant kTrue(std::int32_t(-1));
const Variant kFalse(std::int32_t(0));

}  // namespace

ObjectRef openDatabase(HostServices* host) {
    ObjectRef db = host ? host->database() : ObjectRef();
    if (!db) raise(aderr::InvalidConnection, kLibraryName, "The application database is not open");
    return db;
}

ShippingTables loadShippingTables(HostServices* host) {
    const ObjectRef db = openDatabase(host);
    ShippingTables t;
    auto locations = query(db, kLocations);
    eachRow(*locations, [&](Recordset& rs) {
        t.locations.push_back({id(rs), text(rs, "Name"), text(rs, "ShipToCode"), text(rs, "SoldToCode"),
                               text(rs, "Street"), text(rs, "City"), text(rs, "StateProvince"),
                               text(rs, "PostalZip"), flag(rs, "Selected")});
    });
    auto carriers = query(db, kCarriers);
    eachRow(*carriers, [&](Recordset& rs) {
        t.carriers.push_back({id(rs), text(rs, "Description"), text(rs, "Carrier"), text(rs, "ProNumber"),
                              text(rs, "TrailerNumber"), flag(rs, "Selected")});
    });
    auto consolidations = query(db, kConsolidations);
    eachRow(*consolidations, [&](Recordset& rs) {
        t.consolidations.push_back({id(rs), text(rs, "LocationName"), text(rs, "CS"), flag(rs, "Selected")});
    });
    return t;
}

void saveShippingChoice(HostServices* host, const ShippingChoice& choice) {
    const ObjectRef db = openDatabase(host);
    const ShippingTables t = loadShippingTables(host);
    const std::string destination = trimBlanks(choice.destinationCode);
    const std::string carrier = trimBlanks(choice.carrier);
    const std::string facility = trimBlanks(choice.facility);
    execute(db, "SAVEPOINT brackwen_location");
    try {
        for (const LocationRow& r : t.locations)
            execute(db, "UPDATE Location SET Selected = ?1 WHERE Id = ?2",
                    {trimBlanks(r.shipToCode) == destination ? kTrue : kFalse, Variant(double(r.id))});
        for (const CarrierRow& r : t.carriers) {
            if (trimBlanks(r.description) == carrier)
                execute(db, "UPDATE Carrier SET Selected = ?1, ProNumber = ?2, TrailerNumber = ?3 WHERE Id = ?4",
                        {kTrue, Variant(upper1252(choice.proNumber)), Variant(upper1252(choice.trailerNumber)),
                         Variant(double(r.id))});
            else
                execute(db, "UPDATE Carrier SET Selected = ?1 WHERE Id = ?2", {kFalse, Variant(double(r.id))});
        }
        for (const ConsolidationRow& r : t.consolidations)
            execute(db, "UPDATE Consolidation SET Selected = ?1 WHERE Id = ?2",
                    {trimBlanks(r.locationName) == facility ? kTrue : kFalse, Variant(double(r.id))});
        execute(db, "RELEASE SAVEPOINT brackwen_location");
    } catch (...) {
        try {
            execute(db, "ROLLBACK TO SAVEPOINT brackwen_location");
            execute(db, "RELEASE SAVEPOINT brackwen_location");
        } catch (...) {
        }
        throw;
    }
}

void readLocationText(HostServices* host, std::string& out) {
    const ObjectRef db = openDatabase(host);
    auto locations = query(db, kLocations);
    auto carriers = query(db, kCarriers);
    auto consolidations = query(db, kConsolidations);
    out.clear();
    eachRow(*locations, [&](Recordset& rs) {
        if (flag(rs, "Selected"))
            out = trimBlanks(text(rs, "Name")) + "," + trimBlanks(text(rs, "ShipToCode")) + "," +
                  trimBlanks(text(rs, "SoldToCode"));
    });
    eachRow(*carriers, [&](Recordset& rs) {
        if (flag(rs, "Selected"))
            out += "," + trimBlanks(text(rs, "Carrier")) + "," + trimBlanks(text(rs, "ProNumber")) + "," +
                   trimBlanks(text(rs, "TrailerNumber"));
    });
    eachRow(*consolidations, [&](Recordset& rs) {
        if (flag(rs, "Selected")) out += "," + trimBlanks(text(rs, "CS"));
    });
}

}  // namespace vt::brackwen

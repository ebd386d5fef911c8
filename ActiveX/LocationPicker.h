#pragma once
// The shipping choice behind the location picker: the rows of tables Location, Carrier and
// Consolidation as the window lists them, the writing of a choice into their Selected flags (and
// the carrier's numbers), and the stored choice as one line of text. All through the program's
// database object; values are always bound.

#include "ActiveX/Brackwen.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vt::brackwen {

struct LocationRow {
    std::int64_t id = 0;
    std::string name, shipToCode, soldToCode, street, city, stateProvince, postalZip;
    bool selected = false;
};

struct CarrierRow {
    std::int64_t id = 0;
    std::string description, carrier, proNumber, trailerNumber;
    bool selected = false;
};

struct ConsolidationRow {
    std::int64_t id = 0;
    std::string locationName, cs;
    bool selected = false;
};

struct ShippingTables {
    std::vector<LocationRow> locations;   // in name order
    std::vector<CarrierRow> carriers;     // in table order
    std::vector<ConsolidationRow> consolidations;
};

// What the user chose in the window: the destination's code, the carrier's and the facility's
// texts as listed (empty when none is chosen) and the numbers as typed.
struct ShippingChoice {
    std::string destinationCode;
    std::string carrier;
    std::string facility;
    std::string proNumber;
    std::string trailerNumber;
};

// The program's database object; error 3709 when the program has none open.
automation::ObjectRef openDatabase(HostServices* host);

ShippingTables loadShippingTables(HostServices* host);
// Writes the choice into the three tables at once (all or nothing).
void saveShippingChoice(HostServices* host, const ShippingChoice& choice);
// The stored choice: "Name,ShipToCode,SoldToCode" of the selected destination (the last in name
// order), then ",Carrier,ProNumber,TrailerNumber" per selected carrier and ",CS" per selected
// facility, every value trimmed. `text` holds what was gathered when an error stops it.
void readLocationText(HostServices* host, std::string& text);

}  // namespace vt::brackwen

#pragma once
// Class General: the readers of the Import folder's "Orders.csv" (open work orders) and
// "Inventory.csv" (stock per part) into in-memory record sets, and GetLocation, the shipping
// choice of the location picker as one line of text.

#include "ActiveX/Brackwen.h"

namespace vt::brackwen {

class General final : public automation::Dispatch<General> {
public:
    explicit General(HostServices* host) : host_(host) {}
    static const automation::Members<General>& members();

    // True when every line was read; otherwise a critical box names the error, the line number
    // and the line, and the result is False (the record set keeps the rows read before).
    bool Orders();
    bool Inventory();
    // Shows the picker, then returns the stored choice; the text gathered so far on any error.
    std::string GetLocation();

    Ref<Recordset> rsOrders;
    Ref<Recordset> rsInventory;

private:
    bool read(const char* fileName, Ref<Recordset>& target, bool inventory);
    HostServices* host_;
};

}  // namespace vt::brackwen

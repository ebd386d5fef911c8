#pragma once
// The partner's handler classes, named by their selection keys: the 862 shipping schedule turned
// into a change list against the previous schedule, and the 830 planning schedule turned into
// the planning record set.

#include "ActiveX/Brackwen.h"

namespace vt::brackwen {

inline constexpr const char* kShippingClass = "Vozezididide_862_003020_I";
inline constexpr const char* kPlanningClass = "Vozezididide_830_002000_I";

// The change list, built in place in `rsNew`; `rsOld` keeps only its unmatched lines. Errors are
// raised with their own number and text.
void buildChangeList(HostServices* host, Recordset& rsNew, Recordset& rsOld);

// The note's form of a quantity: the number at the start of its text, without grouping or
// trailing zeros ("0" when the text starts with none).
std::string quantityText(const Variant& quantity);

class ShippingSchedule final : public automation::Dispatch<ShippingSchedule> {
public:
    explicit ShippingSchedule(HostServices* host) : host_(host) {}
    static const automation::Members<ShippingSchedule>& members();

private:
    HostServices* host_;
};

class PlanningSchedule final : public automation::Dispatch<PlanningSchedule> {
public:
    explicit PlanningSchedule(HostServices* host) : host_(host) {}
    static const automation::Members<PlanningSchedule>& members();

    // False when a file could not be read (its reader told the user); other failures raise 1001
    // with their cause in the text.
    bool ActiveX(Variant& rsRecord);

    Ref<Recordset> rsScheduler;

private:
    HostServices* host_;
};

// The planning record set's fields, in order.
Ref<Recordset> planningRecordset();

}  // namespace vt::brackwen

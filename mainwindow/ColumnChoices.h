#pragma once
// The thirteen columns an X12 folder list can show, in their fixed order: the choice name (its
// key in settings section "Columns" and its text in the column chooser), the header key (the
// table field, also the width key in the list's own section), the caption and whether it is
// shown when nothing is stored.

#include <array>
#include <string>
#include <string_view>

namespace vt::mainwindow {

struct ColumnChoice {
    const char* choice;
    const char* field;
    const char* caption;
    bool shown;
};

inline constexpr std::array<ColumnChoice, 13> kColumnChoices = {{
    {"Acknowledged", "Acknowledged", "", true},
    {"Partner", "Partner", "Partner", true},
    {"Transaction", "Transaction", "Transaction", true},
    {"Version", "Version", "Version", true},
    {"Date", "Date", "Date", true},
    {"Time", "Time", "Time", true},
    {"Used", "Used", "Used", false},
    {"Interchange Control Number", "InterchangeControlNumber", "Interchange Control Number", false},
    {"Group Control Number", "GroupControlNumber", "Group Control Number", false},
    {"Sender ID", "SenderID", "Sender ID", false},
    {"Sender Division", "SenderDivision", "Sender Division", false},
    {"Receiver ID", "ReceiverID", "Receiver ID", false},
    {"Receiver Division", "ReceiverDivision", "Receiver Division", false},
}};

}  // namespace vt::mainwindow

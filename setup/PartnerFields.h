#pragma once
// A Partner row as the partner window shows and writes it, the rules for partner names, and the
// mappings between stored values and the window's lists. No widgets: the window only copies.

#include "platform/db/Database.h"
#include "platform/text/Text.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vt::setup {

struct PartnerRow {
    std::int64_t id = 0;
    std::string partner;
    int segment = 0, element = 0, sub = 0;   // character codes; segment 0 is CR LF
    std::string isaVersion;
    int isaVersionIndex = 0;
    std::string isa01, isa02, isa03, isa04, isa05, isa06, isa07, isa08, isa11, isa12, isa13, isa14, isa15;
    std::string gs02, gs03, gs06, gs07;
};

// The editable text fields: column, control, the name caption and the X12 width the box allows.
struct PartnerTextField {
    const char* column;
    const char* control;
    const char* caption;
    int length;
    std::string PartnerRow::*member;
};
extern const std::array<PartnerTextField, 13> kPartnerTextFields;   // ISA01-08, 11, 12, GS02, 03, 07

// The display fields the window fills itself (clock, selected set) and never writes.
struct PartnerDisplayField {
    const char* control;
    const char* caption;
    int length;
};
extern const std::array<PartnerDisplayField, 6> kPartnerDisplayFields;   // ISA09, 10, GS01, 04, 05, 08

// Reads a row by id. Missing or unreadable values read as the column's default ("" / 0), and
// separator codes outside 0 to 255 as 0, so any stored row can be shown and edited.
std::optional<PartnerRow> readPartner(db::Database& db, std::int64_t id);

// ---- Names ----
enum class NameUse { Add, Save };
struct Refusal {
    std::string text;
    int style = 0;   // message box icon and buttons
};
// Add allows letters and digits only; Save also "/" and "\". Both need six characters.
std::optional<Refusal> checkPartnerName(std::string_view name, NameUse use);
Refusal duplicatePartnerRefusal(std::string_view name);

// ---- Lists ----
// 256 items in 1252 bytes: "CR/LF" (segment terminator) or "NULL", then "001 -- (<char>)" ...
std::vector<std::string> separatorItems(bool segmentTerminator);
int ackListIndex(std::string_view isa14);          // "0" -> 0 (No), anything else 1 (Yes)
std::string isa14FromListIndex(int index);         // 0 -> "0", else "1"
int testIndicatorListIndex(std::string_view isa15);   // "P" -> 0 (Production), else 1 (Test)
std::string isa15FromListIndex(int index);         // 0 -> "P", else "T"
std::string isa12FromVersion(std::string_view version);   // its first five characters

// A control-number box's text is written only when it holds digits (blanks around allowed).
bool isControlNumberText(std::string_view text);
// A stored control number as the envelopes show it: nine digits when it is a number, else as is.
std::string nineDigitControl(std::string_view stored);

// ---- Clock ----
struct ClockFields {
    std::string isa09, isa10;
    std::optional<std::string> gs04, gs05;   // nothing: keep what is shown
};
// Versions from 004 on (third character 4 or more) date groups with eight digits and time them
// with six; others, and versions that are too short or not numeric there, six and four.
ClockFields clockFields(const text::DateTime& now, std::string_view gs08);

}  // namespace vt::setup
